#include <gtest/gtest.h>

#include <sstream>

#include "core/exceptions.h"
#include "core/json_writer.h"
#include "core/memory_stream.h"

namespace velquora {
namespace {

TEST(MemoryStream, GrowsWhenWrittenPastTheEnd) {
  TMemoryStream stream;
  WriteInt32(stream, -2);
  stream.SetPosition(6);
  WriteByte(stream, 7);
  EXPECT_EQ(stream.Size(), 7);
  EXPECT_EQ(stream.Bytes(), (std::vector<std::uint8_t>{0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 7}));
}

TEST(MemoryStream, ShortReadAndExactRead) {
  TMemoryStream stream(std::vector<std::uint8_t>{1, 2, 3});
  std::uint8_t buffer[8] = {};
  EXPECT_EQ(stream.Read(buffer, 8), 3U);
  stream.SetPosition(1);
  EXPECT_THROW(stream.ReadBuffer(buffer, 3), EReadError);
  stream.SetPosition(10);
  EXPECT_EQ(stream.Read(buffer, 1), 0U);
  EXPECT_EQ(stream.Remaining(), 0);
  EXPECT_THROW(stream.Seek(-11, SeekOrigin::Current), EReadError);
}

TEST(MemoryStream, TypedReadersAreLittleEndian) {
  TMemoryStream stream;
  WriteInt32(stream, 0x12345678);
  WriteUInt16(stream, 0xBEEF);
  WriteShortString(stream, "abc");
  stream.SetPosition(0);
  EXPECT_EQ(ReadInt32(stream), 0x12345678);
  EXPECT_EQ(ReadUInt16(stream), 0xBEEF);
  EXPECT_EQ(ReadShortString(stream), "abc");
  EXPECT_THROW(ReadByte(stream), EReadError);
}

TEST(MemoryStream, ShortStringRunningShortRaises) {
  TMemoryStream stream(std::vector<std::uint8_t>{5, 'a', 'b'});
  EXPECT_THROW(ReadShortString(stream), EReadError);
}

TEST(MemoryStream, ReadBytesRefusesHostileLengthsBeforeAllocating) {
  TMemoryStream stream(std::vector<std::uint8_t>{1, 2, 3, 4});
  EXPECT_THROW(ReadBytes(stream, 0x7FFFFFFF), EReadError);
  EXPECT_THROW(ReadBytes(stream, -1), EReadError);
  EXPECT_EQ(ReadBytes(stream, 4).size(), 4U);
}

TEST(MemoryStream, CopyFromCopiesTheRequestedBytes) {
  TMemoryStream source(std::vector<std::uint8_t>{1, 2, 3, 4, 5});
  source.SetPosition(1);
  TMemoryStream target;
  EXPECT_EQ(target.CopyFrom(source, 3), 3);
  EXPECT_EQ(target.Bytes(), (std::vector<std::uint8_t>{2, 3, 4}));
  EXPECT_THROW(target.CopyFrom(source, 5), EReadError);
  TMemoryStream whole;
  EXPECT_EQ(whole.CopyFrom(source, 0), 5);
}

TEST(JsonWriter, WritesNestedValuesWithCommas) {
  std::ostringstream out;
  JsonWriter json(out);
  json.BeginObject().Field("a", std::int32_t{1}).Field("b", "x\"y\n");
  json.Key("c").BeginArray().Value(true).Value(2.5L).Value(0.1L).Null().EndArray();
  json.Key("d").BeginObject().EndObject().EndObject();
  EXPECT_EQ(out.str(), R"({"a":1,"b":"x\"y\n","c":[true,2.5,0.1,null],"d":{}})");
}

}  // namespace
}  // namespace velquora

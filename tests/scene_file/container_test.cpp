#include "scene_file/container.h"

#include <gtest/gtest.h>

#include <array>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "container_writer.h"
#include "core/exceptions.h"
#include "core/memory_stream.h"
#include "lzh_encoder.h"
#include "playback/scene.h"
#include "recording_message_boxes.h"
#include "scene_file/read_version.h"

namespace velquora {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The signature table, written out here from the format's rules.
constexpr std::array<const char*, 16> kSignatures = {
    "Velquora Scene v.1.10", "Velquora Scene v.1.20", "Velquora Scene v.1.21", "Velquora Scene v.1.30",
    "Velquora Scene v.1.31", "Velquora Scene v.1.42", "Velquora Scene v.2.2",  "Velquora Scene v.2.21",
    "Velquora Scene v.3.10", "Velquora Scene v.3.1",  "Velquora Scene v.3.11", "Velquora Scene v.3.12",
    "Velquora Scene v.5.0",  "Velquora Scene v.5.1",  "Velquora Scene v.5.11", "Velquora Scene v.5.2",
};

enum class Failure { None, Read, OutOfMemory };

// A scene whose record reader only records what it was given.
class RecordingScene : public TVelquoraScene {
public:
  void ReadFromStream(TStream& stream) {
    ++reads;
    stream_seen = &stream;
    position_seen = stream.Position();
    version_seen = ReadVersion();
    records.resize(static_cast<std::size_t>(stream.Remaining()));
    stream.ReadBuffer(records.data(), records.size());
    TimerInterval = 1234;  // something read before a failure
    if (failure == Failure::Read) throw EReadError("bad record");
    if (failure == Failure::OutOfMemory) throw std::bad_alloc();
  }

  int reads = 0;
  const TStream* stream_seen = nullptr;
  std::int64_t position_seen = -1;
  std::int32_t version_seen = -1;
  Bytes records;
  Failure failure = Failure::None;
};

// Loads the container with the scene's own recording reader in place of the real one.
void LoadFromStream(RecordingScene& scene, TStream& stream) {
  LoadSceneFromStream(scene, stream, [&scene](TVelquoraScene&, TStream& records) { scene.ReadFromStream(records); });
}

Bytes Pattern(std::size_t size, std::uint32_t seed = 7) {
  Bytes bytes(size);
  std::uint32_t state = seed;
  for (auto& byte : bytes) {
    state = state * 1664525U + 1013904223U;
    byte = static_cast<std::uint8_t>(state >> 24);
  }
  return bytes;
}

// Eight bytes after the container, as a saver file has them (offset and checksum), so
// that the preview check always finds its 19 bytes.
Bytes WithTrailer(Bytes container) {
  container.insert(container.end(), {0xA1, 0xA2, 0xA3, 0xA4, 0xB1, 0xB2, 0xB3, 0xB4});
  return container;
}

Bytes Concat(const Bytes& a, const Bytes& b) {
  Bytes joined = a;
  joined.insert(joined.end(), b.begin(), b.end());
  return joined;
}

// Loads a container into a recording scene with recording message boxes.
struct Loaded {
  std::unique_ptr<RecordingScene> scene = std::make_unique<RecordingScene>();
  std::vector<MessageBoxRequest> boxes;
  std::int32_t version_after = -1;
};

Loaded Load(const Bytes& container, Failure failure = Failure::None, WindowHandle owner = kNoWindow) {
  Loaded loaded;
  loaded.scene->failure = failure;
  loaded.scene->OwnerWindow = owner;
  auto boxes = std::make_shared<RecordingMessageBoxes>();
  {
    ScopedMessageBoxes scope(boxes);
    TMemoryStream stream(container);
    LoadFromStream(*loaded.scene, stream);
  }
  loaded.boxes = boxes->shown;
  loaded.version_after = ReadVersion();
  return loaded;
}

void ExpectOneFailureBox(const Loaded& loaded, WindowHandle owner = kNoWindow) {
  EXPECT_TRUE(loaded.scene->LoadFailed);
  ASSERT_EQ(loaded.boxes.size(), 1U);
  const MessageBoxRequest& box = loaded.boxes[0];
  EXPECT_EQ(box.text, "Cannot read data from file.");
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.icon, MessageBoxIcon::Error);
  EXPECT_EQ(box.buttons, MessageBoxButtons::Ok);
  EXPECT_EQ(box.owner, owner);
  EXPECT_EQ(loaded.version_after, kNewestReadVersion);
}

void ExpectLoaded(const Loaded& loaded, const Bytes& records) {
  EXPECT_FALSE(loaded.scene->LoadFailed);
  EXPECT_TRUE(loaded.boxes.empty());
  EXPECT_EQ(loaded.scene->reads, 1);
  EXPECT_EQ(loaded.scene->records, records);
  EXPECT_EQ(loaded.version_after, kNewestReadVersion);
}

TEST(SceneSignatures, HoldTheSixteenSignaturesInVersionOrder) {
  ASSERT_EQ(SceneSignatures.size(), kSignatures.size());
  for (std::size_t i = 0; i < kSignatures.size(); ++i) {
    EXPECT_EQ(SceneSignatures[i], kSignatures[i]) << i;
    EXPECT_EQ(SignatureVersion(kSignatures[i]), static_cast<std::int32_t>(i + 1)) << kSignatures[i];
  }
  EXPECT_EQ(SignatureVersion("Velquora Scene v.3.10"), 9);
  EXPECT_EQ(SignatureVersion("Velquora Scene v.3.1"), 10);
}

class EverySignature : public ::testing::TestWithParam<int> {};

TEST_P(EverySignature, UncompressedGivesTheVersionIndex) {
  const int version = GetParam();
  const Bytes records = Pattern(300, static_cast<std::uint32_t>(version));
  ContainerSpec design;
  design.Compressed = false;
  design.Signature = kSignatures[static_cast<std::size_t>(version - 1)];
  design.WriteParameters = version >= 5;
  const Loaded loaded = Load(WriteContainer(records, design));
  ExpectLoaded(loaded, records);
  EXPECT_EQ(loaded.scene->FileVersion, version);
  EXPECT_EQ(loaded.scene->SignatureText, kSignatures[static_cast<std::size_t>(version - 1)]);
  EXPECT_EQ(loaded.scene->version_seen, version);
}

TEST_P(EverySignature, CompressedDecodesTheBlocks) {
  const int version = GetParam();
  const Bytes records = Pattern(5000, static_cast<std::uint32_t>(version));
  ContainerSpec design;
  design.Signature = kSignatures[static_cast<std::size_t>(version - 1)];
  design.WriteParameters = version >= 5;
  design.BlockSize = 1500;
  const Loaded loaded = Load(WriteContainer(records, design));
  ExpectLoaded(loaded, records);
  EXPECT_EQ(loaded.scene->FileVersion, version);
  EXPECT_EQ(loaded.scene->version_seen, version);
  EXPECT_EQ(loaded.scene->position_seen, 0);  // the decompressed stream, from its start
}

INSTANTIATE_TEST_SUITE_P(Versions, EverySignature, ::testing::Range(1, 17));

TEST(LoadFromStream, UnknownSignaturesFailWithoutChangingTheSignatureText) {
  for (const char* signature :
       {"Velquora Scene v.5.2 ", "velquora scene v.5.2", "VELQUORA SCENE V.5.2", "Velquora Scene v.4.0",
        "Velquora Scene v.5.", "Velquora Scene v.5.20", " Velquora Scene v.1.10", ""}) {
    ContainerSpec design;
    design.Compressed = false;
    design.Signature = signature;
    design.WriteParameters = true;
    Loaded loaded;
    loaded.scene->SignatureText = "previous";
    {
      auto boxes = std::make_shared<RecordingMessageBoxes>();
      ScopedMessageBoxes scope(boxes);
      TMemoryStream stream(WriteContainer(Pattern(40), design));
      LoadFromStream(*loaded.scene, stream);
      loaded.boxes = boxes->shown;
    }
    loaded.version_after = ReadVersion();
    ExpectOneFailureBox(loaded);
    EXPECT_EQ(loaded.scene->FileVersion, 0) << signature;
    EXPECT_EQ(loaded.scene->SignatureText, "previous") << signature;
    EXPECT_EQ(loaded.scene->reads, 0) << signature;
  }
}

TEST(LoadFromStream, ASignatureWithAnEmbeddedNulIsNotTheShorterOne) {
  ContainerSpec design;
  design.Compressed = false;
  design.Signature = std::string("Velquora Scene v.3.1\0", 21);
  design.WriteParameters = true;
  const Loaded loaded = Load(WriteContainer(Pattern(40), design));
  ExpectOneFailureBox(loaded);
  EXPECT_EQ(loaded.scene->FileVersion, 0);
}

TEST(LoadFromStream, TheFailureBoxBelongsToTheOwnerWindow) {
  ContainerSpec design;
  design.Signature = "unknown";
  const Loaded loaded = Load(WriteContainer(Pattern(40), design), Failure::None, 0x4711);
  ExpectOneFailureBox(loaded, 0x4711);
}

TEST(LoadFromStream, UncompressedRecordsAreReadFromTheGivenStreamAfterTheParameters) {
  const Bytes records = Pattern(64);
  ContainerSpec design;
  design.Compressed = false;
  design.Version = 16;
  const Bytes container = WriteContainer(records, design);
  RecordingScene scene;
  TMemoryStream stream(container);
  ScopedRecordingMessageBoxes boxes;
  LoadFromStream(scene, stream);
  EXPECT_EQ(scene.stream_seen, &stream);
  EXPECT_EQ(scene.position_seen, 1 + 1 + 20 + 8);  // flag, signature, parameters
  EXPECT_EQ(scene.records, records);
  EXPECT_FALSE(scene.LoadFailed);
}

TEST(LoadFromStream, ThePreviewBlockIsSkipped) {
  const Bytes records = Pattern(200);
  for (const bool compressed : {false, true}) {
    for (const int version : {3, 4, 16}) {
      for (const std::size_t preview_size : {0UL, 1UL, 5000UL}) {
        ContainerSpec design;
        design.Compressed = compressed;
        design.Version = version;
        design.Preview = Pattern(preview_size, 99);
        const Loaded loaded = Load(WithTrailer(WriteContainer(records, design)));
        const Bytes expected = compressed ? records : Concat(records, WithTrailer({}));
        ExpectLoaded(loaded, expected);
        EXPECT_EQ(loaded.scene->FileVersion, version);
      }
    }
  }
}

TEST(LoadFromStream, APreviewLengthOfZeroConsumesMarkerAndLength) {
  const Bytes records = Pattern(30);
  ContainerSpec design;
  design.Compressed = false;
  design.Version = 3;
  design.Preview = Bytes{};
  const Bytes container = WriteContainer(records, design);
  RecordingScene scene;
  TMemoryStream stream(container);
  ScopedRecordingMessageBoxes boxes;
  LoadFromStream(scene, stream);
  // flag, signature "Velquora Scene v.1.21" (1 + 21), marker (1 + 19), length 4.
  EXPECT_EQ(scene.position_seen, 1 + 22 + 20 + 4);
  EXPECT_EQ(scene.records, records);
}

TEST(LoadFromStream, ANearlyMatchingMarkerIsReadAgainAsTheNextField) {
  const std::string marker = "Preview JPEG Image.";
  std::vector<Bytes> near_markers;
  for (std::size_t i = 0; i < marker.size(); ++i) {
    Bytes text = {19};
    text.insert(text.end(), marker.begin(), marker.end());
    text[1 + i] ^= 0x20;  // one character differs
    near_markers.push_back(text);
  }
  Bytes short_length = {18};  // the marker's first 18 characters, with its own length
  short_length.insert(short_length.end(), marker.begin(), marker.end());
  near_markers.push_back(short_length);
  Bytes long_length = {20};
  long_length.insert(long_length.end(), marker.begin(), marker.end());
  long_length.push_back('!');
  near_markers.push_back(long_length);

  for (const Bytes& start : near_markers) {
    // Version 3, uncompressed: the record stream follows the signature directly.
    ContainerSpec design;
    design.Compressed = false;
    design.Version = 3;
    const Bytes records = Concat(start, Pattern(10));
    const Loaded loaded = Load(WriteContainer(records, design));
    ExpectLoaded(loaded, records);
  }
}

TEST(LoadFromStream, FewerThanNineteenBytesAfterTheMarkerLengthFail) {
  ContainerSpec design;
  design.Compressed = false;
  design.Version = 3;
  ExpectOneFailureBox(Load(WriteContainer(Pattern(19), design)));
  ExpectLoaded(Load(WriteContainer(Pattern(20), design)), Pattern(20));
}

TEST(LoadFromStream, ABlockCountOfZeroGivesAnEmptyRecordStream) {
  for (const std::int32_t count : {0, -1, -2147483647 - 1}) {
    ContainerSpec design;
    design.Blocks = std::vector<StoredBlockSpec>{};
    design.BlockCount = count;
    const Loaded loaded = Load(WithTrailer(WriteContainer({}, design)));
    ExpectLoaded(loaded, Bytes{});
  }
}

TEST(LoadFromStream, AnEmptyBlockIsSkippedAndDoesNotEndTheList) {
  const Bytes first = Pattern(100, 1);
  const Bytes second = Pattern(80, 2);
  ContainerSpec design;
  design.Blocks = std::vector<StoredBlockSpec>{{LzhEncodeBlock(first), {}}, {Bytes{}, {}}, {LzhEncodeBlock(second), {}}};
  ExpectLoaded(Load(WriteContainer({}, design)), Concat(first, second));
}

TEST(LoadFromStream, BlocksAreJoinedInOrder) {
  const Bytes records = Pattern(10007);
  ContainerSpec design;
  design.BlockSize = 7;
  ExpectLoaded(Load(WriteContainer(records, design)), records);
}

TEST(LoadFromStream, Version4CompressedHasNoParameters) {
  const Bytes records = Pattern(500);
  ContainerSpec design;
  design.Version = 4;
  ExpectLoaded(Load(WithTrailer(WriteContainer(records, design))), records);
  // Parameters written anyway are taken for the block count and fail the load.
  design.WriteParameters = true;
  ExpectOneFailureBox(Load(WithTrailer(WriteContainer(records, design))));
}

TEST(LoadFromStream, TheParametersAreNeitherUsedNorChecked) {
  const Bytes records = Pattern(500);
  ContainerSpec design;
  design.Version = 5;
  design.RingSize = -1;
  design.LookAhead = 123456;
  ExpectLoaded(Load(WriteContainer(records, design)), records);
}

TEST(LoadFromStream, AnyNonZeroFlagMeansCompressed) {
  const Bytes records = Pattern(500);
  for (const std::uint8_t flag : {1, 2, 0x80, 0xFF}) {
    ContainerSpec design;
    design.CompressedFlag = flag;
    ExpectLoaded(Load(WriteContainer(records, design)), records);
  }
}

TEST(LoadFromStream, ABlockRunningPastTheEndFails) {
  const Bytes block = LzhEncodeBlock(Pattern(3000));
  ContainerSpec design;
  design.Blocks = std::vector<StoredBlockSpec>{{Bytes(block.begin(), block.begin() + 100), static_cast<std::int32_t>(block.size())}};
  ExpectOneFailureBox(Load(WriteContainer({}, design)));
  // More blocks counted than stored.
  ContainerSpec missing;
  missing.Blocks = std::vector<StoredBlockSpec>{{block, {}}};
  missing.BlockCount = 2;
  ExpectOneFailureBox(Load(WriteContainer({}, missing)));
}

TEST(LoadFromStream, ANegativeStoredLengthFails) {
  ContainerSpec design;
  design.Blocks = std::vector<StoredBlockSpec>{{Pattern(40), -5}};
  ExpectOneFailureBox(Load(WriteContainer({}, design)));
}

TEST(LoadFromStream, StoredBlocksMustFitTheBlockBuffer) {
  // A real block padded with zeros: the decoder stops after the block's own size.
  const Bytes records = Pattern(2000);
  Bytes padded = LzhEncodeBlock(records);
  padded.resize(kContainerBlockBufferSize, 0);
  ContainerSpec fits;
  fits.Blocks = std::vector<StoredBlockSpec>{{padded, {}}};
  ExpectLoaded(Load(WriteContainer({}, fits)), records);

  padded.push_back(0);
  ContainerSpec too_long;
  too_long.Blocks = std::vector<StoredBlockSpec>{{padded, {}}};
  ExpectOneFailureBox(Load(WriteContainer({}, too_long)));
}

// Bytes of three bits each: random, yet they compress to well under their size.
Bytes Compressible(std::size_t size) {
  Bytes bytes = Pattern(size, 5);
  for (auto& byte : bytes) byte &= 0x07;
  return bytes;
}

TEST(LoadFromStream, DecodedBlocksMustFitTheOutputBuffer) {
  const Bytes exact = Compressible(kContainerBlockBufferSize);
  ContainerSpec design;
  design.BlockSize = exact.size();
  ExpectLoaded(Load(WriteContainer(exact, design)), exact);

  const Bytes over = Compressible(kContainerBlockBufferSize + 1);
  design.BlockSize = over.size();
  ExpectOneFailureBox(Load(WriteContainer(over, design)));
}

TEST(LoadFromStream, TheMostCompressibleBlockStillLoads) {
  const Bytes zeros(kContainerBlockBufferSize, 0);
  ContainerSpec design;
  design.BlockSize = zeros.size();
  ExpectLoaded(Load(WriteContainer(zeros, design)), zeros);
}

TEST(LoadFromStream, ATruncatedBlockThatClaimsAFullBufferFails) {
  // The size field says 130000 bytes but no bits follow: bits past the end read as 0,
  // so eight stored bytes would grow into a full buffer.
  const Bytes claim = {0xD0, 0xFB, 0x01, 0x00, 0, 0, 0, 0};
  ContainerSpec design;
  design.Blocks = std::vector<StoredBlockSpec>(4, StoredBlockSpec{claim, {}});
  ExpectOneFailureBox(Load(WriteContainer({}, design)));
}

TEST(LoadFromStream, HeaderFieldsPastTheEndFail) {
  ContainerSpec design;
  design.Version = 16;
  design.Blocks = std::vector<StoredBlockSpec>{};
  const Bytes whole = WithTrailer(WriteContainer({}, design));
  // Every cut inside flag, signature, parameters or block count.
  for (std::size_t size = 0; size < 1 + 21 + 8 + 4; ++size) {
    const Loaded loaded = Load(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)));
    ExpectOneFailureBox(loaded);
    EXPECT_EQ(loaded.scene->reads, 0) << size;
  }
}

TEST(LoadFromStream, AReaderFailureIsReportedOnceAndKeepsWhatWasRead) {
  for (const Failure failure : {Failure::Read, Failure::OutOfMemory}) {
    ContainerSpec design;
    const Loaded loaded = Load(WriteContainer(Pattern(100), design), failure);
    ExpectOneFailureBox(loaded);
    EXPECT_EQ(loaded.scene->reads, 1);
    EXPECT_EQ(loaded.scene->TimerInterval, 1234);
    EXPECT_EQ(loaded.scene->FileVersion, 16);
  }
}

TEST(LoadFromStream, EachLoadStartsWithLoadFailedCleared) {
  RecordingScene scene;
  ScopedRecordingMessageBoxes boxes;
  ContainerSpec bad;
  bad.Signature = "unknown";
  TMemoryStream failing(WriteContainer(Pattern(40), bad));
  LoadFromStream(scene, failing);
  ASSERT_TRUE(scene.LoadFailed);
  TMemoryStream good(WriteContainer(Pattern(40), ContainerSpec{}));
  LoadFromStream(scene, good);
  EXPECT_FALSE(scene.LoadFailed);
  EXPECT_EQ(scene.FileVersion, 16);
  EXPECT_EQ(boxes.boxes().shown.size(), 1U);
}

TEST(LoadFromStream, ReadVersionIsTheNewestAgainWhateverHappened) {
  SetReadVersion(3);  // left over by someone else
  ContainerSpec design;
  design.Version = 7;
  const Loaded ok = Load(WriteContainer(Pattern(100), design));
  EXPECT_EQ(ok.scene->version_seen, 7);
  EXPECT_EQ(ok.version_after, kNewestReadVersion);
  SetReadVersion(3);
  const Loaded failed = Load(WriteContainer(Pattern(100), design), Failure::Read);
  EXPECT_EQ(failed.version_after, kNewestReadVersion);
}

}  // namespace
}  // namespace velquora

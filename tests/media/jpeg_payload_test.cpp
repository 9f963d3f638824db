// Frames whose record carries a JPEG payload (kind 1): the reader decodes it through the
// JPEG adapter into the pending picture and keeps the JPEG bytes.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/memory_stream.h"
#include "jpeg_test_support.h"
#include "media/jpeg_image.h"
#include "playback/frame.h"
#include "scene_file/read_version.h"
#include "scene_file/sprite_reader.h"
#include "sprite_writer.h"

namespace velquora {
namespace {

using jpeg_test::ParseBmp;
using jpeg_test::ReadJpegTestFile;

FrameSpec JpegFrame(std::vector<std::uint8_t> jpeg) {
  FrameSpec frame;
  frame.Animated = true;
  frame.AnimationKind = 1;
  frame.Payload = std::move(jpeg);
  frame.SourceKind = 1;
  return frame;
}

std::vector<std::uint8_t> FrameBytes(const FrameSpec& frame, int version) {
  TMemoryStream stream;
  WriteFrameRecord(stream, frame, version);
  return stream.TakeBytes();
}

TEST(JpegPayload, DecodesIntoThePendingPictureAndKeepsTheBytes) {
  const auto jpeg = ReadJpegTestFile("wuffs/hat.jpeg");
  FrameSpec design = JpegFrame(jpeg);
  design.FileName = "after.jpg";
  TMemoryStream stream(FrameBytes(design, 15));
  ScopedReadVersion version(15);
  TFrame frame;
  ReadFrameRecord(frame, stream);

  EXPECT_EQ(frame.Payload.Bytes(), jpeg);
  const auto oracle = ParseBmp(ReadJpegTestFile("wuffs/hat.jpeg.djpeg.bmp"));
  ASSERT_EQ(frame.PendingPicture->Width(), 90);
  ASSERT_EQ(frame.PendingPicture->Height(), 112);
  for (int y = 0; y < oracle.Height; y += 7) {
    for (int x = 0; x < oracle.Width; x += 5) {
      const std::uint8_t* bgr = oracle.TopDownRow(y) + 3 * x;
      ASSERT_EQ(frame.PendingPicture->GetPixel(x, y), RGB(bgr[2], bgr[1], bgr[0])) << x << "," << y;
    }
  }
  EXPECT_EQ(frame.FileName, "after.jpg");  // the record after the payload is read in step
}

TEST(JpegPayload, UndecodableJpegFailsTheReadAfterSettingTheSizeFromThePicture) {
  auto truncated = ReadJpegTestFile("wuffs/peacock.default.truncated.jpeg");
  TMemoryStream stream(FrameBytes(JpegFrame(truncated), 16));
  ScopedReadVersion version(16);
  TFrame frame;
  frame.PendingPicture = std::make_unique<TBitmap>(7, 5);
  try {
    ReadFrameRecord(frame, stream);
    FAIL() << "no exception";
  } catch (const EJPEGException& error) {
    EXPECT_STREQ(error.what(), "There are warnings");
  }
  EXPECT_EQ(frame.Width, 7);
  EXPECT_EQ(frame.Height, 5);
  EXPECT_EQ(frame.Payload.Bytes(), truncated);
}

}  // namespace
}  // namespace velquora

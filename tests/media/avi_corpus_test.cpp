// The AVI library against the clip corpus in tests/data/avi: stream facts as FACTS.json
// records them, and every picture against the frames FFmpeg's command-line tool wrote
// beside each clip (NNN.bmp holds frame number NNN - 1).
#include "platform/avifile/avi_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "media/avi_image.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/pixel_codec.h"
#include "platform/system/file_stream.h"

namespace velquora {
namespace {

using Json = nlohmann::json;

const std::filesystem::path kAviFolder = std::filesystem::path(VELQUORA_TEST_FILES) / "avi";

Json Facts() {
  std::ifstream in(kAviFolder / "FACTS.json");
  return Json::parse(in);
}

// How a clip's pictures compare with the reference frames.
enum class Match {
  Exact,       // lossless codecs: every pixel equal
  FiveBit,     // 16-bit video: the reference widened 5-bit channels by bit replication
               // ((v << 3) | (v >> 2)); ours by round(v * 255 / 31). Both keep v in the
               // top five bits, so the reference pixel narrows to v and widens our way.
  Tolerance,   // MJPEG: colour conversion and chroma upsampling may differ slightly
};

struct ClipCase {
  const char* Clip;
  const char* Frames;  // reference folder (frame-identical clips share one)
  Match Rule;
  PixelFormat Format;  // what the library delivers
};

const ClipCase kClips[] = {
    {"rawvideo_bgr24.avi", "rawvideo_bgr24.frames", Match::Exact, PixelFormat::Bits24},
    {"rawvideo_bgr24_bottomup.avi", "rawvideo_bgr24.frames", Match::Exact, PixelFormat::Bits24},
    {"rawvideo_bgr24_pcm_s16le.avi", "rawvideo_bgr24.frames", Match::Exact, PixelFormat::Bits24},
    {"rawvideo_pal8.avi", "rawvideo_bgr24.frames", Match::Exact, PixelFormat::Bits8},
    {"msrle_pal8.avi", "rawvideo_bgr24.frames", Match::Exact, PixelFormat::Bits8},
    {"rawvideo_bgr24_15fps.avi", "rawvideo_bgr24_15fps.frames", Match::Exact, PixelFormat::Bits24},
    {"msvideo1_rgb555.avi", "msvideo1_rgb555.frames", Match::FiveBit, PixelFormat::Bits24},
    {"mjpeg.avi", "mjpeg.frames", Match::Tolerance, PixelFormat::Bits24},
};

// Largest difference of one channel allowed for MJPEG pictures.
constexpr int kMjpegTolerance = 2;  // the same FFmpeg gives 0

TBitmap LoadReference(const ClipCase& c, int position) {
  char name[16];
  std::snprintf(name, sizeof name, "%03d.bmp", position + 1);
  TFileStream file(kAviFolder / c.Frames / name, FileMode::OpenRead);
  TBitmap bitmap;
  bitmap.LoadFromStream(file);
  return bitmap;
}

TColor Widen555(TColor reference) {
  auto widen = [](std::uint8_t channel) { return gdi::ExpandChannel(channel >> 3, 5); };
  return RGB(widen(GetRValue(reference)), widen(GetGValue(reference)), widen(GetBValue(reference)));
}

// The largest channel difference between the picture and the reference.
int LargestDifference(const TBitmap& picture, const TBitmap& reference, Match rule) {
  int largest = 0;
  for (int y = 0; y < reference.Height(); ++y) {
    for (int x = 0; x < reference.Width(); ++x) {
      const TColor got = picture.GetPixel(x, y);
      TColor want = reference.GetPixel(x, y);
      if (rule == Match::FiveBit) want = Widen555(want);
      for (int shift : {0, 8, 16}) {
        const int d = std::abs(static_cast<int>((got >> shift) & 0xFF) - static_cast<int>((want >> shift) & 0xFF));
        largest = std::max(largest, d);
      }
    }
  }
  return largest;
}

class AviCorpus : public testing::TestWithParam<ClipCase> {};

TEST_P(AviCorpus, StreamFactsAreTheHeadersOnes) {
  const ClipCase& c = GetParam();
  const Json facts = Facts()[c.Clip];
  avifile::TAviFile file(kAviFolder / c.Clip);
  ASSERT_EQ(file.StreamCount(), static_cast<int>(facts["streams"].size()));
  for (int i = 0; i < file.StreamCount(); ++i) {
    const Json& stream = facts["streams"][static_cast<std::size_t>(i)];
    const avifile::TAviStreamInfo info = file.StreamInfo(i);
    const std::string type = stream["type"];
    EXPECT_EQ(info.Type, avifile::FourCC(type[0], type[1], type[2], type[3])) << i;
    EXPECT_EQ(info.Rate, stream["rate"].get<std::uint32_t>()) << i;
    EXPECT_EQ(info.Scale, stream["scale"].get<std::uint32_t>()) << i;
    EXPECT_EQ(info.Start, 0) << i;
    EXPECT_EQ(info.Length, stream["length"].get<std::int32_t>()) << i;
  }
}

TEST_P(AviCorpus, EveryPictureIsTheReferenceFrame) {
  const ClipCase& c = GetParam();
  const int count = Facts()[c.Clip]["decoded_frames"]["count"];
  avifile::TAviFile file(kAviFolder / c.Clip);
  auto reader = file.OpenFrameReader(0);
  for (int position = 0; position < count; ++position) {
    TBitmap picture;
    LoadPackedDib(reader->GetFrame(position), picture);
    EXPECT_EQ(reader->LastDecodeCount(), 1) << "playing on costs one decode, frame " << position;
    const TBitmap reference = LoadReference(c, position);
    ASSERT_EQ(picture.Width(), reference.Width());
    ASSERT_EQ(picture.Height(), reference.Height());
    EXPECT_EQ(picture.Format(), c.Format);
    const int difference = LargestDifference(picture, reference, c.Rule);
    EXPECT_LE(difference, c.Rule == Match::Tolerance ? kMjpegTolerance : 0) << c.Clip << " frame " << position;
  }
}

TEST_P(AviCorpus, PicturesAskedBackwardsAreTheSame) {
  const ClipCase& c = GetParam();
  avifile::TAviFile file(kAviFolder / c.Clip);
  auto forwards = file.OpenFrameReader(0);
  std::vector<TBitmap> expected(12);
  for (int position = 0; position < 12; ++position) LoadPackedDib(forwards->GetFrame(position), expected[position]);
  avifile::TAviFile again(kAviFolder / c.Clip);
  auto backwards = again.OpenFrameReader(0);
  for (int position = 11; position >= 0; --position) {
    TBitmap picture;
    LoadPackedDib(backwards->GetFrame(position), picture);
    EXPECT_EQ(picture, expected[position]) << c.Clip << " frame " << position;
  }
}

INSTANTIATE_TEST_SUITE_P(Clips, AviCorpus, testing::ValuesIn(kClips), [](const testing::TestParamInfo<ClipCase>& param_info) {
  std::string name = param_info.param.Clip;
  name = name.substr(0, name.find('.'));
  for (char& ch : name) if (ch == '_') ch = 'X';
  return name;
});

TEST(AviRandomAccess, DecodesFromTheKeyFrameBeforeTheTarget) {
  // One key frame (frame 0) in twelve run-length pictures.
  avifile::TAviFile file(kAviFolder / "msrle_pal8.avi");
  auto reader = file.OpenFrameReader(0);
  reader->GetFrame(7);
  EXPECT_EQ(reader->LastDecodeCount(), 8);
  reader->GetFrame(7);
  EXPECT_EQ(reader->LastDecodeCount(), 0) << "the same picture again is kept";
  reader->GetFrame(9);
  EXPECT_EQ(reader->LastDecodeCount(), 2) << "on from the last picture";
  reader->GetFrame(3);
  EXPECT_EQ(reader->LastDecodeCount(), 4) << "back to the key frame";
}

TEST(AviRandomAccess, AllKeyFramesCostOneDecodeAnywhere) {
  avifile::TAviFile file(kAviFolder / "rawvideo_bgr24.avi");
  auto reader = file.OpenFrameReader(0);
  for (int position : {9, 2, 11, 0, 5}) {
    reader->GetFrame(position);
    EXPECT_EQ(reader->LastDecodeCount(), 1) << position;
  }
}

TEST(AviRandomAccess, AFrameBeyondTheClipFails) {
  avifile::TAviFile file(kAviFolder / "rawvideo_bgr24.avi");
  auto reader = file.OpenFrameReader(0);
  EXPECT_THROW(reader->GetFrame(12), avifile::EAviError);
  TBitmap picture;
  LoadPackedDib(reader->GetFrame(4), picture);
  EXPECT_EQ(picture, LoadReference(kClips[0], 4)) << "a failed request leaves the reader usable";
}

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes bytes to a file of the test's own that is removed with the object.
struct ScratchClip {
  explicit ScratchClip(const std::vector<std::uint8_t>& bytes)
      : Path(std::filesystem::temp_directory_path() /
             ("avi_scratch_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".avi")) {
    std::ofstream out(Path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  ~ScratchClip() { std::filesystem::remove(Path); }
  std::filesystem::path Path;
};

void PutLe32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

TEST(AviHostileClips, AClipClaimingAHugePictureIsRefusedBeforeDecoding) {
  std::vector<std::uint8_t> bytes = ReadAll(kAviFolder / "rawvideo_bgr24.avi");
  const std::string marker = "strf";
  const auto at = std::search(bytes.begin(), bytes.end(), marker.begin(), marker.end());
  ASSERT_NE(at, bytes.end());
  const auto header = static_cast<std::size_t>(at - bytes.begin()) + 8;  // after "strf" and its size
  PutLe32(bytes, header + 4, 100000);  // biWidth
  PutLe32(bytes, header + 8, 100000);  // biHeight
  const ScratchClip clip(bytes);
  avifile::TAviFile file(clip.Path);
  EXPECT_THROW(file.OpenFrameReader(0), avifile::EAviError);
}

TEST(AviHostileClips, ANonAviFileIsRefused) {
  const ScratchClip clip(ReadAll(kAviFolder / "mjpeg.frames" / "001.bmp"));
  EXPECT_THROW(avifile::TAviFile file(clip.Path), avifile::EAviError);
}

TEST(AviLibrary, TheSeamTurnsTheLibraryOff) {
  EXPECT_TRUE(avifile::AviLibraryPresent());
  {
    avifile::ScopedAviLibraryAbsent absent;
    EXPECT_FALSE(avifile::AviLibraryPresent());
  }
  EXPECT_TRUE(avifile::AviLibraryPresent());
}

}  // namespace
}  // namespace velquora

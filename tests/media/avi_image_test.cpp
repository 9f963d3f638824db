// A clip that arrives inside the scene file: its temporary files, its pictures, the
// wrapped flag, and the one-time sound start through an attached player.
#include "media/avi_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/memory_stream.h"
#include "media/media_player.h"
#include "media/min_gdi_bitmap.h"
#include "platform/system/file_stream.h"
#include "platform/system/temp_files.h"
#include "platform/system/tick_count.h"
#include "scoped_temp_dir.h"

namespace velquora {
namespace {

namespace fs = std::filesystem;

const fs::path kAviFolder = fs::path(VELQUORA_TEST_FILES) / "avi";

std::vector<std::uint8_t> FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The clip's stream form (name, length, bytes) followed by a sentinel byte.
std::vector<std::uint8_t> ClipFormBytes(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  TMemoryStream stream;
  WriteShortString(stream, name);
  WriteInt32(stream, static_cast<std::int32_t>(bytes.size()));
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), bytes.size());
  WriteByte(stream, 0xA5);
  return stream.Bytes();
}

std::string Marked(std::uint32_t ticks, const std::string& suffix) {
  return std::to_string(ticks) + TemporaryFileMarker() + suffix;
}

// A media player whose commands are recorded: opens with their file, plays and stops.
struct RecordingPlayer {
  std::vector<std::string> Calls;
  TMediaPlayer Player{[this](mci::DeviceId, std::uint32_t message, std::uint32_t, void* parms) -> mci::Result {
    if (message == mci::MCI_OPEN) {
      auto& open = *static_cast<mci::OpenParms*>(parms);
      Calls.push_back("open " + open.ElementName);
      open.DeviceID = 1;
    } else if (message == mci::MCI_PLAY) {
      Calls.push_back("play");
    } else if (message == mci::MCI_STOP) {
      Calls.push_back("stop");
    }
    return 0;
  }};
};

class AviImage : public testing::Test {
protected:
  ScopedTemporaryDirectory temp{"avi_image_test"};
  ScopedVirtualClock clock;
};

TEST_F(AviImage, WithoutTheLibraryTheConstructorSaysSo) {
  avifile::ScopedAviLibraryAbsent absent;
  try {
    TAVIImage avi;
    FAIL() << "constructed without the library";
  } catch (const EAVIException& e) {
    EXPECT_STREQ(e.what(), "The Windows AVI library has not found. Please check the file avifil32.dll.");
  }
}

TEST_F(AviImage, TheClipIsWrittenToAMarkedFileNamedFromTheTickCountAndDeletedOnClose) {
  clock.Set(1234);
  TMemoryStream stream(ClipFormBytes("C:\\clips\\fish.avi", FileBytes(kAviFolder / "rawvideo_bgr24.avi")));
  {
    TAVIImage avi;
    avi.LoadFromStream(stream);
    EXPECT_TRUE(avi.HasClip());
    EXPECT_EQ(temp.Names(), std::vector<std::string>{Marked(1234, "fish.avi")});
    EXPECT_EQ(FileBytes(temp.Path() / Marked(1234, "fish.avi")), FileBytes(kAviFolder / "rawvideo_bgr24.avi"));
    EXPECT_EQ(ReadByte(stream), 0xA5);
    EXPECT_EQ(avi.FirstFrame, 0);
    EXPECT_EQ(avi.FrameCount, 12);
    EXPECT_EQ(avi.Rate, 10);
    EXPECT_EQ(avi.CurrentFrame, 0);
    EXPECT_TRUE(avi.SoundFileName.empty()) << "a clip without audio makes no sound copy";
  }
  EXPECT_TRUE(temp.Names().empty());
}

TEST_F(AviImage, ATakenNameMovesOnToTheNextTickCountOnce) {
  clock.Set(7);
  std::ofstream(temp.Path() / Marked(7, "a.avi")) << "someone else's";
  TMemoryStream stream(ClipFormBytes("a.avi", FileBytes(kAviFolder / "mjpeg.avi")));
  TAVIImage avi;
  avi.LoadFromStream(stream);
  EXPECT_TRUE(avi.HasClip());
  EXPECT_EQ(avi.ClipFileName().filename().string(), Marked(8, "a.avi"));
  std::ofstream(temp.Path() / Marked(7, "b.avi")) << "taken";
  std::ofstream(temp.Path() / Marked(8, "b.avi")) << "taken";
  TMemoryStream second(ClipFormBytes("b.avi", FileBytes(kAviFolder / "mjpeg.avi")));
  TAVIImage without;
  without.LoadFromStream(second);
  EXPECT_FALSE(without.HasClip());
  EXPECT_EQ(ReadByte(second), 0xA5) << "the stream stays aligned";
  EXPECT_EQ(FileBytes(temp.Path() / Marked(7, "b.avi")).size(), 5u) << "other files are never replaced";
}

TEST_F(AviImage, AZeroLengthPayloadWritesNothing) {
  TMemoryStream stream(ClipFormBytes("empty.avi", {}));
  TAVIImage avi;
  avi.LoadFromStream(stream);
  EXPECT_FALSE(avi.HasClip());
  EXPECT_TRUE(temp.Names().empty());
  EXPECT_EQ(ReadByte(stream), 0xA5);
  TBitmap picture;
  EXPECT_FALSE(avi.GetFrame(1, picture));
}

TEST_F(AviImage, ADamagedClipLeavesNoClipAndNoFile) {
  std::vector<std::uint8_t> bytes = FileBytes(kAviFolder / "rawvideo_bgr24.avi");
  bytes.resize(200);
  TMemoryStream stream(ClipFormBytes("bad.avi", bytes));
  {
    TAVIImage avi;
    avi.LoadFromStream(stream);
    EXPECT_FALSE(avi.HasClip());
    EXPECT_EQ(ReadByte(stream), 0xA5);
  }
  EXPECT_TRUE(temp.Names().empty());
}

TEST_F(AviImage, AClipCutShortInTheStreamLeavesNoPartialFile) {
  TMemoryStream stream;
  WriteShortString(stream, "cut.avi");
  WriteInt32(stream, 5000);
  const std::vector<std::uint8_t> some(100, 1);
  stream.WriteBuffer(some.data(), some.size());
  stream.SetPosition(0);
  TAVIImage avi;
  avi.LoadFromStream(stream);
  EXPECT_FALSE(avi.HasClip());
  EXPECT_TRUE(temp.Names().empty());
  EXPECT_EQ(stream.Position(), 1 + 7 + 4 + 5000) << "positioned after the claimed bytes";
}

TEST_F(AviImage, AClipWithSoundGetsAMarkedSoundCopyThatCloseDeletes) {
  clock.Set(40);
  const std::vector<std::uint8_t> bytes = FileBytes(kAviFolder / "rawvideo_bgr24_pcm_s16le.avi");
  TMemoryStream stream(ClipFormBytes("tone.avi", bytes));
  {
    TAVIImage avi;
    avi.LoadFromStream(stream);
    EXPECT_EQ(avi.AudioStreamCount, 1);
    EXPECT_EQ(temp.Names(), (std::vector<std::string>{Marked(40, ".avi"), Marked(40, "tone.avi")}));
    EXPECT_EQ(avi.SoundFileName, (temp.Path() / Marked(40, ".avi")).string());
    EXPECT_EQ(FileBytes(temp.Path() / Marked(40, ".avi")), bytes);
  }
  EXPECT_TRUE(temp.Names().empty());
}

TEST_F(AviImage, TwoSoundClipsInTheSameMillisecondKeepTheirOwnCopies) {
  const std::vector<std::uint8_t> bytes = FileBytes(kAviFolder / "rawvideo_bgr24_pcm_s16le.avi");
  TMemoryStream first_form(ClipFormBytes("one.avi", bytes));
  TMemoryStream second_form(ClipFormBytes("two.avi", bytes));
  TAVIImage first;
  first.LoadFromStream(first_form);
  {
    TAVIImage second;
    second.LoadFromStream(second_form);
    EXPECT_NE(first.SoundFileName, second.SoundFileName);
  }
  EXPECT_TRUE(fs::exists(first.SoundFileName)) << "closing one clip leaves the other's copy";
}

TEST_F(AviImage, PastTheLastPictureComesPictureOneAndTheWrappedFlagOnce) {
  TMemoryStream stream(ClipFormBytes("w.avi", FileBytes(kAviFolder / "rawvideo_bgr24.avi")));
  TAVIImage avi;
  avi.LoadFromStream(stream);
  TBitmap one;
  TBitmap picture;
  ASSERT_TRUE(avi.GetFrame(1, one));
  EXPECT_FALSE(avi.Wrapped());
  ASSERT_TRUE(avi.GetFrame(11, picture));
  EXPECT_EQ(avi.CurrentFrame, 11);
  EXPECT_FALSE(avi.Wrapped());
  ASSERT_TRUE(avi.NextFrame(picture));
  EXPECT_EQ(avi.CurrentFrame, 1);
  EXPECT_EQ(picture, one);
  EXPECT_TRUE(avi.Wrapped());
  EXPECT_FALSE(avi.Wrapped()) << "the query clears the flag";
  ASSERT_TRUE(avi.GetFrame(-5, picture));
  EXPECT_EQ(avi.CurrentFrame, 0) << "before the start comes the start";
}

TEST_F(AviImage, PicturesAreThoseOfTheLibraryWithTheirHeaderKept) {
  TMemoryStream stream(ClipFormBytes("p.avi", FileBytes(kAviFolder / "rawvideo_pal8.avi")));
  TAVIImage avi;
  avi.LoadFromStream(stream);
  TMinGDIBitmap picture;
  ASSERT_TRUE(avi.GetFrame(3, picture));
  avifile::TAviFile file(kAviFolder / "rawvideo_pal8.avi");
  const auto reader = file.OpenFrameReader(0);  // the picture lives in the reader
  const std::span<const std::uint8_t> dib = reader->GetFrame(3);
  TBitmap expected;
  LoadPackedDib(dib, expected);
  EXPECT_EQ(static_cast<const TBitmap&>(picture), expected);
  EXPECT_EQ(picture.Format(), PixelFormat::Bits8);
  EXPECT_TRUE(std::equal(avi.FormatBuffer.begin(), avi.FormatBuffer.begin() + 40 + 1024, dib.begin()));
}

TEST_F(AviImage, AskedWhilePictureOneShowsTheClockRestartsAndTheSoundStartsOnce) {
  TMemoryStream stream(ClipFormBytes("tone.avi", FileBytes(kAviFolder / "rawvideo_bgr24_pcm_s16le.avi")));
  TAVIImage avi;
  avi.LoadFromStream(stream);
  RecordingPlayer player;
  avi.Player = &player.Player;
  TBitmap picture;
  clock.Set(100);
  avi.GetFrame(1, picture);  // current 0: not a start
  EXPECT_TRUE(player.Calls.empty());
  EXPECT_EQ(avi.StartTime, 0u);
  clock.Set(250);
  avi.GetFrame(2, picture);  // current 1: the clip starts
  EXPECT_EQ(avi.StartTime, 250u);
  EXPECT_EQ(player.Calls, (std::vector<std::string>{"open " + avi.SoundFileName, "play"}));
  EXPECT_EQ(player.Player.FileName, avi.SoundFileName);
  EXPECT_EQ(avi.Player, nullptr) << "the player is detached after one start";
  avi.GetFrame(1, picture);
  clock.Set(300);
  avi.GetFrame(1, picture);  // starts again, but no player is attached any more
  EXPECT_EQ(avi.StartTime, 300u);
  EXPECT_EQ(player.Calls.size(), 2u);
}

TEST_F(AviImage, AStartWithoutSoundLeavesThePlayerAlone) {
  TMemoryStream stream(ClipFormBytes("mute.avi", FileBytes(kAviFolder / "rawvideo_bgr24.avi")));
  TAVIImage avi;
  avi.LoadFromStream(stream);
  TBitmap picture;
  avi.GetFrame(1, picture);
  RecordingPlayer player;
  avi.Player = &player.Player;
  avi.GetFrame(2, picture);
  EXPECT_TRUE(player.Calls.empty()) << "no open of an empty name, which would silence the playlist";
  EXPECT_EQ(avi.Player, nullptr);
}

}  // namespace
}  // namespace velquora

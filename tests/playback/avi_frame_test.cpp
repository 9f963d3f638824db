// AVI frames during playback: the picture due by the clip's clock at each Step, the loop
// of a single-frame sprite, the move to the sprite's next frame when a clip wraps, and
// Restart. Time is the virtual clock: k x TimerInterval during Step k.
#include "playback/avi_frame.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "core/memory_stream.h"
#include "media/media_player.h"
#include "platform/mci/mci.h"
#include "playback/frame.h"
#include "playback/moving.h"
#include "playback/scene.h"
#include "playback/sprite.h"
#include "playback/start_and_finish.h"
#include "platform/system/tick_count.h"
#include "scene_builder.h"
#include "scene_file/read_version.h"
#include "scene_file/sprite_reader.h"
#include "scoped_temp_dir.h"
#include "sprite_writer.h"

namespace velquora {
namespace {

namespace fs = std::filesystem;

const fs::path kAviFolder = fs::path(VELQUORA_TEST_FILES) / "avi";

std::vector<std::uint8_t> FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Reads a frame record carrying the clip, as the sprite reader does during a load.
TFrame& AddClipFrame(TSprite& sprite, const std::string& clip) {
  FrameSpec design;
  design.Animated = true;
  design.AnimationKind = static_cast<std::int32_t>(TPayloadKind::Avi);
  design.AviClipName = clip;
  design.AviBytes = FileBytes(kAviFolder / clip);
  design.Width = 64;  // the stored natural size, as a designer saves it
  design.Height = 48;
  TMemoryStream record;
  WriteFrameRecord(record, design, kNewestReadVersion);
  record.SetPosition(0);
  ScopedReadVersion version(kNewestReadVersion);
  TFrame& frame = sprite.AddFrame();
  ReadFrameRecord(frame, record);
  return frame;
}

// The clip's pictures, to tell which one a frame shows.
std::vector<TBitmap> ClipPictures(const std::string& clip) {
  avifile::TAviFile file(kAviFolder / clip);
  auto reader = file.OpenFrameReader(0);
  std::vector<TBitmap> pictures(12);
  for (int n = 0; n < 12; ++n) LoadPackedDib(reader->GetFrame(n), pictures[static_cast<std::size_t>(n)]);
  return pictures;
}

class AviFrame : public testing::Test {
protected:
  AviFrame() : sprite(scene.AddSprite()) { scene.TimerInterval = 50; }

  ScopedTemporaryDirectory temp{"avi_frame_test"};
  ScopedVirtualClock clock;
  TVelquoraScene scene;
  TSprite& sprite;
};

struct DueCase {
  std::uint32_t Elapsed;
  std::int32_t Rate;
  std::int64_t Due;
};

TEST(AviFrameDue, RoundsElapsedPeriodsToEven) {
  const DueCase cases[] = {{0, 10, 0},   {49, 10, 0},  {50, 10, 0},  {51, 10, 1},   {150, 10, 2},
                           {250, 10, 2}, {350, 10, 4}, {1150, 10, 12}, {40, 25, 1}, {20, 25, 0},
                           {60, 25, 2},  {0xFFFFFFFFu, 1, 4294967}};
  for (const DueCase& c : cases) EXPECT_EQ(AviFrameDue(c.Elapsed, c.Rate), c.Due) << c.Elapsed << " ms at " << c.Rate;
}

TEST_F(AviFrame, TheReaderShowsPictureOneWithoutStartingTheClip) {
  TFrame& frame = AddClipFrame(sprite, "rawvideo_bgr24.avi");
  TAVIImage* avi = frame.AviAnimation();
  ASSERT_NE(avi, nullptr);
  EXPECT_EQ(avi->CurrentFrame, 1);
  EXPECT_EQ(*frame.PendingPicture, ClipPictures("rawvideo_bgr24.avi")[1]);
  EXPECT_EQ(frame.Width, 64);
  EXPECT_EQ(frame.Height, 48);
}

TEST_F(AviFrame, EachStepShowsThePictureDueByTheClipsClock) {
  // 10 pictures per second at one Step per 50 ms. Restart shows picture 1 and starts the
  // clock at 0; Step 1 takes the next picture while picture 1 shows, which restarts the
  // clock at 50. From then n = round((t - 50) / 100): while n <= 1 the next picture comes
  // (2, 3, 4), after that picture n, so picture 2 comes back at Step 4. n = 12 at Step 24
  // lies past the last picture (11): picture 1 and the wrap; Step 25 asks again while 1
  // shows, restarting the clock at 1250, and the clip plays on from picture 2.
  sprite.Moving().AbsoluteCoords = true;
  sprite.Moving().AddStep(HoldAt({0, 0}), &sprite);
  TFrame& frame = AddClipFrame(sprite, "rawvideo_bgr24.avi");
  PrepareScene(scene, 80, 60, RGB(0, 0, 0));
  TBitmap target = SolidPicture(80, 60, RGB(9, 9, 9));
  scene.TargetBitmap = &target;
  scene.Restart();
  TAVIImage& avi = *frame.AviAnimation();
  EXPECT_EQ(avi.StartTime, 0u);

  const std::vector<int> expected = {2, 3, 4, 2, 2, 2, 3, 4, 4, 4, 5, 6, 6, 6, 7,
                                     8, 8, 8, 9, 10, 10, 10, 11, 1, 1, 2, 3, 4, 2, 2};
  const std::vector<TBitmap> pictures = ClipPictures("rawvideo_bgr24.avi");
  for (std::size_t step = 0; step < expected.size(); ++step) {
    clock.Set(static_cast<std::uint32_t>(50 * (step + 1)));
    scene.Step();
    ASSERT_EQ(avi.CurrentFrame, expected[step]) << "Step " << step + 1;
    const TBitmap& shown = pictures[static_cast<std::size_t>(expected[step])];
    EXPECT_EQ(target.GetPixel(20, 30), shown.GetPixel(20, 30)) << "Step " << step + 1;
    EXPECT_EQ(target.GetPixel(63, 47), shown.GetPixel(63, 47)) << "Step " << step + 1;
    EXPECT_EQ(target.GetPixel(70, 50), RGB(0, 0, 0)) << "background outside the clip";
  }
  EXPECT_EQ(avi.StartTime, 1300u);
}

TEST_F(AviFrame, APictureAlreadyDueLeavesChangedOff) {
  TFrame& frame = AddClipFrame(sprite, "rawvideo_bgr24.avi");
  TAVIImage& avi = *frame.AviAnimation();
  frame.Prepare(5);
  EXPECT_TRUE(frame.Changed);
  EXPECT_EQ(avi.CurrentFrame, 5);
  avi.StartTime = 0;
  clock.Set(500);  // n = 5
  frame.Prepare(-1);
  EXPECT_FALSE(frame.Changed);
  EXPECT_EQ(frame.Picture.Format(), PixelFormat::Bits24);
}

TEST_F(AviFrame, PastTheEndASingleFrameSpriteLoopsAndRestartsTheClock) {
  TFrame& frame = AddClipFrame(sprite, "rawvideo_bgr24.avi");
  TAVIImage& avi = *frame.AviAnimation();
  frame.Prepare(5);
  clock.Set(5000);  // far past picture 11
  frame.Prepare(-1);
  EXPECT_EQ(avi.CurrentFrame, 1) << "a single-frame sprite loops its clip";
  EXPECT_FALSE(frame.Changed);
  EXPECT_TRUE(avi.Wrapped());
  clock.Set(5050);
  frame.Prepare(-1);  // still past the end, now with picture 1 showing: the clip restarts
  EXPECT_EQ(avi.StartTime, 5050u);
  EXPECT_EQ(avi.CurrentFrame, 1);
  clock.Set(5100);
  frame.Prepare(-1);
  EXPECT_EQ(avi.CurrentFrame, 2);
  EXPECT_TRUE(frame.Changed);
}

TEST_F(AviFrame, PastTheEndASpriteWithMoreFramesMovesOnAndRewindsTheNextClip) {
  TFrame& first = AddClipFrame(sprite, "rawvideo_bgr24.avi");
  TFrame& second = AddClipFrame(sprite, "mjpeg.avi");
  second.Prepare(7);
  first.Prepare(5);
  clock.Set(5000);
  first.Prepare(-1);
  EXPECT_EQ(first.AviAnimation()->CurrentFrame, 5) << "the clip waits for the sprite to move on";
  ASSERT_TRUE(sprite.AdvanceFrame());
  EXPECT_EQ(sprite.GetFrameIndex(), 1);
  EXPECT_EQ(second.AviAnimation()->CurrentFrame, 1) << "the next clip starts from picture 1";
  EXPECT_EQ(static_cast<const TBitmap&>(second.Picture), ClipPictures("mjpeg.avi")[1]);
  EXPECT_FALSE(sprite.AdvanceFrame()) << "the wrap moves the sprite on once";
}

TEST_F(AviFrame, AStillFrameThatEndsRewindsTheClipAfterIt) {
  TFrame& still = sprite.AddFrame();
  still.Duration = 1;
  TFrame& clip = AddClipFrame(sprite, "rawvideo_bgr24.avi");
  clip.Prepare(9);
  EXPECT_FALSE(sprite.AdvanceFrame());
  EXPECT_EQ(sprite.GetFrameIndex(), 1);
  EXPECT_EQ(clip.AviAnimation()->CurrentFrame, 1);
}

TEST_F(AviFrame, RestartRewindsToPictureOneAndDropsThePlayer) {
  TFrame& frame = AddClipFrame(sprite, "rawvideo_bgr24_pcm_s16le.avi");
  TAVIImage& avi = *frame.AviAnimation();
  frame.Prepare(1);
  frame.Prepare(6);
  avi.Player = scene.Player.get();
  clock.Set(777);
  scene.Restart();
  EXPECT_EQ(avi.CurrentFrame, 1);
  EXPECT_EQ(avi.Player, nullptr);
  EXPECT_TRUE(scene.Player->FileName.empty()) << "no sound at restart";
  EXPECT_EQ(static_cast<const TBitmap&>(frame.Picture), ClipPictures("rawvideo_bgr24.avi")[1]);
}

// The scene's player on the silent devices, which keep modes and positions by the clock.
class AviSound : public AviFrame {
protected:
  AviSound() {
    mci::SetBackend(mci::Backend::Silent);
    sprite.Moving().AbsoluteCoords = true;
    sprite.Moving().AddStep(HoldAt({0, 0}), &sprite);
    PrepareScene(scene, 80, 60, RGB(0, 0, 0));
    scene.TargetBitmap = &target;
  }
  ~AviSound() override { mci::SetBackend(previous_); }

  void StepAt(std::uint32_t ms) {
    clock.Set(ms);
    scene.Step();
  }

  TBitmap target = SolidPicture(80, 60, RGB(9, 9, 9));

private:
  mci::Backend previous_ = mci::CurrentBackend();
};

TEST_F(AviSound, TheClipsSoundCopyPlaysOncePerStart) {
  TFrame& frame = AddClipFrame(sprite, "rawvideo_bgr24_pcm_s16le.avi");
  TAVIImage& avi = *frame.AviAnimation();
  ASSERT_FALSE(avi.SoundFileName.empty());
  scene.Restart();
  EXPECT_TRUE(scene.Player->FileName.empty());
  StepAt(50);  // the next picture while picture 1 shows: the clip starts, with sound
  EXPECT_EQ(scene.Player->FileName, avi.SoundFileName);
  EXPECT_EQ(scene.Player->GetMode(), kModePlaying);
  EXPECT_FALSE(scene.Player->Failed);
  const mci::DeviceId device = scene.Player->DeviceID;
  for (std::uint32_t ms = 100; ms <= 1200; ms += 50) StepAt(ms);
  EXPECT_EQ(scene.Player->DeviceID, device) << "no second start while the clip plays on";
  StepAt(1250);  // picture 1 again after the wrap: the clip and its sound start again
  EXPECT_NE(scene.Player->DeviceID, device);
  EXPECT_EQ(scene.Player->FileName, avi.SoundFileName);
}

TEST_F(AviSound, AClipWithoutSoundLeavesThePlayerAlone) {
  AddClipFrame(sprite, "rawvideo_bgr24.avi");
  scene.Restart();
  for (std::uint32_t ms = 50; ms <= 300; ms += 50) StepAt(ms);
  EXPECT_TRUE(scene.Player->FileName.empty());
  EXPECT_FALSE(scene.Player->IsOpen);
  EXPECT_FALSE(scene.Player->Failed);
}

TEST_F(AviSound, WithoutSoundEnabledNoClipGetsThePlayer) {
  TFrame& frame = AddClipFrame(sprite, "rawvideo_bgr24_pcm_s16le.avi");
  scene.SoundEnabled = false;
  scene.Restart();
  StepAt(50);
  EXPECT_EQ(frame.AviAnimation()->Player, nullptr);
  EXPECT_FALSE(scene.Player->IsOpen);
}

TEST_F(AviSound, ASpriteThatHidesStopsItsClipsSound) {
  TStartAndFinish& window = sprite.AddStartFinish();
  window.StartTick = 1;
  window.FinishTick = 3;
  TFrame& frame = AddClipFrame(sprite, "rawvideo_bgr24_pcm_s16le.avi");
  TAVIImage& avi = *frame.AviAnimation();
  scene.Restart();
  StepAt(50);
  ASSERT_EQ(scene.Player->GetMode(), kModePlaying);
  for (std::uint32_t ms = 100; ms <= 300; ms += 50) StepAt(ms);
  ASSERT_TRUE(sprite.Hidden);
  EXPECT_EQ(scene.Player->GetMode(), kModeStopped);
  EXPECT_EQ(avi.Player, nullptr);
}

TEST_F(AviFrame, AFrameWithoutAClipStaysEmpty) {
  FrameSpec design;
  design.Animated = true;
  design.AnimationKind = static_cast<std::int32_t>(TPayloadKind::Avi);
  design.AviClipName = "broken.avi";
  design.AviBytes = {'R', 'I', 'F', 'F', 1, 2, 3};
  TMemoryStream record;
  WriteFrameRecord(record, design, kNewestReadVersion);
  record.SetPosition(0);
  ScopedReadVersion version(kNewestReadVersion);
  TFrame& frame = sprite.AddFrame();
  ReadFrameRecord(frame, record);
  ASSERT_NE(frame.AviAnimation(), nullptr);
  EXPECT_FALSE(frame.AviAnimation()->HasClip());
  EXPECT_TRUE(frame.PendingPicture->Empty());
  frame.Prepare(-1);
  EXPECT_TRUE(temp.Names().empty());
}

TEST_F(AviFrame, ClipFilesGoWithTheScene) {
  {
    TVelquoraScene other;
    TSprite& owner = other.AddSprite();
    AddClipFrame(owner, "rawvideo_bgr24_pcm_s16le.avi");
    AddClipFrame(owner, "mjpeg.avi");
    EXPECT_EQ(temp.Names().size(), 3u) << "two clips and one sound copy";
  }
  EXPECT_TRUE(temp.Names().empty());
}

}  // namespace
}  // namespace velquora

// The scene's sound: Step runs the playlist on the scene's player while sound is on,
// a fault there ends only the audio of that tick, and the scene lets go of its player's
// device before its audio files delete their copies.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "media/media_player.h"
#include "playback/moving.h"
#include "playback/scene.h"
#include "playback/sprite.h"
#include "scene_builder.h"
#include "scripted_mci.h"

namespace velquora {
namespace {

class SceneAudio : public ::testing::Test {
protected:
  SceneAudio() {
    mci.files = {{"music.wav", 3}};
    auto file = std::make_unique<TAudioFile>();
    file->FileName = "music.wav";
    scene->AudioFiles.push_back(std::move(file));
    scene->Player = std::make_unique<TMediaPlayer>(mci.Sender());
    PrepareScene(*scene, 40, 30, RGB(10, 20, 30));
    scene->TargetBitmap = &target;
  }

  void Steps(int count) {
    for (int i = 0; i < count; ++i) {
      ++mci.now;
      scene->Step();
    }
  }

  ScriptedMci mci;  // outlives the scene's player
  std::unique_ptr<TVelquoraScene> scene = std::make_unique<TVelquoraScene>();
  TBitmap target{40, 30};
};

TEST_F(SceneAudio, StepStartsThePlaylistAtTheFourthTickOfTheCycle) {
  Steps(3);
  EXPECT_EQ(mci.Count(mci::MCI_OPEN), 0);
  Steps(1);
  EXPECT_EQ(mci.Playing(), "music.wav");
  EXPECT_EQ(scene->CurrentAudioIndex, 0);  // one entry: past it and wrapped
}

TEST_F(SceneAudio, WithSoundOffTheStepSendsNoMediaCommandAtAll) {
  scene->SoundEnabled = false;
  Steps(10);
  EXPECT_TRUE(mci.log.empty());
}

TEST_F(SceneAudio, AnEmptyPlayerSlotSkipsTheAudio) {
  scene->Player.reset();
  Steps(10);
  EXPECT_EQ(scene->StepCount, 10);
}

TEST_F(SceneAudio, AFaultInTheAudioEndsOnlyTheAudioOfThatTick) {
  TSprite& sprite = AddSprite(*scene, SolidPicture(4, 4, RGB(255, 0, 0)), LineFrom({0, 0}, {30, 0}, 1));
  scene->Prepare();
  mci.raise.insert(mci::MCI_STATUS);  // the playlist's first question raises
  Steps(5);
  EXPECT_EQ(scene->StepCount, 5);
  EXPECT_GT(sprite.Moving().PosX, 0);
  EXPECT_FALSE(scene->InStep);
  EXPECT_FALSE(scene->Player->Failed);  // nothing was started, so nothing failed
  mci.raise.clear();
  Steps(1);
  EXPECT_EQ(mci.Playing(), "music.wav");
}

TEST_F(SceneAudio, DestroyingTheSceneClosesThePlayerBeforeItsCopiesAreDeleted) {
  const std::filesystem::path copy = std::filesystem::temp_directory_path() / "scene_audio_test_copy.wav";
  std::ofstream(copy) << "RIFF";
  scene->AudioFiles.front()->AdoptTempCopy(copy);
  bool copy_there_at_close = false;
  int closes = 0;
  scene->Player = std::make_unique<TMediaPlayer>(
      [&](mci::DeviceId device, std::uint32_t message, std::uint32_t flags, void* parms) {
        if (message == mci::MCI_CLOSE) {
          copy_there_at_close = std::filesystem::exists(copy);
          ++closes;
        }
        return mci.Send(device, message, flags, parms);
      });
  Steps(4);
  ASSERT_EQ(mci.OpenDevices(), 1u);
  scene.reset();
  EXPECT_EQ(closes, 1);
  EXPECT_TRUE(copy_there_at_close);
  EXPECT_EQ(mci.OpenDevices(), 0u);
  EXPECT_FALSE(std::filesystem::exists(copy));
}

}  // namespace
}  // namespace velquora

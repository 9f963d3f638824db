#include "playback/scene.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/random.h"
#include "platform/system/display_info.h"
#include "playback/audio_file.h"
#include "playback/sprite.h"

namespace velquora {
namespace {

namespace fs = std::filesystem;

TEST(Scene, ConstructorSetsTheDocumentedDefaults) {
  const TVelquoraScene scene;
  EXPECT_EQ(scene.RepeatMode, -1);
  EXPECT_EQ(scene.RunsLeft, 1);
  EXPECT_EQ(scene.CyclesDone, 0);
  EXPECT_FALSE(scene.CloseWhenDone);
  EXPECT_FALSE(scene.BackgroundShown);
  EXPECT_TRUE(scene.Sprites.empty());
  EXPECT_EQ(scene.OwnerWindow, kNoWindow);
  EXPECT_EQ(scene.TimerInterval, 50);
  EXPECT_TRUE(scene.SoundEnabled);
  EXPECT_EQ(scene.CycleLength, 1000);
  EXPECT_EQ(scene.CurrentTick, 1);
  EXPECT_EQ(scene.BackgroundMode, 0);
  EXPECT_EQ(scene.BackgroundPictureName, "");
  EXPECT_EQ(scene.FillMode, 0);
  EXPECT_EQ(scene.GradientFrom, 0u);
  EXPECT_EQ(scene.GradientTo, 0u);
  EXPECT_EQ(scene.BackgroundColor, RGB(255, 255, 255));
  EXPECT_EQ(scene.GradientAngle, 90);
  EXPECT_EQ(scene.BorderStyle, 0);
  EXPECT_EQ(scene.BorderWidth, 0);
  EXPECT_EQ(scene.BorderLightColor, RGB(192, 192, 192));
  EXPECT_EQ(scene.BorderDarkColor, RGB(128, 128, 128));
  EXPECT_EQ(scene.BorderMargin, 0);
  EXPECT_EQ(scene.FrameFillColor, 0u);
  EXPECT_EQ(scene.CornerDiameter, 0);
  EXPECT_EQ(scene.PicturePlacement, 0);
  EXPECT_EQ(scene.TargetBitmap, nullptr);
  EXPECT_TRUE(scene.AudioFiles.empty());
  EXPECT_FALSE(scene.LoadFailed);
  EXPECT_EQ(scene.StepCount, 0);
  EXPECT_TRUE(scene.LoadSprites);
  EXPECT_EQ(scene.CurrentAudioIndex, 0);
  EXPECT_EQ(scene.StreamSize, 0);
  EXPECT_EQ(scene.SignatureText, "Velquora Scene v.5.2");
  EXPECT_FALSE(scene.InStep);
  EXPECT_EQ(scene.FileVersion, 16);
}

TEST(Scene, BitmapsAndPictureStartAtOneHundredSquare) {
  const TVelquoraScene scene;
  for (const TBitmap* bitmap : {&scene.BackgroundPicture, &scene.BackgroundBitmap, &scene.WorkBitmap}) {
    EXPECT_EQ(bitmap->Width(), 100);
    EXPECT_EQ(bitmap->Height(), 100);
  }
}

TEST(Scene, DialogDataStartsEmptyWithTheStandardDialogFont) {
  const TVelquoraScene scene;
  EXPECT_EQ(scene.SettingsCaption, "");
  EXPECT_TRUE(scene.SettingsInfoLines.empty());
  EXPECT_TRUE(scene.AboutNoteLines.empty());
  EXPECT_FALSE(scene.ShowGoButton);
  EXPECT_FALSE(scene.ShowAboutButton);
  EXPECT_FALSE(scene.AboutShowGoButton);
  EXPECT_FALSE(scene.ShowAboutOnExit);
  EXPECT_EQ(scene.SettingsFontName, "MS Sans Serif");
  EXPECT_EQ(scene.SettingsFontSize, 8);
  EXPECT_EQ(scene.AboutFontName, "MS Sans Serif");
  EXPECT_EQ(scene.AboutFontSize, 8);
}

TEST(Scene, ScreenSizeComesFromThePlatformsPrimaryScreen) {
  const ScreenSize previous = HeadlessScreenSize();
  SetHeadlessScreenSize(ScreenSize{1024, 600});
  const TVelquoraScene scene;
  SetHeadlessScreenSize(previous);
  EXPECT_EQ(scene.ScreenWidth, 1024);
  EXPECT_EQ(scene.ScreenHeight, 600);
}

TEST(Scene, FixedSeedReplacesTheClockWhenTheSceneSeedsTheGenerator) {
  SetFixedSeed(0xDEADBEEF);
  SetRandSeed(1);
  const TVelquoraScene scene;
  EXPECT_EQ(RandSeed(), 0xDEADBEEFu);
  SetFixedSeed(std::nullopt);
}

TEST(Scene, AddSpriteAppendsAnOwnedSpriteWithAnEmptyListText) {
  TVelquoraScene scene;
  TSprite& first = scene.AddSprite();
  TSprite& second = scene.AddSprite();
  ASSERT_EQ(scene.Sprites.size(), 2u);
  EXPECT_EQ(scene.Sprites[0].second.get(), &first);
  EXPECT_EQ(scene.Sprites[1].second.get(), &second);
  EXPECT_EQ(scene.Sprites[1].first, "");
  EXPECT_EQ(first.Owner, &scene);
}

TEST(AudioFile, NewFilesAndItemsHoldTheirDefaults) {
  TAudioFile file;
  EXPECT_FALSE(file.IsTempCopy);
  EXPECT_EQ(file.DeviceType, 12);
  EXPECT_EQ(file.FileName, "");
  EXPECT_TRUE(file.Items.empty());
  TAudioItem& item = file.AddItem();
  EXPECT_EQ(item.StartTick, 0);
  EXPECT_EQ(item.StopTick, 0);
  EXPECT_FALSE(item.StopEnabled);
  EXPECT_EQ(item.AudioFile, &file);
  ASSERT_EQ(file.Items.size(), 1u);
  EXPECT_EQ(file.Items[0].get(), &item);
}

class AudioFileCopy : public testing::Test {
protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "audio_file_test_XXXXXX").string();
    directory_ = mkdtemp(pattern.data());
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(directory_, ignored);
  }
  fs::path MakeFile(const std::string& name) {
    const fs::path path = directory_ / name;
    std::ofstream(path) << "audio";
    return path;
  }
  fs::path directory_;
};

TEST_F(AudioFileCopy, DestroyingTheFileDeletesTheCopyItCreated) {
  const fs::path copy = MakeFile("copy.wav");
  {
    TAudioFile file;
    file.IsTempCopy = true;
    file.FileName = copy.string();
    file.AdoptTempCopy(copy);
  }
  EXPECT_FALSE(fs::exists(copy));
}

TEST_F(AudioFileCopy, AFileNamedButNotCreatedByTheAudioFileIsKept) {
  const fs::path someone_elses = MakeFile("song.wav");
  {
    TAudioFile file;
    file.IsTempCopy = true;  // the copy could not be written; the name is all there is
    file.FileName = someone_elses.string();
  }
  EXPECT_TRUE(fs::exists(someone_elses));
}

TEST_F(AudioFileCopy, DestroyingTheSceneDeletesEveryAudioCopy) {
  const fs::path a = MakeFile("a.wav");
  const fs::path b = MakeFile("b.mid");
  {
    TVelquoraScene scene;
    for (const fs::path& path : {a, b}) {
      scene.AudioFiles.push_back(std::make_unique<TAudioFile>());
      scene.AudioFiles.back()->AdoptTempCopy(path);
    }
  }
  EXPECT_FALSE(fs::exists(a));
  EXPECT_FALSE(fs::exists(b));
}

}  // namespace
}  // namespace velquora

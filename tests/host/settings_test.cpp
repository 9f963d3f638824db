#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <limits>

#include "host/integrity_check.h"
#include "host/saver_front_end.h"
#include "host/scene_load.h"
#include "host/settings.h"
#include "host_test_support.h"
#include "recording_message_boxes.h"

namespace velquora {
namespace {

using testing::TestDirectory;

constexpr const char* kAquariumKey = "SOFTWARE\\Dorvex\\Screen Savers\\Aquarium";

// A host of the given saver file and mode, with a scene whose file said 40 ms.
HostState HostOf(const std::string& program_path, HostMode mode) {
  HostState host;
  host.ProgramPath = program_path;
  host.Mode = mode;
  host.Scene = std::make_unique<TVelquoraScene>();
  host.Scene->TimerInterval = 40;
  host.Scene->SoundEnabled = true;
  return host;
}

class SaverSettingsTest : public ::testing::Test {
protected:
  std::filesystem::path File() const { return dir_.Path() / "config" / "registry.reg"; }

  void Put(const std::string& subkey, const std::string& name, const std::string& text) {
    TRegistry registry(store_);
    ASSERT_TRUE(registry.OpenKey(subkey, true));
    registry.WriteString(name, text);
  }
  void PutDword(const std::string& subkey, const std::string& name, std::int32_t number) {
    TRegistry registry(store_);
    ASSERT_TRUE(registry.OpenKey(subkey, true));
    registry.WriteInteger(name, number);
  }
  std::optional<std::string> Get(const std::string& subkey, const std::string& name) {
    TRegistry registry(store_);
    if (!registry.OpenKey(subkey, false)) return std::nullopt;
    return registry.ReadString(name);
  }

  TestDirectory dir_;
  TRegistryStore store_{File()};
};

// --- names and numbers ---------------------------------------------------------------

TEST(SettingsKey, NamedAfterTheSaverFileWithoutDirectoryAndExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"/home/u/savers/Aquarium.scr", "Aquarium"},
      {"Aquarium.scr", "Aquarium"},
      {"/savers/AQUARIUM.SCR", "AQUARIUM"},
      {"/savers/My.Fish.scr", "My.Fish"},
      {"/savers/NoExtension", "NoExtension"},
      {"/dir.d/plain", "plain"},
      {"C:\\Savers\\Fish.scr", "Fish"},
      {"/savers/.scr", ""},
  };
  for (const auto& [path, base] : cases) {
    EXPECT_EQ(SaverBaseName(path), base) << path;
    EXPECT_EQ(SettingsKeyPath(path), std::string("SOFTWARE\\Dorvex\\Screen Savers\\") + base) << path;
  }
}

TEST(SettingsKey, PathIsCutTo255BytesNeverInsideACharacter) {
  const std::string prefix = "SOFTWARE\\Dorvex\\Screen Savers\\";
  ASSERT_EQ(prefix.size(), 30U);
  EXPECT_EQ(SettingsKeyPath("/s/" + std::string(225, 'a') + ".scr"), prefix + std::string(225, 'a'));
  EXPECT_EQ(SettingsKeyPath("/s/" + std::string(300, 'a') + ".scr"), prefix + std::string(225, 'a'));
  // 'ж' is two bytes: 112 of them fill 224 bytes, the 113th would end at byte 256.
  std::string cyrillic;
  for (int i = 0; i < 150; ++i) cyrillic += "\xD0\xB6";
  const std::string cut = SettingsKeyPath("/s/" + cyrillic + ".scr");
  EXPECT_EQ(cut, prefix + cyrillic.substr(0, 224));
}

TEST(SettingsNumbers, OnlyASignAndDecimalDigitsParse) {
  const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
      {"100", 100},           {"0", 0},
      {"-5", -5},             {"+7", 7},
      {"007", 7},             {"-0", 0},
      {"2147483647", std::numeric_limits<std::int32_t>::max()},
      {"-2147483648", std::numeric_limits<std::int32_t>::min()},
      {"2147483648", std::nullopt},  {"-2147483649", std::nullopt},
      {"", std::nullopt},     {"+", std::nullopt},
      {"-", std::nullopt},    {"+-1", std::nullopt},
      {"--1", std::nullopt},  {" 1", std::nullopt},
      {"1 ", std::nullopt},   {"0x10", std::nullopt},
      {"$10", std::nullopt},  {"1e3", std::nullopt},
      {"12a", std::nullopt},  {"fast", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ParseDecimalInteger(text), expected) << '"' << text << '"';
}

TEST_F(SaverSettingsTest, IntegerAndBooleanReadsFallBackToTheirDefaults) {
  Put(kAquariumKey, "Number", "12");
  Put(kAquariumKey, "Word", "twelve");
  Put(kAquariumKey, "Two", "2");
  Put(kAquariumKey, "Zero", "0");
  TRegistry key(store_);
  ASSERT_TRUE(key.OpenKey(kAquariumKey, false));
  EXPECT_EQ(ReadIntegerSetting(key, "Number", 5), 12);
  EXPECT_EQ(ReadIntegerSetting(key, "Word", 5), 5);
  EXPECT_EQ(ReadIntegerSetting(key, "Missing", 5), 5);
  EXPECT_TRUE(ReadBoolSetting(key, "Two", false));
  EXPECT_FALSE(ReadBoolSetting(key, "Zero", true));
  EXPECT_TRUE(ReadBoolSetting(key, "Word", true));
  EXPECT_FALSE(ReadBoolSetting(key, "Word", false));
  EXPECT_TRUE(ReadBoolSetting(key, "Missing", true));
}

// --- reading -------------------------------------------------------------------------

TEST_F(SaverSettingsTest, AFreshUserKeepsTheSceneFilesPeriodSoundOnAndTheCheckRuns) {
  TSaverSettings settings(store_);
  HostState host = HostOf("/savers/Aquarium.scr", HostMode::Run);
  settings.SoundRunsLeft = 6;
  EXPECT_FALSE(settings.CrcChecked(host));
  settings.Read(host);
  EXPECT_EQ(host.Scene->TimerInterval, 40);
  EXPECT_TRUE(host.Scene->SoundEnabled);
  EXPECT_EQ(settings.SoundRunsLeft, 6);  // a missing key changes nothing
  EXPECT_FALSE(std::filesystem::exists(File()));
}

TEST_F(SaverSettingsTest, StoredTimerIntervalOverridesTheSceneFile) {
  Put(kAquariumKey, "Timer Interval", "100");
  TSaverSettings settings(store_);
  HostState host = HostOf("/savers/Aquarium.scr", HostMode::Preview);
  settings.Read(host);
  EXPECT_EQ(host.Scene->TimerInterval, 100);
  EXPECT_TRUE(host.Scene->SoundEnabled);  // "Play Sound" missing: 10
  EXPECT_EQ(settings.SoundRunsLeft, 10);
}

TEST_F(SaverSettingsTest, UnreadableTextKeepsTheDefaults) {
  Put(kAquariumKey, "Timer Interval", "fast");
  Put(kAquariumKey, "Play Sound", "on");
  TSaverSettings settings(store_);
  HostState host = HostOf("/savers/Aquarium.scr", HostMode::Run);
  settings.SoundRunsLeft = 0;
  settings.Read(host);
  EXPECT_EQ(host.Scene->TimerInterval, 40);
  EXPECT_EQ(settings.SoundRunsLeft, 10);
  EXPECT_TRUE(host.Scene->SoundEnabled);
}

TEST_F(SaverSettingsTest, SoundIsOnWhenTheLowByteOfPlaySoundIsNotZero) {
  const std::pair<const char*, bool> cases[] = {{"0", false}, {"1", true}, {"10", true}, {"256", false},
                                                {"257", true}, {"-1", true}, {"-256", false}};
  TSaverSettings settings(store_);
  for (const auto& [text, on] : cases) {
    Put(kAquariumKey, "Play Sound", text);
    HostState host = HostOf("/savers/Aquarium.scr", HostMode::Run);
    settings.Read(host);
    EXPECT_EQ(host.Scene->SoundEnabled, on) << text;
    EXPECT_EQ(settings.SoundRunsLeft, *ParseDecimalInteger(text));
  }
}

TEST_F(SaverSettingsTest, AValueOfAnotherTypeRaisesOnReading) {
  PutDword(kAquariumKey, "Timer Interval", 100);
  TSaverSettings settings(store_);
  HostState host = HostOf("/savers/Aquarium.scr", HostMode::Run);
  EXPECT_THROW(settings.Read(host), ERegistryError);
}

TEST_F(SaverSettingsTest, CrcCheckedReadsAsABoolean) {
  const std::pair<const char*, bool> cases[] = {{"1", true}, {"2", true}, {"0", false}, {"yes", false}, {"", false}};
  TSaverSettings settings(store_);
  const HostState host = HostOf("/savers/Aquarium.scr", HostMode::Run);
  for (const auto& [text, checked] : cases) {
    Put(kAquariumKey, "CRC Checked", text);
    EXPECT_EQ(settings.CrcChecked(host), checked) << text;
  }
  // Stored with another type it cannot be trusted: the check runs.
  PutDword(kAquariumKey, "CRC Checked", 1);
  EXPECT_FALSE(settings.CrcChecked(host));
}

// --- saving --------------------------------------------------------------------------

TEST_F(SaverSettingsTest, RunAndPreviewStoreCrcCheckedOnly) {
  for (const HostMode mode : {HostMode::Run, HostMode::Preview}) {
    TestDirectory dir;
    TRegistryStore store(dir.Path() / "registry.reg");
    TSaverSettings settings(store);
    HostState host = HostOf("/savers/Aquarium.scr", mode);
    host.Scene->TimerInterval = 77;
    settings.Save(host);
    EXPECT_TRUE(settings.LastSaveStored());
    TRegistry key(store);
    ASSERT_TRUE(key.OpenKey(kAquariumKey, false));
    EXPECT_EQ(key.ReadString("CRC Checked"), "1") << HostModeName(mode);
    EXPECT_FALSE(key.ValueExists("Timer Interval"));
    EXPECT_FALSE(key.ValueExists("Play Sound"));
    EXPECT_TRUE(settings.CrcChecked(host));
  }
}

TEST_F(SaverSettingsTest, PlaySoundCountsDownOverRunsWhoseAudioFailed) {
  Put(kAquariumKey, "Play Sound", "3");
  bool audio_failed = true;
  TSaverSettings settings(store_, [&audio_failed](const HostState&) { return audio_failed; });
  struct Run {
    const char* stored_before;
    bool sound_on;
    const char* stored_after;
  };
  const Run runs[] = {{"3", true, "2"}, {"2", true, "1"}, {"1", true, "0"}, {"0", false, "0"}};
  for (const Run& run : runs) {
    HostState host = HostOf("/savers/Aquarium.scr", HostMode::Run);
    EXPECT_EQ(Get(kAquariumKey, "Play Sound"), run.stored_before);
    settings.Read(host);  // the load step of the run
    EXPECT_EQ(host.Scene->SoundEnabled, run.sound_on) << run.stored_before;
    settings.Save(host);
    EXPECT_EQ(Get(kAquariumKey, "Play Sound"), run.stored_after);
  }

  // A run whose audio worked leaves the count as it is.
  Put(kAquariumKey, "Play Sound", "5");
  audio_failed = false;
  HostState host = HostOf("/savers/Aquarium.scr", HostMode::Run);
  settings.Read(host);
  settings.Save(host);
  EXPECT_EQ(Get(kAquariumKey, "Play Sound"), "5");
}

TEST_F(SaverSettingsTest, PreviewNeverCountsDownAndNoQueryMeansNoFailure) {
  Put(kAquariumKey, "Play Sound", "3");
  TSaverSettings failing(store_, [](const HostState&) { return true; });
  HostState preview = HostOf("/savers/Aquarium.scr", HostMode::Preview);
  failing.Read(preview);
  failing.Save(preview);
  EXPECT_EQ(Get(kAquariumKey, "Play Sound"), "3");

  TSaverSettings without_query(store_);
  HostState run = HostOf("/savers/Aquarium.scr", HostMode::Run);
  without_query.Read(run);
  without_query.Save(run);
  EXPECT_EQ(Get(kAquariumKey, "Play Sound"), "3");
}

TEST(ScenePlayerFailed, IsTheScenesPlayersStickyFlag) {
  HostState host;
  EXPECT_FALSE(ScenePlayerFailed(host));  // no scene
  host.Scene = std::make_unique<TVelquoraScene>();
  EXPECT_FALSE(ScenePlayerFailed(host));
  host.Scene->Player->Failed = true;
  EXPECT_TRUE(ScenePlayerFailed(host));
  host.Scene->Player.reset();
  EXPECT_FALSE(ScenePlayerFailed(host));
}

TEST(SoundReport, SaysWhetherSoundWasOnAndWhatThePlayerDid) {
  TVelquoraScene scene;
  EXPECT_EQ(SoundReport(scene), "sound on, player ok, no sound started");
  scene.Player->FileName = "C:\\Sounds\\caf\xE9.wav";
  scene.Player->Failed = true;
  EXPECT_EQ(SoundReport(scene), "sound on, player failed, last sound C:\\Sounds\\caf\xC3\xA9.wav");
  scene.SoundEnabled = false;
  scene.Player.reset();
  EXPECT_EQ(SoundReport(scene), "sound off, player ok, no sound started");
}

TEST_F(SaverSettingsTest, TheCountDownStopsAtZeroEvenFromTheLowestNumber) {
  Put(kAquariumKey, "Play Sound", "-2147483648");
  TSaverSettings settings(store_, [](const HostState&) { return true; });
  HostState host = HostOf("/savers/Aquarium.scr", HostMode::Run);
  settings.Read(host);
  settings.Save(host);
  EXPECT_EQ(Get(kAquariumKey, "Play Sound"), "0");
  EXPECT_EQ(settings.SoundRunsLeft, 0);
}

TEST_F(SaverSettingsTest, SettingsModeStoresThePeriodAndTenOrZero) {
  TSaverSettings settings(store_);
  HostState host = HostOf("/savers/Aquarium.scr", HostMode::Settings);
  host.Scene->TimerInterval = 65;
  host.Scene->SoundEnabled = false;
  settings.Save(host);
  EXPECT_EQ(Get(kAquariumKey, "Timer Interval"), "65");
  EXPECT_EQ(Get(kAquariumKey, "Play Sound"), "0");
  EXPECT_EQ(Get(kAquariumKey, "CRC Checked"), std::nullopt);
  EXPECT_EQ(settings.SoundRunsLeft, 0);

  // Ticking the box again restores the full count.
  host.Scene->SoundEnabled = true;
  settings.Save(host);
  EXPECT_EQ(Get(kAquariumKey, "Play Sound"), "10");
  EXPECT_EQ(settings.SoundRunsLeft, 10);
}

TEST_F(SaverSettingsTest, ModesThatStoreNothingLeaveTheStoreUntouched) {
  TSaverSettings settings(store_, [](const HostState&) { return true; });
  for (const HostMode mode : {HostMode::SettingsNoSave, HostMode::Program, HostMode::Show, HostMode::ChangePassword}) {
    HostState host = HostOf("/savers/Aquarium.scr", mode);
    settings.Save(host);
    EXPECT_TRUE(settings.LastSaveStored());
    EXPECT_FALSE(std::filesystem::exists(File())) << HostModeName(mode);
  }
}

TEST_F(SaverSettingsTest, TwoSaversUnderDifferentNamesKeepSeparateKeys) {
  TSaverSettings settings(store_);
  HostState aquarium = HostOf("/savers/Aquarium.scr", HostMode::Settings);
  aquarium.Scene->TimerInterval = 100;
  settings.Save(aquarium);
  HostState fish = HostOf("/savers/Fish.scr", HostMode::Settings);
  fish.Scene->TimerInterval = 30;
  fish.Scene->SoundEnabled = false;
  settings.Save(fish);

  HostState aquarium_again = HostOf("/elsewhere/aquarium.SCR", HostMode::Run);  // names compare without case
  settings.Read(aquarium_again);
  EXPECT_EQ(aquarium_again.Scene->TimerInterval, 100);
  EXPECT_TRUE(aquarium_again.Scene->SoundEnabled);
  HostState fish_again = HostOf("/savers/Fish.scr", HostMode::Run);
  settings.Read(fish_again);
  EXPECT_EQ(fish_again.Scene->TimerInterval, 30);
  EXPECT_FALSE(fish_again.Scene->SoundEnabled);

  // Renamed, a saver starts from its scene file again.
  HostState renamed = HostOf("/savers/Aquarium2.scr", HostMode::Run);
  settings.Read(renamed);
  EXPECT_EQ(renamed.Scene->TimerInterval, 40);
}

TEST_F(SaverSettingsTest, SavingLeavesOtherSaversKeysUntouched) {
  Put("SOFTWARE\\Dorvex\\Screen Savers\\Fish", "Timer Interval", "30");
  PutDword("SOFTWARE\\Dorvex\\Screen Savers\\Fish", "Custom", 9);
  std::ifstream before_stream(File(), std::ios::binary);
  const std::string before{std::istreambuf_iterator<char>(before_stream), std::istreambuf_iterator<char>()};
  TSaverSettings settings(store_);
  HostState host = HostOf("/savers/Aquarium.scr", HostMode::Settings);
  settings.Save(host);
  std::ifstream after_stream(File(), std::ios::binary);
  const std::string after{std::istreambuf_iterator<char>(after_stream), std::istreambuf_iterator<char>()};
  EXPECT_EQ(after.substr(0, before.size()), before);  // the new key is only appended
  EXPECT_EQ(Get("SOFTWARE\\Dorvex\\Screen Savers\\Fish", "Timer Interval"), "30");
}

TEST_F(SaverSettingsTest, AStoreThatCannotBeWrittenStoresNothingAndSaysSo) {
  std::filesystem::create_directories(dir_.Path());
  std::ofstream(dir_.Path() / "config") << "a file where the directory should be";
  TSaverSettings settings(store_);
  HostState host = HostOf("/savers/Aquarium.scr", HostMode::Settings);
  ::testing::internal::CaptureStderr();
  settings.Save(host);
  EXPECT_FALSE(::testing::internal::GetCapturedStderr().empty());
  EXPECT_FALSE(settings.LastSaveStored());
}

// --- through the host's steps --------------------------------------------------------

TEST_F(SaverSettingsTest, TheLoadStepTakesThePeriodFromTheSceneFileThenTheStore) {
  ScopedRecordingMessageBoxes boxes;
  SceneSpec scene;
  scene.TimerInterval = 73;
  ContainerSpec container;
  const auto path = dir_.Write("Aquarium.scr", WriteSaverFile(WriteContainer(WriteSceneRecords(scene, 16), container)));
  TSaverSettings settings(store_);

  HostState fresh = HostOf(path.string(), HostMode::Run);
  ASSERT_EQ(LoadSceneAndSettings(fresh, settings), LoadStepOutcome::Continue);
  EXPECT_EQ(fresh.Scene->TimerInterval, 73);

  Put(kAquariumKey, "Timer Interval", "100");
  HostState stored = HostOf(path.string(), HostMode::Run);
  LoadSceneAndSettings(stored, settings);
  EXPECT_EQ(stored.Scene->TimerInterval, 100);
  HostState program = HostOf(path.string(), HostMode::Program);  // reads no settings
  LoadSceneAndSettings(program, settings);
  EXPECT_EQ(program.Scene->TimerInterval, 73);
  EXPECT_TRUE(boxes.boxes().shown.empty());

  PutDword(kAquariumKey, "Timer Interval", 100);
  HostState wrong_type = HostOf(path.string(), HostMode::Run);
  LoadSceneAndSettings(wrong_type, settings);
  ASSERT_EQ(boxes.boxes().shown.size(), 1U);
  EXPECT_EQ(boxes.boxes().shown[0].text, "Cannot read data from file.");
}

TEST_F(SaverSettingsTest, ACheckedSaverSkipsTheIntegrityCheck) {
  ScopedRecordingMessageBoxes boxes;
  std::vector<std::uint8_t> file = testing::GoodSaverFile();
  file[3] ^= 0xFF;
  const auto path = dir_.Write("Aquarium.scr", file);
  TSaverSettings settings(store_);
  HostState host = HostOf(path.string(), HostMode::Run);
  EXPECT_FALSE(CheckSaverFile(host, settings));  // the question's default is No
  ASSERT_EQ(boxes.boxes().shown.size(), 1U);
  Put(kAquariumKey, "CRC Checked", "1");
  EXPECT_TRUE(CheckSaverFile(host, settings));
  EXPECT_EQ(boxes.boxes().shown.size(), 1U);
}

}  // namespace
}  // namespace velquora

#include <gtest/gtest.h>

#include <algorithm>

#include "host/start_up.h"
#include "host_test_support.h"
#include "platform/system/display_info.h"
#include "platform/system/temp_files.h"
#include "recording_message_boxes.h"

namespace velquora {
namespace {

namespace fs = std::filesystem;
using testing::FrontEndCall;
using testing::RecordingFrontEnd;
using testing::RecordingSettings;
using testing::TestDirectory;

// One run of the saver process over a file in a directory of its own, with its own
// temporary directory, recording settings, front end and message boxes.
class SaverRun : public ::testing::Test {
protected:
  SaverRun() { ResetTemporaryFileMarker(); }
  ~SaverRun() override { ResetTemporaryFileMarker(); }

  int Run(const std::string& file_name, const std::vector<std::uint8_t>& file, std::vector<std::string> arguments) {
    HostServices services{settings, front_end, temp.Path()};
    return RunSaverProcess(host, saver.Write(file_name, file).string(), std::move(arguments), services);
  }

  std::vector<std::string> FrontEndCalls() const {
    std::vector<std::string> names;
    for (const FrontEndCall& call : front_end.calls) names.push_back(call.what);
    return names;
  }

  TestDirectory saver;
  TestDirectory temp;
  HostState host;
  RecordingSettings settings;
  RecordingFrontEnd front_end;
  ScopedRecordingMessageBoxes boxes;
};

TEST_F(SaverRun, ProgramModePlaysAFreshSceneAndReadsNoSettings) {
  EXPECT_EQ(Run("Aquarium.exe", testing::GoodSaverFile(), {}), 0);
  ASSERT_EQ(FrontEndCalls(), std::vector<std::string>{"FullScreen"});
  const FrontEndCall& call = front_end.calls[0];
  EXPECT_EQ(call.mode, HostMode::Program);
  EXPECT_TRUE(call.scene_present);
  EXPECT_TRUE(call.load_sprites);  // the fresh scene loads its sprites at the first tick
  EXPECT_EQ(call.cursor, ClassCursor::Arrow);
  EXPECT_EQ(settings.Count("Read"), 0);
  EXPECT_EQ(settings.Count("Save"), 1);
  EXPECT_EQ(host.Scene, nullptr);
  EXPECT_TRUE(boxes.boxes().shown.empty());
}

TEST_F(SaverRun, RunModeReadsTheSettingsWhileValidatingAndHidesTheCursor) {
  Run("Aquarium.scr", testing::GoodSaverFile(), {"/s"});
  ASSERT_EQ(FrontEndCalls(), std::vector<std::string>{"FullScreen"});
  EXPECT_EQ(front_end.calls[0].mode, HostMode::Run);
  EXPECT_EQ(front_end.calls[0].cursor, ClassCursor::None);
  ASSERT_EQ(settings.calls.size(), 2U);
  EXPECT_EQ(settings.calls[0].what, "Read");
  EXPECT_EQ(settings.calls[1].what, "Save");
  EXPECT_TRUE(settings.calls[1].scene_present);  // saved before the scene is destroyed
}

TEST_F(SaverRun, ShowModePlaysLikeAProgram) {
  Run("Aquarium.scr", testing::GoodSaverFile(), {"SP"});
  ASSERT_EQ(FrontEndCalls(), std::vector<std::string>{"FullScreen"});
  EXPECT_EQ(front_end.calls[0].mode, HostMode::Show);
  EXPECT_EQ(front_end.calls[0].cursor, ClassCursor::Arrow);
  EXPECT_EQ(settings.Count("Read"), 0);
}

TEST_F(SaverRun, FullScreenSavesTheSettingsEvenWithoutAWindow) {
  front_end.window_created = false;
  Run("Aquarium.scr", testing::GoodSaverFile(), {"/s"});
  EXPECT_EQ(FrontEndCalls(), std::vector<std::string>{"FullScreen"});
  EXPECT_EQ(settings.Count("Save"), 1);
}

TEST_F(SaverRun, AFailedLoadEndsTheProcessBeforeAnyWindow) {
  for (const char* argument : {"/s", "/c", "SP", "PR"}) {
    front_end.calls.clear();
    settings.calls.clear();
    boxes.boxes().shown.clear();
    EXPECT_EQ(Run("Aquarium.scr", testing::UnknownSignatureSaverFile(), {argument}), 0) << argument;
    EXPECT_TRUE(front_end.calls.empty()) << argument;
    EXPECT_TRUE(settings.calls.empty()) << argument;
    ASSERT_EQ(boxes.boxes().shown.size(), 1U) << argument;
    EXPECT_EQ(boxes.boxes().shown[0].text, "Cannot read data from file.");
    EXPECT_EQ(boxes.boxes().shown[0].icon, MessageBoxIcon::Error);
  }
}

TEST_F(SaverRun, AnUnreadableSceneOffsetIsReportedAndTheModeGoesOn) {
  // Four zero bytes pass the checksum (an empty chunk, total 0) but hold no offset.
  Run("Tiny.scr", std::vector<std::uint8_t>(4, 0), {"/s"});
  ASSERT_EQ(boxes.boxes().shown.size(), 1U);
  EXPECT_EQ(boxes.boxes().shown[0].text, "Cannot read data from file.");
  EXPECT_EQ(boxes.boxes().shown[0].caption, "Error");
  EXPECT_EQ(boxes.boxes().shown[0].icon, MessageBoxIcon::None);
  EXPECT_EQ(FrontEndCalls(), std::vector<std::string>{"FullScreen"});
  EXPECT_EQ(settings.Count("Read"), 0);  // the step ended at the failure
}

TEST_F(SaverRun, PreviewWithAHandlePlaysAt640By480AndSaves) {
  Run("Aquarium.scr", testing::GoodSaverFile(), {"/p", "4711"});
  ASSERT_EQ(FrontEndCalls(), std::vector<std::string>{"Preview"});
  const FrontEndCall& call = front_end.calls[0];
  EXPECT_EQ(call.parent, 4711U);
  EXPECT_EQ(call.screen_width, 640);
  EXPECT_EQ(call.screen_height, 480);
  EXPECT_TRUE(call.load_sprites);
  EXPECT_EQ(settings.Count("Read"), 0);  // the preview window loads the scene itself
  EXPECT_EQ(settings.Count("Save"), 1);
  EXPECT_EQ(host.Scene, nullptr);
}

TEST_F(SaverRun, PreviewWithoutAWindowSavesNothing) {
  front_end.window_created = false;
  Run("Aquarium.scr", testing::GoodSaverFile(), {"/p", "4711"});
  EXPECT_EQ(FrontEndCalls(), std::vector<std::string>{"Preview"});
  EXPECT_EQ(settings.Count("Save"), 0);
  EXPECT_EQ(host.Scene, nullptr);
}

TEST_F(SaverRun, PreviewWithoutAHandleEndsQuietly) {
  const std::vector<std::vector<std::string>> command_lines = {{"/p"}, {"/p", "0"}, {"/P:123"}, {"-p", "abc"}};
  for (const auto& arguments : command_lines) {
    front_end.calls.clear();
    settings.calls.clear();
    EXPECT_EQ(Run("Aquarium.scr", testing::GoodSaverFile(), arguments), 0) << arguments[0];
    EXPECT_TRUE(front_end.calls.empty()) << arguments[0];
    EXPECT_TRUE(settings.calls.empty()) << arguments[0];
    EXPECT_EQ(host.Scene, nullptr) << arguments[0];
  }
  EXPECT_TRUE(boxes.boxes().shown.empty());
}

TEST_F(SaverRun, SettingsModesShowTheDialogOverASceneWithoutSprites) {
  const std::vector<std::pair<std::vector<std::string>, HostMode>> cases = {
      {{}, HostMode::Settings}, {{"/c:1234"}, HostMode::Settings}, {{"PR"}, HostMode::SettingsNoSave}};
  for (const auto& [arguments, mode] : cases) {
    front_end.calls.clear();
    settings.calls.clear();
    Run("Aquarium.scr", testing::GoodSaverFile(12), arguments);
    ASSERT_EQ(FrontEndCalls(), std::vector<std::string>{"SettingsDialog"});
    const FrontEndCall& call = front_end.calls[0];
    EXPECT_EQ(call.mode, mode);
    EXPECT_FALSE(call.load_sprites);
    EXPECT_EQ(call.file_version, 12);  // the scene was loaded for the dialog
    EXPECT_EQ(call.cursor, ClassCursor::Arrow);
    EXPECT_EQ(settings.Count("Read"), 1);
    EXPECT_EQ(settings.Count("Save"), 0);  // only the dialog's OK stores
    EXPECT_EQ(host.Scene, nullptr);
  }
}

TEST_F(SaverRun, ChangePasswordCreatesNoScene) {
  Run("Aquarium.scr", testing::GoodSaverFile(), {"/a"});
  ASSERT_EQ(FrontEndCalls(), std::vector<std::string>{"ChangePassword"});
  EXPECT_FALSE(front_end.calls[0].scene_present);
  EXPECT_TRUE(settings.calls.empty());
}

TEST_F(SaverRun, ARefusedCheckRunsNoMode) {
  std::vector<std::uint8_t> file = testing::GoodSaverFile();
  DamageByte(file, 0);
  const fs::path leftover = temp.Path() / "clip(QZ_temporary)_SS.avi";
  WriteFileBytes(leftover, std::vector<std::uint8_t>{1});
  boxes.boxes().answer = MessageBoxResult::No;
  EXPECT_EQ(Run("Aquarium.exe", file, {}), 0);
  EXPECT_TRUE(front_end.calls.empty());
  EXPECT_TRUE(fs::exists(leftover));  // the clean-up comes after the check
}

TEST_F(SaverRun, YesToACorruptedFileGoesOn) {
  std::vector<std::uint8_t> file = testing::GoodSaverFile();
  DamageByte(file, 0);
  boxes.boxes().answer = MessageBoxResult::Yes;
  Run("Aquarium.exe", file, {});
  EXPECT_EQ(FrontEndCalls(), std::vector<std::string>{"FullScreen"});
}

TEST_F(SaverRun, EveryModeDeletesLeftoverTemporaryFilesOfTheSaver) {
  const std::vector<std::vector<std::string>> command_lines = {{}, {"/s"}, {"/p"}, {"/c"}, {"/a"}, {"PR"}, {"SP"}};
  for (const auto& arguments : command_lines) {
    ResetTemporaryFileMarker();
    const std::vector<std::string> doomed = {"music(QZ_temporary)_SS.wav", "(QZ_temporary)_SS"};
    const std::vector<std::string> kept = {"music(QZ_temporary).wav", "other.txt", "(QZ_temporary)_S"};
    for (const auto& name : doomed) WriteFileBytes(temp.Path() / name, std::vector<std::uint8_t>{1});
    for (const auto& name : kept) WriteFileBytes(temp.Path() / name, std::vector<std::uint8_t>{1});
    fs::create_directories(temp.Path() / "dir(QZ_temporary)_SS");
    Run("Aquarium.exe", testing::GoodSaverFile(), arguments);
    const std::string shown = arguments.empty() ? "(none)" : arguments[0];
    for (const auto& name : doomed) EXPECT_FALSE(fs::exists(temp.Path() / name)) << shown << " " << name;
    for (const auto& name : kept) EXPECT_TRUE(fs::exists(temp.Path() / name)) << shown << " " << name;
    EXPECT_TRUE(fs::is_directory(temp.Path() / "dir(QZ_temporary)_SS")) << shown;
  }
}

TEST_F(SaverRun, TheMarkerOfThisProcessEndsInSS) {
  Run("Aquarium.exe", testing::GoodSaverFile(), {"/a"});
  EXPECT_EQ(TemporaryFileMarker(), "(QZ_temporary)_SS");
  EXPECT_EQ(host.ProgramPath, (saver.Path() / "Aquarium.exe").string());
  EXPECT_EQ(host.Mode, HostMode::ChangePassword);
}

class ScopedColorBits {
public:
  explicit ScopedColorBits(std::optional<int> bits) {
    SetScreenColorBitsQuery([bits] { return bits; });
  }
  ~ScopedColorBits() { SetScreenColorBitsQuery(nullptr); }
};

TEST_F(SaverRun, PaletteDisplayMeansAtMost256Colours) {
  const std::vector<std::pair<std::optional<int>, bool>> cases = {
      {1, true}, {4, true}, {8, true}, {15, false}, {16, false}, {24, false}, {32, false}, {std::nullopt, false}};
  for (const auto& [bits, palette] : cases) {
    ScopedColorBits depth(bits);
    const ScopedPaletteDisplay before(!palette);
    Run("Aquarium.exe", testing::GoodSaverFile(), {"/a"});
    EXPECT_EQ(PaletteDisplay(), palette) << bits.value_or(0);
  }
}

}  // namespace
}  // namespace velquora

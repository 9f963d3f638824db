#include <gtest/gtest.h>

#include "core/exceptions.h"
#include "host/scene_load.h"
#include "host_test_support.h"
#include "recording_message_boxes.h"

namespace velquora {
namespace {

using testing::TestDirectory;

// A saver file whose scene container starts after `program_size` bytes; the record
// stream is the uncompressed bytes 1 2 3 4.
std::vector<std::uint8_t> SaverFileWithProgram(std::size_t program_size) {
  ContainerSpec container;
  container.Compressed = false;
  SaverFileSpec design;
  design.Program.assign(program_size, 0);
  design.Checksum = 0;  // not checked here
  const std::vector<std::uint8_t> records = {1, 2, 3, 4};
  return WriteSaverFile(WriteContainer(records, container), design);
}

TEST(LoadSceneFromSaverFile, FindsTheContainerThroughTheStoredOffset) {
  TestDirectory dir;
  ScopedRecordingMessageBoxes boxes;
  SceneSpec design;
  design.TimerInterval = 77;
  SaverFileSpec saver;
  saver.Program.assign(1000, 0);
  saver.Checksum = 0;  // not checked here
  TVelquoraScene scene;
  LoadSceneFromSaverFile(dir.Write("a.scr", WriteSaverFile(WriteSceneContainer(design), saver)).string(), scene,
                         false);
  EXPECT_FALSE(scene.LoadFailed);
  EXPECT_EQ(scene.TimerInterval, 77);
  EXPECT_TRUE(boxes.boxes().shown.empty());
}

TEST(LoadSceneFromSaverFile, ALargeSceneIsPreviewedWithoutSprites) {
  // The trailer starts after the program and the container (flag, signature, two
  // parameters, four record bytes): place it at
  // exactly 10,000,000 and one byte further.
  constexpr std::size_t kContainerSize = 1 + 1 + 20 + 8 + 4;
  TestDirectory dir;
  ScopedRecordingMessageBoxes boxes;
  const std::vector<std::pair<std::size_t, bool>> cases = {{10'000'000, true}, {10'000'001, false}};
  for (const auto& [trailer, sprites] : cases) {
    const auto path = dir.Write("big.scr", SaverFileWithProgram(trailer - kContainerSize)).string();
    // The records 1 2 3 4 fail the load; the flag is what the loader was asked for.
    TVelquoraScene preview;
    LoadSceneFromSaverFile(path, preview, true);
    EXPECT_EQ(preview.LoadSprites, sprites) << trailer;
    TVelquoraScene full_screen;
    LoadSceneFromSaverFile(path, full_screen, false);
    EXPECT_TRUE(full_screen.LoadSprites) << trailer;
  }
}

TEST(LoadSceneFromSaverFile, RaisesWhenTheOffsetCannotBeRead) {
  TestDirectory dir;
  TVelquoraScene scene;
  EXPECT_THROW(LoadSceneFromSaverFile((dir.Path() / "missing.scr").string(), scene, false), EFOpenError);
  EXPECT_THROW(LoadSceneFromSaverFile(dir.Write("short.scr", {1, 2, 3, 4, 5, 6, 7}).string(), scene, false),
               EReadError);
  // A negative offset cannot be sought.
  EXPECT_THROW(LoadSceneFromSaverFile(dir.Write("neg.scr", {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}).string(),
                                      scene, false),
               EReadError);
}

TEST(LoadSceneFromSaverFile, AnOffsetPastTheEndFailsTheLoad) {
  TestDirectory dir;
  ScopedRecordingMessageBoxes boxes;
  SaverFileSpec design;
  design.Offset = 1'000'000;
  design.Checksum = 0;
  TVelquoraScene scene;
  LoadSceneFromSaverFile(dir.Write("far.scr", WriteSaverFile(std::vector<std::uint8_t>{0}, design)).string(), scene, false);
  EXPECT_TRUE(scene.LoadFailed);
  EXPECT_EQ(boxes.boxes().shown.size(), 1U);
}

TEST(LoadSceneAndSettings, ReadsSettingsOnlyOutsideProgramAndShow) {
  TestDirectory dir;
  const auto path = dir.Write("a.scr", testing::GoodSaverFile()).string();
  const std::vector<std::pair<HostMode, int>> cases = {{HostMode::Program, 0},  {HostMode::Show, 0},
                                                       {HostMode::Run, 1},      {HostMode::Preview, 1},
                                                       {HostMode::Settings, 1}, {HostMode::SettingsNoSave, 1}};
  for (const auto& [mode, reads] : cases) {
    HostState host;
    host.ProgramPath = path;
    host.Mode = mode;
    host.Scene = std::make_unique<TVelquoraScene>();
    testing::RecordingSettings settings;
    EXPECT_EQ(LoadSceneAndSettings(host, settings), LoadStepOutcome::Continue);
    EXPECT_EQ(settings.Count("Read"), reads) << HostModeName(mode);
  }
}

TEST(LoadSceneAndSettings, AFailedContainerEndsTheProcess) {
  TestDirectory dir;
  ScopedRecordingMessageBoxes boxes;
  HostState host;
  host.ProgramPath = dir.Write("a.scr", testing::UnknownSignatureSaverFile()).string();
  host.Mode = HostMode::Run;
  host.Scene = std::make_unique<TVelquoraScene>();
  testing::RecordingSettings settings;
  EXPECT_EQ(LoadSceneAndSettings(host, settings), LoadStepOutcome::EndProcess);
  EXPECT_EQ(settings.Count("Read"), 0);
  EXPECT_EQ(boxes.boxes().shown.size(), 1U);
}

TEST(LoadSceneAndSettings, AnUnopenableFileShowsOneBoxWithoutIconAndGoesOn) {
  TestDirectory dir;
  ScopedRecordingMessageBoxes boxes;
  HostState host;
  host.ProgramPath = (dir.Path() / "gone.scr").string();
  host.Mode = HostMode::Settings;
  host.Scene = std::make_unique<TVelquoraScene>();
  testing::RecordingSettings settings;
  EXPECT_EQ(LoadSceneAndSettings(host, settings), LoadStepOutcome::Continue);
  ASSERT_EQ(boxes.boxes().shown.size(), 1U);
  EXPECT_EQ(boxes.boxes().shown[0].text, "Cannot read data from file.");
  EXPECT_EQ(boxes.boxes().shown[0].icon, MessageBoxIcon::None);
  EXPECT_EQ(boxes.boxes().shown[0].buttons, MessageBoxButtons::Ok);
  EXPECT_EQ(settings.Count("Read"), 0);
}

}  // namespace
}  // namespace velquora

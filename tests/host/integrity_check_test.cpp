#include <gtest/gtest.h>

#include "host/integrity_check.h"
#include "host_test_support.h"
#include "recording_message_boxes.h"

namespace velquora {
namespace {

using testing::RecordingSettings;
using testing::TestDirectory;

HostState HostFor(const std::filesystem::path& path) {
  HostState host;
  host.ProgramPath = path.string();
  return host;
}

std::vector<std::uint8_t> DamagedSaverFile() {
  std::vector<std::uint8_t> file = testing::GoodSaverFile();
  DamageByte(file, 3);
  return file;
}

TEST(CheckSaverFile, AnIntactFilePassesWithoutAnyBox) {
  TestDirectory dir;
  ScopedRecordingMessageBoxes boxes;
  RecordingSettings settings;
  EXPECT_TRUE(CheckSaverFile(HostFor(dir.Write("Aquarium.scr", testing::GoodSaverFile())), settings));
  EXPECT_TRUE(boxes.boxes().shown.empty());
}

TEST(CheckSaverFile, CrcCheckedSkipsTheFileEntirely) {
  TestDirectory dir;
  ScopedRecordingMessageBoxes boxes;
  RecordingSettings settings;
  settings.crc_checked = true;
  EXPECT_TRUE(CheckSaverFile(HostFor(dir.Write("Aquarium.scr", DamagedSaverFile())), settings));
  EXPECT_TRUE(CheckSaverFile(HostFor(dir.Path() / "missing.scr"), settings));
  EXPECT_TRUE(boxes.boxes().shown.empty());
}

TEST(CheckSaverFile, AnUnopenableFileIsReportedWithItsFullPath) {
  TestDirectory dir;
  ScopedRecordingMessageBoxes boxes;
  RecordingSettings settings;
  const auto path = dir.Path() / "missing.scr";
  EXPECT_FALSE(CheckSaverFile(HostFor(path), settings));
  ASSERT_EQ(boxes.boxes().shown.size(), 1U);
  const MessageBoxRequest& box = boxes.boxes().shown[0];
  EXPECT_EQ(box.text, "Cannot open " + path.string() + " file.");
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.icon, MessageBoxIcon::Error);
  EXPECT_EQ(box.buttons, MessageBoxButtons::Ok);
  EXPECT_EQ(box.owner, kNoWindow);
}

TEST(CheckSaverFile, ACorruptedFileAsksNamingOnlyTheFileName) {
  TestDirectory dir;
  ScopedRecordingMessageBoxes boxes;
  RecordingSettings settings;
  CheckSaverFile(HostFor(dir.Write("Aquarium.scr", DamagedSaverFile())), settings);
  ASSERT_EQ(boxes.boxes().shown.size(), 1U);
  const MessageBoxRequest& box = boxes.boxes().shown[0];
  EXPECT_EQ(box.text,
            "File Aquarium.scr is corrupted. \rProbably you have not completed file downloading or some errors "
            "occured during the download process.\r\rDo you want to proceed anyway?");
  EXPECT_EQ(box.text.find(dir.Path().string()), std::string::npos);
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.icon, MessageBoxIcon::Error);
  EXPECT_EQ(box.buttons, MessageBoxButtons::YesNo);
  EXPECT_EQ(box.default_button, MessageBoxResult::No);
}

TEST(CheckSaverFile, TheAnswerDecidesForACorruptedFile) {
  TestDirectory dir;
  const auto path = dir.Write("Aquarium.scr", DamagedSaverFile());
  RecordingSettings settings;
  {
    ScopedRecordingMessageBoxes boxes;
    boxes.boxes().answer = MessageBoxResult::Yes;
    EXPECT_TRUE(CheckSaverFile(HostFor(path), settings));
  }
  {
    ScopedRecordingMessageBoxes boxes;
    boxes.boxes().answer = MessageBoxResult::No;
    EXPECT_FALSE(CheckSaverFile(HostFor(path), settings));
  }
  {
    ScopedRecordingMessageBoxes boxes;  // no display: the default button, No
    EXPECT_FALSE(CheckSaverFile(HostFor(path), settings));
  }
}

TEST(CheckSaverFile, TruncatedAndEmptyFilesAreCorrupted) {
  TestDirectory dir;
  const std::vector<std::uint8_t> good = testing::GoodSaverFile();
  RecordingSettings settings;
  for (const std::size_t size : {std::size_t{0}, std::size_t{2}, std::size_t{9}, good.size() - 1}) {
    ScopedRecordingMessageBoxes boxes;
    EXPECT_FALSE(CheckSaverFile(HostFor(dir.Write("cut.scr", Truncated(good, size))), settings)) << size;
    EXPECT_EQ(boxes.boxes().shown.size(), 1U) << size;
  }
}

TEST(CheckSaverFile, ADirectoryIsNoSaverFile) {
  TestDirectory dir;
  ScopedRecordingMessageBoxes boxes;
  RecordingSettings settings;
  EXPECT_FALSE(CheckSaverFile(HostFor(dir.Path()), settings));
  EXPECT_EQ(boxes.boxes().shown.size(), 1U);
}

}  // namespace
}  // namespace velquora

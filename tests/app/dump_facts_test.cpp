#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "app/scene_dump.h"
#include "container_writer.h"
#include "recording_message_boxes.h"
#include "saver_writer.h"
#include "scene_writer.h"

namespace velquora {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

constexpr std::array<const char*, 16> kSignatures = {
    "Velquora Scene v.1.10", "Velquora Scene v.1.20", "Velquora Scene v.1.21", "Velquora Scene v.1.30",
    "Velquora Scene v.1.31", "Velquora Scene v.1.42", "Velquora Scene v.2.2",  "Velquora Scene v.2.21",
    "Velquora Scene v.3.10", "Velquora Scene v.3.1",  "Velquora Scene v.3.11", "Velquora Scene v.3.12",
    "Velquora Scene v.5.0",  "Velquora Scene v.5.1",  "Velquora Scene v.5.11", "Velquora Scene v.5.2",
};

class FactsDirectory {
public:
  FactsDirectory() {
    std::string pattern = (fs::temp_directory_path() / "dump_facts_test_XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~FactsDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  fs::path Write(const std::vector<std::uint8_t>& bytes) const {
    WriteFileBytes(path_ / "saver.scr", bytes);
    return path_ / "saver.scr";
  }
  const fs::path& Path() const { return path_; }

private:
  fs::path path_;
};

struct Dumped {
  int status = -1;
  std::string out;
  std::vector<MessageBoxRequest> boxes;
  Json json() const { return Json::parse(out); }
};

Dumped Dump(const fs::path& saver) {
  auto boxes = std::make_shared<RecordingMessageBoxes>();
  ScopedMessageBoxes scope(boxes);
  std::ostringstream out;
  Dumped dumped;
  dumped.status = RunSceneDump(saver.string(), ScreenSize{640, 480}, out);
  dumped.out = out.str();
  dumped.boxes = boxes->shown;
  return dumped;
}

std::vector<std::uint8_t> SaverFile(const ContainerSpec& container) {
  const int version = container.Signature ? 16 : container.Version;
  return WriteSaverFile(WriteContainer(WriteSceneRecords(SceneSpec{}, version), container));
}

TEST(DumpFacts, EverySignatureWithAndWithoutCompressionAndPreview) {
  FactsDirectory dir;
  for (int version = 1; version <= 16; ++version) {
    for (const bool compressed : {false, true}) {
      for (const bool preview : {false, true}) {
        SCOPED_TRACE(::testing::Message() << "version " << version << (compressed ? " compressed" : " plain")
                                          << (preview ? " with preview" : ""));
        ContainerSpec container;
        container.Version = version;
        container.Compressed = compressed;
        if (preview) container.Preview = std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0xD9};
        const std::vector<std::uint8_t> file = SaverFile(container);
        const Dumped dumped = Dump(dir.Write(file));
        ASSERT_EQ(dumped.status, 0);
        const Json json = dumped.json();
        EXPECT_EQ(json["FileVersion"], version);
        EXPECT_EQ(json["SignatureText"], kSignatures[static_cast<std::size_t>(version - 1)]);
        EXPECT_EQ(json["LoadFailed"], false);
        const std::uint32_t checksum = *ReferenceSaverFileChecksum(file);
        EXPECT_EQ(json["Checksum"], Json({{"Stored", checksum}, {"Computed", checksum}, {"Ok", true}}));
        EXPECT_TRUE(dumped.boxes.empty());
      }
    }
  }
}

TEST(DumpFacts, AnUnknownSignatureFailsWithVersionZero) {
  FactsDirectory dir;
  ContainerSpec container;
  container.Signature = "Velquora Scene v.6.0";
  container.WriteParameters = true;
  const Dumped dumped = Dump(dir.Write(SaverFile(container)));
  EXPECT_EQ(dumped.status, 1);
  const Json json = dumped.json();
  EXPECT_EQ(json["FileVersion"], 0);
  EXPECT_EQ(json["LoadFailed"], true);
  EXPECT_EQ(json["SignatureText"], "Velquora Scene v.5.2");  // the fresh scene's, unchanged
  EXPECT_EQ(json["Checksum"]["Ok"], true);
  ASSERT_EQ(dumped.boxes.size(), 1U);
  EXPECT_EQ(dumped.boxes[0].text, "Cannot read data from file.");
}

TEST(DumpFacts, ADamagedFileIsLoadedWithoutAQuestion) {
  FactsDirectory dir;
  std::vector<std::uint8_t> file = SaverFile(ContainerSpec{});
  const std::uint32_t good = *ReferenceSaverFileChecksum(file);
  DamageByte(file, 2);  // inside the program part
  const Dumped dumped = Dump(dir.Write(file));
  EXPECT_EQ(dumped.status, 0);
  const Json json = dumped.json();
  EXPECT_EQ(json["LoadFailed"], false);
  EXPECT_EQ(json["Checksum"]["Stored"], good);
  EXPECT_EQ(json["Checksum"]["Computed"], *ReferenceSaverFileChecksum(file));
  EXPECT_NE(json["Checksum"]["Computed"], good);
  EXPECT_EQ(json["Checksum"]["Ok"], false);
  EXPECT_TRUE(dumped.boxes.empty());  // no question in a tool mode
}

TEST(DumpFacts, TruncatedFilesFailWithoutCrashing) {
  FactsDirectory dir;
  const std::vector<std::uint8_t> file = SaverFile(ContainerSpec{});
  for (std::size_t size = 0; size < file.size(); size += 7) {
    SCOPED_TRACE(size);
    const Dumped dumped = Dump(dir.Write(Truncated(file, size)));
    EXPECT_EQ(dumped.status, 1);
    const Json json = dumped.json();
    EXPECT_EQ(json["LoadFailed"], true);
    EXPECT_EQ(json["Checksum"]["Ok"], false);
    EXPECT_EQ(dumped.boxes.size(), 1U);
  }
}

TEST(DumpFacts, AMissingFileIsReportedWithoutJson) {
  FactsDirectory dir;
  const Dumped dumped = Dump(dir.Path() / "missing.scr");
  EXPECT_EQ(dumped.status, 1);
  EXPECT_TRUE(dumped.out.empty());
  ASSERT_EQ(dumped.boxes.size(), 1U);
  EXPECT_EQ(dumped.boxes[0].text, "Cannot open " + (dir.Path() / "missing.scr").string() + " file.");
}

TEST(DumpFacts, TheOutputIsOneLineOfJson) {
  FactsDirectory dir;
  const Dumped dumped = Dump(dir.Write(SaverFile(ContainerSpec{})));
  ASSERT_FALSE(dumped.out.empty());
  EXPECT_EQ(dumped.out.find('\n'), dumped.out.size() - 1);
  EXPECT_NO_THROW(dumped.json());
}

}  // namespace
}  // namespace velquora

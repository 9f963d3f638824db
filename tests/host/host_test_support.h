#pragma once
// Shared pieces of the host tests: a temporary directory of the test's own, saver files
// made by the writers, and recording stand-ins for the settings and the front end.
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "container_writer.h"
#include "host/host_settings.h"
#include "host/saver_front_end.h"
#include "saver_writer.h"
#include "scene_writer.h"

namespace velquora::testing {

namespace fs = std::filesystem;

// A fresh directory, removed with everything in it at the end of the test.
class TestDirectory {
public:
  TestDirectory() {
    std::string pattern = (fs::temp_directory_path() / "velquora_host_test_XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TestDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TestDirectory(const TestDirectory&) = delete;
  TestDirectory& operator=(const TestDirectory&) = delete;

  const fs::path& Path() const { return path_; }
  fs::path Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    WriteFileBytes(path_ / name, bytes);
    return path_ / name;
  }

private:
  fs::path path_;
};

// A well-formed saver file: a compressed scene of the given version with default content.
inline std::vector<std::uint8_t> GoodSaverFile(int version = 16) {
  ContainerSpec container;
  container.Version = version;
  return WriteSaverFile(WriteContainer(WriteSceneRecords(SceneSpec{}, version), container));
}

// A saver file whose container has a signature of no known version.
inline std::vector<std::uint8_t> UnknownSignatureSaverFile() {
  ContainerSpec container;
  container.Signature = "Velquora Scene v.9.9";
  return WriteSaverFile(WriteContainer(WriteSceneRecords(SceneSpec{}, 16), container));
}

struct SettingsCall {
  std::string what;  // "Read" or "Save"
  HostMode mode;
  bool scene_present;
};

class RecordingSettings : public HostSettings {
public:
  bool CrcChecked(const HostState&) override { return crc_checked; }
  void Read(HostState& host) override { calls.push_back({"Read", host.Mode, host.Scene != nullptr}); }
  void Save(HostState& host) override { calls.push_back({"Save", host.Mode, host.Scene != nullptr}); }

  int Count(const std::string& what) const {
    int n = 0;
    for (const auto& call : calls) n += call.what == what ? 1 : 0;
    return n;
  }

  bool crc_checked = false;
  std::vector<SettingsCall> calls;
};

struct FrontEndCall {
  std::string what;  // "FullScreen", "Preview", "SettingsDialog", "ChangePassword"
  HostMode mode;
  WindowHandle parent = kNoWindow;
  bool scene_present = false;
  bool load_sprites = false;
  bool load_failed = false;
  std::int32_t file_version = 0;
  std::int32_t screen_width = 0;
  std::int32_t screen_height = 0;
  ClassCursor cursor = ClassCursor::None;
};

class RecordingFrontEnd : public SaverFrontEnd {
public:
  bool RunFullScreen(HostState& host) override {
    Record("FullScreen", host, kNoWindow);
    return window_created;
  }
  bool RunPreview(HostState& host, WindowHandle parent) override {
    Record("Preview", host, parent);
    return window_created;
  }
  void RunSettingsDialog(HostState& host) override { Record("SettingsDialog", host, kNoWindow); }
  void ChangePassword(HostState& host) override { Record("ChangePassword", host, kNoWindow); }

  bool window_created = true;
  std::vector<FrontEndCall> calls;

private:
  void Record(const std::string& what, const HostState& host, WindowHandle parent) {
    FrontEndCall call{what, host.Mode, parent};
    call.cursor = host.SaverClassCursor;
    if (host.Scene) {
      call.scene_present = true;
      call.load_sprites = host.Scene->LoadSprites;
      call.load_failed = host.Scene->LoadFailed;
      call.file_version = host.Scene->FileVersion;
      call.screen_width = host.Scene->ScreenWidth;
      call.screen_height = host.Scene->ScreenHeight;
    }
    calls.push_back(call);
  }
};

}  // namespace velquora::testing

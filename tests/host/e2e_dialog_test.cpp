// End to end on a virtual X server: the program shows the settings dialog for /c and PR,
// xdotool clicks and types into it, and the stored settings are read back. The
// positions of the controls come from the program's own --dump-dialog.
// With VELQUORA_DIALOG_SHOTS=DIR the tests also save pictures of both dialogs there.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host/dialog_speed.h"
#include "host/settings.h"
#include "host_test_support.h"
#include "platform/gdi/bitmap.h"
#include "platform/registry/registry.h"
#include "platform/registry/registry_store.h"
#include "platform/win/x11_client.h"
#include "xvfb_support.h"

namespace velquora {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::Eventually;
using testing::FindInPath;
using testing::Process;
using testing::TestDirectory;
using testing::VirtualDisplay;

constexpr const char* kSettingsTitle = "Aquarium settings";  // the scene writer's defaults
constexpr const char* kAboutTitle = "About Aquarium";
constexpr int kSpeedBarId = 6;
constexpr int kPlaySoundId = 5;
constexpr int kAboutId = 7;

class DialogDisplayTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { display_ = VirtualDisplay::Start().release(); }
  static void TearDownTestSuite() {
    delete display_;
    display_ = nullptr;
  }

  void SetUp() override {
    if (FindInPath("Xvfb") == std::nullopt || FindInPath("xdotool") == std::nullopt) {
      GTEST_SKIP() << "Xvfb or xdotool is not installed";
    }
    ASSERT_NE(display_, nullptr) << "Xvfb did not start";
    client_ = TX11Client::Connect(display_->Name());
    ASSERT_NE(client_, nullptr);
    SceneSpec design;
    design.SettingsFontName = "MS Sans Serif";
    design.SettingsFontSize = 8;
    ContainerSpec container;
    container.Version = 16;
    saver_ = dir_.Write("scene.scr", WriteSaverFile(WriteContainer(WriteSceneRecords(design, 16), container)));
    settings_items_ = DumpItems("settings");
  }

  // The items of the dialog as the program lays them out: Id -> PixelRect.
  std::map<int, Rect> DumpItems(const std::string& which) {
    const fs::path output = dir_.Path() / ("dump-" + which + ".json");
    Process dump({VELQUORA_SAVER_PROGRAM, "--saver", saver_.string(), "--dump-dialog", which},
                 display_->ProgramEnvironment(dir_.Path()), output);
    EXPECT_EQ(dump.WaitFor(20000ms), 0);
    std::ifstream file(output);
    const nlohmann::json json = nlohmann::json::parse(file, nullptr, false);
    std::map<int, Rect> items;
    if (json.is_discarded() || !json.contains("Items")) return items;
    for (const auto& item : json["Items"]) {
      const auto& r = item["PixelRect"];
      items[item["Id"].get<int>()] = Rect{r[0].get<int>(), r[1].get<int>(), r[2].get<int>(), r[3].get<int>()};
    }
    return items;
  }

  std::unique_ptr<Process> Start(const std::string& saver_switch) {
    auto process =
        std::make_unique<Process>(std::vector<std::string>{VELQUORA_SAVER_PROGRAM, "--saver", saver_.string(), saver_switch},
                                  display_->ProgramEnvironment(dir_.Path()), dir_.Path() / "output.txt");
    EXPECT_TRUE(process->Started());
    return process;
  }

  WindowHandle WaitForWindow(const std::string& title) {
    WindowHandle window = kNoWindow;
    Eventually([&] { return (window = client_->FindTopLevel(title)) != kNoWindow; }, 10000ms);
    std::this_thread::sleep_for(300ms);  // drawn and given the keyboard
    return window;
  }

  // A click x, y pixels into the window's client area.
  void ClickAt(WindowHandle window, int x, int y) {
    display_->XDoTool("mousemove --window " + std::to_string(window) + " " + std::to_string(x) + " " +
                      std::to_string(y) + " click 1");
    std::this_thread::sleep_for(200ms);
  }
  void ClickCentre(WindowHandle window, int id) {
    const Rect r = settings_items_.at(id);
    ClickAt(window, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  void Key(const std::string& key) {
    display_->XDoTool("key " + key);
    std::this_thread::sleep_for(200ms);
  }

  std::optional<std::string> StoredSetting(std::string_view name) const {
    TRegistryStore store(dir_.Path() / "velquora" / "registry.reg");
    TRegistry key(store);
    if (!key.OpenKey(SettingsKeyPath(saver_.string()), false)) return std::nullopt;
    return key.ReadString(name);
  }

  std::string Output() const {
    std::ifstream file(dir_.Path() / "output.txt");
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

  void SaveShot(WindowHandle window, const std::string& name) {
    const char* directory = std::getenv("VELQUORA_DIALOG_SHOTS");
    if (directory == nullptr) return;
    if (const std::optional<TBitmap> shot = client_->Capture(window)) SavePng(*shot, fs::path(directory) / name);
  }

  static inline VirtualDisplay* display_ = nullptr;
  TestDirectory dir_;
  fs::path saver_;
  std::unique_ptr<TX11Client> client_;
  std::map<int, Rect> settings_items_;
};

TEST_F(DialogDisplayTest, AClickOnTheSpeedBarAndReturnStoreTheRulesPeriod) {
  ASSERT_TRUE(settings_items_.contains(kSpeedBarId));
  const Rect bar = settings_items_.at(kSpeedBarId);
  const int x = bar.Width() / 3;
  std::unique_ptr<Process> saver = Start("/c");
  const WindowHandle dialog = WaitForWindow(kSettingsTitle);
  ASSERT_NE(dialog, kNoWindow) << Output();
  SaveShot(dialog, "settings-dialog.png");
  ClickAt(dialog, bar.Left + x, (bar.Top + bar.Bottom) / 2);
  Key("Return");
  EXPECT_EQ(saver->WaitFor(5000ms), 0);
  EXPECT_EQ(StoredSetting(kTimerIntervalValue),
            std::to_string(IntervalFromSpeed(SpeedFromCursor(x, bar.Width()))));
  EXPECT_EQ(StoredSetting(kPlaySoundValue), "10");
}

TEST_F(DialogDisplayTest, ClearingPlaySoundAndReturnStoreZero) {
  std::unique_ptr<Process> saver = Start("/c");
  const WindowHandle dialog = WaitForWindow(kSettingsTitle);
  ASSERT_NE(dialog, kNoWindow) << Output();
  ClickCentre(dialog, kPlaySoundId);
  Key("Return");
  EXPECT_EQ(saver->WaitFor(5000ms), 0);
  EXPECT_EQ(StoredSetting(kPlaySoundValue), "0");
}

TEST_F(DialogDisplayTest, EscStoresNothing) {
  std::unique_ptr<Process> saver = Start("/c");
  const WindowHandle dialog = WaitForWindow(kSettingsTitle);
  ASSERT_NE(dialog, kNoWindow) << Output();
  const Rect bar = settings_items_.at(kSpeedBarId);
  ClickAt(dialog, bar.Left + 2, (bar.Top + bar.Bottom) / 2);
  Key("Escape");
  EXPECT_EQ(saver->WaitFor(5000ms), 0) << Output();
  EXPECT_FALSE(StoredSetting(kTimerIntervalValue).has_value());
  EXPECT_FALSE(StoredSetting(kPlaySoundValue).has_value());
}

TEST_F(DialogDisplayTest, PrAndReturnStoreNothing) {
  std::unique_ptr<Process> saver = Start("PR");
  const WindowHandle dialog = WaitForWindow(kSettingsTitle);
  ASSERT_NE(dialog, kNoWindow) << Output();
  ClickCentre(dialog, kPlaySoundId);
  Key("Return");
  EXPECT_EQ(saver->WaitFor(5000ms), 0);
  EXPECT_FALSE(StoredSetting(kTimerIntervalValue).has_value());
  EXPECT_FALSE(StoredSetting(kPlaySoundValue).has_value());
}

TEST_F(DialogDisplayTest, AboutOpensTheAboutDialogAndReturnClosesOnlyIt) {
  std::unique_ptr<Process> saver = Start("/c");
  const WindowHandle dialog = WaitForWindow(kSettingsTitle);
  ASSERT_NE(dialog, kNoWindow) << Output();
  ClickCentre(dialog, kAboutId);
  const WindowHandle about = WaitForWindow(kAboutTitle);
  ASSERT_NE(about, kNoWindow);
  SaveShot(about, "about-dialog.png");
  Key("Return");
  EXPECT_TRUE(Eventually([&] { return client_->FindTopLevel(kAboutTitle) == kNoWindow; }, 5000ms));
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(saver->Running()) << "the settings dialog stays";
  EXPECT_NE(client_->FindTopLevel(kSettingsTitle), kNoWindow);
  Key("Escape");
  EXPECT_EQ(saver->WaitFor(5000ms), 0);
  EXPECT_FALSE(StoredSetting(kTimerIntervalValue).has_value());
}

}  // namespace
}  // namespace velquora

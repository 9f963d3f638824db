// End to end on a virtual X server: the program plays a saver file in its own full-screen
// window, inside another client's window as a preview, and in a daemon's window, and
// what reaches the screen is compared with an off-screen render of the same scene.
#include <fcntl.h>
#include <poll.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host/scene_load.h"
#include "host/settings.h"
#include "host_test_support.h"
#include "wav_writer.h"
#include "xvfb_support.h"
#include "platform/gdi/canvas.h"
#include "platform/registry/registry.h"
#include "platform/registry/registry_store.h"
#include "platform/win/x11_client.h"

namespace velquora {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::Eventually;
using testing::FindInPath;
using testing::Process;
using testing::TestDirectory;
using testing::VirtualDisplay;

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

int DistinctColors(const TBitmap& picture) {
  std::set<TColor> colors;
  for (int y = 0; y < picture.Height(); y += 3) {
    for (int x = 0; x < picture.Width(); x += 3) colors.insert(picture.GetPixel(x, y));
  }
  return static_cast<int>(colors.size());
}

std::int64_t DifferentPixels(const TBitmap& a, const TBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return -1;
  std::int64_t different = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) different += a.GetPixel(x, y) != b.GetPixel(x, y) ? 1 : 0;
  }
  return different;
}

// The saver file's scene as the window shows it after the first Step, rendered off
// screen at the given size.
TBitmap RenderOffScreen(const fs::path& saver, int width, int height) {
  TVelquoraScene scene;
  scene.ScreenWidth = width;
  scene.ScreenHeight = height;
  LoadSceneFromSaverFile(saver.string(), scene, false);
  TBitmap target(width, height);
  scene.TargetBitmap = &target;
  scene.Restart();
  scene.Step();
  return target;
}

// One Xvfb for the whole suite, on a display number nobody uses.
class DisplayTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { display_ = VirtualDisplay::Start().release(); }
  static void TearDownTestSuite() {
    delete display_;
    display_ = nullptr;
  }

  void SetUp() override {
    if (FindInPath("Xvfb") == std::nullopt) GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_NE(display_, nullptr) << "Xvfb did not start";
    client_ = TX11Client::Connect(display_->Name());
    ASSERT_NE(client_, nullptr);
    // A painted background with a border around a centred picture: still, so that the
    // screen must equal the render whatever tick it shows.
    SceneSpec design;
    design.TimerInterval = 50;
    design.BackgroundBmp = MakeTestBmp(160, 120, 5);
    design.PicturePlacement = 1;
    ContainerSpec container;
    container.Version = 16;
    saver_bytes_ = WriteSaverFile(WriteContainer(WriteSceneRecords(design, 16), container));
    saver_ = dir_.Write("scene.scr", saver_bytes_);
  }

  std::vector<std::string> Environment() const { return display_->ProgramEnvironment(dir_.Path()); }

  std::unique_ptr<Process> Start(const std::vector<std::string>& saver_arguments) {
    std::vector<std::string> arguments = {VELQUORA_SAVER_PROGRAM, "--report-steps", "--saver", saver_.string()};
    arguments.insert(arguments.end(), saver_arguments.begin(), saver_arguments.end());
    auto process = std::make_unique<Process>(arguments, Environment(), dir_.Path() / "output.txt");
    EXPECT_TRUE(process->Started());
    return process;
  }

  TRegistryStore Store() const { return TRegistryStore(dir_.Path() / "velquora" / "registry.reg"); }

  std::optional<std::string> StoredSetting(std::string_view name) const {
    TRegistryStore store = Store();
    TRegistry key(store);
    if (!key.OpenKey(SettingsKeyPath(saver_.string()), false)) return std::nullopt;
    return key.ReadString(name);
  }

  std::string Output() const {
    std::ifstream file(dir_.Path() / "output.txt");
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

  int StepsReported() const {
    const std::string output = Output();
    const std::string marker = "velquora-saver: played ";
    const std::size_t at = output.rfind(marker);
    return at == std::string::npos ? -1 : std::atoi(output.c_str() + at + marker.size());
  }

  // Plays in show mode and covers part of the screen with another window for a while.
  // The scene is still, so no Step draws there again: what was covered comes back only
  // because the saver shows its last picture when its window is uncovered.
  void ExpectCoveredPartShownAgain() {
    const TBitmap expected = RenderOffScreen(saver_, kScreenWidth, kScreenHeight);
    std::unique_ptr<Process> saver = Start({"SP"});
    std::optional<TBitmap> shot;
    const auto differences = [&] {
      shot = client_->Capture(client_->Root());
      return shot ? DifferentPixels(*shot, expected) : -2;
    };
    ASSERT_TRUE(Eventually([&] { return differences() == 0; })) << differences();
    const WindowHandle cover = client_->CreateWindow(Rect{100, 80, 400, 300});
    ASSERT_NE(cover, kNoWindow);
    ASSERT_TRUE(Eventually([&] { return differences() > 0; }));
    client_->DestroyWindow(cover);
    EXPECT_TRUE(Eventually([&] { return differences() == 0; })) << "different pixels: " << differences();
    XDoTool("key x");
    EXPECT_EQ(saver->WaitFor(3000ms), 0);
  }

  void MovePointer(int x, int y) const { ASSERT_TRUE(display_->MovePointer(x, y)); }
  std::string XDoTool(const std::string& arguments) const { return display_->XDoTool(arguments); }

  static inline VirtualDisplay* display_ = nullptr;
  TestDirectory dir_;
  fs::path saver_;
  std::vector<std::uint8_t> saver_bytes_;
  std::unique_ptr<TX11Client> client_;
};

TEST_F(DisplayTest, RunModeShowsTheSceneAndClosesOnMotionOnlyAfterTwoSeconds) {
  const TBitmap expected = RenderOffScreen(saver_, kScreenWidth, kScreenHeight);
  ASSERT_GT(DistinctColors(expected), 100);  // a picture, not a blank screen
  std::unique_ptr<Process> saver = Start({"/s"});
  std::optional<TBitmap> shot;
  ASSERT_TRUE(Eventually([&] {
    shot = client_->Capture(client_->Root());
    return shot && DifferentPixels(*shot, expected) == 0;
  })) << "different pixels: " << (shot ? DifferentPixels(*shot, expected) : -2);
  // The window's two-second periods start when it is made, just before its first
  // picture; a slow start (a sanitizer build loading its libraries) comes before that.
  const auto started = Clock::now();

  // Motion in the first two seconds is ignored.
  for (int i = 0; i < 8; ++i) MovePointer(100 + i * 9, 100 + i * 5);
  EXPECT_LT(Clock::now() - started, 1800ms) << "the machine is too slow to test the first two seconds";
  EXPECT_TRUE(saver->Running());
  EXPECT_FALSE(StoredSetting(kCrcCheckedValue).has_value());

  std::this_thread::sleep_until(started + 2500ms);  // past the first allowance tick
  for (int i = 0; i < 6; ++i) {
    MovePointer(200 + i * 11, 150 + i * 7);
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_EQ(saver->WaitFor(3000ms), 0);
  EXPECT_EQ(StoredSetting(kCrcCheckedValue), "1");
}

TEST_F(DisplayTest, ShowModeIgnoresMotionAndEndsOnAKeyStoringNothing) {
  std::unique_ptr<Process> saver = Start({"SP"});
  ASSERT_TRUE(Eventually([&] { return client_->ChildCount(client_->Root()) == 1; })) << Output();
  std::this_thread::sleep_for(2200ms);  // past the first allowance tick, when /s would close
  for (int i = 0; i < 10; ++i) MovePointer(300 + i * 4, 200 + i * 3);
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(saver->Running());
  XDoTool("key x");  // to the window under the pointer
  EXPECT_EQ(saver->WaitFor(3000ms), 0);
  EXPECT_GT(StepsReported(), 20);
  EXPECT_FALSE(StoredSetting(kCrcCheckedValue).has_value());
}

TEST_F(DisplayTest, AWindowUncoveredShowsTheSceneAgain) { ExpectCoveredPartShownAgain(); }

// A display that shares no memory with the saver (one on another machine) gets the
// pictures through the connection itself, the uncovered parts again too.
class DisplayWithoutSharedMemoryTest : public DisplayTest {
protected:
  static void SetUpTestSuite() { display_ = VirtualDisplay::Start({"-extension", "MIT-SHM"}).release(); }
};

TEST_F(DisplayWithoutSharedMemoryTest, TheSceneShowsAndComesBackWhenUncovered) { ExpectCoveredPartShownAgain(); }

TEST_F(DisplayTest, AStoredTimerIntervalOfOneHundredHalvesTheTickRate) {
  const auto steps_in = [this](std::chrono::milliseconds period) {
    std::unique_ptr<Process> saver = Start({"/s"});
    // Counted from the window's coming: a slow start (a sanitizer build on a busy
    // machine) would otherwise take more Steps from the faster rate than the slower.
    EXPECT_TRUE(Eventually([&] { return client_->ChildCount(client_->Root()) == 1; })) << Output();
    std::this_thread::sleep_for(period);
    saver->Signal(SIGTERM);
    EXPECT_EQ(saver->WaitFor(3000ms), 0);
    return StepsReported();
  };
  const int at_default = steps_in(2000ms);
  {
    TRegistryStore store = Store();
    TRegistry key(store);
    ASSERT_TRUE(key.OpenKey(SettingsKeyPath(saver_.string()), true));
    key.WriteString(kTimerIntervalValue, "100");
  }
  const int at_hundred = steps_in(2000ms);
  ASSERT_GT(at_hundred, 0);
  const double ratio = static_cast<double>(at_default) / at_hundred;
  EXPECT_GT(ratio, 1.5) << at_default << " steps at 50 ms, " << at_hundred << " at 100 ms";
  EXPECT_LT(ratio, 2.6) << at_default << " steps at 50 ms, " << at_hundred << " at 100 ms";
}

TEST_F(DisplayTest, PreviewDrawsInsideAnotherClientsWindowAndEndsWithIt) {
  const WindowHandle host = client_->CreateWindow(Rect{40, 30, 40 + 320, 30 + 240});
  ASSERT_NE(host, kNoWindow);
  const TBitmap full = RenderOffScreen(saver_, 640, 480);
  TBitmap expected(320, 240);
  TCanvas(expected).StretchDraw(expected.BoundsRect(), full);
  ASSERT_GT(DistinctColors(expected), 100);
  std::unique_ptr<Process> saver = Start({"/p", std::to_string(host)});
  std::optional<TBitmap> shot;
  ASSERT_TRUE(Eventually([&] {
    shot = client_->Capture(host);
    return shot && DifferentPixels(*shot, expected) == 0;
  })) << "different pixels: " << (shot ? DifferentPixels(*shot, expected) : -2);
  EXPECT_EQ(client_->ChildCount(host), 1);
  for (int i = 0; i < 8; ++i) MovePointer(60 + i * 20, 60 + i * 10);  // a preview ignores input
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(saver->Running());

  client_->DestroyWindow(host);
  EXPECT_EQ(saver->WaitFor(3000ms), 0);
  EXPECT_EQ(StoredSetting(kCrcCheckedValue), "1");
}

TEST_F(DisplayTest, ADaemonsWindowIsPlayedIntoAtItsOwnSizeWithoutReactingToInput) {
  const WindowHandle daemon_window = client_->CreateWindow(Rect{100, 80, 100 + 200, 80 + 150});
  ASSERT_NE(daemon_window, kNoWindow);
  const TBitmap expected = RenderOffScreen(saver_, 200, 150);
  ASSERT_GT(DistinctColors(expected), 100);
  std::ostringstream id;
  id << "0x" << std::hex << daemon_window;
  std::unique_ptr<Process> saver = Start({"-window-id", id.str()});
  std::optional<TBitmap> shot;
  ASSERT_TRUE(Eventually([&] {
    shot = client_->Capture(daemon_window);
    return shot && DifferentPixels(*shot, expected) == 0;
  })) << "different pixels: " << (shot ? DifferentPixels(*shot, expected) : -2);
  std::this_thread::sleep_for(2200ms);  // past the first allowance tick
  for (int i = 0; i < 10; ++i) MovePointer(120 + i * 5, 100 + i * 4);
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(saver->Running());
  saver->Signal(SIGTERM);  // how the daemon ends its hacks
  EXPECT_EQ(saver->WaitFor(3000ms), 0);
  EXPECT_EQ(StoredSetting(kCrcCheckedValue), "1");  // stored as after a /s run
  EXPECT_EQ(client_->Capture(daemon_window).has_value(), true);  // the window is still the daemon's
}

TEST_F(DisplayTest, ADamagedFileAsksInABoxWhoseDefaultAnswerNoEndsTheSaver) {
  std::vector<std::uint8_t> bytes = saver_bytes_;
  bytes[bytes.size() / 2] ^= 0x5A;
  WriteFileBytes(saver_, bytes);
  std::unique_ptr<Process> saver = Start({"/s"});
  WindowHandle box = kNoWindow;
  ASSERT_TRUE(Eventually([&] {
    box = client_->FindTopLevel("Error");
    return box != kNoWindow;
  })) << "no message box appeared; the program said: " << Output()
                << "; windows on the screen: " << client_->ChildCount(client_->Root())
                << (saver->Running() ? "; still running" : "; ended");
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(saver->Running());  // waiting for the answer
  XDoTool("key --window " + std::to_string(box) + " Return");
  EXPECT_EQ(saver->WaitFor(3000ms), 0);
  EXPECT_EQ(StepsReported(), -1);  // no window played
  EXPECT_FALSE(StoredSetting(kCrcCheckedValue).has_value());
}

// Sound: a /s run whose one sound file is missing counts "Play Sound" down by one when it
// closes; with "Play Sound" at 0 the run starts no sound at all. The closing report
// (--report-steps) says what the player did.
class DisplaySoundTest : public DisplayTest {
protected:
  void UseSaverWithSound(const AudioFileSpec& sound, const std::string& play_sound) {
    SceneSpec design;
    design.TimerInterval = 50;
    design.AudioFiles = {sound};
    ContainerSpec container;
    container.Version = 16;
    saver_ = dir_.Write("sound.scr", WriteSaverFile(WriteContainer(WriteSceneRecords(design, 16), container)));
    TRegistryStore store = Store();
    TRegistry key(store);
    ASSERT_TRUE(key.OpenKey(SettingsKeyPath(saver_.string()), true));
    key.WriteString(kPlaySoundValue, play_sound);
    key.WriteString(kTimerIntervalValue, "20");  // the playlist's first start comes soon
  }

  // Runs /s for long enough to pass the playlist's first start (at the fourth Step),
  // then ends it as a daemon would; the closing report.
  std::string RunAWhile() {
    std::unique_ptr<Process> saver = Start({"/s"});
    EXPECT_TRUE(Eventually([&] { return client_->ChildCount(client_->Root()) == 1; })) << Output();
    std::this_thread::sleep_for(2000ms);
    saver->Signal(SIGTERM);
    EXPECT_EQ(saver->WaitFor(3000ms), 0);
    EXPECT_GT(StepsReported(), 4);
    return Output();
  }
};

TEST_F(DisplaySoundTest, ARunWhoseSoundFileIsMissingStoresPlaySoundOneLower) {
  AudioFileSpec missing;
  missing.FileName = (dir_.Path() / "missing.wav").string();
  UseSaverWithSound(missing, "3");
  const std::string output = RunAWhile();
  EXPECT_NE(output.find("sound on, player failed, last sound " + missing.FileName), std::string::npos) << output;
  EXPECT_EQ(StoredSetting(kPlaySoundValue), "2");
  EXPECT_EQ(StoredSetting(kCrcCheckedValue), "1");
}

TEST_F(DisplaySoundTest, WithPlaySoundAtZeroTheRunStartsNoSound) {
  AudioFileSpec tone;
  tone.FileName = "tone.wav";
  tone.Embedded = WritePcmWave(8000, 1, SineSamples(8000, 1, 440, 8000));
  UseSaverWithSound(tone, "0");
  const std::string output = RunAWhile();
  EXPECT_NE(output.find("sound off, player ok, no sound started"), std::string::npos) << output;
  EXPECT_EQ(StoredSetting(kPlaySoundValue), "0");
}

}  // namespace
}  // namespace velquora

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/preview.h"
#include "host/saver_window.h"
#include "host_test_support.h"
#include "platform/gdi/canvas.h"
#include "platform/registry/registry.h"
#include "platform/system/display_info.h"
#include "platform/system/resource_probe.h"
#include "platform/win/headless_backend.h"
#include "recording_message_boxes.h"

namespace velquora {
namespace {

constexpr TColor kSceneColor = RGB(30, 160, 90);
constexpr WindowHandle kAboutDialog = 0xAB0;  // stands for the open about dialog

// A saver window over the headless back end. The scene's load and Step are stand-ins
// that count their calls; Step paints the whole target in one colour.
class SaverWindowTest : public ::testing::Test {
protected:
  SaverWindowTest() {
    auto backend = std::make_unique<HeadlessBackend>();
    backend_ = backend.get();
    windows_ = std::make_unique<TWindowSystem>(std::move(backend));
    host_.Scene = std::make_unique<TVelquoraScene>();
  }

  SaverWindowServices Services() {
    SaverWindowServices services{*windows_, {}, {}, password_, {}};
    services.LoadScene = [this](HostState& host) {
      ++loads_;
      if (interval_after_load_) host.Scene->TimerInterval = *interval_after_load_;
    };
    services.StepScene = [this](TVelquoraScene& scene) {
      ++steps_;
      if (scene.TargetBitmap != nullptr) {
        PaintHalves(*scene.TargetBitmap);
      } else if (auto dc = windows_->GetDC(scene.OwnerWindow)) {
        TCanvas canvas(dc->Bitmap());
        canvas.Brush.Color = kSceneColor;
        canvas.FillRect(dc->Bitmap().BoundsRect());
      }
      scene.BackgroundShown = true;
    };
    services.ShowAbout = [this](HostState&, WindowHandle parent) {
      about_parents_.push_back(parent);
      // Messages that reach the window while the dialog shows are ignored.
      host_.AboutDialog = kAboutDialog;
      windows_->SendMessage(window_, WM_TIMER, kFrameTimer);
      host_.AboutDialog = kNoWindow;
    };
    return services;
  }

  // Left half red, right half blue.
  static void PaintHalves(TBitmap& target) {
    TCanvas canvas(target);
    canvas.Brush.Color = RGB(255, 0, 0);
    canvas.FillRect(Rect{0, 0, target.Width() / 2, target.Height()});
    canvas.Brush.Color = RGB(0, 0, 255);
    canvas.FillRect(Rect{target.Width() / 2, 0, target.Width(), target.Height()});
  }

  // Creates the saver window in the given mode as a full-screen pop-up (or, in Preview
  // mode, as a child of a 160 x 120 host window).
  void Create(HostMode mode) {
    host_.Mode = mode;
    host_.SaverClassCursor = mode == HostMode::Run ? ClassCursor::None : ClassCursor::Arrow;
    saver_ = std::make_unique<TSaverWindow>(host_, Services());
    ASSERT_TRUE(windows_->RegisterClass(saver_->WindowClass()));
    if (mode == HostMode::Preview) {
      const WindowHandle parent = backend_->AddForeignWindow(Rect{0, 0, 160, 120});
      host_.PreviewRect = Rect{0, 0, 160, 120};
      window_ = windows_->CreateWindowEx(0, kSaverClassName, kPreviewTitle, WS_CHILD | WS_VISIBLE, host_.PreviewRect,
                                         parent);
    } else {
      window_ = windows_->CreateWindowEx(WS_EX_TOPMOST, kSaverClassName, "", WS_POPUP | WS_VISIBLE,
                                         Rect{0, 0, 320, 240}, kNoWindow);
    }
    ASSERT_NE(window_, kNoWindow);
  }

  LRESULT Send(UINT message, WPARAM w_param = 0, LPARAM l_param = 0) {
    return windows_->SendMessage(window_, message, w_param, l_param);
  }
  void Tick() { Send(WM_TIMER, kFrameTimer); }
  void AllowanceTick() { Send(WM_TIMER, kAllowanceTimer); }
  bool ClosePosted() const { return windows_->HasPosted(window_, WM_CLOSE); }

  // Runs the message loop over scripted input; the clock when it ended.
  std::uint64_t RunLoop() {
    RunMessageLoop(*windows_);
    return backend_->Now();
  }

  HeadlessBackend* backend_ = nullptr;
  std::unique_ptr<TWindowSystem> windows_;
  HostState host_;
  TSaverPassword* password_ = nullptr;
  std::unique_ptr<TSaverWindow> saver_;
  WindowHandle window_ = kNoWindow;
  int loads_ = 0;
  int steps_ = 0;
  std::optional<std::int32_t> interval_after_load_;
  std::vector<WindowHandle> about_parents_;
};

// --- creation, first tick, timers ---------------------------------------------------

TEST_F(SaverWindowTest, CreationStartsTheFrameTimerAtTheScenesIntervalAndTheAllowanceTimer) {
  host_.Scene->TimerInterval = 50;
  Create(HostMode::Run);
  EXPECT_EQ(windows_->TimerPeriod(window_, kFrameTimer), 50u);
  EXPECT_EQ(windows_->TimerPeriod(window_, kAllowanceTimer), 2000u);
  EXPECT_EQ(host_.SaverWindow, window_);
  EXPECT_EQ(loads_, 0);
  EXPECT_EQ(steps_, 0);
}

TEST_F(SaverWindowTest, TheFirstTickLoadsTheSceneOnceAndRestartsTheTimerWithItsNewInterval) {
  interval_after_load_ = 100;
  Create(HostMode::Run);
  Tick();
  EXPECT_EQ(loads_, 1);
  EXPECT_EQ(steps_, 1);  // the first tick steps too
  EXPECT_TRUE(saver_->FirstTickDone);
  EXPECT_EQ(windows_->TimerPeriod(window_, kFrameTimer), 100u);
  Tick();
  Tick();
  EXPECT_EQ(loads_, 1);
  EXPECT_EQ(steps_, 3);
}

TEST_F(SaverWindowTest, AStoredIntervalOfOneHundredHalvesTheTickRate) {
  const auto ticks_in_one_second = [this](std::optional<std::int32_t> stored) {
    windows_ = std::make_unique<TWindowSystem>(std::make_unique<HeadlessBackend>());
    backend_ = static_cast<HeadlessBackend*>(&windows_->Backend());
    host_.Scene = std::make_unique<TVelquoraScene>();
    interval_after_load_ = stored;
    steps_ = 0;
    Create(HostMode::Run);
    const std::uint64_t end = backend_->Now() + 1000;
    TMsg message;
    while (windows_->GetMessage(message) && backend_->Now() <= end) windows_->DispatchMessage(message);
    return steps_;
  };
  const int at_default = ticks_in_one_second(std::nullopt);
  const int at_hundred = ticks_in_one_second(100);
  EXPECT_EQ(at_default, 20);
  EXPECT_EQ(at_hundred, 10);
}

TEST_F(SaverWindowTest, FullScreenTicksDrawIntoTheWindowAndShowAfterEachStep) {
  Create(HostMode::Show);
  TMsg message{window_, WM_TIMER, kFrameTimer, 0};
  windows_->DispatchMessage(message);
  EXPECT_EQ(host_.Scene->OwnerWindow, window_);
  EXPECT_EQ(host_.Scene->TargetBitmap, nullptr);
  const HeadlessBackend::NativeWindow* native = backend_->Find(window_);
  ASSERT_EQ(native->Presented, 1);
  EXPECT_EQ(native->LastPicture.GetPixel(0, 0), kSceneColor);
  EXPECT_EQ(native->LastPicture.GetPixel(319, 239), kSceneColor);
}

TEST_F(SaverWindowTest, PreviewDrawsSilentlyAt640x480AndStretchesIntoTheHostWindow) {
  host_.Scene->ScreenWidth = 640;
  host_.Scene->ScreenHeight = 480;
  Create(HostMode::Preview);
  TMsg message{window_, WM_TIMER, kFrameTimer, 0};
  windows_->DispatchMessage(message);
  EXPECT_EQ(host_.Scene->TargetBitmap, &saver_->PreviewBitmap);
  EXPECT_EQ(saver_->PreviewBitmap.Width(), 640);
  EXPECT_EQ(saver_->PreviewBitmap.Height(), 480);
  EXPECT_FALSE(host_.Scene->SoundEnabled);
  EXPECT_EQ(host_.Scene->OwnerWindow, kNoWindow);
  const TBitmap& shown = backend_->Find(window_)->LastPicture;
  ASSERT_EQ(shown.Width(), 160);
  ASSERT_EQ(shown.Height(), 120);
  EXPECT_EQ(shown.GetPixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(shown.GetPixel(79, 119), RGB(255, 0, 0));
  EXPECT_EQ(shown.GetPixel(80, 0), RGB(0, 0, 255));
  EXPECT_EQ(shown.GetPixel(159, 119), RGB(0, 0, 255));
}

TEST_F(SaverWindowTest, RunModeHidesTheCursorOnceAtTheFirstTick) {
  Create(HostMode::Run);
  Tick();
  Tick();
  EXPECT_EQ(windows_->ShowCursor(true), 0);  // exactly one hide before
}

TEST_F(SaverWindowTest, OtherModesLeaveTheCursorAlone) {
  for (const HostMode mode : {HostMode::Program, HostMode::Show, HostMode::Preview}) {
    windows_ = std::make_unique<TWindowSystem>(std::make_unique<HeadlessBackend>());
    backend_ = static_cast<HeadlessBackend*>(&windows_->Backend());
    Create(mode);
    Tick();
    EXPECT_EQ(windows_->ShowCursor(true), 1) << HostModeName(mode);
  }
}

// --- the message table ----------------------------------------------------------------

TEST_F(SaverWindowTest, EraseBackgroundIsAnsweredWithoutPainting) {
  Create(HostMode::Run);
  EXPECT_EQ(Send(WM_ERASEBKGND), 0);
  EXPECT_EQ(backend_->Find(window_)->Presented, 0);
}

TEST_F(SaverWindowTest, RunModeSwallowsTheCloseAndScreenSaveCommandsOthersPassThem) {
  Create(HostMode::Run);
  EXPECT_EQ(Send(WM_SYSCOMMAND, SC_CLOSE), 1);
  EXPECT_EQ(Send(WM_SYSCOMMAND, SC_SCREENSAVE), 1);
  EXPECT_FALSE(ClosePosted());
  windows_ = std::make_unique<TWindowSystem>(std::make_unique<HeadlessBackend>());
  backend_ = static_cast<HeadlessBackend*>(&windows_->Backend());
  Create(HostMode::Show);
  EXPECT_EQ(Send(WM_SYSCOMMAND, SC_CLOSE), 0);
  EXPECT_TRUE(ClosePosted());  // the default procedure's answer to SC_CLOSE
}

TEST_F(SaverWindowTest, DeactivationStartsTheCloseCheckOnlyInRunMode) {
  const struct {
    HostMode mode;
    UINT message;
    WPARAM w_param;
    bool closes;
  } rows[] = {
      {HostMode::Run, WM_ACTIVATE, WA_INACTIVE, true},       {HostMode::Run, WM_ACTIVATEAPP, 0, true},
      {HostMode::Run, WM_ACTIVATE, 0x00010000, true},        // minimised flag in the high word, still inactive
      {HostMode::Run, WM_ACTIVATE, WA_ACTIVE, false},        {HostMode::Run, WM_ACTIVATEAPP, 1, false},
      {HostMode::Program, WM_ACTIVATE, WA_INACTIVE, false},  {HostMode::Show, WM_ACTIVATEAPP, 0, false},
      {HostMode::Preview, WM_ACTIVATE, WA_INACTIVE, false},
  };
  for (const auto& row : rows) {
    windows_ = std::make_unique<TWindowSystem>(std::make_unique<HeadlessBackend>());
    backend_ = static_cast<HeadlessBackend*>(&windows_->Backend());
    Create(row.mode);
    Send(row.message, row.w_param);
    EXPECT_EQ(ClosePosted(), row.closes) << HostModeName(row.mode) << " message " << row.message << " " << row.w_param;
  }
}

TEST_F(SaverWindowTest, NonClientDeactivationIsAnsweredWithZeroInRunMode) {
  Create(HostMode::Run);
  EXPECT_EQ(Send(WM_NCACTIVATE, 0), 0);
  EXPECT_FALSE(ClosePosted());
}

TEST_F(SaverWindowTest, ProgramAndShowCloseOnAnyKeyOrButtonButNeverOnMotion) {
  const UINT closing[] = {WM_KEYDOWN, WM_SYSKEYDOWN, WM_CHAR, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
  for (const HostMode mode : {HostMode::Program, HostMode::Show}) {
    for (const UINT message : closing) {
      windows_ = std::make_unique<TWindowSystem>(std::make_unique<HeadlessBackend>());
      backend_ = static_cast<HeadlessBackend*>(&windows_->Backend());
      Create(mode);
      Send(message, 'Q');
      EXPECT_TRUE(ClosePosted()) << HostModeName(mode) << " message " << message;
    }
    windows_ = std::make_unique<TWindowSystem>(std::make_unique<HeadlessBackend>());
    backend_ = static_cast<HeadlessBackend*>(&windows_->Backend());
    Create(mode);
    AllowanceTick();
    for (int i = 0; i < 50; ++i) Send(WM_MOUSEMOVE, 0, MakePointParam(i, i));
    EXPECT_FALSE(ClosePosted()) << HostModeName(mode);
  }
}

TEST_F(SaverWindowTest, PreviewReactsToNoInputAtAll) {
  Create(HostMode::Preview);
  AllowanceTick();
  for (const UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_CHAR, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN,
                             WM_MOUSEMOVE, WM_MOUSEMOVE, WM_MOUSEMOVE, WM_MOUSEMOVE, WM_MOUSEMOVE, WM_MOUSEMOVE}) {
    Send(message, 'Q');
  }
  Send(WM_ACTIVATE, WA_INACTIVE);
  EXPECT_FALSE(ClosePosted());
  EXPECT_TRUE(windows_->IsWindow(window_));
}

TEST_F(SaverWindowTest, RunModeClosesAtOnceOnAMouseButton) {
  for (const UINT button : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
    windows_ = std::make_unique<TWindowSystem>(std::make_unique<HeadlessBackend>());
    backend_ = static_cast<HeadlessBackend*>(&windows_->Backend());
    Create(HostMode::Run);
    Send(button);
    EXPECT_TRUE(ClosePosted()) << button;
  }
}

TEST_F(SaverWindowTest, MotionInTheFirstTwoSecondsNeverCloses) {
  Create(HostMode::Run);
  for (int i = 0; i < 9999; ++i) Send(WM_MOUSEMOVE);
  EXPECT_FALSE(ClosePosted());
  EXPECT_EQ(saver_->MouseAllowance, 1);
}

TEST_F(SaverWindowTest, TheFifthMotionWithinOneAllowancePeriodCloses) {
  Create(HostMode::Run);
  AllowanceTick();
  for (int i = 0; i < 4; ++i) Send(WM_MOUSEMOVE);
  EXPECT_FALSE(ClosePosted());
  AllowanceTick();  // a new period: four more are ignored
  for (int i = 0; i < 4; ++i) Send(WM_MOUSEMOVE);
  EXPECT_FALSE(ClosePosted());
  Send(WM_MOUSEMOVE);
  EXPECT_TRUE(ClosePosted());
}

TEST_F(SaverWindowTest, AKeyWithACharacterClosesThroughItsCharacterMessage) {
  Create(HostMode::Run);
  backend_->ScheduleInput(backend_->Now() + 500, TMsg{window_, WM_KEYDOWN, 'K', 0});
  const std::uint64_t start = backend_->Now();
  EXPECT_EQ(RunLoop() - start, 500u);  // the window closed at the key
  EXPECT_FALSE(windows_->IsWindow(window_));
}

TEST_F(SaverWindowTest, AKeyWithoutACharacterNeedsASecondEvent) {
  Create(HostMode::Run);
  Send(WM_KEYDOWN, VK_SHIFT);
  EXPECT_FALSE(ClosePosted());
  EXPECT_EQ(saver_->MouseAllowance, 0);
  Send(WM_MOUSEMOVE);
  EXPECT_TRUE(ClosePosted());
}

TEST_F(SaverWindowTest, AShiftIsForgottenAtTheNextAllowanceTick) {
  Create(HostMode::Run);
  Send(WM_KEYDOWN, VK_SHIFT);
  AllowanceTick();
  Send(WM_MOUSEMOVE);
  EXPECT_FALSE(ClosePosted());
  Send(WM_KEYDOWN, VK_LEFT);
  EXPECT_FALSE(ClosePosted());
  Send(WM_KEYDOWN, VK_LEFT);
  EXPECT_TRUE(ClosePosted());
}

TEST_F(SaverWindowTest, ScriptedMotionClosesTheRunningSaverOnlyAfterTheFirstAllowanceTick) {
  Create(HostMode::Run);
  const std::uint64_t start = backend_->Now();
  for (int i = 0; i < 40; ++i) backend_->ScheduleInput(start + 100 + i * 40, TMsg{window_, WM_MOUSEMOVE, 0, 0});
  for (int i = 0; i < 5; ++i) backend_->ScheduleInput(start + 2500 + i * 10, TMsg{window_, WM_MOUSEMOVE, 0, 0});
  EXPECT_EQ(RunLoop() - start, 2540u);  // the fifth motion after the tick at 2000
  EXPECT_GT(steps_, 40);
}

// --- closing when the scene has played out -----------------------------------------------

TEST_F(SaverWindowTest, ProgramModeClosesWhenTheSceneHasPlayedOut) {
  const struct {
    HostMode mode;
    std::int32_t runs_left;
    bool close_when_done;
    bool closes;
  } rows[] = {
      {HostMode::Program, 0, true, true},  {HostMode::Program, 1, true, false}, {HostMode::Program, 0, false, false},
      {HostMode::Show, 0, true, false},    {HostMode::Run, 0, true, false},     {HostMode::Preview, 0, true, false},
  };
  for (const auto& row : rows) {
    windows_ = std::make_unique<TWindowSystem>(std::make_unique<HeadlessBackend>());
    backend_ = static_cast<HeadlessBackend*>(&windows_->Backend());
    host_.Scene = std::make_unique<TVelquoraScene>();
    host_.Scene->RunsLeft = row.runs_left;
    host_.Scene->CloseWhenDone = row.close_when_done;
    Create(row.mode);
    Tick();
    EXPECT_EQ(ClosePosted(), row.closes) << HostModeName(row.mode) << " runs " << row.runs_left;
  }
}

// --- destruction -------------------------------------------------------------------------

TEST_F(SaverWindowTest, DestructionStopsTheAllowanceTimerAndPostsQuit) {
  Create(HostMode::Run);
  Send(WM_CLOSE);
  EXPECT_FALSE(windows_->IsWindow(window_));
  EXPECT_TRUE(windows_->HasPosted(kNoWindow, WM_QUIT));
  EXPECT_FALSE(windows_->TimerPeriod(window_, kAllowanceTimer).has_value());
  EXPECT_TRUE(about_parents_.empty());
}

TEST_F(SaverWindowTest, ProgramModeShowsTheAboutDialogOnClosingAndStandsStillMeanwhile) {
  host_.Scene->ShowAboutOnExit = true;
  Create(HostMode::Program);
  Send(WM_CLOSE);
  EXPECT_EQ(about_parents_, std::vector<WindowHandle>{window_});
  EXPECT_EQ(steps_, 0);  // the tick sent while the dialog showed did nothing
  EXPECT_EQ(host_.AboutDialog, kNoWindow);
}

TEST_F(SaverWindowTest, OnlyProgramModeShowsTheAboutDialog) {
  host_.Scene->ShowAboutOnExit = true;
  Create(HostMode::Show);
  Send(WM_CLOSE);
  EXPECT_TRUE(about_parents_.empty());
}

TEST_F(SaverWindowTest, WhileTheAboutDialogIsOpenEveryMessageIsIgnored) {
  Create(HostMode::Program);
  host_.AboutDialog = kAboutDialog;
  EXPECT_EQ(Send(WM_SYSCOMMAND, SC_CLOSE), 0);
  Send(WM_KEYDOWN, 'A');
  Tick();
  Send(WM_CLOSE);
  EXPECT_FALSE(ClosePosted());
  EXPECT_TRUE(windows_->IsWindow(window_));
  EXPECT_EQ(steps_, 0);
}

// --- low resources -----------------------------------------------------------------------

// Answers a box and, while it is open, lets another frame tick reach the window.
class TickingMessageBoxes : public MessageBoxes {
public:
  explicit TickingMessageBoxes(std::function<void()> tick) : tick_(std::move(tick)) {}
  MessageBoxResult Show(const MessageBoxRequest& request) override {
    shown.push_back(request);
    tick_();
    return MessageBoxResult::Ok;
  }
  std::vector<MessageBoxRequest> shown;

private:
  std::function<void()> tick_;
};

TEST_F(SaverWindowTest, TheLowResourcesMessageIsShownOnceEvenWhenTicksArriveMeanwhile) {
  ScopedResourceFigure low(10);
  Create(HostMode::Program);
  auto boxes = std::make_shared<TickingMessageBoxes>([this] { Tick(); });
  ScopedMessageBoxes installed(boxes);
  Tick();
  Tick();
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].text, kLowResourcesText);
  EXPECT_EQ(boxes->shown[0].caption, "Error");
  EXPECT_EQ(boxes->shown[0].icon, MessageBoxIcon::Error);
  EXPECT_EQ(boxes->shown[0].owner, window_);
  EXPECT_EQ(loads_, 1);
  EXPECT_EQ(steps_, 3);
}

TEST_F(SaverWindowTest, TheLowResourcesMessageBelongsToThePlayingModesBelowFifteenPercent) {
  const struct {
    HostMode mode;
    int percent;
    bool shown;
  } rows[] = {{HostMode::Program, 14, true}, {HostMode::Show, 0, true},     {HostMode::Program, 15, false},
              {HostMode::Run, 5, false},     {HostMode::Preview, 5, false}};
  for (const auto& row : rows) {
    windows_ = std::make_unique<TWindowSystem>(std::make_unique<HeadlessBackend>());
    backend_ = static_cast<HeadlessBackend*>(&windows_->Backend());
    ScopedResourceFigure figure(row.percent);
    ScopedRecordingMessageBoxes boxes;
    Create(row.mode);
    Tick();
    EXPECT_EQ(boxes.boxes().shown.size(), row.shown ? 1u : 0u) << HostModeName(row.mode) << " " << row.percent;
  }
}

// --- palette -------------------------------------------------------------------------------

TEST_F(SaverWindowTest, RealizingAChangedPaletteRepaintsTheWholeScene) {
  const ScopedPaletteDisplay palette_display(true);
  host_.Scene->BackgroundBitmap.SetPixelFormat(PixelFormat::Bits8);
  Create(HostMode::Show);
  host_.Scene->BackgroundShown = true;
  EXPECT_EQ(Send(WM_QUERYNEWPALETTE), 0);
  EXPECT_FALSE(host_.Scene->BackgroundShown);
  host_.Scene->BackgroundShown = true;
  Send(WM_PALETTECHANGED, 0x4242);  // another window: realised again, nothing changed
  EXPECT_TRUE(host_.Scene->BackgroundShown);
}

TEST_F(SaverWindowTest, ThePaletteIsLeftAloneOnDisplaysWithMoreColoursOrForOwnChanges) {
  host_.Scene->BackgroundBitmap.SetPixelFormat(PixelFormat::Bits8);
  Create(HostMode::Show);
  host_.Scene->BackgroundShown = true;
  Send(WM_QUERYNEWPALETTE);
  EXPECT_TRUE(host_.Scene->BackgroundShown);  // PaletteDisplay is false
  const ScopedPaletteDisplay palette_display(true);
  Send(WM_PALETTECHANGED, window_);
  EXPECT_TRUE(host_.Scene->BackgroundShown);
}

// --- the password ----------------------------------------------------------------------

std::int32_t g_password_answer = 0;
std::int32_t VerifyExport(WindowHandle) { return g_password_answer; }

class PasswordModules : public TModuleLoader {
  class Module : public TModule {
  public:
    void* Procedure(const std::string& name) override {
      return name == kVerifyPasswordExport ? reinterpret_cast<void*>(&VerifyExport) : nullptr;
    }
  };

public:
  std::unique_ptr<TModule> LoadSystemModule(const std::string& file_name) override {
    ++loads;
    return file_name == kPasswordModule ? std::make_unique<Module>() : nullptr;
  }
  int loads = 0;
};

TEST_F(SaverWindowTest, AFailedPasswordKeepsTheSaverRunningWithFourMotionsAllowed) {
  testing::TestDirectory dir;
  TRegistryStore store(dir.Path() / "registry.reg");
  {
    TRegistry desktop(store);
    ASSERT_TRUE(desktop.OpenKey(kDesktopKey, true));
    desktop.WriteInteger(kUsePasswordValue, 1);
  }
  PasswordModules modules;
  TSaverPassword password(store, modules);
  password_ = &password;
  Create(HostMode::Run);
  Tick();
  host_.Scene->BackgroundShown = true;
  g_password_answer = 0;
  Send(WM_LBUTTONDOWN);
  EXPECT_FALSE(ClosePosted());
  EXPECT_EQ(saver_->MouseAllowance, 4);
  EXPECT_FALSE(host_.Scene->BackgroundShown);
  EXPECT_EQ(windows_->ShowCursor(true), 0);  // shown for the dialog and hidden again
  windows_->ShowCursor(false);
  g_password_answer = 1;
  for (int i = 0; i < 4; ++i) Send(WM_MOUSEMOVE);
  EXPECT_EQ(modules.loads, 1);
  Send(WM_MOUSEMOVE);
  EXPECT_TRUE(ClosePosted());
  EXPECT_EQ(modules.loads, 2);
  Send(WM_KEYDOWN, 'A');
  EXPECT_EQ(modules.loads, 2);  // passed once, never asked again
}

// --- the whole windows -------------------------------------------------------------------

TEST_F(SaverWindowTest, TheFullScreenWindowRestartsTheSceneAndEndsWithTheLoop) {
  host_.Mode = HostMode::Program;
  int restarts = 0;
  backend_->ScheduleInput(backend_->Now() + 300, TMsg{0x100, WM_LBUTTONDOWN, 0, 0});
  EXPECT_TRUE(RunSaverWindow(host_, Services(), [&](TVelquoraScene&) { ++restarts; }));
  EXPECT_EQ(restarts, 1);
  EXPECT_EQ(steps_, 5);  // ticks at 50 .. 250; input due with a tick comes before it
  EXPECT_EQ(host_.SaverWindow, kNoWindow);
  EXPECT_TRUE(backend_->Windows().empty());
}

TEST_F(SaverWindowTest, NoWindowMeansNoLoopAndNoRestart) {
  host_.Mode = HostMode::Run;
  backend_->RefuseWindows = true;
  int restarts = 0;
  EXPECT_FALSE(RunSaverWindow(host_, Services(), [&](TVelquoraScene&) { ++restarts; }));
  EXPECT_EQ(restarts, 0);
}

TEST_F(SaverWindowTest, AnEmbeddedSaverPlaysAtTheGivenWindowsSize) {
  host_.Mode = HostMode::Run;
  const WindowHandle daemon_window = backend_->AddForeignWindow(Rect{0, 0, 200, 150});
  backend_->LoseWindow(daemon_window, backend_->Now() + 500);
  EXPECT_TRUE(RunSaverWindow(host_, Services(), {}, daemon_window));
  EXPECT_EQ(host_.Scene->ScreenWidth, 200);
  EXPECT_EQ(host_.Scene->ScreenHeight, 150);
  EXPECT_EQ(steps_, 9);  // ticks at 50 .. 450; the window is gone at 500
}

TEST_F(SaverWindowTest, ThePreviewEndsWhenTheHostDestroysItsWindow) {
  host_.Mode = HostMode::Preview;
  const WindowHandle parent = backend_->AddForeignWindow(Rect{0, 0, 152, 112});
  backend_->ScheduleInput(backend_->Now() + 120, TMsg{0x101, WM_KEYDOWN, 'A', 0});  // ignored
  backend_->LoseWindow(0x101, backend_->Now() + 250);
  EXPECT_TRUE(RunPreviewWindow(host_, Services(), parent));
  EXPECT_EQ(host_.PreviewRect, (Rect{0, 0, 152, 112}));
  EXPECT_EQ(steps_, 4);  // ticks at 50 .. 200; the window is gone at 250
  EXPECT_FALSE(RunPreviewWindow(host_, Services(), 0xBAD));
}

TEST_F(SaverWindowTest, ThePreviewShowsTheArrowOverItself) {
  host_.Mode = HostMode::Preview;
  host_.SaverClassCursor = ClassCursor::None;  // what start-up asks the program's module for
  const WindowHandle parent = backend_->AddForeignWindow(Rect{0, 0, 152, 112});
  backend_->LoseWindow(0x101, backend_->Now() + 100);
  ASSERT_TRUE(RunPreviewWindow(host_, Services(), parent));
  const HeadlessBackend::NativeWindow* child = backend_->Find(0x101);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->Request.Kind, NativeWindowKind::Child);
  EXPECT_EQ(child->Request.Title, kPreviewTitle);
  EXPECT_TRUE(child->CursorVisible);
}

}  // namespace
}  // namespace velquora

// The settings and about dialogs driven through the window system's dialogs on the
// headless back end: each test scripts what a person at the display does, one action
// each time the dialog's loop waits for input.
#include "host/settings_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/dialog_speed.h"
#include "host_test_support.h"
#include "platform/system/shell_open.h"
#include "platform/win/headless_backend.h"

namespace velquora {
namespace {

using testing::RecordingSettings;

// Runs the next scripted action whenever the loop waits with nothing to deliver.
class ScriptedBackend : public HeadlessBackend {
public:
  bool WaitForInput(std::optional<std::uint32_t> timeout, std::vector<TMsg>& input) override {
    if (!actions.empty()) {
      const std::function<void()> action = std::move(actions.front());
      actions.pop_front();
      action();
    }
    return HeadlessBackend::WaitForInput(timeout, input);
  }
  std::deque<std::function<void()>> actions;
};

class SettingsDialogTest : public ::testing::Test {
protected:
  SettingsDialogTest() {
    auto backend = std::make_unique<ScriptedBackend>();
    backend_ = backend.get();
    windows_ = std::make_unique<TWindowSystem>(std::move(backend));
    host_.Mode = HostMode::Settings;
    host_.Scene = std::make_unique<TVelquoraScene>();
    TVelquoraScene& scene = *host_.Scene;
    scene.SettingsCaption = "Aquarium settings";
    scene.SpeedLabel = "Speed";
    scene.SupportLabel = "Support:";
    scene.SupportLink = "https://example.org/support";
    scene.AboutCaption = "About Aquarium";
    scene.AboutLines = {"Aquarium 1.0"};
    scene.AboutLink = "https://example.org/";
    scene.ShowGoButton = true;
    scene.ShowAboutButton = true;
    scene.AboutShowGoButton = true;
  }

  void Then(std::function<void()> action) { backend_->actions.push_back(std::move(action)); }

  // Runs the settings dialog through the scripted actions; true when its loop ended.
  void RunSettings() {
    DialogServices services{*windows_, settings_};
    ShowSettingsDialog(host_, services);
  }

  WindowHandle Settings() const { return host_.SaverWindow; }
  WindowHandle About() const { return host_.AboutDialog; }

  // The centre of a control in its dialog's client area.
  Point Centre(WindowHandle dialog, int id) {
    const Rect control = windows_->GetWindowRect(windows_->GetDlgItem(dialog, id)).value();
    const Rect frame = windows_->GetWindowRect(dialog).value();
    return Point{control.Left - frame.Left + control.Width() / 2, control.Top - frame.Top + control.Height() / 2};
  }
  void Click(WindowHandle dialog, int id) {
    const Point at = Centre(dialog, id);
    backend_->InjectClick(dialog, at.X, at.Y);
  }
  // A click x pixels from the speed bar's left edge.
  void ClickBar(WindowHandle dialog, int x) {
    const Rect bar = windows_->GetWindowRect(windows_->GetDlgItem(dialog, kIdSpeedBar)).value();
    const Rect frame = windows_->GetWindowRect(dialog).value();
    backend_->InjectClick(dialog, bar.Left - frame.Left + x, bar.Top - frame.Top + bar.Height() / 2);
  }
  int BarWidth(WindowHandle dialog) {
    return windows_->GetWindowRect(windows_->GetDlgItem(dialog, kIdSpeedBar)).value().Width();
  }
  std::u16string SpeedLabel(WindowHandle dialog) { return windows_->GetDlgItemText(dialog, kIdSpeedText); }
  int BarPosition(WindowHandle dialog) {
    return windows_->GetScrollPos(windows_->GetDlgItem(dialog, kIdSpeedBar), SB_CTL);
  }

  HostState host_;
  ScriptedBackend* backend_ = nullptr;
  std::unique_ptr<TWindowSystem> windows_;
  RecordingSettings settings_;
};

std::u16string Utf16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

TEST_F(SettingsDialogTest, ReferenceFontGivesTheReferenceFactorsExactly) {
  const DialogScale scale = MeasureDialogScale(*windows_, "MS Sans Serif", 8);
  EXPECT_EQ(scale.X, 1.59);
  EXPECT_EQ(scale.Y, 1.55);
  // Another font changes the factors, not the reference.
  const DialogScale larger = MeasureDialogScale(*windows_, "MS Sans Serif", 16);
  EXPECT_GT(larger.X, 1.59);
  EXPECT_GT(larger.Y, 1.55);
}

TEST_F(SettingsDialogTest, ProbesThatCannotBeMadeKeepOneAndAHalf) {
  backend_->RefuseWindows = true;
  const DialogScale scale = MeasureDialogScale(*windows_, "MS Sans Serif", 8);
  EXPECT_EQ(scale.X, 1.5);
  EXPECT_EQ(scale.Y, 1.5);
}

TEST_F(SettingsDialogTest, OpensWithTheSpeedOfTheFramePeriod) {
  const struct {
    std::int32_t interval;
    int position;
    std::string label;
  } cases[] = {{50, 20, "20 frames per second"},
               {40, 25, "25 frames per second"},
               {30, 33, "33 frames per second"},
               {0, 1, "1 frames per second"}};
  for (const auto& c : cases) {
    host_.Scene->TimerInterval = c.interval;
    int position = -1;
    std::u16string label;
    Then([&] {
      position = BarPosition(Settings());
      label = SpeedLabel(Settings());
      backend_->InjectKey(Settings(), VK_ESCAPE);
    });
    RunSettings();
    EXPECT_EQ(position, c.position) << c.interval << " ms";
    EXPECT_EQ(label, Utf16(c.label)) << c.interval << " ms";
    EXPECT_EQ(host_.Scene->TimerInterval, c.interval) << "Esc keeps the period";
  }
  EXPECT_EQ(settings_.Count("Save"), 0);
}

TEST_F(SettingsDialogTest, AClickOnTheBarSetsSpeedLabelAndPeriodAndOkStores) {
  const struct {
    const char* where;
    std::function<int(int width)> x;
    int speed;
    std::int32_t interval;
  } cases[] = {{"far left", [](int) { return 0; }, 0, 1000},
               {"far right", [](int width) { return width - 1; }, 39, 26},
               {"a quarter in", [](int width) { return width / 4; }, 10, 100}};
  for (const auto& c : cases) {
    host_.Scene->TimerInterval = 70;
    settings_.calls.clear();
    std::u16string label;
    int position = -1;
    Then([&] { ClickBar(Settings(), c.x(BarWidth(Settings()))); });
    Then([&] {
      label = SpeedLabel(Settings());
      position = BarPosition(Settings());
      backend_->InjectKey(Settings(), VK_RETURN);
    });
    RunSettings();
    EXPECT_EQ(label, Utf16(SpeedText(c.speed))) << c.where;
    EXPECT_EQ(position, std::max(c.speed, kSpeedBarMinimum)) << c.where << ": the bar holds its range";
    EXPECT_EQ(host_.Scene->TimerInterval, c.interval) << c.where;
    ASSERT_EQ(settings_.Count("Save"), 1) << c.where;
    EXPECT_EQ(settings_.calls[0].mode, HostMode::Settings);
  }
}

TEST_F(SettingsDialogTest, EscAndCancelCloseWithoutStoring) {
  const struct {
    const char* how;
    std::function<void()> close;
  } cases[] = {{"Esc", [this] { backend_->InjectKey(Settings(), VK_ESCAPE); }},
               {"Cancel", [this] { Click(Settings(), kIdCancel); }}};
  for (const auto& c : cases) {
    WindowHandle shown = kNoWindow;
    Then([&] { ClickBar(Settings(), 0); });
    Then([&] {
      shown = Settings();
      c.close();
    });
    RunSettings();
    EXPECT_EQ(settings_.Count("Save"), 0) << c.how;
    EXPECT_FALSE(windows_->IsWindow(shown)) << c.how << " closes the dialog";
    EXPECT_EQ(host_.SaverWindow, kNoWindow) << c.how;
  }
}

TEST_F(SettingsDialogTest, TheCloseButtonClosesNeitherDialog) {
  bool settings_open = false;
  bool about_open = false;
  bool about_still_open = false;
  Then([&] { backend_->InjectClose(Settings()); });
  Then([&] {
    settings_open = windows_->IsWindow(Settings());
    Click(Settings(), kIdAbout);
  });
  Then([&] {
    about_open = About() != kNoWindow;
    backend_->InjectClose(About());
  });
  Then([&] {
    about_still_open = About() != kNoWindow && windows_->IsWindow(About());
    backend_->InjectKey(About(), VK_RETURN);
  });
  Then([&] { backend_->InjectKey(Settings(), VK_ESCAPE); });
  RunSettings();
  EXPECT_TRUE(settings_open);
  EXPECT_TRUE(about_open);
  EXPECT_TRUE(about_still_open);
  EXPECT_EQ(settings_.Count("Save"), 0);
}

TEST_F(SettingsDialogTest, TheAboutDialogFreezesTheSettingsDialogUntilItCloses) {
  host_.Scene->TimerInterval = 50;
  std::int32_t interval_while_about = 0;
  bool settings_open_after_about = false;
  Then([&] { Click(Settings(), kIdAbout); });
  Then([&] {
    ASSERT_NE(About(), kNoWindow);
    ClickBar(Settings(), 0);                           // dropped: only the about dialog reacts
    backend_->InjectKey(Settings(), VK_ESCAPE);        // dropped too
  });
  Then([&] {
    interval_while_about = host_.Scene->TimerInterval;
    backend_->InjectKey(About(), VK_RETURN);  // closes the about dialog only
  });
  Then([&] {
    settings_open_after_about = About() == kNoWindow && windows_->IsWindow(Settings());
    ClickBar(Settings(), 0);
  });
  Then([&] { backend_->InjectKey(Settings(), VK_RETURN); });
  RunSettings();
  EXPECT_EQ(interval_while_about, 50);
  EXPECT_TRUE(settings_open_after_about);
  EXPECT_EQ(host_.Scene->TimerInterval, 1000);
  EXPECT_EQ(settings_.Count("Save"), 1);
}

TEST_F(SettingsDialogTest, TheCheckBoxShowsAndTogglesTheSound) {
  host_.Scene->SoundEnabled = true;
  UINT checked_at_start = BST_UNCHECKED;
  Then([&] {
    checked_at_start = windows_->IsDlgButtonChecked(Settings(), kIdPlaySound);
    Click(Settings(), kIdPlaySound);
  });
  Then([&] { backend_->InjectKey(Settings(), VK_RETURN); });
  RunSettings();
  EXPECT_EQ(checked_at_start, BST_CHECKED);
  EXPECT_FALSE(host_.Scene->SoundEnabled);
  EXPECT_EQ(settings_.Count("Save"), 1);
}

TEST_F(SettingsDialogTest, GoOpensTheLinkAsOneArgument) {
  std::vector<std::vector<std::string>> started;
  ScopedShellOpener opener([&](const std::vector<std::string>& arguments) { started.push_back(arguments); });
  host_.Scene->SupportLink = "https://example.org/a b;$(rm -rf x)";
  Then([&] { Click(Settings(), kIdGo); });
  Then([&] { Click(Settings(), kIdAbout); });
  Then([&] { Click(About(), kIdGo); });
  Then([&] { backend_->InjectKey(About(), VK_ESCAPE); });
  Then([&] { backend_->InjectKey(Settings(), VK_ESCAPE); });
  RunSettings();
  EXPECT_EQ(started, (std::vector<std::vector<std::string>>{{"xdg-open", "https://example.org/a b;$(rm -rf x)"},
                                                            {"xdg-open", "https://example.org/"}}));
}

TEST_F(SettingsDialogTest, TheDialogIsCentredOnTheScreen) {
  Rect frame;
  Then([&] {
    frame = windows_->GetWindowRect(Settings()).value();
    backend_->InjectKey(Settings(), VK_ESCAPE);
  });
  RunSettings();
  EXPECT_EQ(frame.Left, windows_->GetSystemMetrics(SM_CXFULLSCREEN) / 2 - frame.Width() / 2);
  EXPECT_EQ(frame.Top, windows_->GetSystemMetrics(SM_CYFULLSCREEN) / 2 - frame.Height() / 2);
}

TEST_F(SettingsDialogTest, TheControlsAreTheTemplatesTenPlusTheAskedButtons) {
  const struct {
    bool go, about;
  } cases[] = {{false, false}, {true, false}, {false, true}, {true, true}};
  for (const auto& c : cases) {
    host_.Scene->ShowGoButton = c.go;
    host_.Scene->ShowAboutButton = c.about;
    bool has_go = false;
    bool has_about = false;
    bool has_statics = false;
    Then([&] {
      has_go = windows_->GetDlgItem(Settings(), kIdGo) != kNoWindow;
      has_about = windows_->GetDlgItem(Settings(), kIdAbout) != kNoWindow;
      has_statics = windows_->GetDlgItem(Settings(), kIdNoteBlock) != kNoWindow;
      backend_->InjectKey(Settings(), VK_ESCAPE);
    });
    RunSettings();
    EXPECT_EQ(has_go, c.go);
    EXPECT_EQ(has_about, c.about);
    EXPECT_TRUE(has_statics);
  }
}

TEST_F(SettingsDialogTest, AboutDialogOverAWindowSetsAboutDialogWhileOpen) {
  const WindowHandle parent = backend_->AddForeignWindow(Rect{0, 0, 640, 480});
  WindowHandle while_open = kNoWindow;
  Then([&] {
    while_open = host_.AboutDialog;
    backend_->InjectKey(host_.AboutDialog, VK_ESCAPE);
  });
  DialogServices services{*windows_, settings_};
  ShowAboutDialog(host_, services, parent);
  EXPECT_NE(while_open, kNoWindow);
  EXPECT_FALSE(windows_->IsWindow(while_open));
  EXPECT_EQ(host_.AboutDialog, kNoWindow);
}

// The longest run of dark pixels in one row of the control's place in the picture.
int LongestDarkRun(const TBitmap& picture, const Rect& place) {
  int longest = 0;
  for (int y = place.Top; y < place.Bottom && y < picture.Height(); ++y) {
    int run = 0;
    for (int x = place.Left; x < place.Right && x < picture.Width(); ++x) {
      const TColor c = picture.GetPixel(x, y);
      run = GetRValue(c) + GetGValue(c) + GetBValue(c) < 200 ? run + 1 : 0;
      longest = std::max(longest, run);
    }
  }
  return longest;
}

TEST_F(SettingsDialogTest, TheLinkIsDrawnUnderlinedAndItsLabelIsNot) {
  int link_run = 0;
  int label_run = 0;
  Then([&] { backend_->InjectKey(Settings(), VK_TAB); });  // something to draw after the set-up
  Then([&] {
    const TBitmap& picture = backend_->Find(Settings())->LastPicture;
    const Rect frame = windows_->GetWindowRect(Settings()).value();
    const auto place = [&](int id) {
      Rect r = windows_->GetWindowRect(windows_->GetDlgItem(Settings(), id)).value();
      return Rect{r.Left - frame.Left, r.Top - frame.Top, r.Right - frame.Left, r.Bottom - frame.Top};
    };
    link_run = LongestDarkRun(picture, place(kIdLink));
    label_run = LongestDarkRun(picture, place(kIdLinkLabel));
    backend_->InjectKey(Settings(), VK_ESCAPE);
  });
  RunSettings();
  EXPECT_GT(link_run, 60) << "an underline under \"https://example.org/support\"";
  EXPECT_LT(label_run, 20);
}

TEST_F(SettingsDialogTest, NoDialogNoLoop) {
  backend_->RefuseWindows = true;
  RunSettings();
  EXPECT_EQ(host_.SaverWindow, kNoWindow);
  EXPECT_EQ(settings_.Count("Save"), 0);
}

TEST_F(SettingsDialogTest, HostileTextsLayOutAndRun) {
  TVelquoraScene& scene = *host_.Scene;
  scene.SettingsCaption = std::string(255, '\x01');
  scene.SpeedLabel = std::string(255, 'W');
  scene.SupportLink = std::string("a\0b", 3) + std::string(250, '\t');
  scene.SettingsInfoLines.assign(400, std::string(255, '\xFF'));
  scene.SettingsNoteLines.assign(400, std::string(255, '\n'));
  scene.SettingsFontName = std::string(255, 'Q');
  scene.AboutLines.assign(400, std::string(255, 'M'));
  scene.AboutFontName = std::string(255, '\x7F');
  bool shown = false;
  bool about_shown = false;
  Then([&] {
    shown = Settings() != kNoWindow;
    Click(Settings(), kIdAbout);
  });
  Then([&] {
    about_shown = About() != kNoWindow;
    backend_->InjectKey(About(), VK_RETURN);
  });
  Then([&] { Click(Settings(), kIdOk); });  // Return would press About again: it has the focus
  RunSettings();
  EXPECT_TRUE(shown);
  EXPECT_TRUE(about_shown);
  EXPECT_EQ(settings_.Count("Save"), 1);
}

TEST_F(SettingsDialogTest, AFontTooLargeForAnyWindowShowsNoDialog) {
  const struct {
    std::int32_t settings_points, about_points;
  } cases[] = {{30000, 8}, {-30000, 8}, {8, 30000}};
  for (const auto& c : cases) {
    host_.Scene->SettingsFontSize = c.settings_points;
    host_.Scene->AboutFontSize = c.about_points;
    settings_.calls.clear();
    bool about_shown = true;
    Then([&] {
      if (Settings() == kNoWindow) return;
      Click(Settings(), kIdAbout);
      Then([&] {
        about_shown = About() != kNoWindow;
        if (About() != kNoWindow) backend_->InjectKey(About(), VK_RETURN);
      });
      Then([&] { backend_->InjectKey(Settings(), VK_ESCAPE); });
    });
    RunSettings();
    backend_->actions.clear();
    EXPECT_EQ(settings_.Count("Save"), 0) << c.settings_points;
    if (c.about_points == 30000) {
      EXPECT_FALSE(about_shown);
    }
  }
}

}  // namespace
}  // namespace velquora

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "dialog_template_writer.h"
#include "platform/win/headless_backend.h"
#include "platform/win/window_system.h"

namespace velquora {
namespace {

constexpr int kBar = 6;
constexpr int kSound = 5;
constexpr int kLabel = 200;
constexpr int kAbout = 7;

struct Call {
  UINT message;
  WPARAM w_param;
  LPARAM l_param;
  friend bool operator==(const Call&, const Call&) = default;
};

// The sample dialog in dialog units: a speed bar, a check box, OK (default), Cancel,
// About and a label, in that tab order (the label is no tab stop).
DialogSpec SampleDialog(std::uint32_t extra_style = 0) {
  DialogSpec design;
  design.Style |= extra_style;
  design.Width = 191;
  design.Height = 155;
  design.Title = u"Sample";
  design.Items = {
      {DialogControlClass::ScrollBar, kBar, WS_TABSTOP | SBS_TOPALIGN, 4, 15, 118, 12, u""},
      {DialogControlClass::Button, kSound, WS_TABSTOP | BS_AUTOCHECKBOX, 4, 39, 81, 11, u"Play sound"},
      {DialogControlClass::Button, IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 127, 4, 57, 15, u"OK"},
      {DialogControlClass::Button, IDCANCEL, WS_TABSTOP | BS_PUSHBUTTON, 127, 22, 57, 15, u"Cancel"},
      {DialogControlClass::Button, kAbout, WS_TABSTOP | BS_PUSHBUTTON, 127, 115, 57, 15, u"About"},
      {DialogControlClass::Static, kLabel, SS_LEFT, 4, 28, 118, 11, u"20 frames per second"},
  };
  return design;
}

class DialogTest : public ::testing::Test {
protected:
  DialogTest() {
    auto backend = std::make_unique<HeadlessBackend>();
    backend_ = backend.get();
    windows_ = std::make_unique<TWindowSystem>(std::move(backend));
  }

  WindowHandle Create(std::uint32_t extra_style = WS_VISIBLE) {
    const std::vector<std::uint8_t> bytes = WriteDialogTemplate(SampleDialog(extra_style));
    dialog_ = windows_->CreateDialogIndirectParam(
        bytes, kNoWindow,
        [this](WindowHandle, UINT message, WPARAM w_param, LPARAM l_param) -> LRESULT {
          heard_.push_back({message, w_param, l_param});
          if (message == WM_SYSCOMMAND) return keep_on_close_ ? 1 : 0;
          return 0;
        },
        1234);
    return dialog_;
  }

  // Runs the dialog's loop until the scripted input is used up.
  void Pump() {
    TMsg message;
    while (windows_->GetMessage(message)) windows_->IsDialogMessage(dialog_, message);
  }

  std::vector<Call> Heard(UINT message) const {
    std::vector<Call> found;
    for (const Call& heard : heard_) {
      if (heard.message == message) found.push_back(heard);
    }
    return found;
  }

  // The centre of a control in the dialog's client coordinates.
  Point CentreOf(int id) {
    const Rect control = *windows_->GetWindowRect(windows_->GetDlgItem(dialog_, id));
    const Rect dialog = *windows_->GetWindowRect(dialog_);
    return Point{control.Left - dialog.Left + control.Width() / 2, control.Top - dialog.Top + control.Height() / 2};
  }
  Rect ClientRectOf(int id) {
    const Rect control = *windows_->GetWindowRect(windows_->GetDlgItem(dialog_, id));
    const Rect dialog = *windows_->GetWindowRect(dialog_);
    return Bounds(control.Left - dialog.Left, control.Top - dialog.Top, control.Width(), control.Height());
  }

  HeadlessBackend* backend_ = nullptr;
  std::unique_ptr<TWindowSystem> windows_;
  WindowHandle dialog_ = kNoWindow;
  std::vector<Call> heard_;
  bool keep_on_close_ = true;
};

TEST_F(DialogTest, ControlsHaveTheTemplatesIdsTextsStylesAndPixelRectangles) {
  ASSERT_NE(Create(), kNoWindow);
  // MS Sans Serif 8 at 96 dpi: 6 x 13 base units, so x * 6 / 4 and y * 13 / 8.
  EXPECT_EQ(windows_->GetDialogBaseUnits(dialog_), (DialogBaseUnits{6, 13}));
  EXPECT_EQ(windows_->GetClientRect(dialog_), (Rect{0, 0, 287, 252}));  // 191 x 155 units
  struct Expected {
    int id;
    Rect pixels;
    std::u16string text;
    std::uint32_t style;
  };
  for (const Expected& row : {
           Expected{kBar, Bounds(6, 24, 177, 20), u"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | SBS_TOPALIGN},
           Expected{kSound, Bounds(6, 63, 122, 18), u"Play sound", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX},
           Expected{IDOK, Bounds(191, 7, 86, 24), u"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON},
           Expected{kLabel, Bounds(6, 46, 177, 18), u"20 frames per second", WS_CHILD | WS_VISIBLE | SS_LEFT},
       }) {
    const WindowHandle control = windows_->GetDlgItem(dialog_, row.id);
    ASSERT_NE(control, kNoWindow) << row.id;
    EXPECT_EQ(windows_->GetDlgCtrlID(control), row.id);
    EXPECT_EQ(ClientRectOf(row.id), row.pixels) << row.id;
    EXPECT_EQ(windows_->GetDlgItemText(dialog_, row.id), row.text);
    EXPECT_EQ(windows_->GetWindowStyle(control), row.style);
  }
  EXPECT_EQ(windows_->GetDlgItem(dialog_, 99), kNoWindow);
}

TEST_F(DialogTest, MapDialogRectFollowsTheBaseUnits) {
  ASSERT_NE(Create(), kNoWindow);
  Rect rect{0, 0, 200, 200};
  ASSERT_TRUE(windows_->MapDialogRect(dialog_, rect));
  EXPECT_EQ(rect, (Rect{0, 0, 300, 325}));
  Rect odd{1, 1, 3, 5};  // 1.5 -> 2, 1.625 -> 2, 4.5 -> 5, 8.125 -> 8
  ASSERT_TRUE(windows_->MapDialogRect(dialog_, odd));
  EXPECT_EQ(odd, (Rect{2, 2, 5, 8}));
}

TEST_F(DialogTest, AtOneHundredTwentyDpiTheSameDialogGrows) {
  backend_->DisplayDpi = 120;
  ASSERT_NE(Create(), kNoWindow);
  EXPECT_EQ(windows_->GetDialogBaseUnits(dialog_), (DialogBaseUnits{8, 15}));
  EXPECT_EQ(windows_->GetDeviceCaps(dialog_, LOGPIXELSY), 120);
  Rect rect{0, 0, 200, 200};
  ASSERT_TRUE(windows_->MapDialogRect(dialog_, rect));
  EXPECT_EQ(rect, (Rect{0, 0, 400, 375}));
}

TEST_F(DialogTest, MalformedTemplatesMakeNoDialog) {
  std::vector<std::uint8_t> bytes = WriteDialogTemplate(SampleDialog());
  bytes.resize(bytes.size() - 3);
  EXPECT_EQ(windows_->CreateDialogIndirectParam(bytes, kNoWindow, nullptr, 0), kNoWindow);
  EXPECT_TRUE(backend_->Windows().empty());
}

TEST_F(DialogTest, FontThenInitDialogWithTheParameterAndFocusOnTheFirstTabStop) {
  ASSERT_NE(Create(), kNoWindow);
  ASSERT_GE(heard_.size(), 2u);
  EXPECT_EQ(heard_[0].message, static_cast<UINT>(WM_SETFONT));
  EXPECT_EQ(heard_[1], (Call{WM_INITDIALOG, windows_->GetDlgItem(dialog_, kBar), 1234}));
  EXPECT_EQ(windows_->GetFocus(dialog_), windows_->GetDlgItem(dialog_, kBar));
}

TEST_F(DialogTest, HiddenUntilShownWithoutWsVisible) {
  ASSERT_NE(Create(0), kNoWindow);
  EXPECT_FALSE(backend_->Find(dialog_)->Request.Visible);
  EXPECT_EQ(backend_->Find(dialog_)->Presented, 0);
  EXPECT_FALSE(windows_->ShowWindow(dialog_, SW_SHOW));
  EXPECT_TRUE(backend_->Find(dialog_)->Request.Visible);
  EXPECT_EQ(backend_->Find(dialog_)->Presented, 1);
  EXPECT_TRUE(windows_->ShowWindow(dialog_, SW_HIDE));
  EXPECT_FALSE(backend_->Find(dialog_)->Request.Visible);
}

TEST_F(DialogTest, SetWindowPosMovesTheDialogAndItsControlsOnTheScreen) {
  ASSERT_NE(Create(), kNoWindow);
  ASSERT_TRUE(windows_->SetWindowPos(dialog_, 100, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW));
  EXPECT_EQ(windows_->GetWindowRect(dialog_), Bounds(100, 50, 287, 252));
  EXPECT_EQ(backend_->Find(dialog_)->Request.Bounds, Bounds(100, 50, 287, 252));
  EXPECT_EQ(windows_->GetWindowRect(windows_->GetDlgItem(dialog_, kBar)), Bounds(106, 74, 177, 20));
  Point point{110, 80};
  ASSERT_TRUE(windows_->ScreenToClient(windows_->GetDlgItem(dialog_, kBar), point));
  EXPECT_EQ(point, (Point{4, 6}));
}

TEST_F(DialogTest, ScrollBarRangeAndPositionThroughCallsAndMessages) {
  ASSERT_NE(Create(), kNoWindow);
  const WindowHandle bar = windows_->GetDlgItem(dialog_, kBar);
  EXPECT_EQ(windows_->SetScrollRange(bar, SB_CTL, 1, 40, false), 1);
  EXPECT_EQ(windows_->GetScrollPos(bar, SB_CTL), 1);  // the old position 0 is held in the range
  EXPECT_EQ(windows_->SendMessage(bar, SBM_SETPOS, 20, 1), 1);
  EXPECT_EQ(windows_->SendMessage(bar, SBM_GETPOS), 20);
  EXPECT_EQ(windows_->SetScrollPos(bar, SB_CTL, 99, true), 20);
  EXPECT_EQ(windows_->GetScrollPos(bar, SB_CTL), 40);
  EXPECT_EQ(windows_->SendMessage(bar, SBM_SETRANGE, 0, 10), 40);
  EXPECT_EQ(windows_->GetScrollPos(bar, SB_CTL), 10);
  int min = -1;
  int max = -1;
  ASSERT_TRUE(windows_->GetScrollRange(bar, SB_CTL, min, max));
  EXPECT_EQ(min, 0);
  EXPECT_EQ(max, 10);
}

TEST_F(DialogTest, TabAndShiftTabWalkTheTabStopsInTemplateOrder) {
  ASSERT_NE(Create(), kNoWindow);
  struct Step {
    bool shift;
    int focus_after;
  };
  for (const Step& step : {Step{false, kSound}, Step{false, IDOK}, Step{false, IDCANCEL}, Step{false, kAbout},
                           Step{false, kBar}, Step{true, kAbout}, Step{true, IDCANCEL}}) {
    backend_->InjectKey(dialog_, VK_TAB, step.shift);
    Pump();
    EXPECT_EQ(windows_->GetDlgCtrlID(windows_->GetFocus(dialog_)), step.focus_after);
  }
}

struct KeyCase {
  const char* name;
  int focus;       // the control with the focus
  WPARAM key;
  UINT message;    // what the procedure hears first
  WPARAM w_param;  // and its wParam
};

class DialogKeyTest : public DialogTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(DialogKeyTest, KeyReachesTheProcedureAsItsCommand) {
  ASSERT_NE(Create(), kNoWindow);
  const KeyCase& row = GetParam();
  ASSERT_TRUE(windows_->SetFocus(windows_->GetDlgItem(dialog_, row.focus)));
  heard_.clear();
  backend_->InjectKey(dialog_, row.key);
  Pump();
  const std::vector<Call> heard = Heard(row.message);
  ASSERT_FALSE(heard.empty());
  EXPECT_EQ(heard.front().w_param, row.w_param);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, DialogKeyTest,
    ::testing::Values(KeyCase{"ReturnOnTheBarPressesTheDefault", kBar, VK_RETURN, WM_COMMAND, IDOK},
                      KeyCase{"ReturnOnCancelPressesCancel", IDCANCEL, VK_RETURN, WM_COMMAND, IDCANCEL},
                      KeyCase{"ReturnOnTheCheckBoxPressesTheDefault", kSound, VK_RETURN, WM_COMMAND, IDOK},
                      KeyCase{"EscapeCancels", kSound, VK_ESCAPE, WM_COMMAND, IDCANCEL},
                      KeyCase{"SpaceOnAButtonPressesIt", kAbout, VK_SPACE, WM_COMMAND, kAbout},
                      KeyCase{"SpaceOnTheCheckBox", kSound, VK_SPACE, WM_COMMAND, kSound},
                      KeyCase{"LeftOnTheBar", kBar, VK_LEFT, WM_HSCROLL, SB_LINELEFT},
                      KeyCase{"RightOnTheBar", kBar, VK_RIGHT, WM_HSCROLL, SB_LINERIGHT}),
    [](const ::testing::TestParamInfo<KeyCase>& param) { return std::string(param.param.name); });

TEST_F(DialogTest, SpaceTogglesTheCheckBoxBeforeItsCommand) {
  ASSERT_NE(Create(), kNoWindow);
  windows_->SetFocus(windows_->GetDlgItem(dialog_, kSound));
  UINT checked_when_heard = 99;
  std::vector<std::uint8_t> bytes = WriteDialogTemplate(SampleDialog(WS_VISIBLE));
  backend_->InjectKey(dialog_, VK_SPACE);
  TMsg message;
  while (windows_->GetMessage(message)) {
    windows_->IsDialogMessage(dialog_, message);
    if (!Heard(WM_COMMAND).empty() && checked_when_heard == 99) {
      checked_when_heard = windows_->IsDlgButtonChecked(dialog_, kSound);
    }
  }
  EXPECT_EQ(checked_when_heard, BST_CHECKED);
  backend_->InjectKey(dialog_, VK_SPACE);
  Pump();
  EXPECT_EQ(windows_->IsDlgButtonChecked(dialog_, kSound), BST_UNCHECKED);
}

TEST_F(DialogTest, ArrowKeysScrollTheFocusedBarAndEndTheScroll) {
  ASSERT_NE(Create(), kNoWindow);
  const WindowHandle bar = windows_->GetDlgItem(dialog_, kBar);
  heard_.clear();
  backend_->InjectKey(dialog_, VK_RIGHT);
  Pump();
  EXPECT_EQ(Heard(WM_HSCROLL), (std::vector<Call>{{WM_HSCROLL, SB_LINERIGHT, static_cast<LPARAM>(bar)},
                                                           {WM_HSCROLL, SB_ENDSCROLL, static_cast<LPARAM>(bar)}}));
}

TEST_F(DialogTest, ClicksOnArrowsTrackAndThumbSendTheirRequests) {
  ASSERT_NE(Create(), kNoWindow);
  const WindowHandle bar = windows_->GetDlgItem(dialog_, kBar);
  windows_->SetScrollRange(bar, SB_CTL, 0, 40, false);
  windows_->SetScrollPos(bar, SB_CTL, 20, true);
  // The bar: 177 pixels at (6, 24), top-aligned 16 high; arrows 16 wide, thumb 16 wide
  // at 22 + 20 * (145 - 16) / 40 = 22 + 65 (rounded) in the bar.
  const Rect r = ClientRectOf(kBar);
  struct Click {
    int x;  // in the bar
    WPARAM request;
  };
  for (const Click& click : {Click{3, SB_LINELEFT}, Click{r.Width() - 3, SB_LINERIGHT}, Click{30, SB_PAGELEFT},
                             Click{150, SB_PAGERIGHT}, Click{16 + 65 + 8, SB_THUMBTRACK}}) {
    heard_.clear();
    backend_->InjectClick(dialog_, r.Left + click.x, r.Top + 8);
    Pump();
    const std::vector<Call> heard = Heard(WM_HSCROLL);
    ASSERT_GE(heard.size(), 2u) << click.x;
    EXPECT_EQ(LoWord(heard.front().w_param), click.request) << click.x;
    EXPECT_EQ(heard.front().l_param, static_cast<LPARAM>(bar));
    EXPECT_EQ(LoWord(heard.back().w_param), SB_ENDSCROLL) << click.x;
  }
  // Below the top-aligned bar is no bar.
  heard_.clear();
  backend_->InjectClick(dialog_, r.Left + 30, r.Top + 18);
  Pump();
  EXPECT_TRUE(Heard(WM_HSCROLL).empty());
}

TEST_F(DialogTest, DraggingTheThumbTracksThenSetsThePosition) {
  ASSERT_NE(Create(), kNoWindow);
  const WindowHandle bar = windows_->GetDlgItem(dialog_, kBar);
  windows_->SetScrollRange(bar, SB_CTL, 0, 40, false);
  windows_->SetScrollPos(bar, SB_CTL, 0, true);
  const Rect r = ClientRectOf(kBar);
  heard_.clear();
  backend_->InjectMouse(dialog_, WM_LBUTTONDOWN, r.Left + 16 + 8, r.Top + 8);   // the thumb's middle
  backend_->InjectMouse(dialog_, WM_MOUSEMOVE, r.Left + 16 + 8 + 129, r.Top + 8);  // the far end
  backend_->InjectMouse(dialog_, WM_LBUTTONUP, r.Left + 16 + 8 + 129, r.Top + 8);
  Pump();
  const std::vector<Call> heard = Heard(WM_HSCROLL);
  ASSERT_EQ(heard.size(), 4u);
  EXPECT_EQ(heard[0].w_param, MakeWParam(SB_THUMBTRACK, 0));
  EXPECT_EQ(heard[1].w_param, MakeWParam(SB_THUMBTRACK, 40));
  EXPECT_EQ(heard[2].w_param, MakeWParam(SB_THUMBPOSITION, 40));
  EXPECT_EQ(heard[3].w_param, SB_ENDSCROLL);
  // The procedure reads where the pointer is in the bar, as the speed bar's does.
  Point cursor = *windows_->GetCursorPos();
  ASSERT_TRUE(windows_->ScreenToClient(bar, cursor));
  EXPECT_EQ(cursor, (Point{16 + 8 + 129, 8}));
}

TEST_F(DialogTest, AClickOnTheCheckBoxTogglesItAndSendsItsCommand) {
  ASSERT_NE(Create(), kNoWindow);
  const Point centre = CentreOf(kSound);
  backend_->InjectClick(dialog_, centre.X, centre.Y);
  Pump();
  EXPECT_EQ(windows_->IsDlgButtonChecked(dialog_, kSound), BST_CHECKED);
  ASSERT_EQ(Heard(WM_COMMAND).size(), 1u);
  EXPECT_EQ(Heard(WM_COMMAND)[0].w_param, static_cast<WPARAM>(kSound));
  EXPECT_EQ(windows_->GetDlgCtrlID(windows_->GetFocus(dialog_)), kSound);
}

TEST_F(DialogTest, AButtonReleasedOutsideDoesNothing) {
  ASSERT_NE(Create(), kNoWindow);
  const Point centre = CentreOf(IDCANCEL);
  backend_->InjectMouse(dialog_, WM_LBUTTONDOWN, centre.X, centre.Y);
  backend_->InjectMouse(dialog_, WM_MOUSEMOVE, 2, 2);
  backend_->InjectMouse(dialog_, WM_LBUTTONUP, 2, 2);
  Pump();
  EXPECT_TRUE(Heard(WM_COMMAND).empty());
  backend_->InjectClick(dialog_, centre.X, centre.Y);
  Pump();
  ASSERT_EQ(Heard(WM_COMMAND).size(), 1u);
  EXPECT_EQ(Heard(WM_COMMAND)[0].w_param, static_cast<WPARAM>(IDCANCEL));
}

TEST_F(DialogTest, CloseButtonAsksTheProcedureAndATrueAnswerKeepsTheDialog) {
  ASSERT_NE(Create(), kNoWindow);
  backend_->InjectClose(dialog_);
  Pump();
  ASSERT_EQ(Heard(WM_SYSCOMMAND).size(), 1u);
  EXPECT_EQ(Heard(WM_SYSCOMMAND)[0].w_param, SC_CLOSE);
  EXPECT_TRUE(Heard(WM_COMMAND).empty());
  EXPECT_TRUE(windows_->IsWindow(dialog_));
}

TEST_F(DialogTest, CloseButtonLeftToTheDefaultIsCancel) {
  keep_on_close_ = false;
  ASSERT_NE(Create(), kNoWindow);
  backend_->InjectClose(dialog_);
  Pump();
  ASSERT_EQ(Heard(WM_COMMAND).size(), 1u);
  EXPECT_EQ(Heard(WM_COMMAND)[0].w_param, static_cast<WPARAM>(IDCANCEL));
  EXPECT_TRUE(windows_->IsWindow(dialog_));  // only its owner destroys it
}

TEST_F(DialogTest, MessagesOfOtherWindowsAreNotTheDialogs) {
  ASSERT_NE(Create(), kNoWindow);
  EXPECT_FALSE(windows_->IsDialogMessage(dialog_, TMsg{0x4242, WM_KEYDOWN, VK_RETURN, 0}));
  EXPECT_FALSE(windows_->IsDialogMessage(0x4242, TMsg{dialog_, WM_KEYDOWN, VK_RETURN, 0}));
  EXPECT_TRUE(Heard(WM_COMMAND).empty());
}

TEST_F(DialogTest, DestroyingTheDialogTakesItsControls) {
  ASSERT_NE(Create(), kNoWindow);
  const WindowHandle bar = windows_->GetDlgItem(dialog_, kBar);
  ASSERT_TRUE(windows_->DestroyWindow(dialog_));
  EXPECT_FALSE(windows_->IsWindow(bar));
  EXPECT_EQ(backend_->Destroyed(), 1);
  EXPECT_EQ(windows_->GetDlgCtrlID(bar), 0);
  // The dialog's font went with it.
  const FontHandle dialog_font = static_cast<FontHandle>(heard_.front().w_param);
  EXPECT_FALSE(windows_->DeleteObject(dialog_font));
}

TEST_F(DialogTest, ADeletedFontLeavesTheControlWithTheDialogsFont) {
  ASSERT_NE(Create(), kNoWindow);
  const FontHandle font = windows_->CreateFont(-30, 700, false, "MS Sans Serif");
  ASSERT_NE(font, kNoFont);
  windows_->SendMessage(windows_->GetDlgItem(dialog_, kLabel), WM_SETFONT, font, 1);
  EXPECT_TRUE(windows_->DeleteObject(font));
  EXPECT_FALSE(windows_->DeleteObject(font));
  // Drawing after the delete uses the dialog's font (and must not touch the freed one).
  windows_->ShowWindow(dialog_, SW_HIDE);
  windows_->ShowWindow(dialog_, SW_SHOW);
  EXPECT_EQ(backend_->Find(dialog_)->Presented, 2);
}

TEST_F(DialogTest, ATemplateLargerThanAnyScreenIsRefused) {
  DialogSpec design = SampleDialog(WS_VISIBLE);
  design.Width = 30000;  // 45000 pixels
  const std::vector<std::uint8_t> bytes = WriteDialogTemplate(design);
  EXPECT_EQ(windows_->CreateDialogIndirectParam(bytes, kNoWindow, nullptr, 0), kNoWindow);
}

// ---- The picture ----

TColor PixelAt(const TBitmap& picture, int x, int y) { return picture.GetPixel(x, y); }

TEST_F(DialogTest, TheClassicLookFaceBevelsAndTheDefaultButtonsFrame) {
  ASSERT_NE(Create(), kNoWindow);
  const TBitmap& picture = backend_->Find(dialog_)->LastPicture;
  ASSERT_EQ(picture.Width(), 287);
  EXPECT_EQ(PixelAt(picture, 1, 1), RGB(0xC0, 0xC0, 0xC0));
  const Rect ok = ClientRectOf(IDOK);
  EXPECT_EQ(PixelAt(picture, ok.Left, ok.Top + 5), RGB(0, 0, 0));          // the default frame
  EXPECT_EQ(PixelAt(picture, ok.Left + 1, ok.Top + 5), RGB(255, 255, 255));  // light bevel inside it
  EXPECT_EQ(PixelAt(picture, ok.Right - 2, ok.Top + 5), RGB(0, 0, 0));       // dark bevel
  const Rect cancel = ClientRectOf(IDCANCEL);
  EXPECT_EQ(PixelAt(picture, cancel.Left, cancel.Top + 5), RGB(255, 255, 255));  // no frame
  EXPECT_EQ(PixelAt(picture, cancel.Right - 2, cancel.Top + 5), RGB(0x80, 0x80, 0x80));
}

int DarkPixels(const TBitmap& picture, const Rect& area) {
  int count = 0;
  for (int y = area.Top; y < area.Bottom; ++y) {
    for (int x = area.Left; x < area.Right; ++x) count += GetRValue(picture.GetPixel(x, y)) < 0x60 ? 1 : 0;
  }
  return count;
}

TEST_F(DialogTest, AnUnderlinedFontDrawsAnUnderline) {
  ASSERT_NE(Create(), kNoWindow);
  const Rect label = ClientRectOf(kLabel);
  const int plain = DarkPixels(backend_->Find(dialog_)->LastPicture, label);
  EXPECT_GT(plain, 50);  // the text is there
  const int height = -MulDiv(8, windows_->GetDeviceCaps(dialog_, LOGPIXELSY), 72);
  ScopedFont link(*windows_, windows_->CreateFont(height, 0, true, "MS Sans Serif"));
  ASSERT_NE(link.Get(), kNoFont);
  windows_->SendMessage(windows_->GetDlgItem(dialog_, kLabel), WM_SETFONT, link.Get(), 1);
  windows_->ShowWindow(dialog_, SW_HIDE);
  windows_->ShowWindow(dialog_, SW_SHOW);
  const TBitmap& picture = backend_->Find(dialog_)->LastPicture;
  // A dark row under the text as long as most of the text.
  int longest_run = 0;
  for (int y = label.Top; y < label.Bottom; ++y) {
    int run = 0;
    for (int x = label.Left; x < label.Right; ++x) {
      run = GetRValue(picture.GetPixel(x, y)) < 0x60 ? run + 1 : 0;
      longest_run = std::max(longest_run, run);
    }
  }
  EXPECT_GT(longest_run, 80);
  EXPECT_GT(DarkPixels(picture, label), plain);
}

}  // namespace
}  // namespace velquora

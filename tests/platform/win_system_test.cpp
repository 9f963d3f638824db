#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/canvas.h"
#include "platform/win/headless_backend.h"
#include "platform/win/window_system.h"

namespace velquora {
namespace {

struct Received {
  WindowHandle window;
  UINT message;
  WPARAM w_param;
};

// A window system over the headless back end with one class that records every message
// and otherwise behaves as the default procedure.
class WindowSystemTest : public ::testing::Test {
protected:
  WindowSystemTest() {
    auto backend = std::make_unique<HeadlessBackend>();
    backend_ = backend.get();
    windows_ = std::make_unique<TWindowSystem>(std::move(backend));
    TWindowClass window_class;
    window_class.ClassName = "Recorder";
    window_class.Cursor = CursorShape::Arrow;
    window_class.Procedure = [this](WindowHandle window, UINT message, WPARAM w_param, LPARAM l_param) -> LRESULT {
      received_.push_back({window, message, w_param});
      if (message == WM_CREATE && refuse_create_) return -1;
      if (message == WM_DESTROY && quit_on_destroy_) windows_->PostQuitMessage(7);
      return windows_->DefWindowProc(window, message, w_param, l_param);
    };
    EXPECT_TRUE(windows_->RegisterClass(window_class));
  }

  WindowHandle Popup() {
    return windows_->CreateWindowEx(WS_EX_TOPMOST, "Recorder", "", WS_POPUP | WS_VISIBLE, Rect{0, 0, 64, 48},
                                    kNoWindow);
  }

  std::vector<UINT> Messages() const {
    std::vector<UINT> messages;
    for (const Received& r : received_) messages.push_back(r.message);
    return messages;
  }

  // Pumps like a message loop until the quit message; the messages dispatched.
  std::vector<TMsg> Pump(int limit = 1000) {
    std::vector<TMsg> dispatched;
    TMsg message;
    while (limit-- > 0 && windows_->GetMessage(message)) {
      dispatched.push_back(message);
      windows_->TranslateMessage(message);
      windows_->DispatchMessage(message);
    }
    return dispatched;
  }

  HeadlessBackend* backend_ = nullptr;
  std::unique_ptr<TWindowSystem> windows_;
  std::vector<Received> received_;
  bool refuse_create_ = false;
  bool quit_on_destroy_ = true;
};

TEST_F(WindowSystemTest, CreatingAWindowSendsCreateAndMakesATopMostPopupOfTheGivenSize) {
  const WindowHandle window = Popup();
  ASSERT_NE(window, kNoWindow);
  EXPECT_EQ(Messages(), std::vector<UINT>{WM_CREATE});
  const HeadlessBackend::NativeWindow* native = backend_->Find(window);
  ASSERT_NE(native, nullptr);
  EXPECT_EQ(native->Request.Kind, NativeWindowKind::Popup);
  EXPECT_TRUE(native->Request.TopMost);
  EXPECT_EQ(windows_->GetClientRect(window), (Rect{0, 0, 64, 48}));
}

TEST_F(WindowSystemTest, ACreateAnswerOfMinusOneDestroysTheWindowAgain) {
  refuse_create_ = true;
  quit_on_destroy_ = false;
  EXPECT_EQ(Popup(), kNoWindow);
  EXPECT_EQ(Messages(), (std::vector<UINT>{WM_CREATE, WM_DESTROY}));
  EXPECT_TRUE(backend_->Windows().empty());
}

TEST_F(WindowSystemTest, AnUnknownClassOrAChildWithoutParentCreatesNothing) {
  EXPECT_EQ(windows_->CreateWindowEx(0, "Nobody", "", WS_POPUP, Rect{0, 0, 10, 10}, kNoWindow), kNoWindow);
  EXPECT_EQ(windows_->CreateWindowEx(0, "Recorder", "", WS_CHILD, Rect{0, 0, 10, 10}, kNoWindow), kNoWindow);
  EXPECT_EQ(windows_->CreateWindowEx(0, "Recorder", "", WS_CHILD, Rect{0, 0, 10, 10}, 0xDEAD), kNoWindow);
  EXPECT_TRUE(received_.empty());
}

TEST_F(WindowSystemTest, AChildGoesInsideAForeignWindow) {
  const WindowHandle host = backend_->AddForeignWindow(Rect{0, 0, 152, 112});
  const std::optional<Rect> client = windows_->GetClientRect(host);
  ASSERT_TRUE(client.has_value());
  const WindowHandle child = windows_->CreateWindowEx(0, "Recorder", "Title", WS_CHILD | WS_VISIBLE, *client, host);
  ASSERT_NE(child, kNoWindow);
  EXPECT_EQ(backend_->Find(child)->Request.Parent, host);
  EXPECT_EQ(backend_->Find(child)->Request.Kind, NativeWindowKind::Child);
  EXPECT_EQ(windows_->GetClientRect(child), (Rect{0, 0, 152, 112}));
}

TEST_F(WindowSystemTest, TheDefaultProcedureDestroysAWindowOnClose) {
  const WindowHandle window = Popup();
  windows_->PostMessage(window, WM_CLOSE);
  const std::vector<TMsg> dispatched = Pump();
  ASSERT_EQ(dispatched.size(), 1u);
  EXPECT_EQ(Messages(), (std::vector<UINT>{WM_CREATE, WM_CLOSE, WM_DESTROY}));
  EXPECT_FALSE(windows_->IsWindow(window));
  EXPECT_EQ(backend_->Destroyed(), 1);
  EXPECT_EQ(windows_->QuitCode(), 7);
}

TEST_F(WindowSystemTest, TheQuitMessageComesOnlyAfterThePostedMessages) {
  const WindowHandle window = Popup();
  windows_->PostQuitMessage(3);
  windows_->PostMessage(window, WM_KEYUP, 1);
  windows_->PostMessage(window, WM_KEYUP, 2);
  const std::vector<TMsg> dispatched = Pump();
  ASSERT_EQ(dispatched.size(), 2u);
  EXPECT_EQ(dispatched[0].wParam, 1u);
  EXPECT_EQ(dispatched[1].wParam, 2u);
  EXPECT_EQ(windows_->QuitCode(), 3);
}

TEST_F(WindowSystemTest, MessagesForAWindowThatIsGoneAreDropped) {
  quit_on_destroy_ = false;
  const WindowHandle window = Popup();
  const WindowHandle other = Popup();
  windows_->PostMessage(window, WM_KEYUP, 1);
  windows_->PostMessage(other, WM_KEYUP, 2);
  windows_->DestroyWindow(window);
  windows_->PostQuitMessage(0);
  const std::vector<TMsg> dispatched = Pump();
  ASSERT_EQ(dispatched.size(), 1u);
  EXPECT_EQ(dispatched[0].hwnd, other);
  EXPECT_FALSE(windows_->PostMessage(window, WM_KEYUP));
}

TEST_F(WindowSystemTest, ATimerFiresOncePerPeriodOfTheClockAndStopsWhenKilled) {
  quit_on_destroy_ = false;
  const WindowHandle window = Popup();
  const std::uint64_t start = backend_->Now();
  ASSERT_TRUE(windows_->SetTimer(window, 1, 50));
  std::vector<std::uint64_t> fired_at;
  TMsg message;
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(windows_->GetMessage(message));
    EXPECT_EQ(message.message, WM_TIMER);
    EXPECT_EQ(message.wParam, 1u);
    fired_at.push_back(backend_->Now() - start);
  }
  EXPECT_EQ(fired_at, (std::vector<std::uint64_t>{50, 100, 150, 200}));
  EXPECT_TRUE(windows_->KillTimer(window, 1));
  EXPECT_FALSE(windows_->GetMessage(message));  // nothing left that could ever arrive
}

TEST_F(WindowSystemTest, TwoTimersInterleaveByTheirPeriods) {
  const WindowHandle window = Popup();
  windows_->SetTimer(window, 1, 50);
  windows_->SetTimer(window, 2, 120);
  std::vector<WPARAM> ids;
  TMsg message;
  for (int i = 0; i < 6; ++i) {
    ASSERT_TRUE(windows_->GetMessage(message));
    ids.push_back(message.wParam);
  }
  // 50, 100, 120, 150, 200, 240
  EXPECT_EQ(ids, (std::vector<WPARAM>{1, 1, 2, 1, 1, 2}));
}

TEST_F(WindowSystemTest, TimerPeriodsAreHeldWithinTheirLimits) {
  const WindowHandle window = Popup();
  const struct {
    std::int64_t asked;
    std::uint32_t held;
  } rows[] = {{0, 10}, {-5, 10}, {9, 10}, {10, 10}, {100, 100}, {0x7FFFFFFF, 0x7FFFFFFF}, {0x1FFFFFFFFLL, 0x7FFFFFFF}};
  for (const auto& row : rows) {
    ASSERT_TRUE(windows_->SetTimer(window, 5, row.asked));
    EXPECT_EQ(windows_->TimerPeriod(window, 5), row.held) << "asked " << row.asked;
  }
  EXPECT_FALSE(windows_->SetTimer(0xBAD, 1, 50));
}

TEST_F(WindowSystemTest, PostedAndInputMessagesComeBeforeADueTimer) {
  const WindowHandle window = Popup();
  windows_->SetTimer(window, 1, 50);
  backend_->Advance(60);
  windows_->PostMessage(window, WM_KEYUP, 9);
  TMsg message;
  ASSERT_TRUE(windows_->GetMessage(message));
  EXPECT_EQ(message.message, WM_KEYUP);
  ASSERT_TRUE(windows_->GetMessage(message));
  EXPECT_EQ(message.message, WM_TIMER);
}

TEST_F(WindowSystemTest, ScriptedInputArrivesAtItsTimeBetweenTimerTicks) {
  const WindowHandle window = Popup();
  const std::uint64_t start = backend_->Now();
  windows_->SetTimer(window, 1, 50);
  backend_->ScheduleInput(start + 70, TMsg{window, WM_MOUSEMOVE, 0, MakePointParam(3, 4)});
  TMsg message;
  std::vector<UINT> order;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(windows_->GetMessage(message));
    order.push_back(message.message);
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_TIMER, WM_MOUSEMOVE, WM_TIMER}));
}

TEST_F(WindowSystemTest, OnlyKeysThatProduceACharacterAreFollowedByOne) {
  const WindowHandle window = Popup();
  const struct {
    WPARAM key;
    char character;
  } rows[] = {{'A', 'A'}, {'Z', 'Z'}, {'0', '0'},           {VK_SPACE, ' '}, {VK_RETURN, '\r'},
              {VK_ESCAPE, '\x1B'}, {VK_BACK, '\b'}, {VK_TAB, '\t'}, {VK_NUMPAD0 + 7, '7'}, {VK_OEM_1, ';'},
              {VK_SHIFT, 0},  {VK_CONTROL, 0},   {VK_MENU, 0},      {VK_LEFT, 0},   {VK_DOWN, 0},
              {VK_F1, 0},     {VK_F24, 0}};
  for (const auto& row : rows) {
    windows_->TranslateMessage(TMsg{window, WM_KEYDOWN, row.key, 0});
    windows_->PostMessage(window, WM_KEYUP, row.key);
    TMsg message;
    ASSERT_TRUE(windows_->GetMessage(message));
    if (row.character != 0) {
      EXPECT_EQ(message.message, WM_CHAR) << "key " << row.key;
      EXPECT_EQ(message.wParam, static_cast<unsigned char>(row.character)) << "key " << row.key;
      ASSERT_TRUE(windows_->GetMessage(message));
    }
    EXPECT_EQ(message.message, WM_KEYUP) << "key " << row.key;
  }
}

TEST_F(WindowSystemTest, SystemKeysBecomeSystemCharactersAndOtherMessagesNothing) {
  const WindowHandle window = Popup();
  windows_->TranslateMessage(TMsg{window, WM_SYSKEYDOWN, 'X', 0});
  windows_->TranslateMessage(TMsg{window, WM_KEYUP, 'X', 0});
  windows_->TranslateMessage(TMsg{window, WM_MOUSEMOVE, 'X', 0});
  windows_->PostQuitMessage(0);
  const std::vector<TMsg> dispatched = Pump();
  ASSERT_EQ(dispatched.size(), 1u);
  EXPECT_EQ(dispatched[0].message, WM_SYSCHAR);
}

TEST_F(WindowSystemTest, WhatIsDrawnReachesTheScreenOnceAfterTheMessage) {
  const WindowHandle window = Popup();
  windows_->PostMessage(window, WM_KEYUP);
  windows_->PostMessage(window, WM_KEYUP);
  TMsg message;
  ASSERT_TRUE(windows_->GetMessage(message));
  {
    std::optional<TWindowDeviceContext> dc = windows_->GetDC(window);
    ASSERT_TRUE(dc.has_value());
    TCanvas canvas(dc->Bitmap());
    canvas.Brush.Color = RGB(200, 10, 20);
    canvas.FillRect(Rect{5, 6, 15, 16});
    EXPECT_EQ(backend_->Find(window)->Presented, 0);  // nothing shows while the message runs
  }
  windows_->DispatchMessage(message);
  EXPECT_EQ(backend_->Find(window)->Presented, 1);
  const TBitmap& shown = backend_->Find(window)->LastPicture;
  EXPECT_EQ(shown.GetPixel(5, 6), RGB(200, 10, 20));
  EXPECT_EQ(shown.GetPixel(14, 15), RGB(200, 10, 20));
  EXPECT_EQ(shown.GetPixel(15, 16), RGB(0, 0, 0));  // the class's black background
  ASSERT_TRUE(windows_->GetMessage(message));
  windows_->DispatchMessage(message);
  EXPECT_EQ(backend_->Find(window)->Presented, 1);  // nothing drawn, nothing shown
}

TEST_F(WindowSystemTest, OnlyTheChangedPartsOfBandsOfRowsAreSentAgain) {
  const WindowHandle window = Popup();
  const auto draw = [&](const std::vector<Rect>& rects, TColor color) {
    windows_->PostMessage(window, WM_KEYUP);
    TMsg message;
    ASSERT_TRUE(windows_->GetMessage(message));
    {
      std::optional<TWindowDeviceContext> dc = windows_->GetDC(window);
      TCanvas canvas(dc->Bitmap());
      canvas.Brush.Color = color;
      for (const Rect& rect : rects) canvas.FillRect(rect);
    }
    windows_->DispatchMessage(message);
  };
  draw({}, 0);  // the first picture goes whole
  ASSERT_EQ(backend_->Find(window)->Presented, 1);
  EXPECT_EQ(backend_->Find(window)->LastChanged, (std::vector<Rect>{{0, 0, 64, 48}}));

  draw({Rect{3, 5, 9, 8}, Rect{40, 20, 41, 21}, Rect{0, 21, 2, 23}}, RGB(9, 9, 9));
  ASSERT_EQ(backend_->Find(window)->Presented, 2);
  // Rows 20 to 22 form one band as wide as the changes in its rows together.
  EXPECT_EQ(backend_->Find(window)->LastChanged, (std::vector<Rect>{{3, 5, 9, 8}, {0, 20, 41, 23}}));

  draw({Rect{3, 5, 9, 8}}, RGB(9, 9, 9));  // the same pixels again: nothing to send
  EXPECT_EQ(backend_->Find(window)->Presented, 2);
  draw({Rect{0, 47, 1, 48}, Rect{63, 47, 64, 48}}, RGB(1, 2, 3));
  EXPECT_EQ(backend_->Find(window)->LastChanged, (std::vector<Rect>{{0, 47, 64, 48}}));
  draw({Rect{5, 6, 7, 7}}, RGB(9, 9, 10));  // inside the earlier change: only its own pixels
  EXPECT_EQ(backend_->Find(window)->LastChanged, (std::vector<Rect>{{5, 6, 7, 7}}));
  EXPECT_EQ(backend_->Find(window)->LastPicture.GetPixel(4, 6), RGB(9, 9, 9));
}

// Drawing through a context that noted where it drew: the changes there are found as a
// full comparison would find them, and a context that noted nothing shows nothing.
TEST_F(WindowSystemTest, AContextThatNotesWhereItDrawsIsComparedOnlyThere) {
  const WindowHandle window = Popup();
  const auto draw = [&](const std::vector<Rect>& rects, const std::vector<Rect>& noted, bool note) {
    windows_->PostMessage(window, WM_KEYUP);
    TMsg message;
    ASSERT_TRUE(windows_->GetMessage(message));
    {
      std::optional<TWindowDeviceContext> dc = windows_->GetDC(window);
      TCanvas canvas(dc->Bitmap());
      canvas.Brush.Color = RGB(9, 9, 9);
      for (const Rect& rect : rects) canvas.FillRect(rect);
      if (note) dc->NoteDrawn(Rect{});
      for (const Rect& part : noted) dc->NoteDrawn(part);
    }
    windows_->DispatchMessage(message);
  };
  draw({}, {}, false);  // the first picture goes whole
  ASSERT_EQ(backend_->Find(window)->Presented, 1);

  // Parts wider than the changes, one reaching past the window's edge.
  draw({Rect{3, 5, 9, 8}, Rect{40, 20, 41, 21}, Rect{0, 21, 2, 23}},
       {Rect{0, 0, 20, 10}, Rect{-5, 18, 70, 30}}, true);
  ASSERT_EQ(backend_->Find(window)->Presented, 2);
  EXPECT_EQ(backend_->Find(window)->LastChanged, (std::vector<Rect>{{3, 5, 9, 8}, {0, 20, 41, 23}}));

  draw({}, {}, true);  // noted as drawing nowhere
  EXPECT_EQ(backend_->Find(window)->Presented, 2);

  // Changes on the same rows in two distant parts go as two rectangles, not one wide
  // band; a part inside an earlier one adds nothing.
  draw({Rect{2, 30, 4, 32}, Rect{50, 30, 52, 32}}, {Rect{0, 28, 10, 34}, Rect{45, 28, 60, 34}, Rect{1, 29, 5, 33}},
       true);
  ASSERT_EQ(backend_->Find(window)->Presented, 3);
  EXPECT_EQ(backend_->Find(window)->LastChanged, (std::vector<Rect>{{2, 30, 4, 32}, {50, 30, 52, 32}}));

  // Two contexts in one message: the one that did not note may have drawn anywhere.
  windows_->PostMessage(window, WM_KEYUP);
  TMsg message;
  ASSERT_TRUE(windows_->GetMessage(message));
  {
    std::optional<TWindowDeviceContext> dc = windows_->GetDC(window);
    dc->NoteDrawn(Rect{0, 0, 4, 4});
    TCanvas(dc->Bitmap()).SetPixel(1, 1, RGB(1, 2, 3));
  }
  {
    std::optional<TWindowDeviceContext> dc = windows_->GetDC(window);
    TCanvas(dc->Bitmap()).SetPixel(60, 40, RGB(1, 2, 3));
  }
  windows_->DispatchMessage(message);
  ASSERT_EQ(backend_->Find(window)->Presented, 4);
  EXPECT_EQ(backend_->Find(window)->LastChanged, (std::vector<Rect>{{1, 1, 2, 2}, {60, 40, 61, 41}}));
}

// A 64 x 48 popup of a class that leaves every message to the default procedure, on a
// window system of the test's own back end.
WindowHandle PlainPopup(TWindowSystem& windows) {
  TWindowClass window_class;
  window_class.ClassName = "Plain";
  window_class.Procedure = [&windows](WindowHandle window, UINT message, WPARAM w_param, LPARAM l_param) -> LRESULT {
    return windows.DefWindowProc(window, message, w_param, l_param);
  };
  if (!windows.RegisterClass(window_class)) return kNoWindow;
  return windows.CreateWindowEx(WS_EX_TOPMOST, "Plain", "", WS_POPUP | WS_VISIBLE, Rect{0, 0, 64, 48}, kNoWindow);
}

// A back end that keeps its own copy of what a window shows is asked first, with the
// parts drawn. While it does, the window system keeps no copy of its own, so a picture
// after it stops goes whole rather than compared with a picture that is out of date.
TEST(WindowSystemOverACopyKeepingBackEnd, AsksItFirstAndSendsTheWholePictureWhenItStops) {
  class CopyKeepingBackend : public HeadlessBackend {
  public:
    bool PresentChanges(WindowHandle, const TBitmap&, bool anywhere, const std::vector<Rect>& parts) override {
      if (!KeepsCopy) return false;
      Asked.push_back(anywhere ? std::vector<Rect>{Rect{-1, -1, -1, -1}} : parts);
      return true;
    }
    bool KeepsCopy = false;
    std::vector<std::vector<Rect>> Asked;  // the parts of every picture taken
  };
  auto owned = std::make_unique<CopyKeepingBackend>();
  CopyKeepingBackend& backend = *owned;
  TWindowSystem windows(std::move(owned));
  const WindowHandle window = PlainPopup(windows);
  ASSERT_NE(window, kNoWindow);
  const auto draw = [&](const Rect& rect, TColor color) {
    windows.PostMessage(window, WM_KEYUP);
    TMsg message;
    ASSERT_TRUE(windows.GetMessage(message));
    {
      std::optional<TWindowDeviceContext> dc = windows.GetDC(window);
      TCanvas canvas(dc->Bitmap());
      canvas.Brush.Color = color;
      canvas.FillRect(rect);
      dc->NoteDrawn(rect);
    }
    windows.DispatchMessage(message);
  };
  draw(Rect{1, 1, 3, 3}, RGB(9, 9, 9));  // the window system's own copy
  ASSERT_EQ(backend.Find(window)->Presented, 1);

  backend.KeepsCopy = true;
  draw(Rect{3, 5, 9, 8}, RGB(8, 8, 8));
  EXPECT_EQ(backend.Asked, (std::vector<std::vector<Rect>>{{Rect{3, 5, 9, 8}}}));
  EXPECT_EQ(backend.Find(window)->Presented, 1);

  backend.KeepsCopy = false;
  draw(Rect{20, 20, 22, 22}, RGB(7, 7, 7));
  ASSERT_EQ(backend.Find(window)->Presented, 2);
  EXPECT_EQ(backend.Find(window)->LastChanged, (std::vector<Rect>{{0, 0, 64, 48}}));
}

// A back end whose display reads the window's picture from memory it lends: the window
// draws in that memory, black at first, and the back end hears before every drawing.
TEST(WindowSystemOverAMemoryLendingBackEnd, DrawsInTheLentMemoryAfterSayingSo) {
  class LendingBackend : public HeadlessBackend {
  public:
    class Block : public PixelMemory {
    public:
      std::span<std::uint8_t> Bytes() override { return bytes; }
      std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(64 * 48 * 4);
    };
    TBitmap NewSurface(WindowHandle, int width, int height) override { return TBitmap(width, height, Lent); }
    void BeforeDrawing(WindowHandle) override { ++Warned; }
    std::shared_ptr<Block> Lent = std::make_shared<Block>();
    int Warned = 0;
  };
  auto owned = std::make_unique<LendingBackend>();
  LendingBackend& backend = *owned;
  TWindowSystem windows(std::move(owned));
  const WindowHandle window = PlainPopup(windows);
  ASSERT_NE(window, kNoWindow);
  const int warned_at_start = backend.Warned;
  std::optional<TWindowDeviceContext> dc = windows.GetDC(window);
  ASSERT_TRUE(dc.has_value());
  EXPECT_EQ(backend.Warned, warned_at_start + 1);
  EXPECT_EQ(dc->Bitmap().LentMemory(), backend.Lent.get());
  EXPECT_EQ(dc->Bitmap().GetPixel(63, 47), RGB(0, 0, 0));
}

// The changed columns are found pixel-exact wherever they lie against pairs of pixels.
TEST_F(WindowSystemTest, ChangedColumnsAreExactAtEitherPixelOfAPair) {
  const WindowHandle window = Popup();
  int presented = 0;
  for (const Rect& change : {Rect{20, 20, 21, 21}, Rect{0, 3, 1, 4}, Rect{1, 3, 2, 4}, Rect{62, 3, 63, 4},
                             Rect{63, 3, 64, 4}, Rect{2, 3, 5, 4}, Rect{7, 3, 10, 4}, Rect{0, 3, 64, 4}}) {
    windows_->PostMessage(window, WM_KEYUP);
    TMsg message;
    ASSERT_TRUE(windows_->GetMessage(message));
    {
      std::optional<TWindowDeviceContext> dc = windows_->GetDC(window);
      TCanvas canvas(dc->Bitmap());
      canvas.Brush.Color = RGB(static_cast<std::uint8_t>(10 + presented), 0, 0);
      canvas.FillRect(change);
    }
    windows_->DispatchMessage(message);
    ASSERT_EQ(backend_->Find(window)->Presented, ++presented);
    if (presented == 1) continue;  // the first picture goes whole
    EXPECT_EQ(backend_->Find(window)->LastChanged, (std::vector<Rect>{change}));
  }
}

TEST_F(WindowSystemTest, TheCursorShowsWhileTheCounterIsNotNegative) {
  const WindowHandle window = Popup();
  EXPECT_TRUE(backend_->Find(window)->CursorVisible);
  EXPECT_EQ(windows_->ShowCursor(false), -1);
  EXPECT_FALSE(backend_->Find(window)->CursorVisible);
  EXPECT_EQ(windows_->ShowCursor(false), -2);
  EXPECT_EQ(windows_->ShowCursor(true), -1);
  EXPECT_FALSE(backend_->Find(window)->CursorVisible);
  EXPECT_EQ(windows_->ShowCursor(true), 0);
  EXPECT_TRUE(backend_->Find(window)->CursorVisible);
}

TEST_F(WindowSystemTest, AWindowWhoseOwnerDestroyedItGetsItsDestroyMessage) {
  const WindowHandle host = backend_->AddForeignWindow(Rect{0, 0, 100, 80});
  const WindowHandle child = windows_->CreateWindowEx(0, "Recorder", "", WS_CHILD, Rect{0, 0, 100, 80}, host);
  windows_->SetTimer(child, 1, 50);
  backend_->LoseWindow(child, backend_->Now() + 120);
  const std::vector<TMsg> dispatched = Pump();
  EXPECT_EQ(dispatched.size(), 2u);  // the ticks at 50 and 100
  EXPECT_FALSE(windows_->IsWindow(child));
  EXPECT_EQ(Messages().back(), WM_DESTROY);
  EXPECT_EQ(backend_->Destroyed(), 0);  // the native window was already gone
}

TEST_F(WindowSystemTest, AnAdoptedWindowIsDrawnAtItsOwnSize) {
  const WindowHandle foreign = backend_->AddForeignWindow(Rect{0, 0, 300, 200});
  EXPECT_EQ(windows_->AdoptForeignWindow("Recorder", 0xBAD), kNoWindow);
  const WindowHandle adopted = windows_->AdoptForeignWindow("Recorder", foreign);
  ASSERT_EQ(adopted, foreign);
  EXPECT_EQ(windows_->GetClientRect(adopted), (Rect{0, 0, 300, 200}));
  windows_->ShowCursor(false);
  EXPECT_TRUE(backend_->Find(adopted)->CursorVisible);  // its owner's cursor is left alone
}

TEST_F(WindowSystemTest, RealizingAPaletteCountsTheEntriesThatChanged) {
  const WindowHandle window = Popup();
  std::vector<PaletteEntry> palette = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  EXPECT_EQ(windows_->RealizePalette(window, palette), 3);
  EXPECT_EQ(windows_->RealizePalette(window, palette), 0);
  palette[1] = {40, 5, 6};
  palette.push_back({0, 0, 0});
  EXPECT_EQ(windows_->RealizePalette(window, palette), 2);
}

TEST_F(WindowSystemTest, AClassCanBeUnregisteredOnlyWhenNoWindowUsesIt) {
  const WindowHandle window = Popup();
  EXPECT_FALSE(windows_->UnregisterClass("Recorder"));
  quit_on_destroy_ = false;
  windows_->DestroyWindow(window);
  EXPECT_TRUE(windows_->UnregisterClass("Recorder"));
  EXPECT_EQ(Popup(), kNoWindow);
}

}  // namespace
}  // namespace velquora

// Pictures through memory shared with a virtual X server: what reaches the window, and
// that the shared copy is what each picture is compared with.
#include "platform/win/x11_shm_presenter.h"

#include <gtest/gtest.h>

#include "../host/xvfb_support.h"

namespace velquora {
namespace {

using testing::Eventually;
using testing::FindInPath;
using testing::VirtualDisplay;

constexpr int kWidth = 80;
constexpr int kHeight = 60;

// A virtual X server with a window of kWidth x kHeight, a client to look at it and a
// presenter to show pictures in it.
class X11ShmPresenterTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (FindInPath("Xvfb") == std::nullopt) GTEST_SKIP() << "Xvfb is not installed";
    display_ = VirtualDisplay::Start();
    ASSERT_NE(display_, nullptr);
    client_ = TX11Client::Connect(display_->Name());
    presenter_ = TX11ShmPresenter::Open(display_->Name());
    ASSERT_NE(client_, nullptr);
    ASSERT_NE(presenter_, nullptr);
    window_ = client_->CreateWindow(Rect{10, 10, 10 + kWidth, 10 + kHeight});
  }

  std::unique_ptr<VirtualDisplay> display_;
  std::unique_ptr<TX11Client> client_;
  std::unique_ptr<TX11ShmPresenter> presenter_;
  WindowHandle window_ = kNoWindow;
};

TEST_F(X11ShmPresenterTest, ShowsThePictureThenWhatChangedWithinThePartsDrawn) {
  TBitmap picture(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) picture.SetPixel(x, y, RGB(x * 3, y * 4, (x + y) % 256));
  }
  const auto shows = [&](const TBitmap& expected) {
    return Eventually([&] {
      const std::optional<TBitmap> shot = client_->Capture(window_);
      if (!shot) return false;
      for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
          if (shot->GetPixel(x, y) != expected.GetPixel(x, y)) return false;
        }
      }
      return true;
    });
  };
  ASSERT_TRUE(presenter_->Present(window_, kWidth, kHeight, picture, false, {}, true));
  ASSERT_TRUE(shows(picture));

  // Two changes, one of them outside the only part said to be drawn: that one is not
  // looked for, so it stays unseen, and the other shows at once.
  TBitmap changed = picture;
  changed.SetPixel(5, 6, RGB(255, 0, 0));
  changed.SetPixel(79, 59, RGB(0, 0, 255));
  ASSERT_TRUE(presenter_->Present(window_, kWidth, kHeight, changed, false, {Rect{0, 0, 10, 10}}, false));
  TBitmap expected = picture;
  expected.SetPixel(5, 6, RGB(255, 0, 0));
  EXPECT_TRUE(shows(expected));

  // Drawn anywhere: the rest is found too, and a window_ uncovered gets it all again.
  ASSERT_TRUE(presenter_->Present(window_, kWidth, kHeight, changed, true, {}, false));
  EXPECT_TRUE(shows(changed));
  const WindowHandle cover = client_->CreateWindow(Rect{0, 0, 60, 50});
  client_->DestroyWindow(cover);
  ASSERT_TRUE(presenter_->Repaint(window_));
  EXPECT_TRUE(shows(changed));
  presenter_->Forget(window_);
  EXPECT_FALSE(presenter_->Repaint(window_));

  // A picture of another format is left to the caller; the next one starts afresh and
  // goes whole, though it says only one part was drawn.
  ASSERT_TRUE(presenter_->Present(window_, kWidth, kHeight, picture, false, {}, true));
  EXPECT_FALSE(presenter_->Present(window_, kWidth, kHeight, TBitmap(kWidth, kHeight, PixelFormat::Bits24), true, {},
                                  false));
  ASSERT_TRUE(presenter_->Present(window_, kWidth, kHeight, changed, false, {Rect{0, 0, 1, 1}}, false));
  EXPECT_TRUE(shows(changed));
}

// A picture made in the shared memory is shown without a copy: only the parts said to be
// drawn go, as they lie, and a picture drawn anywhere goes whole.
TEST_F(X11ShmPresenterTest, APictureInTheSharedMemoryShowsWhatWasDrawnThere) {
  const auto shows = [&](int x, int y, TColor colour) {
    return Eventually([&] {
      const std::optional<TBitmap> shot = client_->Capture(window_);
      return shot && shot->GetPixel(x, y) == colour;
    });
  };
  std::optional<TBitmap> picture = presenter_->NewPicture(window_, kWidth, kHeight);
  ASSERT_TRUE(picture.has_value());
  ASSERT_NE(picture->LentMemory(), nullptr);
  ASSERT_TRUE(presenter_->Present(window_, kWidth, kHeight, *picture, false, {}, true));
  EXPECT_TRUE(shows(70, 50, RGB(255, 255, 255)));

  presenter_->BeforeDrawing(window_);
  picture->SetPixel(3, 4, RGB(255, 0, 0));
  picture->SetPixel(70, 50, RGB(0, 0, 255));
  ASSERT_TRUE(presenter_->Present(window_, kWidth, kHeight, *picture, false, {Rect{0, 0, 10, 10}}, false));
  EXPECT_TRUE(shows(3, 4, RGB(255, 0, 0)));
  EXPECT_TRUE(shows(70, 50, RGB(255, 255, 255)));  // not said to be drawn: not sent

  presenter_->BeforeDrawing(window_);
  ASSERT_TRUE(presenter_->Present(window_, kWidth, kHeight, *picture, true, {}, false));
  EXPECT_TRUE(shows(70, 50, RGB(0, 0, 255)));

  // Shown at another size, the window_ gets shared memory of that size; the picture is
  // then copied into it like any other.
  ASSERT_TRUE(presenter_->Present(window_, kWidth / 2, kHeight / 2, *picture, false, {}, true));
  EXPECT_TRUE(shows(3, 4, RGB(255, 0, 0)));
  presenter_->Forget(window_);
  EXPECT_EQ(picture->GetPixel(3, 4), RGB(255, 0, 0));  // its memory outlives the server's hold
}

}  // namespace
}  // namespace velquora

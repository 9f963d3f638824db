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

TEST(X11ShmPresenter, ShowsThePictureThenWhatChangedWithinThePartsDrawn) {
  if (FindInPath("Xvfb") == std::nullopt) GTEST_SKIP() << "Xvfb is not installed";
  const std::unique_ptr<VirtualDisplay> display = VirtualDisplay::Start();
  ASSERT_NE(display, nullptr);
  const std::unique_ptr<TX11Client> client = TX11Client::Connect(display->Name());
  const std::unique_ptr<TX11ShmPresenter> presenter = TX11ShmPresenter::Open(display->Name());
  ASSERT_NE(client, nullptr);
  ASSERT_NE(presenter, nullptr);
  const WindowHandle window = client->CreateWindow(Rect{10, 10, 10 + kWidth, 10 + kHeight});
  TBitmap picture(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) picture.SetPixel(x, y, RGB(x * 3, y * 4, (x + y) % 256));
  }
  const auto shows = [&](const TBitmap& expected) {
    return Eventually([&] {
      const std::optional<TBitmap> shot = client->Capture(window);
      if (!shot) return false;
      for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
          if (shot->GetPixel(x, y) != expected.GetPixel(x, y)) return false;
        }
      }
      return true;
    });
  };
  ASSERT_TRUE(presenter->Present(window, kWidth, kHeight, picture, false, {}, true));
  ASSERT_TRUE(shows(picture));

  // Two changes, one of them outside the only part said to be drawn: that one is not
  // looked for, so it stays unseen, and the other shows at once.
  TBitmap changed = picture;
  changed.SetPixel(5, 6, RGB(255, 0, 0));
  changed.SetPixel(79, 59, RGB(0, 0, 255));
  ASSERT_TRUE(presenter->Present(window, kWidth, kHeight, changed, false, {Rect{0, 0, 10, 10}}, false));
  TBitmap expected = picture;
  expected.SetPixel(5, 6, RGB(255, 0, 0));
  EXPECT_TRUE(shows(expected));

  // Drawn anywhere: the rest is found too, and a window uncovered gets it all again.
  ASSERT_TRUE(presenter->Present(window, kWidth, kHeight, changed, true, {}, false));
  EXPECT_TRUE(shows(changed));
  const WindowHandle cover = client->CreateWindow(Rect{0, 0, 60, 50});
  client->DestroyWindow(cover);
  ASSERT_TRUE(presenter->Repaint(window));
  EXPECT_TRUE(shows(changed));
  presenter->Forget(window);
  EXPECT_FALSE(presenter->Repaint(window));

  // A picture of another format is left to the caller; the next one starts afresh and
  // goes whole, though it says only one part was drawn.
  ASSERT_TRUE(presenter->Present(window, kWidth, kHeight, picture, false, {}, true));
  EXPECT_FALSE(presenter->Present(window, kWidth, kHeight, TBitmap(kWidth, kHeight, PixelFormat::Bits24), true, {},
                                  false));
  ASSERT_TRUE(presenter->Present(window, kWidth, kHeight, changed, false, {Rect{0, 0, 1, 1}}, false));
  EXPECT_TRUE(shows(changed));
}

// A picture made in the shared memory is shown without a copy: only the parts said to be
// drawn go, as they lie, and a picture drawn anywhere goes whole.
TEST(X11ShmPresenter, APictureInTheSharedMemoryShowsWhatWasDrawnThere) {
  if (FindInPath("Xvfb") == std::nullopt) GTEST_SKIP() << "Xvfb is not installed";
  const std::unique_ptr<VirtualDisplay> display = VirtualDisplay::Start();
  ASSERT_NE(display, nullptr);
  const std::unique_ptr<TX11Client> client = TX11Client::Connect(display->Name());
  const std::unique_ptr<TX11ShmPresenter> presenter = TX11ShmPresenter::Open(display->Name());
  ASSERT_NE(client, nullptr);
  ASSERT_NE(presenter, nullptr);
  const WindowHandle window = client->CreateWindow(Rect{10, 10, 10 + kWidth, 10 + kHeight});
  const auto shows = [&](int x, int y, TColor colour) {
    return Eventually([&] {
      const std::optional<TBitmap> shot = client->Capture(window);
      return shot && shot->GetPixel(x, y) == colour;
    });
  };
  std::optional<TBitmap> picture = presenter->NewPicture(window, kWidth, kHeight);
  ASSERT_TRUE(picture.has_value());
  ASSERT_NE(picture->LentMemory(), nullptr);
  ASSERT_TRUE(presenter->Present(window, kWidth, kHeight, *picture, false, {}, true));
  EXPECT_TRUE(shows(70, 50, RGB(255, 255, 255)));

  presenter->BeforeDrawing(window);
  picture->SetPixel(3, 4, RGB(255, 0, 0));
  picture->SetPixel(70, 50, RGB(0, 0, 255));
  ASSERT_TRUE(presenter->Present(window, kWidth, kHeight, *picture, false, {Rect{0, 0, 10, 10}}, false));
  EXPECT_TRUE(shows(3, 4, RGB(255, 0, 0)));
  EXPECT_TRUE(shows(70, 50, RGB(255, 255, 255)));  // not said to be drawn: not sent

  presenter->BeforeDrawing(window);
  ASSERT_TRUE(presenter->Present(window, kWidth, kHeight, *picture, true, {}, false));
  EXPECT_TRUE(shows(70, 50, RGB(0, 0, 255)));

  // Shown at another size, the window gets shared memory of that size; the picture is
  // then copied into it like any other.
  ASSERT_TRUE(presenter->Present(window, kWidth / 2, kHeight / 2, *picture, false, {}, true));
  EXPECT_TRUE(shows(3, 4, RGB(255, 0, 0)));
  presenter->Forget(window);
  EXPECT_EQ(picture->GetPixel(3, 4), RGB(255, 0, 0));  // its memory outlives the server's hold
}

}  // namespace
}  // namespace velquora

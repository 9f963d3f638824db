// What a tick costs the window layer at 1920 x 1080: finding the rows that changed
// since the last picture and handing them on, for a still picture, a Step-sized
// change (a few sprites' rectangles) and a picture that changed everywhere.
#include <benchmark/benchmark.h>

#include <memory>

#include "platform/gdi/canvas.h"
#include "platform/win/headless_backend.h"
#include "platform/win/window_system.h"

namespace velquora {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// Takes the bands and drops the picture, so that only the window layer's own work counts.
class CountingBackend : public HeadlessBackend {
public:
  void Present(WindowHandle, const TBitmap&, const std::vector<Rect>& changed) override { rows += changed.size(); }
  std::size_t rows = 0;
};

struct PresentFixture {
  PresentFixture() : windows(std::make_unique<CountingBackend>()) {
    TWindowClass window_class;
    window_class.ClassName = "Bench";
    window_class.Procedure = [](WindowHandle, UINT, WPARAM, LPARAM) -> LRESULT { return 0; };
    windows.RegisterClass(window_class);
    window = windows.CreateWindowEx(WS_EX_TOPMOST, "Bench", "", WS_POPUP, Rect{0, 0, kWidth, kHeight}, kNoWindow);
  }

  // One message whose handler fills the rectangles in the colour.
  void Tick(int rectangles, int size, TColor color) {
    windows.PostMessage(window, WM_TIMER, 1);
    TMsg message;
    windows.GetMessage(message);
    {
      std::optional<TWindowDeviceContext> dc = windows.GetDC(window);
      TCanvas canvas(dc->Bitmap());
      canvas.Brush.Color = color;
      for (int i = 0; i < rectangles; ++i) {
        const int x = (i * 397) % (kWidth - size);
        const int y = (i * 211) % (kHeight - size);
        canvas.FillRect(Rect{x, y, x + size, y + size});
      }
    }
    windows.DispatchMessage(message);
  }

  TWindowSystem windows;
  WindowHandle window = kNoWindow;
};

void BM_PresentStillPicture(benchmark::State& state) {
  PresentFixture fixture;
  fixture.Tick(0, 0, 0);
  for (auto _ : state) fixture.Tick(0, 0, 0);
}
BENCHMARK(BM_PresentStillPicture)->Unit(benchmark::kMicrosecond);

void BM_PresentFiftySpriteRects(benchmark::State& state) {
  PresentFixture fixture;
  int tick = 0;
  for (auto _ : state) fixture.Tick(50, 64, (++tick & 1) != 0 ? RGB(200, 30, 30) : RGB(30, 30, 200));
}
BENCHMARK(BM_PresentFiftySpriteRects)->Unit(benchmark::kMicrosecond);

void BM_PresentWholeScreenChanged(benchmark::State& state) {
  PresentFixture fixture;
  int tick = 0;
  for (auto _ : state) {
    fixture.Tick(1, kHeight - 1, (++tick & 1) != 0 ? RGB(200, 30, 30) : RGB(30, 30, 200));
  }
}
BENCHMARK(BM_PresentWholeScreenChanged)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velquora

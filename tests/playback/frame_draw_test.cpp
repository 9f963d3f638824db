#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "platform/system/display_info.h"
#include "platform/system/process_list_flag.h"
#include "platform/system/resource_probe.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/canvas.h"
#include "playback/frame.h"

namespace velquora {
namespace {

constexpr TColor Green = RGB(0, 160, 0);
constexpr TColor Black = RGB(0, 0, 0);
constexpr TColor Key = RGB(200, 0, 200);

// A picture whose every pixel has its own colour (never Green, Black or Key).
TBitmap Picture(int width, int height) {
  TBitmap bitmap(width, height, PixelFormat::Bits24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      bitmap.SetPixel(x, y, RGB(static_cast<std::uint8_t>(8 * x + 1), static_cast<std::uint8_t>(20 * y + 1), 77));
  return bitmap;
}

std::unique_ptr<TFrame> FrameOf(const TBitmap& picture, bool transparent = false, int sampleX = -1, int sampleY = -1) {
  auto frame = std::make_unique<TFrame>();
  frame->PendingPicture = std::make_unique<TBitmap>(picture);
  frame->Width = picture.Width();
  frame->Height = picture.Height();
  frame->Transparent = transparent;
  frame->TransparentX = sampleX;
  frame->TransparentY = sampleY;
  return frame;
}

TBitmap Filled(int width, int height, TColor color, PixelFormat format = PixelFormat::Bits24) {
  TBitmap bitmap(width, height, format);
  TCanvas canvas(bitmap);
  canvas.Brush.Color = color;
  canvas.FillRect(bitmap.BoundsRect());
  return bitmap;
}

// Columns of the target in which some pixel differs from color.
int ColumnsChanged(const TBitmap& target, TColor color) {
  int columns = 0;
  for (int x = 0; x < target.Width(); ++x)
    for (int y = 0; y < target.Height(); ++y)
      if (target.GetPixel(x, y) != color) {
        ++columns;
        break;
      }
  return columns;
}

// ---- where a frame is drawn ----

TEST(FrameDraw, PartlyLeftOfTheAreaDrawsTheVisibleColumns) {
  const TBitmap picture = Picture(30, 10);
  auto frame = FrameOf(picture);
  TBitmap target = Filled(40, 20, Green);
  frame->Draw(target, -10, 1, 1, 5, 40, 20, 0);
  EXPECT_EQ(ColumnsChanged(target, Green), 20);
  for (int x = 0; x < 20; ++x) {
    EXPECT_EQ(target.GetPixel(x, 5), picture.GetPixel(x + 10, 0)) << "column " << x;
    EXPECT_EQ(target.GetPixel(x, 14), picture.GetPixel(x + 10, 9)) << "column " << x;
  }
  EXPECT_EQ(target.GetPixel(20, 5), Green);
  EXPECT_EQ(target.GetPixel(0, 4), Green);
  EXPECT_EQ(target.GetPixel(0, 15), Green);
}

TEST(FrameDraw, WhollyLeftOfTheAreaDrawsNothingAndRasterisesNothing) {
  auto frame = FrameOf(Picture(30, 10));
  TBitmap target = Filled(40, 20, Green);
  frame->Draw(target, -30, 1, 1, 5, 40, 20, 0);
  EXPECT_EQ(ColumnsChanged(target, Green), 0);
  EXPECT_NE(frame->PendingPicture, nullptr);
  EXPECT_TRUE(frame->Picture.Empty());
}

struct OverlapRow {
  const char* Case;
  int X, Y;
  double ScaleX, ScaleY;
  bool Drawn;
};

TEST(FrameDraw, OverlapTestAgainstTheArea) {
  // Picture 6 x 4; area 40 x 20 inside a 60 x 40 target, so a picture beyond the area
  // would still land on the target if the test let it through.
  const OverlapRow rows[] = {
      {"inside", 10, 10, 1, 1, true},
      {"at the area's right edge", 40, 5, 1, 1, false},
      {"one column inside the right edge", 39, 5, 1, 1, true},
      {"at the area's bottom edge", 5, 20, 1, 1, false},
      {"ending at the left edge", -6, 5, 1, 1, false},
      {"one column over the left edge", -5, 5, 1, 1, true},
      {"ending at the top edge", 5, -4, 1, 1, false},
      {"zero width", 5, 5, 0, 1, false},
      {"zero height", 5, 5, 1, 0, false},
      {"negative scale", 5, 5, -1, 1, false},
      {"width rounding to 0 (6 x 0.08 = 0.48)", 5, 5, 0.08, 1, false},
      {"width rounding half to even (6 x 0.25 = 1.5 -> 2)", 5, 5, 0.25, 1, true},
      {"height rounding half to even (4 x 0.125 = 0.5 -> 0)", 5, 5, 1, 0.125, false},
  };
  for (const OverlapRow& row : rows) {
    auto frame = FrameOf(Picture(6, 4));
    TBitmap target = Filled(60, 40, Green);
    frame->Draw(target, row.X, row.ScaleX, row.ScaleY, row.Y, 40, 20, 0);
    EXPECT_EQ(ColumnsChanged(target, Green) > 0, row.Drawn) << row.Case;
  }
}

// ---- how a frame is drawn ----

TEST(FrameDraw, UnscaledOpaqueFrameCopiesThePicture) {
  const TBitmap picture = Picture(6, 4);
  auto frame = FrameOf(picture);
  TBitmap target = Filled(20, 10, Green);
  frame->Draw(target, 3, 1, 1, 2, 20, 10, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(target.GetPixel(x + 3, y + 2), picture.GetPixel(x, y)) << x << ", " << y;
  EXPECT_EQ(ColumnsChanged(target, Green), 6);
}

TEST(FrameDraw, ScaledOpaqueFrameIsStretchedToTheRoundedSize) {
  const TBitmap picture = Picture(6, 4);
  auto frame = FrameOf(picture);
  TBitmap target = Filled(30, 20, Green);
  frame->Draw(target, 2, 1.5, 2.25, 1, 30, 20, 0);  // 9 x 9
  TBitmap expected = Filled(30, 20, Green);
  TCanvas(expected).StretchDraw(Rect{2, 1, 11, 10}, picture);
  EXPECT_TRUE(target == expected);
  EXPECT_EQ(ColumnsChanged(target, Green), 9);
}

TEST(FrameDraw, TransparentFrameKeepsTheTargetWhereTheKeyColourIs) {
  TBitmap picture = Picture(6, 4);
  picture.SetPixel(0, 0, Key);
  picture.SetPixel(3, 1, Key);
  picture.SetPixel(5, 3, Key);
  auto frame = FrameOf(picture, true, 0, 0);
  TBitmap target = Filled(20, 10, Green);
  frame->Draw(target, 4, 1, 1, 3, 20, 10, 0);

  EXPECT_TRUE(frame->TransparentSampled);
  EXPECT_EQ(frame->TransparentColor, Key);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) {
      const TColor expected = picture.GetPixel(x, y) == Key ? Green : picture.GetPixel(x, y);
      ASSERT_EQ(target.GetPixel(x + 4, y + 3), expected) << x << ", " << y;
    }
}

TEST(FrameDraw, TheKeyIsSampledAsTheTargetsFormatShowsIt) {
  // RGB(13, 77, 201) has no exact 5-6-5 form; the key is the colour a 16-bit target shows.
  constexpr TColor Odd = RGB(13, 77, 201);
  TBitmap sixteen(1, 1, PixelFormat::Bits16);
  sixteen.SetPixel(0, 0, Odd);
  const TColor shown = sixteen.GetPixel(0, 0);
  ASSERT_NE(shown, Odd);

  TBitmap picture = Picture(5, 3);
  picture.SetPixel(2, 1, Odd);
  picture.SetPixel(4, 2, Odd);
  auto frame = FrameOf(picture, true, 2, 1);
  TBitmap target = Filled(10, 6, Green, PixelFormat::Bits16);
  const TColor green16 = target.GetPixel(0, 0);
  frame->Draw(target, 1, 1, 1, 1, 10, 6, 0);

  EXPECT_EQ(frame->TransparentColor, shown);
  EXPECT_EQ(target.GetPixel(3, 2), green16);
  EXPECT_EQ(target.GetPixel(5, 3), green16);
  EXPECT_NE(target.GetPixel(1, 1), green16);
}

TEST(FrameDraw, WithoutASamplePixelBlackIsTheKey) {
  TBitmap picture = Picture(6, 4);
  picture.SetPixel(1, 1, Black);
  picture.SetPixel(2, 3, Black);
  auto frame = FrameOf(picture, true, -1, 0);
  TBitmap target = Filled(10, 8, Green);
  frame->Draw(target, 0, 1, 1, 0, 10, 8, 0);
  EXPECT_FALSE(frame->TransparentSampled);
  EXPECT_EQ(frame->TransparentColor, Black);
  EXPECT_EQ(target.GetPixel(1, 1), Green);
  EXPECT_EQ(target.GetPixel(2, 3), Green);
  EXPECT_EQ(target.GetPixel(0, 0), picture.GetPixel(0, 0));
}

TEST(FrameDraw, TheKeyIsSampledOnceAndKept) {
  TBitmap picture = Picture(4, 4);
  picture.SetPixel(3, 2, Key);
  auto frame = FrameOf(picture, true, 3, 2);
  TBitmap target = Filled(10, 10, Green);
  frame->Draw(target, 0, 1, 1, 0, 10, 10, 0);
  ASSERT_EQ(frame->TransparentColor, Key);
  frame->TransparentX = 0;  // a later change of the sample pixel no longer matters
  frame->TransparentY = 0;
  frame->Draw(target, 0, 1, 1, 0, 10, 10, 0);
  EXPECT_EQ(frame->TransparentColor, Key);
}

// The reference for scaled transparent drawing: the whole picture stretched straight onto
// the target with the key left out.
TBitmap StretchedWithKey(TBitmap target, const TBitmap& picture, const Rect& dest, TColor key) {
  TBitmap keyed = picture;
  keyed.Transparent = true;
  keyed.TransparentColor = key;
  TCanvas(target).StretchDraw(dest, keyed);
  return target;
}

TEST(FrameDraw, ScaledTransparentFrameLeavesOutTheFramesKey) {
  TBitmap picture = Picture(4, 3);
  picture.SetPixel(0, 0, Key);
  picture.SetPixel(2, 1, Key);
  auto frame = FrameOf(picture, true, 0, 0);
  TBitmap target = Filled(20, 12, Green);
  frame->Draw(target, 3, 2, 2, 2, 20, 12, 0);  // 8 x 6

  // Pixel (x, y) of the doubled picture is the picture's (x / 2, y / 2).
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) {
      const TColor source = picture.GetPixel(x / 2, y / 2);
      ASSERT_EQ(target.GetPixel(x + 3, y + 2), source == Key ? Green : source) << x << ", " << y;
    }
  // The key is the frame's; the picture's own flag is cleared.
  EXPECT_FALSE(frame->Picture.GetTransparent());
  EXPECT_EQ(ColumnsChanged(target, Green), 8);
}

TEST(FrameDraw, ScaledTransparentFramePartlyOutsideSamplesLikeAFullStretch) {
  TBitmap picture = Picture(7, 5);
  picture.SetPixel(1, 1, Key);
  picture.SetPixel(6, 4, Key);
  picture.SetPixel(0, 3, Key);
  auto frame = FrameOf(picture, true, 1, 1);
  const TBitmap before = Filled(16, 12, Green);
  TBitmap target = before;
  // 7 x 1.7 = 11.9 -> 12 wide, 5 x 2.4 = 12 high, hanging over the top-left corner.
  frame->Draw(target, -5, 1.7, 2.4, -4, 16, 12, 0);
  EXPECT_TRUE(target == StretchedWithKey(before, picture, Rect{-5, -4, 7, 8}, Key));
  EXPECT_GT(ColumnsChanged(target, Green), 0);
}

TEST(FrameDraw, UnscaledSizeWithUnevenScalesDrawsTransparentUnstretched) {
  // 6 x 1.05 rounds to 6: no effective scaling, so the picture is drawn as it is.
  TBitmap picture = Picture(6, 4);
  picture.SetPixel(5, 0, Key);
  auto frame = FrameOf(picture, true, 5, 0);
  TBitmap target = Filled(10, 8, Green);
  frame->Draw(target, 1, 1.05, 1, 1, 10, 8, 0);
  EXPECT_TRUE(frame->Picture.GetTransparent());
  EXPECT_EQ(frame->Picture.TransparentColor, Key);
  EXPECT_EQ(target.GetPixel(6, 1), Green);
  EXPECT_EQ(target.GetPixel(1, 1), picture.GetPixel(0, 0));
}

// ---- the picture's life ----

TEST(FrameDraw, PendingPictureIsRasterisedOnFirstDrawThenFreed) {
  const TBitmap picture = Picture(6, 4);
  auto frame = FrameOf(picture);
  TBitmap target = Filled(10, 8, Green, PixelFormat::Bits32);
  frame->Draw(target, 0, 1, 1, 0, 10, 8, 0);
  EXPECT_EQ(frame->PendingPicture, nullptr);
  EXPECT_EQ(frame->Picture.Format(), PixelFormat::Bits32);  // the target's format
  EXPECT_EQ(frame->Picture.GetPixel(5, 3), picture.GetPixel(5, 3));

  TBitmap second = Filled(10, 8, Green, PixelFormat::Bits32);
  frame->Draw(second, 2, 1, 1, 2, 10, 8, 0);
  EXPECT_EQ(second.GetPixel(2, 2), picture.GetPixel(0, 0));
}

TEST(FrameDraw, PercentDoesNotChangeTheDrawing) {
  const TBitmap picture = Picture(6, 4);
  TBitmap drawn[3] = {Filled(12, 8, Green), Filled(12, 8, Green), Filled(12, 8, Green)};
  const double percents[3] = {0, -25, 60};
  for (int i = 0; i < 3; ++i) FrameOf(picture)->Draw(drawn[i], 1, 1.5, 1, 2, 12, 8, percents[i]);
  EXPECT_TRUE(drawn[0] == drawn[1]);
  EXPECT_TRUE(drawn[0] == drawn[2]);
  EXPECT_EQ(ColumnsChanged(drawn[0], Green), 9);
}

TEST(FrameDraw, AbsurdScalesDrawWithoutFailing) {
  const TBitmap picture = Picture(3, 2);
  auto frame = FrameOf(picture, true, 100000, 100000);
  TBitmap target = Filled(8, 6, Green);
  EXPECT_NO_THROW(frame->Draw(target, 0, 1e30, 1e30, 0, 8, 6, 0));
  // A sample pixel outside the picture reads the scratch bitmap's own white.
  EXPECT_EQ(frame->TransparentColor, RGB(255, 255, 255));
  // Stretched over two thousand million pixels, every visible pixel comes from (0, 0).
  EXPECT_EQ(target.GetPixel(7, 5), picture.GetPixel(0, 0));
}

TEST(FrameDraw, EconomyModeDrawsThePictureThroughADormantCycle) {
  const ScopedProcessListFlag flag(true);
  const ScopedResourceFigure low(5);
  const TBitmap picture = Picture(6, 4);
  auto frame = FrameOf(picture);
  TBitmap target = Filled(10, 8, Green);
  frame->Draw(target, 2, 1, 1, 1, 10, 8, 0);  // rasterised, stored (dropped), acquired, drawn
  EXPECT_FALSE(frame->Picture.PrivateStream().Bytes().empty());
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(target.GetPixel(x + 2, y + 1), picture.GetPixel(x, y)) << x << ", " << y;
}

// Sets the host's palette-display flag for one test.
TEST(FrameDraw, PaletteModeGivesThePictureThePendingPalette) {
  const std::vector<PaletteEntry> palette = {{10, 20, 30}, {200, 100, 50}, {0, 0, 0}, {255, 255, 255}};
  TBitmap pending(4, 2, PixelFormat::Bits8);
  pending.SetPalette(palette);
  for (int x = 0; x < 4; ++x) {
    pending.SetIndex(x, 0, x);
    pending.SetIndex(x, 1, 3 - x);
  }
  for (const bool paletteMode : {true, false}) {
    const ScopedPaletteDisplay display(paletteMode);
    auto frame = FrameOf(pending);
    TBitmap target(8, 4, PixelFormat::Bits8);
    target.SetPalette(palette);
    frame->Draw(target, 0, 1, 1, 0, 8, 4, 0);
    EXPECT_EQ(frame->Picture.Palette() == palette, paletteMode) << "palette mode " << paletteMode;
    if (paletteMode) {
      for (int x = 0; x < 4; ++x) EXPECT_EQ(target.GetIndex(x, 1), 3 - x) << "column " << x;
    }
  }
}

// ---- animation ----

TEST(FramePrepare, StillFramesNeverChange) {
  auto frame = FrameOf(Picture(3, 3));
  frame->Changed = true;
  frame->Prepare(-1);
  EXPECT_FALSE(frame->Changed);
  frame->Animated = true;  // a payload without an animation source
  frame->AnimationKind = static_cast<std::int32_t>(TPayloadKind::Jpeg);
  frame->Changed = true;
  frame->Prepare(1);
  EXPECT_FALSE(frame->Changed);
}

}  // namespace
}  // namespace velquora

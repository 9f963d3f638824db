// Composing GIF frames: disposal methods, transparent colours, the frame index, wrapping and
// seeking, on small pictures written for each case, and on a test suite's animations.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/memory_stream.h"
#include "gif_writer.h"
#include "media/gif/gif_file.h"

namespace velquora {
namespace {

// Index: 0 red, 1 green, 2 blue, 3 dark grey.
const std::vector<GifRgb> kColors{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {10, 20, 30}};

// One letter per colour: R, G, B, K for the table's colours, W for white, ? for anything else.
std::vector<std::string> Picture(const TBitmap& bitmap) {
  std::vector<std::string> rows;
  for (int y = 0; y < bitmap.Height(); ++y) {
    std::string row;
    for (int x = 0; x < bitmap.Width(); ++x) {
      switch (bitmap.GetPixel(x, y)) {
        case RGB(255, 0, 0): row += 'R'; break;
        case RGB(0, 255, 0): row += 'G'; break;
        case RGB(0, 0, 255): row += 'B'; break;
        case RGB(10, 20, 30): row += 'K'; break;
        case RGB(255, 255, 255): row += 'W'; break;
        default: row += '?';
      }
    }
    rows.push_back(row);
  }
  return rows;
}

using Rows = std::vector<std::string>;

GifImage Solid(int left, int top, int width, int height, std::uint8_t index) {
  return GifImage(left, top, width, height, std::vector<std::uint8_t>(std::size_t(width) * height, index));
}

void Load(TGifFile& gif, const GifWriter& writer) {
  TMemoryStream stream(writer.Bytes());
  gif.LoadFromStream(stream);
}

// Renders n frames and returns the last composition.
Rows RenderFrames(TGifFile& gif, int n) {
  TBitmap target;
  for (int i = 0; i < n; ++i) gif.RenderNext(target);
  EXPECT_EQ(target.Format(), PixelFormat::Bits24);
  EXPECT_FALSE(target.Transparent);
  return Picture(target);
}

TEST(GifAnimator, FirstFrameFillsTheScreenWithWhiteAndDrawsTheFrameInPlace) {
  GifWriter writer(10, 10, kColors);
  writer.Image(Solid(1, 1, 2, 2, 1)).Image(Solid(0, 0, 3, 3, 0)).Trailer();
  TGifFile gif;
  Load(gif, writer);
  EXPECT_EQ(RenderFrames(gif, 1), (Rows{"WWW", "WGG", "WGG"}));
  EXPECT_EQ(gif.LastRenderedIndex(), 1);
  EXPECT_EQ(gif.NextFrameIndex(), 2);
}

TEST(GifAnimator, FirstFrameWithATransparentColourFillsTheScreenWithItAndDrawsOpaquely) {
  GifWriter writer(3, 3, kColors);
  writer.GraphicControl(0, 0, 3).Image(GifImage(1, 1, 2, 2, {1, 3, 1, 1})).Image(Solid(0, 0, 3, 3, 0)).Trailer();
  TGifFile gif;
  Load(gif, writer);
  EXPECT_EQ(RenderFrames(gif, 1), (Rows{"KKK", "KGK", "KGG"}));
}

TEST(GifAnimator, KeptFrameIsDrawnOverAndTransparentPixelsLeaveItShowing) {
  for (int disposal : {0, 1}) {
    GifWriter writer(3, 3, kColors);
    writer.GraphicControl(disposal, 0).Image(Solid(0, 0, 3, 3, 0));
    writer.GraphicControl(disposal, 0, 3).Image(GifImage(1, 0, 2, 2, {2, 3, 3, 2})).Trailer();
    TGifFile gif;
    Load(gif, writer);
    EXPECT_EQ(RenderFrames(gif, 2), (Rows{"RBR", "RRB", "RRR"})) << "disposal " << disposal;
  }
}

TEST(GifAnimator, BackgroundDisposalRestoresTheFramesAreaToWhite) {
  GifWriter writer(3, 3, kColors);
  writer.GraphicControl(1, 0).Image(Solid(0, 0, 3, 3, 0));
  writer.GraphicControl(2, 0).Image(Solid(0, 0, 2, 2, 2));
  writer.Image(Solid(2, 2, 1, 1, 1)).Trailer();
  TGifFile gif;
  Load(gif, writer);
  EXPECT_EQ(RenderFrames(gif, 3), (Rows{"WWR", "WWR", "RRG"}));
}

TEST(GifAnimator, BackgroundDisposalAfterATransparentFrameUsesTheNextFramesTransparentColour) {
  GifWriter writer(3, 3, kColors);
  writer.GraphicControl(1, 0).Image(Solid(0, 0, 3, 3, 0));
  writer.GraphicControl(2, 0, 3).Image(Solid(0, 0, 2, 2, 2));
  writer.GraphicControl(0, 0, 1).Image(GifImage(1, 1, 2, 2, {1, 2, 2, 1})).Trailer();
  TGifFile gif;
  Load(gif, writer);
  // The restored area takes green, and the green pixels of the last frame let it show.
  EXPECT_EQ(RenderFrames(gif, 3), (Rows{"GGR", "GGB", "RBR"}));
}

TEST(GifAnimator, BackgroundDisposalFallsBackToWhiteWhenTheNextFrameHasNoTransparentColour) {
  GifWriter writer(3, 3, kColors);
  writer.GraphicControl(1, 0).Image(Solid(0, 0, 3, 3, 0));
  writer.GraphicControl(2, 0, 3).Image(Solid(0, 0, 2, 2, 2));
  writer.Image(Solid(2, 2, 1, 1, 1)).Trailer();
  TGifFile gif;
  Load(gif, writer);
  EXPECT_EQ(RenderFrames(gif, 3), (Rows{"WWR", "WWR", "RRG"}));
}

TEST(GifAnimator, PreviousDisposalRestoresWhatLayUnderTheFrame) {
  GifWriter writer(3, 3, kColors);
  writer.GraphicControl(1, 0).Image(Solid(0, 0, 3, 3, 0));
  writer.GraphicControl(3, 0).Image(Solid(1, 1, 2, 2, 2));
  writer.GraphicControl(1, 0).Image(Solid(0, 0, 1, 1, 1)).Trailer();
  TGifFile gif;
  Load(gif, writer);
  EXPECT_EQ(RenderFrames(gif, 2), (Rows{"RRR", "RBB", "RBB"}));
  TGifFile again;
  Load(again, writer);
  EXPECT_EQ(RenderFrames(again, 3), (Rows{"GRR", "RRR", "RRR"}));
}

TEST(GifAnimator, PreviousDisposalOfTheFirstFrameRestoresTheBackground) {
  GifWriter writer(3, 3, kColors);
  writer.GraphicControl(3, 0).Image(Solid(0, 0, 3, 3, 0));
  writer.Image(Solid(0, 0, 1, 1, 2)).Trailer();
  TGifFile gif;
  Load(gif, writer);
  EXPECT_EQ(RenderFrames(gif, 2), (Rows{"BWW", "WWW", "WWW"}));
}

TEST(GifAnimator, TransparentColourMissingFromTheFrameKeysNothingOut) {
  GifWriter writer(2, 2, kColors);
  writer.Image(Solid(0, 0, 2, 2, 0));
  writer.GraphicControl(0, 0, 1).Image(Solid(0, 0, 2, 2, 2)).Trailer();
  TGifFile gif;
  Load(gif, writer);
  EXPECT_EQ(RenderFrames(gif, 2), (Rows{"BB", "BB"}));
}

TEST(GifAnimator, FrameOutsideTheScreenIsClipped) {
  GifWriter writer(2, 2, kColors);
  writer.Image(Solid(0, 0, 2, 2, 0)).Image(Solid(1, 1, 2, 2, 2)).Image(Solid(5, 5, 1, 1, 1)).Trailer();
  TGifFile gif;
  Load(gif, writer);
  EXPECT_EQ(RenderFrames(gif, 2), (Rows{"RR", "RB"}));
  TGifFile again;
  Load(again, writer);
  EXPECT_EQ(RenderFrames(again, 3), (Rows{"RR", "RB"}));
}

TEST(GifAnimator, FrameWithoutPixelsOnlyAdvancesTheIndex) {
  GifWriter writer(2, 2, kColors);
  writer.Image(Solid(0, 0, 2, 2, 1)).GraphicControl(2, 50).Trailer();
  TGifFile gif;
  Load(gif, writer);
  ASSERT_EQ(gif.FrameCount(), 2);
  TBitmap target;
  gif.RenderNext(target);
  TBitmap first;
  first.Assign(target);
  gif.RenderNext(target);
  EXPECT_TRUE(target == first);
  EXPECT_EQ(gif.LastRenderedIndex(), 2);
  EXPECT_EQ(gif.NextFrameIndex(), 3);
  EXPECT_EQ(gif.FrameDelay(gif.LastRenderedIndex()), 50);
  EXPECT_FALSE(gif.Wrapped());
  gif.RenderNext(target);
  EXPECT_EQ(gif.LastRenderedIndex(), 1);
  EXPECT_TRUE(gif.Wrapped());
}

TEST(GifAnimator, SingleFrameWrapsOnTheSecondRender) {
  GifWriter writer(2, 1, kColors);
  writer.Image(GifImage(0, 0, 2, 1, {0, 2})).Trailer();
  TGifFile gif;
  Load(gif, writer);
  TBitmap target;
  gif.RenderNext(target);
  EXPECT_EQ(Picture(target), (Rows{"RB"}));
  EXPECT_FALSE(gif.Wrapped());
  gif.RenderNext(target);
  EXPECT_EQ(Picture(target), (Rows{"RB"}));
  EXPECT_EQ(gif.LastRenderedIndex(), 1);
  EXPECT_TRUE(gif.Wrapped());
  EXPECT_FALSE(gif.Wrapped()) << "querying clears the flag";
}

GifWriter ThreeFrames() {
  GifWriter writer(2, 2, kColors);
  writer.GraphicControl(1, 10).Image(Solid(0, 0, 2, 2, 0));
  writer.GraphicControl(1, 20).Image(Solid(0, 0, 1, 1, 1));
  writer.GraphicControl(1, 30).Image(Solid(1, 1, 1, 1, 2)).Trailer();
  return writer;
}

TEST(GifAnimator, SeekToTheNextFrameIndexGivesTheKeptComposition) {
  TGifFile gif;
  Load(gif, ThreeFrames());
  TBitmap target;
  gif.RenderNext(target);
  gif.RenderNext(target);
  target.SetPixel(1, 0, RGB(0, 0, 255));
  EXPECT_TRUE(gif.Seek(3, target));
  EXPECT_EQ(Picture(target), (Rows{"GR", "RR"}));
  EXPECT_EQ(gif.NextFrameIndex(), 3);
}

TEST(GifAnimator, SeekBackRecomposesFromTheFirstFrame) {
  TGifFile gif;
  Load(gif, ThreeFrames());
  TBitmap target;
  for (int i = 0; i < 3; ++i) gif.RenderNext(target);
  EXPECT_EQ(Picture(target), (Rows{"GR", "RB"}));
  EXPECT_TRUE(gif.Seek(2, target));
  EXPECT_EQ(Picture(target), (Rows{"GR", "RR"}));
  EXPECT_EQ(gif.LastRenderedIndex(), 2);
  EXPECT_EQ(gif.NextFrameIndex(), 3);
}

TEST(GifAnimator, SeekForwardRendersTheFramesInBetween) {
  TGifFile gif;
  Load(gif, ThreeFrames());
  TBitmap target;
  EXPECT_TRUE(gif.Seek(3, target));
  EXPECT_EQ(Picture(target), (Rows{"GR", "RB"}));
  EXPECT_EQ(gif.LastRenderedIndex(), 3);
  EXPECT_EQ(gif.FrameDelay(gif.LastRenderedIndex()), 30);
}

TEST(GifAnimator, SeekToFrameOneOnAFreshPictureShowsIt) {
  TGifFile gif;
  Load(gif, ThreeFrames());
  EXPECT_EQ(gif.NextFrameIndex(), 0);
  TBitmap target;
  EXPECT_TRUE(gif.Seek(1, target));
  EXPECT_EQ(Picture(target), (Rows{"RR", "RR"}));
  EXPECT_EQ(gif.NextFrameIndex(), 2);
}

TEST(GifAnimator, SettingTheNextFrameBackToOneRestartsTheAnimation) {
  TGifFile gif;
  Load(gif, ThreeFrames());
  TBitmap target;
  for (int i = 0; i < 3; ++i) gif.RenderNext(target);
  gif.SetNextFrameIndex(1);
  gif.RenderNext(target);
  EXPECT_EQ(Picture(target), (Rows{"RR", "RR"}));
  EXPECT_FALSE(gif.Wrapped());
}

TEST(GifAnimator, PictureWithoutFramesLeavesTheTargetAndWraps) {
  GifWriter writer(2, 2, kColors);
  writer.Trailer();
  TGifFile gif;
  Load(gif, writer);
  TBitmap target(3, 1, PixelFormat::Bits24);
  gif.RenderNext(target);
  EXPECT_EQ(Picture(target), (Rows{"WWW"}));
  EXPECT_TRUE(gif.Wrapped());
}

// The suite's expected frames are RGBA; where they are see-through this animator shows the
// colour it filled the screen with: the first frame's transparent colour.
std::filesystem::path SuiteFile(const std::string& name) {
  return std::filesystem::path(VELQUORA_TEST_FILES) / "gif" / "peterdn" / name;
}

void ExpectSuiteFrames(const std::string& name) {
  const std::filesystem::path gif_path = SuiteFile(name + ".gif");
  std::ifstream in(gif_path, std::ios::binary);
  TMemoryStream stream(std::vector<std::uint8_t>{std::istreambuf_iterator<char>(in), {}});
  TGifFile gif;
  gif.LoadFromStream(stream);
  const std::int32_t transparent = gif.FrameTransparentColor(1);
  TBitmap target;
  for (int frame = 0; frame < gif.FrameCount(); ++frame) {
    gif.RenderNext(target);
    const TBitmap expected = LoadPng(SuiteFile("frames/" + name + "-" + std::to_string(frame) + ".png"));
    ASSERT_EQ(target.Width(), expected.Width());
    ASSERT_EQ(target.Height(), expected.Height());
    int mismatches = 0;
    for (int y = 0; y < expected.Height(); ++y) {
      for (int x = 0; x < expected.Width(); ++x) {
        const bool see_through = expected.ScanLine(y)[x * 4 + 3] == 0;
        const TColor wanted = see_through ? static_cast<TColor>(transparent) : expected.GetPixel(x, y);
        if (target.GetPixel(x, y) != wanted) ++mismatches;
      }
    }
    EXPECT_EQ(mismatches, 0) << name << " frame " << frame;
  }
}

TEST(GifAnimator, SuiteAnimationsMatchTheirExpectedFrames) {
  ExpectSuiteFrames("animated_loop");
  ExpectSuiteFrames("animated_transparent_frame_norestore_loop");
  ExpectSuiteFrames("animated_transparent_frame_restorebackground_loop");
  ExpectSuiteFrames("animated_transparent_frame_restoreprev_loop");
}

}  // namespace
}  // namespace velquora

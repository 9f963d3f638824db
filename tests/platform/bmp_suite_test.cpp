// The BMP suite's pictures: good ones match their reference renderings, bad ones load or
// fail through EInvalidGraphic, questionable ones behave as decided per file below.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/gdi/bitmap.h"
#include "platform/system/file_stream.h"

namespace velquora {
namespace {

const std::filesystem::path SuiteDir = std::filesystem::path(VELQUORA_TEST_FILES) / "bmp";

TBitmap LoadBmp(const std::string& name) {
  TFileStream file(SuiteDir / name, FileMode::OpenRead);
  TBitmap bitmap;
  bitmap.LoadFromStream(file);
  return bitmap;
}

// How the pixels are compared with the reference rendering.
enum class Compare {
  Exact,         // every channel equal
  Near,          // channels within 1 (references stored with 16 bits per channel)
  OpaqueOnly,    // exact where the reference's alpha is 255 (alpha is not shown by us)
};

// Counts pixels whose colour differs from the reference PNG; describes the first.
::testing::AssertionResult MatchesReference(const TBitmap& bitmap, const std::string& pngName, Compare mode) {
  const TBitmap reference = LoadPng(SuiteDir / "html" / pngName);
  if (bitmap.Width() != reference.Width() || bitmap.Height() != reference.Height())
    return ::testing::AssertionFailure() << "size " << bitmap.Width() << "x" << bitmap.Height() << " against "
                                         << reference.Width() << "x" << reference.Height();
  const int tolerance = mode == Compare::Near ? 1 : 0;
  int mismatches = 0;
  std::string first;
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) {
      if (mode == Compare::OpaqueOnly && reference.ScanLine(y)[4 * x + 3] != 255) continue;
      const TColor got = bitmap.GetPixel(x, y);
      const TColor want = reference.GetPixel(x, y);
      const bool close = std::abs(GetRValue(got) - GetRValue(want)) <= tolerance &&
                         std::abs(GetGValue(got) - GetGValue(want)) <= tolerance &&
                         std::abs(GetBValue(got) - GetBValue(want)) <= tolerance;
      if (close) continue;
      if (mismatches++ == 0) {
        char text[96];
        std::snprintf(text, sizeof text, "(%d,%d): got %06X, reference %06X", x, y, got, want);
        first = text;
      }
    }
  }
  if (mismatches == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << mismatches << " pixels differ from " << pngName << ", first " << first;
}

struct SuiteCase {
  const char* File;
  const char* Reference;  // nullptr: the picture must be refused with EInvalidGraphic
  Compare Mode = Compare::Exact;
  std::optional<PixelFormat> Format = std::nullopt;
};

void PrintTo(const SuiteCase& c, std::ostream* out) { *out << c.File; }

class GoodPictures : public ::testing::TestWithParam<SuiteCase> {};

TEST_P(GoodPictures, LoadWithTheReferencePixels) {
  const SuiteCase& c = GetParam();
  const TBitmap bitmap = LoadBmp(c.File);
  EXPECT_TRUE(MatchesReference(bitmap, c.Reference, c.Mode));
  if (c.Format) {
    EXPECT_EQ(bitmap.Format(), *c.Format);
  }
}

INSTANTIATE_TEST_SUITE_P(
    BmpSuite, GoodPictures,
    ::testing::Values(SuiteCase{"g/pal1.bmp", "pal1.png", Compare::Exact, PixelFormat::Bits1},
                      SuiteCase{"g/pal1wb.bmp", "pal1.png", Compare::Exact, PixelFormat::Bits1},
                      SuiteCase{"g/pal4.bmp", "pal4.png", Compare::Exact, PixelFormat::Bits4},
                      SuiteCase{"g/pal4gs.bmp", "pal4gs.png", Compare::Exact, PixelFormat::Bits4},
                      SuiteCase{"g/pal8-0.bmp", "pal8.png", Compare::Exact, PixelFormat::Bits8},
                      SuiteCase{"g/pal8.bmp", "pal8.png", Compare::Exact, PixelFormat::Bits8},
                      SuiteCase{"g/pal8gs.bmp", "pal8gs.png", Compare::Exact, PixelFormat::Bits8},
                      SuiteCase{"g/pal8nonsquare.bmp", "pal8nonsquare-e.png"},
                      SuiteCase{"g/pal8v4.bmp", "pal8.png"},
                      SuiteCase{"g/pal8v5.bmp", "pal8.png"},
                      SuiteCase{"g/pal8w124.bmp", "pal8w124.png"},
                      SuiteCase{"g/pal8w126.bmp", "pal8w126.png"},
                      SuiteCase{"g/rgb16-565pal.bmp", "rgb16-565.png", Compare::Exact, PixelFormat::Bits16},
                      SuiteCase{"g/rgb16.bmp", "rgb16.png", Compare::Exact, PixelFormat::Bits24},
                      SuiteCase{"g/rgb16bfdef.bmp", "rgb16.png", Compare::Exact, PixelFormat::Bits24},
                      SuiteCase{"g/rgb24.bmp", "rgb24.png", Compare::Exact, PixelFormat::Bits24},
                      SuiteCase{"g/rgb24pal.bmp", "rgb24.png", Compare::Exact, PixelFormat::Bits24},
                      SuiteCase{"g/rgb32.bmp", "rgb24.png", Compare::Exact, PixelFormat::Bits32},
                      SuiteCase{"g/rgb32bfdef.bmp", "rgb24.png", Compare::Exact, PixelFormat::Bits32}));

// Bad pictures: the odd density and file size fields and undecodable RLE runs still give
// a picture; everything else is refused.
INSTANTIATE_TEST_SUITE_P(BmpSuiteBadButLoadable, GoodPictures,
                         ::testing::Values(SuiteCase{"b/baddens1.bmp", "pal1.png"},
                                           SuiteCase{"b/baddens2.bmp", "pal1.png"},
                                           SuiteCase{"b/badfilesize.bmp", "pal1.png"},
                                           SuiteCase{"b/rgb16-880.bmp", "rgb16-880.png"}));

// Questionable pictures that load: short, long and three-byte colour tables, RLE data
// that skips or stops early (pixels never written show palette index 0), unusual masks
// (alpha is never shown: the 5-5-5-1 picture shows the colours of the plain 16-bit one,
// where its reference blends them with a background), colour tables on true-colour
// pictures, a linked profile.
INSTANTIATE_TEST_SUITE_P(
    BmpSuiteQuestionable, GoodPictures,
    ::testing::Values(SuiteCase{"q/pal1p1.bmp", "pal1p1.png"},
                      SuiteCase{"q/pal4rletrns.bmp", "pal4rletrns-0.png"},
                      SuiteCase{"q/pal8os2-sz.bmp", "pal8.png"},
                      SuiteCase{"q/pal8os2v2-40sz.bmp", "pal8.png"},
                      SuiteCase{"q/pal8oversizepal.bmp", "pal8.png"},
                      SuiteCase{"q/pal8rlecut.bmp", "pal8rlecut-0.png"},
                      SuiteCase{"q/rgb16-3103.bmp", "rgb16-3103.png"},
                      SuiteCase{"q/rgb16faketrns.bmp", "rgb16.png"},
                      SuiteCase{"q/rgb24largepal.bmp", "rgb24.png"},
                      SuiteCase{"q/rgb24lprof.bmp", "rgb24.png"},
                      SuiteCase{"q/rgb32-7187.bmp", "rgb32-7187.png", Compare::Near},
                      SuiteCase{"q/rgb32-xbgr.bmp", "rgb24.png"},
                      SuiteCase{"q/rgb32fakealpha.bmp", "rgb24.png"},
                      SuiteCase{"q/rgba16-4444.bmp", "rgba16-4444.png", Compare::OpaqueOnly},
                      SuiteCase{"q/rgba16-5551.bmp", "rgb16.png"},
                      SuiteCase{"q/rgba32-1.bmp", "rgba32.png", Compare::OpaqueOnly},
                      SuiteCase{"q/rgba32-2.bmp", "rgba32.png", Compare::OpaqueOnly},
                      SuiteCase{"q/rgba32h56.bmp", "rgba32.png", Compare::OpaqueOnly},
                      SuiteCase{"q/rgba32-1010102.bmp", "rgba32-1010102.png", Compare::OpaqueOnly},
                      SuiteCase{"q/rgba32-61754.bmp", "rgba32-61754.png", Compare::Near},
                      SuiteCase{"q/rgba32-81284.bmp", "rgba32-81284.png", Compare::Near}));

class RefusedPictures : public ::testing::TestWithParam<const char*> {};

TEST_P(RefusedPictures, FailThroughInvalidGraphicAndLeaveTheBitmapAsItWas) {
  TBitmap bitmap(3, 2, PixelFormat::Bits24);
  bitmap.SetPixel(1, 1, RGB(10, 20, 30));
  const TBitmap before = bitmap;
  TFileStream file(SuiteDir / GetParam(), FileMode::OpenRead);
  EXPECT_THROW(bitmap.LoadFromStream(file), EInvalidGraphic);
  EXPECT_EQ(bitmap, before);
}

INSTANTIATE_TEST_SUITE_P(BmpSuiteBad, RefusedPictures,
                         ::testing::Values("b/badbitcount.bmp", "b/badheadersize.bmp", "b/badplanes.bmp",
                                           "b/badwidth.bmp", "b/reallybig.bmp"));

// Two bits per pixel, a 64-byte OS/2 header, embedded JPEG or PNG data and 64 bits per
// pixel are not bitmaps this system draws.
INSTANTIATE_TEST_SUITE_P(BmpSuiteQuestionableRefused, RefusedPictures,
                         ::testing::Values("q/pal2.bmp", "q/pal8os2v2-sz.bmp", "q/rgb24jpeg.bmp", "q/rgb24png.bmp",
                                           "q/rgba64.bmp"));

// Broken RLE data still yields a picture of the declared size; the runs decoded before
// the damage are there.
class DamagedRle : public ::testing::TestWithParam<const char*> {};

TEST_P(DamagedRle, LoadsAtTheDeclaredSize) {
  const TBitmap bitmap = LoadBmp(GetParam());
  EXPECT_EQ(bitmap.Width(), 127);
  EXPECT_EQ(bitmap.Height(), 64);
  EXPECT_TRUE(IsIndexed(bitmap.Format()));
}

INSTANTIATE_TEST_SUITE_P(BmpSuiteBad, DamagedRle,
                         ::testing::Values("b/badrle.bmp", "b/badrlebis.bmp", "b/badrle4.bmp", "b/badrle4ter.bmp"));

TEST(BmpSuite, EveryFileLoadsOrThrowsInvalidGraphic) {
  int files = 0;
  for (const char* folder : {"g", "b", "q"}) {
    for (const auto& entry : std::filesystem::directory_iterator(SuiteDir / folder)) {
      ++files;
      TFileStream file(entry.path(), FileMode::OpenRead);
      TBitmap bitmap;
      try {
        bitmap.LoadFromStream(file);
        EXPECT_FALSE(bitmap.Empty()) << entry.path();
      } catch (const EInvalidGraphic&) {
      }
    }
  }
  EXPECT_GE(files, 55);
}

}  // namespace
}  // namespace velquora

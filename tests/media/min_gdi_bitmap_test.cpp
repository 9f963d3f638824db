#include "media/min_gdi_bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/memory_stream.h"
#include "platform/system/process_list_flag.h"
#include "platform/system/resource_probe.h"
#include "platform/gdi/canvas.h"

namespace velquora {
namespace {

constexpr TColor Red = RGB(255, 0, 0);
constexpr TColor Teal = RGB(0, 128, 128);

// A small picture with a different colour in every pixel.
TBitmap Pattern(PixelFormat format = PixelFormat::Bits24) {
  TBitmap bitmap(7, 5, format);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) bitmap.SetPixel(x, y, RGB(static_cast<std::uint8_t>(30 * x), static_cast<std::uint8_t>(50 * y), 90));
  return bitmap;
}

std::vector<std::uint8_t> BitmapFile(const TBitmap& bitmap) {
  TMemoryStream stream;
  bitmap.SaveToStream(stream);
  return stream.Bytes();
}

void LoadPicture(TMinGDIBitmap& target, const TBitmap& picture) {
  TMemoryStream stream(BitmapFile(picture));
  target.LoadFromStream(stream);
}

// The private copy read back as a bitmap.
TBitmap DecodePrivateCopy(const TMinGDIBitmap& bitmap) {
  TMemoryStream stream(bitmap.PrivateStream().Bytes());
  TBitmap decoded;
  decoded.LoadFromStream(stream);
  return decoded;
}

const TBitmap& AsPlain(const TMinGDIBitmap& bitmap) { return bitmap; }

// ---- economy mode off (this system) ----

TEST(MinGDIBitmap, EconomyModeFollowsTheProcessListFlag) {
  EXPECT_FALSE(TMinGDIBitmap::EconomyMode());
  const ScopedProcessListFlag flag(true);
  EXPECT_TRUE(TMinGDIBitmap::EconomyMode());
}

TEST(MinGDIBitmap, WithoutEconomyNoOperationTouchesThePrivateCopy) {
  const ScopedResourceFigure low(1);
  TMinGDIBitmap bitmap;
  LoadPicture(bitmap, Pattern());
  bitmap.ForceRelease = true;
  bitmap.Store();
  bitmap.Release();
  bitmap.SetTransparentColor(Red);
  bitmap.SetTransparent(true);
  bitmap.SetPixelFormat(PixelFormat::Bits32);
  TMemoryStream saved;
  bitmap.SaveToStream(saved);
  bitmap.Assign(Pattern());
  bitmap.Canvas().SetPixel(0, 0, Teal);
  bitmap.Release();

  EXPECT_EQ(bitmap.PrivateStream().Bytes().size(), 0u);
  EXPECT_FALSE(bitmap.Dormant());
  EXPECT_FALSE(bitmap.Modified());
  EXPECT_EQ(AsPlain(bitmap).GetPixel(0, 0), Teal);
  EXPECT_EQ(AsPlain(bitmap).GetPixel(6, 4), RGB(180, 200, 90));
}

// ---- economy mode ----

class MinGDIBitmapEconomy : public ::testing::Test {
protected:
  ScopedProcessListFlag flag_{true};
};

TEST_F(MinGDIBitmapEconomy, AboveTheThresholdTheImageStaysAfterRelease) {
  const ScopedResourceFigure figure(TMinGDIBitmap::kReleaseThreshold + 1);
  TMinGDIBitmap bitmap;
  LoadPicture(bitmap, Pattern());
  bitmap.Release();
  EXPECT_FALSE(bitmap.Dormant());
  EXPECT_TRUE(AsPlain(bitmap) == Pattern());
}

TEST_F(MinGDIBitmapEconomy, AtTheThresholdItGoesDormantAndComesBackUnchanged) {
  const ScopedResourceFigure figure(TMinGDIBitmap::kReleaseThreshold);
  TMinGDIBitmap bitmap;
  LoadPicture(bitmap, Pattern());  // a load ends with a release
  ASSERT_TRUE(bitmap.Dormant());
  EXPECT_TRUE(AsPlain(bitmap).Empty());  // the pixels are gone ...
  EXPECT_EQ(bitmap.Width(), 7);          // ... but the size is still known
  EXPECT_EQ(bitmap.Height(), 5);

  const TCanvas canvas = bitmap.Canvas();
  EXPECT_FALSE(bitmap.Dormant());
  EXPECT_TRUE(AsPlain(bitmap) == Pattern());
  EXPECT_EQ(canvas.GetPixel(3, 2), RGB(90, 100, 90));
}

TEST_F(MinGDIBitmapEconomy, TransparentColourSurvivesADormantPresentCycle) {
  const ScopedResourceFigure figure(100);
  TMinGDIBitmap bitmap;
  LoadPicture(bitmap, Pattern());
  bitmap.SetTransparentColor(Teal);
  bitmap.SetTransparent(true);
  bitmap.ForceRelease = true;
  bitmap.Release();
  ASSERT_TRUE(bitmap.Dormant());

  EXPECT_EQ(bitmap.Format(), PixelFormat::Bits24);  // acquires
  EXPECT_FALSE(bitmap.Dormant());
  EXPECT_EQ(bitmap.TransparentColor, Teal);
  EXPECT_TRUE(bitmap.GetTransparent());
  EXPECT_TRUE(AsPlain(bitmap) == Pattern());
}

TEST_F(MinGDIBitmapEconomy, ForceReleaseDropsTheImageOnceThenClears) {
  const ScopedResourceFigure figure(100);
  TMinGDIBitmap bitmap;
  LoadPicture(bitmap, Pattern());
  EXPECT_FALSE(bitmap.Dormant());
  bitmap.ForceRelease = true;
  bitmap.Store();
  EXPECT_TRUE(bitmap.Dormant());
  EXPECT_FALSE(bitmap.ForceRelease);
  bitmap.Acquire();
  bitmap.Release();
  EXPECT_FALSE(bitmap.Dormant());
}

TEST_F(MinGDIBitmapEconomy, AnEmptyBitmapNeverGoesDormant) {
  const ScopedResourceFigure figure(1);
  TMinGDIBitmap bitmap;
  bitmap.ForceRelease = true;
  bitmap.Release();
  EXPECT_FALSE(bitmap.Dormant());
  EXPECT_TRUE(bitmap.ForceRelease);  // kept for the first release that can use it
}

TEST_F(MinGDIBitmapEconomy, StoreRewritesTheCopyAfterDrawing) {
  const ScopedResourceFigure figure(100);
  TMinGDIBitmap bitmap;
  LoadPicture(bitmap, Pattern());
  bitmap.Canvas().SetPixel(2, 1, Red);
  bitmap.Store();
  EXPECT_FALSE(bitmap.Dormant());
  EXPECT_EQ(DecodePrivateCopy(bitmap).GetPixel(2, 1), Red);
  EXPECT_EQ(DecodePrivateCopy(bitmap).GetPixel(3, 1), RGB(90, 50, 90));
}

TEST_F(MinGDIBitmapEconomy, ReleaseAfterUnstoredDrawingLosesNothing) {
  const ScopedResourceFigure figure(100);
  TMinGDIBitmap bitmap;
  LoadPicture(bitmap, Pattern());
  bitmap.Canvas().SetPixel(4, 3, Red);
  bitmap.ForceRelease = true;
  bitmap.Release();  // no Store in between
  ASSERT_TRUE(bitmap.Dormant());
  bitmap.Acquire();
  EXPECT_EQ(AsPlain(bitmap).GetPixel(4, 3), Red);
}

TEST_F(MinGDIBitmapEconomy, AssignMarksTheImageModifiedAndStoreWritesIt) {
  const ScopedResourceFigure figure(100);
  TMinGDIBitmap bitmap;
  LoadPicture(bitmap, Pattern());
  TBitmap other(3, 3, PixelFormat::Bits24);
  other.SetPixel(1, 1, Red);
  bitmap.Assign(other);
  EXPECT_TRUE(bitmap.Modified());
  bitmap.Store();
  EXPECT_FALSE(bitmap.Modified());
  EXPECT_TRUE(DecodePrivateCopy(bitmap) == other);
}

TEST_F(MinGDIBitmapEconomy, AssignFromADormantMinimalBitmapAcquiresIt) {
  const ScopedResourceFigure figure(1);
  TMinGDIBitmap source;
  LoadPicture(source, Pattern());
  ASSERT_TRUE(source.Dormant());
  TMinGDIBitmap copy;
  copy.Assign(source);
  EXPECT_TRUE(AsPlain(copy) == Pattern());
}

TEST_F(MinGDIBitmapEconomy, LoadKeepsTheRestOfTheSourceStream) {
  const ScopedResourceFigure figure(100);
  const std::vector<std::uint8_t> file = BitmapFile(Pattern());
  std::vector<std::uint8_t> bytes = {1, 2, 3};  // before the picture
  bytes.insert(bytes.end(), file.begin(), file.end());
  bytes.insert(bytes.end(), {9, 9});  // after it
  TMemoryStream source(bytes);
  source.SetPosition(3);
  TMinGDIBitmap bitmap;
  bitmap.LoadFromStream(source);

  EXPECT_EQ(source.Position(), static_cast<std::int64_t>(3 + file.size()));
  const std::vector<std::uint8_t> rest(bytes.begin() + 3, bytes.end());
  EXPECT_EQ(bitmap.PrivateStream().Bytes(), rest);
  EXPECT_TRUE(AsPlain(bitmap) == Pattern());
}

TEST_F(MinGDIBitmapEconomy, FailedLoadKeepsTheBitmapAndItsCopy) {
  const ScopedResourceFigure figure(100);
  TMinGDIBitmap bitmap;
  LoadPicture(bitmap, Pattern());
  const std::vector<std::uint8_t> copy = bitmap.PrivateStream().Bytes();
  TMemoryStream broken(std::vector<std::uint8_t>{'B', 'M', 0, 0});
  EXPECT_THROW(bitmap.LoadFromStream(broken), EInvalidGraphic);
  EXPECT_TRUE(AsPlain(bitmap) == Pattern());
  EXPECT_EQ(bitmap.PrivateStream().Bytes(), copy);
}

TEST_F(MinGDIBitmapEconomy, SettingThePixelFormatRewritesTheCopy) {
  const ScopedResourceFigure figure(100);
  TMinGDIBitmap bitmap;
  LoadPicture(bitmap, Pattern());
  bitmap.SetPixelFormat(PixelFormat::Bits16);
  EXPECT_TRUE(bitmap.Modified());
  const TBitmap decoded = DecodePrivateCopy(bitmap);
  EXPECT_EQ(decoded.Format(), PixelFormat::Bits16);
  EXPECT_TRUE(decoded == AsPlain(bitmap));
}

TEST_F(MinGDIBitmapEconomy, IndexedPicturesKeepTheirColoursThroughACycle) {
  const ScopedResourceFigure figure(1);
  const TBitmap picture = Pattern(PixelFormat::Bits4);
  TMinGDIBitmap bitmap;
  LoadPicture(bitmap, picture);
  ASSERT_TRUE(bitmap.Dormant());
  bitmap.Acquire();
  EXPECT_TRUE(AsPlain(bitmap) == picture);
  EXPECT_EQ(AsPlain(bitmap).Palette(), picture.Palette());
}

TEST_F(MinGDIBitmapEconomy, SavingADormantBitmapWritesItsPictureAndReleasesAgain) {
  const ScopedResourceFigure figure(1);
  TMinGDIBitmap bitmap;
  LoadPicture(bitmap, Pattern());
  ASSERT_TRUE(bitmap.Dormant());
  TMemoryStream saved;
  bitmap.SaveToStream(saved);
  EXPECT_TRUE(bitmap.Dormant());
  saved.SetPosition(0);
  TBitmap reloaded;
  reloaded.LoadFromStream(saved);
  EXPECT_TRUE(reloaded == Pattern());
}

}  // namespace
}  // namespace velquora

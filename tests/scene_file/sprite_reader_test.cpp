// Sprite, frame, moving path and moving step records: written with the test-support
// writer for every version index and read back.
#include "scene_file/sprite_reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <variant>
#include <string>
#include <vector>

#include "core/exceptions.h"
#include "core/memory_stream.h"
#include "platform/system/resource_probe.h"
#include "platform/gdi/bitmap.h"
#include "playback/frame.h"
#include "playback/moving.h"
#include "playback/moving_step.h"
#include "playback/scene.h"
#include "playback/sprite.h"
#include "playback/start_and_finish.h"
#include "scene_file/read_version.h"
#include "gif_writer.h"
#include "jpeg_writer.h"
#include "sprite_writer.h"

namespace velquora {
namespace {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

// Writes the sprite record for the version and reads it back into a new sprite.
std::unique_ptr<TSprite> ReadBack(TVelquoraScene& scene, const SpriteSpec& design, int version) {
  TMemoryStream stream;
  WriteSpriteRecord(stream, design, version);
  stream.SetPosition(0);
  ScopedReadVersion scoped(version);
  auto sprite = std::make_unique<TSprite>(scene);
  ReadSpriteRecord(*sprite, stream);
  EXPECT_EQ(stream.Remaining(), 0) << "the record was not consumed exactly at version " << version;
  return sprite;
}

// The record read at the version raises a failure of the load.
void ExpectReadFails(TVelquoraScene& scene, const std::vector<std::uint8_t>& bytes, int version) {
  TMemoryStream stream(bytes);
  ScopedReadVersion scoped(version);
  TSprite sprite(scene);
  EXPECT_THROW(ReadSpriteRecord(sprite, stream), Exception) << "version " << version;
}

std::vector<std::uint8_t> RecordBytes(const SpriteSpec& design, int version) {
  TMemoryStream stream;
  WriteSpriteRecord(stream, design, version);
  return stream.TakeBytes();
}

FrameSpec PictureFrame() {
  FrameSpec frame;
  frame.Animated = true;
  frame.AnimationKind = 1;
  // A real JPEG: kind 1 payloads are decoded.
  frame.Payload = EncodeJpeg(std::vector<std::uint8_t>(4 * 3 * 3, 0x80), 4, 3, JpegSampleSpace::Rgb);
  frame.Bmp = MakeTestBmp(3, 2, 1);
  frame.FileName = "C:\\pics\\cats\\cat.face.bmp";
  frame.Duration = 7;
  frame.Transparent = true;
  frame.IgnoredBlock = {9, 8, 7, 6, 5};
  frame.SourceKind = 1;
  frame.AnimationName = "anim-a";
  frame.TransparentX = 2;
  frame.TransparentY = 1;
  frame.Aux1 = {"aux-one", "aux-two", "aux-three"};
  frame.Aux2 = {"second-one", "second-two", "second-three"};
  frame.Width = 30;
  frame.Height = 20;
  return frame;
}

FrameSpec ClipFrame() {
  FrameSpec frame;
  frame.Animated = true;
  frame.AnimationKind = 3;
  frame.AviClipName = "clip.avi";
  frame.AviBytes = {'R', 'I', 'F', 'F', 1, 2, 3, 4, 5, 6, 7};
  frame.FileName = "unused.bmp";
  frame.Duration = 2;
  frame.SourceKind = 3;
  frame.AnimationName = "row-eleven";
  frame.Aux1 = {"aux-clip-name", "x", "y"};
  frame.Aux2 = {"not-this-one", "", ""};
  frame.Width = 160;
  frame.Height = 120;
  return frame;
}

StepSpec LineStep() {
  StepSpec step;
  step.Kind = 2;
  step.AreaLeft = 1.5L;
  step.AreaTop = 2.25L;
  step.AreaRight = 90.5L;
  step.AreaBottom = 80.75L;
  step.StartX = 3.5L;
  step.StartY = 4.5L;
  step.Angle = 33;
  step.SpeedFrom = 2.5L;
  step.SpeedTo = 5.0L;
  step.ScaleXFrom = 0.5L;
  step.ScaleXTo = 1.5L;
  step.ScaleYFrom = 2.0L;
  step.ScaleYTo = 3.0L;
  step.Duration = 17;
  step.Count = 5;
  step.SpareReal = 42.125L;
  step.EmitAngle = 123;
  step.Hidden = true;
  step.MaxDelay = 23;
  step.PercentFrom = 40;
  step.PercentTo = 60;
  step.ShapeAFrom = 11;
  step.ShapeATo = 12;
  step.ShapeEFrom = 13;
  step.ShapeETo = 14;
  step.ShapeBFrom = 15;
  step.ShapeCFrom = 16;
  step.ShapeBTo = 17;
  step.ShapeCTo = 18;
  step.ShapeColorFrom = 0x00112233;
  step.ShapeColorTo = 0x00445566;
  return step;
}

StepSpec HoldStep() {
  StepSpec step;
  step.Kind = 3;
  step.StartX = 12.5L;
  step.StartY = 7.5L;
  step.Duration = 3;
  return step;
}

SpriteSpec FullSprite() {
  SpriteSpec sprite;
  sprite.Windows = {{5, 9}, {-3, 1000}};
  sprite.Frames = {PictureFrame(), ClipFrame()};
  sprite.Moving.Steps = {LineStep(), HoldStep()};
  sprite.Moving.CycleLimit = 4;
  sprite.Moving.AbsoluteCoords = true;
  sprite.Moving.AbsoluteSpeed = false;
  sprite.Moving.HotSpotInPercent = false;
  sprite.Moving.HotSpotX = 7;
  sprite.Moving.HotSpotY = -8;
  sprite.Moving.FitToScreen = true;
  sprite.Moving.KeepAspect = true;
  sprite.KeepStateWhenHidden = true;
  sprite.Name = "Stored name";
  return sprite;
}

class SpriteRecord : public ::testing::TestWithParam<int> {
protected:
  SpriteRecord() {
    scene.ScreenWidth = kScreenWidth;
    scene.ScreenHeight = kScreenHeight;
  }
  TVelquoraScene scene;
  ScopedResourceFigure resources{100};
};

TEST_P(SpriteRecord, ReadsEveryFieldTheVersionCarries) {
  const int v = GetParam();
  const SpriteSpec design = FullSprite();
  const auto sprite = ReadBack(scene, design, v);

  ASSERT_EQ(sprite->StartFinish().size(), 2u);
  EXPECT_EQ(sprite->StartFinish()[0]->StartTick, 5);
  EXPECT_EQ(sprite->StartFinish()[0]->FinishTick, 9);
  EXPECT_EQ(sprite->StartFinish()[1]->StartTick, -3);
  EXPECT_EQ(sprite->StartFinish()[1]->FinishTick, 1000);
  for (const auto& window : sprite->StartFinish()) EXPECT_EQ(window->Sprite, sprite.get());

  EXPECT_EQ(sprite->KeepStateWhenHidden, v >= 3);
  EXPECT_EQ(sprite->Name, v >= 14 ? "Stored name" : "cat.face");
  EXPECT_FALSE(sprite->HadBadFrame);
}

TEST_P(SpriteRecord, ReadsFramesOfTheVersion) {
  const int v = GetParam();
  const SpriteSpec design = FullSprite();
  const auto sprite = ReadBack(scene, design, v);
  ASSERT_EQ(sprite->Frames().size(), 2u);

  const TFrame& picture = *sprite->Frames()[0];
  EXPECT_EQ(picture.Sprite, sprite.get());
  EXPECT_EQ(picture.Animated, v >= 15);
  EXPECT_EQ(picture.AnimationKind, v >= 15 ? 1 : 0);
  EXPECT_EQ(picture.Payload.Bytes(), v >= 15 ? design.Frames[0].Payload : std::vector<std::uint8_t>{});
  ASSERT_NE(picture.PendingPicture, nullptr);
  EXPECT_EQ(picture.PendingPicture->Width(), 3);
  EXPECT_EQ(picture.PendingPicture->Height(), 2);
  EXPECT_EQ(picture.Width, v >= 14 ? 30 : 3);
  EXPECT_EQ(picture.Height, v >= 14 ? 20 : 2);
  EXPECT_EQ(picture.FileName, "C:\\pics\\cats\\cat.face.bmp");
  EXPECT_EQ(picture.Duration, 7);
  EXPECT_TRUE(picture.Transparent);
  EXPECT_EQ(picture.SourceKind, 1);
  EXPECT_EQ(picture.AnimationName, "anim-a");
  EXPECT_EQ(picture.TransparentX, v >= 9 ? 2 : 0);
  EXPECT_EQ(picture.TransparentY, v >= 9 ? 1 : 0);
  EXPECT_FALSE(picture.LoadFailed);

  const TFrame& clip = *sprite->Frames()[1];
  // Kind 3 takes its animation name from the first auxiliary record, which versions
  // before 12 do not carry.
  EXPECT_EQ(clip.AnimationName, v >= 12 ? "aux-clip-name" : "");
  EXPECT_EQ(clip.Animated, v >= 15);
  // The clip reads its own form from the record stream; Payload is not used for it.
  EXPECT_TRUE(clip.Payload.Bytes().empty());
  EXPECT_EQ(std::holds_alternative<std::unique_ptr<TAVIImage>>(clip.Animation), v >= 15);
  EXPECT_TRUE(clip.PendingPicture->Empty());
  EXPECT_EQ(clip.Width, v >= 14 ? 160 : 0);
  EXPECT_EQ(clip.Height, v >= 14 ? 120 : 0);
  EXPECT_EQ(clip.Duration, 2);
  EXPECT_FALSE(clip.Transparent);
}

TEST_P(SpriteRecord, ReadsThePathOfTheVersion) {
  const int v = GetParam();
  const auto sprite = ReadBack(scene, FullSprite(), v);
  const TMoving& moving = sprite->Moving();

  EXPECT_EQ(moving.Sprite, sprite.get());
  EXPECT_EQ(moving.CycleLimit, 4);
  EXPECT_EQ(moving.AbsoluteCoords, v >= 2);
  EXPECT_EQ(moving.AbsoluteSpeed, v < 2);  // stored false; default true
  EXPECT_EQ(moving.HotSpotInPercent, v < 6);
  EXPECT_EQ(moving.HotSpotX, v >= 6 ? 7 : 0);
  EXPECT_EQ(moving.HotSpotY, v >= 6 ? -8 : 0);
  EXPECT_EQ(moving.FitToScreen, v >= 6);
  EXPECT_EQ(moving.KeepAspect, v >= 7);

  // The path stands at the origin of its last step (12.5, 7.5). The unit flags follow
  // the steps in the record, so the steps are prepared in percent of 640 x 480.
  EXPECT_EQ(moving.PosX, 80);
  EXPECT_EQ(moving.PosY, 36);
}

TEST_P(SpriteRecord, PreparingTheReadPathUsesItsUnits) {
  const int v = GetParam();
  const auto sprite = ReadBack(scene, FullSprite(), v);
  TMoving& moving = sprite->Moving();
  moving.Prepare(sprite.get());
  // Pixels from version 2 on (Round(12.5) = 12, Round(7.5) = 8); then PosX is nudged.
  EXPECT_EQ(moving.PosX, v >= 2 ? 13 : 81);
  EXPECT_EQ(moving.PosY, v >= 2 ? 8 : 36);
  EXPECT_EQ(moving.Steps[0]->OriginX, v >= 2 ? 4 : 22);  // Round(3.5) = 4; Round(3.5 * 6.4) = 22
}

TEST_P(SpriteRecord, ReadsStepsOfTheVersion) {
  const int v = GetParam();
  const auto sprite = ReadBack(scene, FullSprite(), v);
  ASSERT_EQ(sprite->Moving().Steps.size(), 2u);
  const TMovingStep& step = *sprite->Moving().Steps[0];

  EXPECT_EQ(step.Moving, &sprite->Moving());
  EXPECT_EQ(step.Kind, 2);
  EXPECT_EQ(step.AreaLeft, 1.5L);
  EXPECT_EQ(step.AreaTop, 2.25L);
  EXPECT_EQ(step.AreaRight, 90.5L);
  EXPECT_EQ(step.AreaBottom, 80.75L);
  EXPECT_EQ(step.StartX, 3.5L);
  EXPECT_EQ(step.StartY, 4.5L);
  EXPECT_EQ(step.Angle, 33);
  EXPECT_EQ(step.SpeedFrom, 2.5L);
  EXPECT_EQ(step.SpeedTo, 5.0L);
  EXPECT_EQ(step.ScaleXFrom, 0.5L);
  EXPECT_EQ(step.ScaleXTo, 1.5L);
  // Files before version 13 carry no vertical scale: it follows the horizontal one.
  EXPECT_EQ(step.ScaleYFrom, v >= 13 ? 2.0L : 0.5L);
  EXPECT_EQ(step.ScaleYTo, v >= 13 ? 3.0L : 1.5L);
  EXPECT_EQ(step.Duration, 17);
  EXPECT_EQ(step.Count, 5);
  EXPECT_EQ(step.SpareReal, 42.125L);
  EXPECT_EQ(step.EmitAngle, v >= 10 ? 123 : 270);
  EXPECT_TRUE(step.Hidden);
  EXPECT_EQ(step.MaxDelay, 23);
  EXPECT_EQ(step.PercentFrom, v >= 13 ? 40 : 100);
  EXPECT_EQ(step.PercentTo, v >= 13 ? 60 : 100);
  const std::vector<std::int32_t> shapes{step.ShapeAFrom, step.ShapeATo, step.ShapeEFrom, step.ShapeETo,
                                         step.ShapeBFrom, step.ShapeCFrom, step.ShapeBTo, step.ShapeCTo};
  const std::vector<std::int32_t> stored{11, 12, 13, 14, 15, 16, 17, 18};
  const std::vector<std::int32_t> defaults{8, 8, 50, 50, 6, 6, 6, 6};
  EXPECT_EQ(shapes, v >= 13 ? stored : defaults);
  EXPECT_EQ(step.ShapeColorFrom, v >= 13 ? 0x00112233u : 0u);
  EXPECT_EQ(step.ShapeColorTo, v >= 13 ? 0x00445566u : 0u);
  // A step is prepared as it is read: its origin is its start point, in percent because
  // the path's unit flags come after the steps.
  EXPECT_EQ(step.OriginX, 22);  // Round(3.5 * 6.4)
  EXPECT_EQ(step.OriginY, 22);  // Round(4.5 * 4.8) = Round(21.6)
}

TEST_P(SpriteRecord, EveryCutShortRecordFailsTheLoad) {
  const int v = GetParam();
  const std::vector<std::uint8_t> bytes = RecordBytes(FullSprite(), v);
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    const std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
    TMemoryStream stream(prefix);
    ScopedReadVersion scoped(v);
    TSprite sprite(scene);
    ASSERT_THROW(ReadSpriteRecord(sprite, stream), EReadError) << "cut at " << cut << " of " << bytes.size();
  }
}

INSTANTIATE_TEST_SUITE_P(AllVersions, SpriteRecord, ::testing::Range(1, 17),
                         [](const ::testing::TestParamInfo<int>& param_info) {
                           return "Version" + std::to_string(param_info.param);
                         });

class SpriteRecordEdge : public ::testing::Test {
protected:
  SpriteRecordEdge() {
    scene.ScreenWidth = kScreenWidth;
    scene.ScreenHeight = kScreenHeight;
  }
  TVelquoraScene scene;
};

SpriteSpec OneFrame(const FrameSpec& frame) {
  SpriteSpec sprite;
  sprite.Frames = {frame};
  return sprite;
}

TEST_F(SpriteRecordEdge, AnimatedFrameWithZeroPayloadLengthIsFollowedByTheBmp) {
  ScopedResourceFigure resources(100);
  FrameSpec frame;
  frame.Animated = true;
  frame.AnimationKind = 1;
  frame.Payload = {1, 2, 3};  // not written: the stored length is 0
  frame.PayloadLength = 0;
  frame.Bmp = MakeTestBmp(5, 4, 2);
  const auto sprite = ReadBack(scene, OneFrame(frame), 15);
  const TFrame& read = *sprite->Frames()[0];
  EXPECT_TRUE(read.Animated);
  EXPECT_TRUE(read.Payload.Bytes().empty());
  EXPECT_EQ(read.PendingPicture->Width(), 5);
  EXPECT_EQ(read.PendingPicture->Height(), 4);
}

TEST_F(SpriteRecordEdge, NegativePayloadLengthMeansNoPayload) {
  ScopedResourceFigure resources(100);
  FrameSpec frame;
  frame.Animated = true;
  frame.AnimationKind = 2;
  frame.PayloadLength = -7;
  frame.FileName = "after.bmp";
  const auto sprite = ReadBack(scene, OneFrame(frame), 16);
  EXPECT_TRUE(sprite->Frames()[0]->Payload.Bytes().empty());
  EXPECT_EQ(sprite->Frames()[0]->FileName, "after.bmp");
}

TEST_F(SpriteRecordEdge, JpegPayloadAndBmpKeepTheBmpPictureAndTheJpegBytes) {
  ScopedResourceFigure resources(100);
  const FrameSpec frame = PictureFrame();
  const auto sprite = ReadBack(scene, OneFrame(frame), 16);
  const TFrame& read = *sprite->Frames()[0];
  EXPECT_EQ(read.Payload.Bytes(), frame.Payload);
  TBitmap expected;
  TMemoryStream bmp(frame.Bmp);
  expected.LoadFromStream(bmp);
  EXPECT_EQ(*read.PendingPicture, expected);
}

TEST_F(SpriteRecordEdge, StoredSizeWinsOverThePictureSize) {
  ScopedResourceFigure resources(100);
  FrameSpec frame;
  frame.Bmp = MakeTestBmp(8, 6);
  frame.Width = 1;
  frame.Height = 999;
  const auto sprite = ReadBack(scene, OneFrame(frame), 14);
  EXPECT_EQ(sprite->Frames()[0]->Width, 1);
  EXPECT_EQ(sprite->Frames()[0]->Height, 999);
  EXPECT_EQ(sprite->Frames()[0]->PendingPicture->Width(), 8);
}

TEST_F(SpriteRecordEdge, GifPayloadBecomesTheAnimationShowingItsFirstImage) {
  GifWriter gif(3, 2, {{255, 0, 0}, {0, 0, 255}});
  gif.Image(GifImage(0, 0, 3, 2, {0, 1, 0, 1, 0, 1})).Image(GifImage(0, 0, 3, 2, std::vector<std::uint8_t>(6, 1)));
  gif.Trailer();
  FrameSpec frame;
  frame.Animated = true;
  frame.AnimationKind = 2;
  frame.Payload = gif.Bytes();
  frame.SourceKind = 2;
  frame.AnimationName = "spin.gif";
  const auto sprite = ReadBack(scene, OneFrame(frame), 15);
  TFrame& read = *sprite->Frames()[0];
  EXPECT_TRUE(read.Payload.Bytes().empty()) << "GIF payload bytes go once parsed";
  TGifFile* animation = read.GifAnimation();
  ASSERT_NE(animation, nullptr);
  EXPECT_EQ(animation->FrameCount(), 2);
  EXPECT_EQ(animation->NextFrameIndex(), 2);
  EXPECT_EQ(read.PendingPicture->Format(), PixelFormat::Bits24);
  EXPECT_EQ(read.PendingPicture->GetPixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(read.PendingPicture->GetPixel(1, 0), RGB(0, 0, 255));
  EXPECT_EQ(read.PendingPicture->Width(), 3);
  EXPECT_EQ(read.PendingPicture->Height(), 2);
  EXPECT_EQ(read.AnimationKind, 2);
  EXPECT_EQ(sprite->Name, "spin.gif");
}

TEST_F(SpriteRecordEdge, GifPayloadThatDoesNotDecodeFailsTheRead) {
  FrameSpec frame;
  frame.Animated = true;
  frame.AnimationKind = 2;
  frame.Payload = {'G', 'I', 'F', '8', '8', 'a', 1, 0, 1, 0, 0, 0, 0};
  ExpectReadFails(scene, RecordBytes(OneFrame(frame), 15), 15);
}

TEST_F(SpriteRecordEdge, AviPayloadReadsItsOwnFormWhateverTheStoredLength) {
  FrameSpec frame = ClipFrame();
  frame.PayloadLength = 1;  // only tested for > 0
  const auto sprite = ReadBack(scene, OneFrame(frame), 16);
  const TFrame& read = *sprite->Frames()[0];
  // The bytes are no clip: the frame keeps its clip object without a clip, and the
  // fields after the clip are read in place.
  const auto* avi = std::get_if<std::unique_ptr<TAVIImage>>(&read.Animation);
  ASSERT_NE(avi, nullptr);
  EXPECT_FALSE((*avi)->HasClip());
  EXPECT_EQ(read.FileName, "unused.bmp");
  EXPECT_EQ(read.Duration, 2);
  EXPECT_EQ(read.Width, 160);
}

TEST_F(SpriteRecordEdge, AviPayloadWithoutTheLibraryFailsTheRead) {
  avifile::ScopedAviLibraryAbsent absent;
  ExpectReadFails(scene, RecordBytes(OneFrame(ClipFrame()), 16), 16);
}

TEST_F(SpriteRecordEdge, UnknownPayloadKindIsSkipped) {
  ScopedResourceFigure resources(100);
  FrameSpec frame;
  frame.Animated = true;
  frame.AnimationKind = 9;
  frame.Payload = {1, 2, 3, 4, 5, 6};
  frame.Bmp = MakeTestBmp(2, 2);
  frame.FileName = "still.bmp";
  const auto sprite = ReadBack(scene, OneFrame(frame), 16);
  const TFrame& read = *sprite->Frames()[0];
  EXPECT_TRUE(read.Payload.Bytes().empty());
  EXPECT_EQ(read.AnimationKind, 9);
  EXPECT_EQ(read.PendingPicture->Width(), 2);
  EXPECT_EQ(read.FileName, "still.bmp");
}

TEST_F(SpriteRecordEdge, OldAuxiliaryRecordGivesKindThreeItsName) {
  FrameSpec frame;
  frame.SourceKind = 3;
  frame.AnimationName = "stored";
  frame.Aux1 = {std::string(255, 'n'), "two", "three"};
  const auto sprite = ReadBack(scene, OneFrame(frame), 12);
  EXPECT_EQ(sprite->Frames()[0]->AnimationName, std::string(255, 'n'));
}

TEST_F(SpriteRecordEdge, KindThreeBeforeAuxiliaryRecordsHasNoName) {
  FrameSpec frame;
  frame.SourceKind = 3;
  frame.AnimationName = "stored";
  frame.Aux1 = {"aux", "", ""};
  const auto sprite = ReadBack(scene, OneFrame(frame), 11);
  EXPECT_EQ(sprite->Frames()[0]->AnimationName, "");
}

TEST_F(SpriteRecordEdge, OtherKindsKeepTheirStoredAnimationName) {
  FrameSpec frame;
  frame.SourceKind = 2;
  frame.AnimationName = "stored";
  frame.Aux1 = {"aux", "", ""};
  for (int version : {12, 13, 16}) {
    const auto sprite = ReadBack(scene, OneFrame(frame), version);
    EXPECT_EQ(sprite->Frames()[0]->AnimationName, "stored") << "version " << version;
  }
}

SpriteSpec ThreeFrames() {
  FrameSpec with_picture;
  with_picture.Bmp = MakeTestBmp(4, 4);
  with_picture.FileName = "first.bmp";
  FrameSpec without_picture;
  without_picture.FileName = "second.bmp";
  FrameSpec last = with_picture;
  last.FileName = "third.bmp";
  SpriteSpec sprite;
  sprite.Frames = {with_picture, without_picture, last};
  sprite.Moving.Steps = {HoldStep()};
  sprite.KeepStateWhenHidden = true;
  return sprite;
}

TEST_F(SpriteRecordEdge, LowResourcesDropFramesWithPicturesAndReadOn) {
  ScopedResourceFigure resources(11);
  const auto sprite = ReadBack(scene, ThreeFrames(), 16);
  ASSERT_EQ(sprite->Frames().size(), 1u);
  EXPECT_EQ(sprite->Frames()[0]->FileName, "second.bmp");
  EXPECT_TRUE(sprite->HadBadFrame);
  // The rest of the record was read in step.
  EXPECT_EQ(sprite->Moving().Steps.size(), 1u);
  EXPECT_TRUE(sprite->KeepStateWhenHidden);
  EXPECT_EQ(sprite->Name, "second");
}

TEST_F(SpriteRecordEdge, ResourcesJustAboveTheThresholdLoadThePictures) {
  ScopedResourceFigure resources(12);
  const auto sprite = ReadBack(scene, ThreeFrames(), 16);
  ASSERT_EQ(sprite->Frames().size(), 3u);
  EXPECT_FALSE(sprite->HadBadFrame);
  EXPECT_EQ(sprite->Frames()[0]->PendingPicture->Width(), 4);
  EXPECT_EQ(sprite->Name, "first");
}

TEST_F(SpriteRecordEdge, BadBmpPictureFailsTheLoad) {
  ScopedResourceFigure resources(100);
  FrameSpec frame;
  frame.Bmp = {'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  const std::vector<std::uint8_t> bytes = RecordBytes(OneFrame(frame), 16);
  TMemoryStream stream(bytes);
  ScopedReadVersion scoped(16);
  TSprite sprite(scene);
  EXPECT_THROW(ReadSpriteRecord(sprite, stream), EInvalidGraphic);
  ASSERT_EQ(sprite.Frames().size(), 1u);
  EXPECT_EQ(sprite.Frames()[0]->Width, 0);
}

TEST_F(SpriteRecordEdge, NegativeCountsAddNothing) {
  TMemoryStream stream;
  WriteInt32(stream, -5);  // windows
  WriteInt32(stream, -1);  // frames
  WriteInt32(stream, -9);  // steps
  WriteInt32(stream, 2);   // cycle limit
  stream.SetPosition(0);
  ScopedReadVersion scoped(1);
  TSprite sprite(scene);
  ReadSpriteRecord(sprite, stream);
  EXPECT_TRUE(sprite.StartFinish().empty());
  EXPECT_TRUE(sprite.Frames().empty());
  EXPECT_TRUE(sprite.Moving().Steps.empty());
  EXPECT_EQ(sprite.Moving().CycleLimit, 2);
  EXPECT_EQ(stream.Remaining(), 0);
}

TEST_F(SpriteRecordEdge, ReadingReplacesWhatTheListsHeld) {
  TSprite sprite(scene);
  sprite.AddStartFinish();
  sprite.AddFrame();
  sprite.Moving().AddStep(TMovingStepValues{}, nullptr);
  TMemoryStream stream(RecordBytes(FullSprite(), 16));
  ScopedReadVersion scoped(16);
  ScopedResourceFigure resources(100);
  ReadSpriteRecord(sprite, stream);
  EXPECT_EQ(sprite.StartFinish().size(), 2u);
  EXPECT_EQ(sprite.Frames().size(), 2u);
  EXPECT_EQ(sprite.Moving().Steps.size(), 2u);
}

// Hostile lengths fail as read errors before anything of their size is allocated.
TEST_F(SpriteRecordEdge, HugeCountsAndLengthsFailAsReadErrors) {
  const auto record = [](auto write_tail) {
    TMemoryStream stream;
    write_tail(stream);
    return stream.TakeBytes();
  };
  ExpectReadFails(scene, record([](TStream& s) { WriteInt32(s, 0x7FFFFFFF); WriteInt32(s, 1); }), 16);
  ExpectReadFails(scene, record([](TStream& s) { WriteInt32(s, 0); WriteInt32(s, 0x7FFFFFFF); }), 16);
  // A BMP blob longer than the stream.
  ExpectReadFails(scene, record([](TStream& s) {
    WriteInt32(s, 0);
    WriteInt32(s, 1);
    WriteInt32(s, 0x7FFFFFF0);
    WriteInt32(s, 0);
  }), 9);
  // A payload longer than the stream, for each kind.
  for (std::int32_t kind : {1, 2, 4}) {
    ExpectReadFails(scene, record([kind](TStream& s) {
      WriteInt32(s, 0);
      WriteInt32(s, 1);
      WriteByte(s, 1);
      WriteInt32(s, kind);
      WriteInt32(s, 0x7FFFFFFF);
    }), 16);
  }
  // An AVI clip longer than the stream.
  ExpectReadFails(scene, record([](TStream& s) {
    WriteInt32(s, 0);
    WriteInt32(s, 1);
    WriteByte(s, 1);
    WriteInt32(s, 3);
    WriteInt32(s, 10);
    WriteShortString(s, "c.avi");
    WriteInt32(s, 0x7FFFFFFF);
  }), 16);
  // An ignored blob longer than the stream.
  FrameSpec frame;
  std::vector<std::uint8_t> bytes = RecordBytes(OneFrame(frame), 16);
  // windows, frames, payload flag and kind, BMP length, empty file name, duration,
  // transparent, ignored value: the ignored blob's length follows.
  const std::size_t blob_length_at = 4 + 4 + 1 + 4 + 4 + 1 + 4 + 1 + 4;
  bytes[blob_length_at + 0] = 0xF0;
  bytes[blob_length_at + 1] = 0xFF;
  bytes[blob_length_at + 2] = 0xFF;
  bytes[blob_length_at + 3] = 0x7F;
  ExpectReadFails(scene, bytes, 16);
}

struct NameCase {
  const char* label;
  std::vector<std::pair<std::int32_t, std::string>> frames;  // SourceKind, FileName or AnimationName
  std::string expected;
};

TEST(DeriveSpriteName, FollowsTheFirstFrameOfANamedKind) {
  const std::string long_name = std::string(260, 'a') + ".bmp";
  const std::vector<NameCase> cases{
      {"directories and two dots", {{1, "C:\\dir\\sub\\cat.face.bmp"}}, "cat.face"},
      {"no extension", {{1, "plain"}}, "plain"},
      {"forward slash", {{1, "dir/x.y"}}, "x"},
      {"dot only in a directory", {{1, "C:\\dir.d\\noext"}}, "noext"},
      {"bare extension", {{1, "C:\\.hidden"}}, ""},
      {"cut to 255 before the extension", {{1, long_name}}, std::string(255, 'a')},
      {"animation after an unnamed kind", {{0, "a.bmp"}, {2, "walker"}}, "walker"},
      {"first named frame wins", {{3, "clip"}, {1, "b.bmp"}}, "clip"},
      {"only unnamed kinds", {{0, "a.bmp"}, {4, "b.bmp"}}, ""},
      {"no frames", {}, ""},
  };
  TVelquoraScene scene;
  for (const NameCase& c : cases) {
    TSprite sprite(scene);
    for (const auto& [kind, text] : c.frames) {
      TFrame& frame = sprite.AddFrame();
      frame.SourceKind = kind;
      frame.FileName = kind == 1 ? text : "other.bmp";
      frame.AnimationName = kind == 1 ? "other" : text;
    }
    EXPECT_EQ(DeriveSpriteName(sprite), c.expected) << c.label;
  }
}

}  // namespace
}  // namespace velquora

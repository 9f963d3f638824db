#pragma once
// Test-support writer of scene record streams: every row of the scene record in the
// form a file of a given version index (1..16) carries, with sprites written by the
// sprite writer. Fields the player ignores are written with values a test can
// recognise, so that a reader that consumes too few or too many bytes shows up in the
// fields that follow.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "container_writer.h"
#include "core/stream.h"
#include "saver_writer.h"
#include "sprite_writer.h"

namespace velquora {

struct AudioItemSpec {
  std::int32_t StartTick = 0;
  std::int32_t StopTick = 0;
  bool StopEnabled = false;
};

struct AudioFileSpec {
  std::string FileName = "C:\\Sounds\\music.wav";  // ANSI bytes
  std::uint8_t DeviceType = 12;
  std::vector<std::uint8_t> Embedded;              // the audio file's bytes; empty writes length 0
  std::optional<std::int32_t> EmbeddedLength;      // overrides the stored length
  std::vector<AudioItemSpec> Items;
};

// The fields of rows 11 to 43 that the player reads past without using them.
struct IgnoredSceneFields {
  std::string Row11 = "ignored row 11";
  std::int32_t Row12 = 0x12121212;
  std::vector<std::string> Row13 = {"ignored", "row 13"};
  std::uint8_t Row14 = 0x14;
  std::string Row15 = "ignored row 15";
  std::int32_t Row16 = 0x16161616;
  std::uint8_t Row25 = 0x25;
  std::string Row37Text1 = "row 37 a";
  std::vector<std::string> Row37List1 = {"row 37 list one"};
  std::string Row37Text2 = "row 37 b";
  std::string Row37Text3 = "row 37 c";
  std::vector<std::string> Row37List2 = {"row 37 list two", "second line"};
  std::uint8_t Row37Flag1 = 0x37;
  std::string Row37Text4 = "row 37 d";
  std::string Row37Text5 = "row 37 e";
  std::string Row37Text6 = "row 37 f";
  std::int32_t Row37Value = 0x37373737;
  std::uint8_t Row37Flag2 = 0x73;
  std::uint8_t Row37Flag3 = 0x3F;
  std::string Row38 = "ignored row 38";
  std::int32_t Row39a = 0x39393939;
  std::int32_t Row39b = -0x39;
  std::uint8_t Row40Flag1 = 0x40;
  std::int32_t Row40Value1 = 0x40404040;
  std::int32_t Row40Value2 = -0x40;
  std::uint8_t Row40Flag2 = 0x04;
  std::int32_t Row40Value3 = 0x04040404;
  std::int32_t Row41 = 0x41414141;
  std::int32_t Row42 = 0x42424242;
  std::uint8_t Row43[4] = {0x43, 0x34, 0x00, 0x01};
  std::uint8_t Row46Flag = 0x46;
  std::int32_t Row46Value = 0x46464646;
  std::vector<std::uint8_t> Row52 = {'r', 'o', 'w', ' ', '5', '2'};  // the skipped blob (version 14)
  std::optional<std::int32_t> Row52Length;                           // overrides its stored length
};

// One scene record. The defaults are what a scene editor would plausibly store; every
// one differs from the scene constructor's default where the row can carry a value,
// so that a field the reader fails to store is noticed.
struct SceneSpec {
  std::vector<SpriteSpec> Sprites;               // row 1 (versions 1, 2) or row 53
  std::optional<std::int32_t> SpriteCount;       // overrides the stored sprite count
  std::int32_t TimerInterval = 40;
  std::vector<std::uint8_t> BackgroundBmp;       // a BMP file image; empty writes length 0
  std::optional<std::int32_t> BackgroundLength;  // overrides the stored length
  std::int32_t CycleLength = 600;
  std::int32_t BackgroundMode = 2;
  std::string BackgroundPictureName = "C:\\Pictures\\sky.bmp";
  TColor GradientFrom = 0x00102030;
  TColor GradientTo = 0x00A0B0C0;
  std::int32_t PicturePlacement = 3;
  std::vector<AudioFileSpec> AudioFiles;
  // Dialog data (versions 2 and later).
  std::string SettingsCaption = "Aquarium settings";
  std::string SpeedLabel = "Speed";
  std::vector<std::string> SettingsInfoLines = {"Aquarium 1.0", "A quiet scene"};
  std::string SupportLabel = "Support:";
  std::string SupportLink = "http://example.com/support";
  std::vector<std::string> SettingsNoteLines = {"Note one", "Note two", "Note three"};
  bool ShowGoButton = true;
  bool ShowAboutButton = true;
  std::string SettingsFontName = "Arial";
  std::int32_t SettingsFontSize = 9;
  std::string AboutCaption = "About Aquarium";
  std::vector<std::string> AboutLines = {"Aquarium", "Version 1.0"};
  std::string AboutLabel = "Home page:";
  std::string AboutLink = "http://example.com/";
  std::vector<std::string> AboutNoteLines = {"Thanks for watching"};
  bool AboutShowGoButton = true;
  std::string AboutFontName = "Tahoma";
  std::int32_t AboutFontSize = 10;
  bool ShowAboutOnExit = true;                   // versions 4 and later
  // Versions 11 and later.
  std::int32_t RepeatMode = 3;
  bool CloseWhenDone = true;
  // Versions 14 and later.
  std::int32_t FillMode = 2;
  TColor BackgroundColor = 0x00336699;
  std::int32_t GradientAngle = 45;
  std::int32_t BorderStyle = 1;
  std::int32_t BorderWidth = 12;
  TColor BorderLightColor = 0x00E0E0E0;
  TColor BorderDarkColor = 0x00404040;
  std::int32_t BorderMargin = 7;
  TColor FrameFillColor = 0x00112233;
  std::int32_t CornerDiameter = 30;
  IgnoredSceneFields Ignored;
};

// Writes the record stream of a file of the given version index (1..16).
void WriteSceneRecords(TStream& stream, const SceneSpec& scene, int version);
std::vector<std::uint8_t> WriteSceneRecords(const SceneSpec& scene, int version);

// The records of container.Version wrapped into a scene container as container says
// (compressed or not, preview block, ...).
std::vector<std::uint8_t> WriteSceneContainer(const SceneSpec& scene, const ContainerSpec& container = {});
// The same container inside a saver file with a correct checksum.
std::vector<std::uint8_t> WriteSceneSaverFile(const SceneSpec& scene, const ContainerSpec& container = {},
                                              const SaverFileSpec& saver = {});

}  // namespace velquora

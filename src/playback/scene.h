#pragma once
// TVelquoraScene: the one object that holds a loaded scene and plays it. It owns the
// ordered sprite list, the background picture and bitmaps, the audio playlist with its
// media player, the texts of the host's dialogs and the playback counters. The host creates it, the scene
// file readers fill it, and the host's timer drives its Step.
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "core/ansi_text.h"
#include "core/geometry.h"
#include "core/stream.h"
#include "media/media_player.h"
#include "platform/gdi/bitmap.h"
#include "platform/win/window_handle.h"
#include "playback/audio_file.h"

namespace velquora {

class TSprite;

// The newest of the scene signatures; a fresh scene reports it.
inline constexpr const char* kNewestSceneSignature = "Velquora Scene v.5.2";

// Size of the scene's bitmaps and picture before anything sizes them.
inline constexpr int kInitialBitmapSize = 100;

// A sprite list entry: a list text (the reader stores an empty one) and the sprite.
using TSpriteEntry = std::pair<AnsiString, std::unique_ptr<TSprite>>;
using TSpriteList = std::vector<TSpriteEntry>;
// A list of ANSI texts (dialog lines).
using TStringList = std::vector<AnsiString>;

class TVelquoraScene {
public:
  // Sets the defaults, sizes the bitmaps to 100 x 100, seeds the process-wide generator
  // from the clock (or from the fixed seed when one is set) and creates the player.
  TVelquoraScene();
  // Clears the player's file name and closes it, frees the player, then the sprites in
  // list order, then the audio files; the rest goes with them.
  virtual ~TVelquoraScene();
  TVelquoraScene(const TVelquoraScene&) = delete;
  TVelquoraScene& operator=(const TVelquoraScene&) = delete;

  // Builds the background and readies every sprite's path; called after a load.
  void Prepare();
  // One playback tick: advances the playlist (when SoundEnabled and there is a player),
  // moves every sprite, recomposes the rectangles that changed in WorkBitmap and copies
  // them to the target; then advances the counters.
  void Step();
  // Rewinds playback to the first tick of the cycle: paths, frames and the playlist
  // position; the cycle and run counters stay.
  void Restart();

  // Appends a new sprite owned by the scene with an empty list text.
  TSprite& AddSprite();

  std::int32_t RepeatMode = -1;             // < 0: cycle for ever; >= 0: count RunsLeft down (reader)
  std::int32_t RunsLeft = 1;                // Step does nothing while 0
  std::int32_t CyclesDone = 0;              // completed cycles since construction
  bool CloseWhenDone = false;               // host closes the saver once RunsLeft is 0 (reader)
  bool BackgroundShown = false;             // false: the next Step first copies the whole background
  TSpriteList Sprites;                      // drawing order, first is bottom-most; owned (reader)
  WindowHandle OwnerWindow = kNoWindow;     // target window and owner of message boxes (host)
  std::int32_t TimerInterval = 50;          // milliseconds per Step (reader, settings)
  bool SoundEnabled = true;                 // the playlist is driven only while set (settings)
  std::int32_t ScreenWidth = 640;           // playing area, pixels (platform screen size, host)
  std::int32_t ScreenHeight = 480;          // playing area, pixels (platform screen size, host)
  std::int32_t CycleLength = 1000;          // ticks per cycle (reader)
  std::int32_t CurrentTick = 1;             // position in the cycle, 1 .. CycleLength
  std::int32_t BackgroundMode = 0;          // 1 desktop snapshot, 2 painted, else left as is (reader)
  AnsiString BackgroundPictureName;         // non-empty: BackgroundPicture is placed (reader)
  std::int32_t FillMode = 0;                // how the gradient areas are filled (reader)
  TColor GradientFrom = 0;                  // first gradient colour (reader)
  TColor GradientTo = 0;                    // second gradient colour (reader)
  TColor BackgroundColor = 0xFFFFFF;        // first fill of the painted background (reader)
  std::int32_t GradientAngle = 90;          // direction of the gradient lines, degrees (reader)
  std::int32_t BorderStyle = 0;             // 0 bevelled, 1 gradient border (reader)
  std::int32_t BorderWidth = 0;             // pixels; 0 = no border (reader)
  TColor BorderLightColor = 0xC0C0C0;       // (reader)
  TColor BorderDarkColor = 0x808080;        // (reader)
  std::int32_t BorderMargin = 0;            // distance of the border from the edge, pixels (reader)
  TColor FrameFillColor = 0;                // fill of the frame area before the border (reader)
  std::int32_t CornerDiameter = 0;          // pixels; 0 = square corners (reader)
  std::int32_t PicturePlacement = 0;        // 1 centred, 2 tiled, 3 stretched (reader)
  TBitmap BackgroundPicture;                // picture from the scene file; owned (reader)
  TBitmap* TargetBitmap = nullptr;          // when set, Step draws here instead of OwnerWindow; not owned
  TBitmap BackgroundBitmap;                 // the prepared background, ScreenWidth x ScreenHeight; owned
  TBitmap WorkBitmap;                       // compose buffer; owned
  TAudioFileList AudioFiles;                // the playlist, list order = play order; owned (reader)
  std::unique_ptr<TMediaPlayer> Player;     // the one media player of the scene; owned
  bool LoadFailed = false;                  // the last load failed (container loader)
  std::int32_t StepCount = 0;               // completed Steps

  // Dialog data: texts and layout of the host's settings and about dialogs (reader).
  AnsiString SettingsCaption;               // settings dialog title
  AnsiString SpeedLabel;                    // text above the speed bar
  TStringList SettingsInfoLines;            // first text block
  AnsiString SupportLabel;                  // label above the link
  AnsiString SupportLink;                   // link text, opened by "Go ->"
  TStringList SettingsNoteLines;            // second text block
  bool ShowGoButton = false;                // settings dialog has the "Go ->" button
  bool ShowAboutButton = false;             // settings dialog has the "About" button
  AnsiString SettingsFontName = "MS Sans Serif";  // settings dialog font
  std::int32_t SettingsFontSize = 8;        // points
  AnsiString AboutCaption;                  // about dialog title
  TStringList AboutLines;                   // first text block
  AnsiString AboutLabel;                    // label above the link
  AnsiString AboutLink;                     // link text, opened by "Go ->"
  TStringList AboutNoteLines;               // second text block
  bool AboutShowGoButton = false;           // about dialog has the "Go ->" button
  AnsiString AboutFontName = "MS Sans Serif";  // about dialog font
  std::int32_t AboutFontSize = 8;           // points
  bool ShowAboutOnExit = false;             // program mode shows the about dialog on closing

  bool LoadSprites = true;                  // false: the reader skips the sprite list (host)
  std::int32_t CurrentAudioIndex = 0;       // next plain playlist entry to try
  std::int32_t StreamSize = 0;              // size of the record stream, bytes (reader)
  AnsiString SignatureText = kNewestSceneSignature;  // signature of the last load (container loader)
  bool InStep = false;                      // re-entrancy guard of Step
  std::int32_t FileVersion = 16;            // version index of the last load, 1 .. 16 (container loader)
  std::vector<Rect> LastDirtyRects;         // the merged dirty rectangles of the last Step (for tracing)
};

}  // namespace velquora

#include "playback/scene.h"

#include "core/random.h"
#include "platform/system/clock.h"
#include "platform/system/display_info.h"
#include "playback/sprite.h"

namespace velquora {

namespace {

// Milliseconds since midnight UTC, the generator's seed when none is fixed.
std::uint32_t ClockSeed() {
  const TimeOfDay time = UtcTimeOfDay();
  return TimeOfDaySeed(time.Hours, time.Minutes, time.Seconds, time.Milliseconds);
}

}  // namespace

TVelquoraScene::TVelquoraScene()
    : BackgroundPicture(kInitialBitmapSize, kInitialBitmapSize),
      BackgroundBitmap(kInitialBitmapSize, kInitialBitmapSize),
      WorkBitmap(kInitialBitmapSize, kInitialBitmapSize) {
  const ScreenSize screen = PrimaryScreenSize();
  ScreenWidth = screen.Width;
  ScreenHeight = screen.Height;
  SetRandSeed(FixedSeed().value_or(ClockSeed()));
  Player = std::make_unique<TMediaPlayer>();
}

TVelquoraScene::~TVelquoraScene() {
  // The player lets go of its file before the audio files delete their copies.
  if (Player) {
    try {
      Player->FileName.clear();
      Player->Close();
    } catch (...) {
      // A device that will not close is no reason to keep the scene.
    }
    Player.reset();
  }
  // Sprites go first, in list order: they refer back to the scene.
  for (TSpriteEntry& entry : Sprites) entry.second.reset();
  Sprites.clear();
  AudioFiles.clear();
}

TSprite& TVelquoraScene::AddSprite() {
  Sprites.emplace_back(AnsiString{}, std::make_unique<TSprite>(*this));
  return *Sprites.back().second;
}

}  // namespace velquora

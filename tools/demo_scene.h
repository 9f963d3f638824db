#pragma once
// The demo scene: a painted background (rounded bevelled frame around a sky gradient)
// and a dozen sprites whose pictures are drawn here, in code: clouds on lines, a
// pulsing sun on a hot spot, bouncing balls and a kite with scale ramps, a fish with a
// two-frame tail and a hidden pause, a crate that grows along its way, a star jumping
// at random in two windows of the cycle, a three-frame lamp, rising bubbles (a stream)
// and a burst of sparks. A MIDI tune plays as a plain playlist entry and a synthesised
// chime rings as a timed one when the sparks burst. Positions are in percent of the screen, so the scene fits any
// playing area.
#include <cstdint>
#include <vector>

#include "platform/gdi/bitmap.h"
#include "scene_writer.h"

namespace velquora {

// The key colour of the demo's transparent pictures (their top-left pixel).
inline constexpr TColor kDemoKeyColor = RGB(255, 0, 255);

// Ticks of the demo's cycle.
inline constexpr std::int32_t kDemoCycleLength = 600;

// The cycle tick at which the chime rings (the sparks' window opens).
inline constexpr std::int32_t kDemoChimeTick = 300;

SceneSpec DemoScene();

// The demo's sounds: an eight-second tune as a MIDI file and a short chime as a WAV file.
std::vector<std::uint8_t> DemoTuneMidi();
std::vector<std::uint8_t> DemoChimeWav();

// The demo scene's container inside a saver file (the newest version, compressed).
std::vector<std::uint8_t> WriteDemoSaverFile();

// Pictures of the demo, drawn on the key colour.
TBitmap DemoBall(int size, TColor color, TColor highlight);
TBitmap DemoLamp(int lit);  // 0 red, 1 amber, 2 green

}  // namespace velquora

#include "demo_scene.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "core/memory_stream.h"
#include "platform/gdi/canvas.h"
#include "midi_writer.h"
#include "wav_writer.h"

namespace velquora {

namespace {

constexpr TColor kInk = RGB(20, 20, 30);

// A picture of the given size filled with the key colour.
TBitmap KeyedCanvas(int width, int height) {
  TBitmap picture(width, height, PixelFormat::Bits24);
  TCanvas canvas(picture);
  canvas.Brush.Color = kDemoKeyColor;
  canvas.FillRect(picture.BoundsRect());
  return picture;
}

// Points of a regular polygon (a disk when there are many) or, with two radii, a star.
std::vector<Point> RingPoints(double cx, double cy, double outer, double inner, int corners, double turn = 0) {
  std::vector<Point> points;
  const int count = inner > 0 ? corners * 2 : corners;
  for (int i = 0; i < count; ++i) {
    const double radius = (inner > 0 && i % 2 == 1) ? inner : outer;
    const double angle = turn + 2 * std::numbers::pi * i / count;
    points.push_back(Point{static_cast<std::int32_t>(std::lround(cx + radius * std::cos(angle))),
                           static_cast<std::int32_t>(std::lround(cy + radius * std::sin(angle)))});
  }
  return points;
}

void Fill(TCanvas& canvas, const std::vector<Point>& points, TColor color, TColor outline) {
  canvas.Brush.Color = color;
  canvas.Pen.Color = outline;
  canvas.Polygon(points);
}

void Disk(TCanvas& canvas, double cx, double cy, double radius, TColor color, TColor outline) {
  Fill(canvas, RingPoints(cx, cy, radius, 0, 32), color, outline);
}

void Ellipse(TCanvas& canvas, double cx, double cy, double rx, double ry, TColor color, TColor outline) {
  std::vector<Point> points;
  for (int i = 0; i < 36; ++i) {
    const double angle = 2 * std::numbers::pi * i / 36;
    points.push_back(Point{static_cast<std::int32_t>(std::lround(cx + rx * std::cos(angle))),
                           static_cast<std::int32_t>(std::lround(cy + ry * std::sin(angle)))});
  }
  Fill(canvas, points, color, outline);
}

TBitmap Cloud() {
  TBitmap picture = KeyedCanvas(96, 44);
  TCanvas canvas(picture);
  const TColor white = RGB(250, 250, 252);
  const TColor shade = RGB(215, 220, 235);
  Disk(canvas, 26, 28, 14, shade, shade);
  Disk(canvas, 70, 28, 14, shade, shade);
  Disk(canvas, 46, 20, 18, white, white);
  Disk(canvas, 28, 26, 12, white, white);
  Disk(canvas, 68, 26, 12, white, white);
  Ellipse(canvas, 48, 32, 38, 9, white, white);
  return picture;
}

TBitmap Sun() {
  TBitmap picture = KeyedCanvas(72, 72);
  TCanvas canvas(picture);
  Fill(canvas, RingPoints(36, 36, 35, 24, 12), RGB(255, 170, 20), RGB(255, 150, 0));
  Disk(canvas, 36, 36, 22, RGB(255, 220, 40), RGB(240, 170, 0));
  Disk(canvas, 30, 30, 6, RGB(255, 245, 170), RGB(255, 245, 170));
  return picture;
}

TBitmap Fish(bool tail_up) {
  TBitmap picture = KeyedCanvas(64, 36);
  TCanvas canvas(picture);
  const TColor body = RGB(255, 120, 30);
  const TColor fin = RGB(230, 80, 20);
  const int tip = tail_up ? 4 : 12;
  const int end = tail_up ? 24 : 32;
  const std::vector<Point> tail = {{2, tip}, {18, 18}, {2, end}};
  Fill(canvas, tail, fin, kInk);
  Ellipse(canvas, 38, 18, 23, 13, body, kInk);
  const std::vector<Point> top_fin = {{30, 7}, {40, 1}, {46, 7}};
  Fill(canvas, top_fin, fin, kInk);
  Disk(canvas, 50, 14, 3.5, RGB(255, 255, 255), kInk);
  Disk(canvas, 51, 14, 1.5, kInk, kInk);
  return picture;
}

TBitmap Crate() {
  TBitmap picture(40, 40, PixelFormat::Bits24);
  TCanvas canvas(picture);
  canvas.Brush.Color = RGB(170, 110, 50);
  canvas.Pen.Color = RGB(90, 55, 20);
  canvas.Rectangle(Rect{0, 0, 40, 40});
  canvas.Rectangle(Rect{4, 4, 36, 36});
  canvas.MoveTo(4, 4);
  canvas.LineTo(36, 36);
  canvas.MoveTo(35, 4);
  canvas.LineTo(3, 36);
  return picture;
}

TBitmap Star(int size, TColor color, TColor outline) {
  TBitmap picture = KeyedCanvas(size, size);
  TCanvas canvas(picture);
  const double centre = (size - 1) / 2.0;
  Fill(canvas, RingPoints(centre, centre, size / 2.0 - 1, size / 5.0, 5, -std::numbers::pi / 2), color, outline);
  return picture;
}

TBitmap Bubble() {
  TBitmap picture = KeyedCanvas(18, 18);
  TCanvas canvas(picture);
  Disk(canvas, 8.5, 8.5, 8, RGB(170, 215, 250), RGB(90, 150, 220));
  Disk(canvas, 6, 6, 2.5, RGB(250, 252, 255), RGB(250, 252, 255));
  return picture;
}

TBitmap Kite() {
  TBitmap picture = KeyedCanvas(34, 54);
  TCanvas canvas(picture);
  const std::vector<Point> diamond = {{16, 0}, {32, 18}, {16, 42}, {0, 18}};
  Fill(canvas, diamond, RGB(60, 180, 90), kInk);
  const std::vector<Point> upper = {{16, 0}, {32, 18}, {16, 18}};
  Fill(canvas, upper, RGB(240, 220, 60), kInk);
  const std::vector<Point> lower = {{0, 18}, {16, 18}, {16, 42}};
  Fill(canvas, lower, RGB(230, 60, 60), kInk);
  canvas.Pen.Color = kInk;
  canvas.MoveTo(16, 42);
  canvas.LineTo(12, 47);
  canvas.LineTo(20, 50);
  canvas.LineTo(16, 54);
  return picture;
}

std::vector<std::uint8_t> BmpBytes(const TBitmap& picture) {
  TMemoryStream out;
  picture.SaveToStream(out);
  return out.TakeBytes();
}

FrameSpec Frame(const TBitmap& picture, const std::string& name, bool transparent, std::int32_t duration = 4) {
  FrameSpec frame;
  frame.Bmp = BmpBytes(picture);
  frame.FileName = name;
  frame.Duration = duration;
  frame.Transparent = transparent;
  frame.TransparentX = 0;
  frame.TransparentY = 0;
  frame.Width = picture.Width();
  frame.Height = picture.Height();
  return frame;
}

StepSpec Step(std::int32_t kind, Real left, Real top, Real right, Real bottom, Real start_x, Real start_y) {
  StepSpec step;
  step.Kind = kind;
  step.AreaLeft = left;
  step.AreaTop = top;
  step.AreaRight = right;
  step.AreaBottom = bottom;
  step.StartX = start_x;
  step.StartY = start_y;
  return step;
}

StepSpec Line(Real left, Real top, Real right, Real bottom, bool backwards, Real speed) {
  StepSpec step = backwards ? Step(2, left, top, right, bottom, right, bottom) : Step(2, left, top, right, bottom, left, top);
  step.SpeedFrom = step.SpeedTo = speed;
  return step;
}

StepSpec Hold(Real x, Real y, std::int32_t duration) {
  StepSpec step = Step(3, x, y, x, y, x, y);
  step.Duration = duration;
  return step;
}

StepSpec Bounce(Real left, Real top, Real right, Real bottom, Real start_x, Real start_y, std::int32_t angle,
                Real speed) {
  StepSpec step = Step(1, left, top, right, bottom, start_x, start_y);
  step.Angle = angle;
  step.SpeedFrom = step.SpeedTo = speed;
  return step;
}

void Scale(StepSpec& step, Real from, Real to) {
  step.ScaleXFrom = step.ScaleYFrom = from;
  step.ScaleXTo = step.ScaleYTo = to;
}

SpriteSpec Sprite(const std::string& name, std::vector<FrameSpec> frames, std::vector<StepSpec> steps) {
  SpriteSpec sprite;
  sprite.Name = name;
  sprite.Frames = std::move(frames);
  sprite.Moving.Steps = std::move(steps);
  return sprite;
}

void CentreHotSpot(SpriteSpec& sprite) {
  sprite.Moving.HotSpotInPercent = true;
  sprite.Moving.HotSpotX = 50;
  sprite.Moving.HotSpotY = 50;
}

std::vector<SpriteSpec> DemoSprites() {
  std::vector<SpriteSpec> sprites;

  // Clouds drift along the top, one each way.
  sprites.push_back(Sprite("Cloud east", {Frame(Cloud(), "cloud.bmp", true)}, {Line(-20, 4, 110, 4, false, 1)}));
  sprites.push_back(Sprite("Cloud west", {Frame(Cloud(), "cloud.bmp", true)}, {Line(-20, 16, 110, 16, true, 1.5L)}));

  // The sun pulses around its centre: two holds ramping the scale up and down.
  {
    StepSpec grow = Hold(84, 14, 30);
    Scale(grow, 1, 1.25L);
    StepSpec shrink = Hold(84, 14, 30);
    Scale(shrink, 1.25L, 1);
    SpriteSpec sun = Sprite("Sun", {Frame(Sun(), "sun.bmp", true)}, {grow, shrink});
    CentreHotSpot(sun);
    sprites.push_back(sun);
  }

  // A traffic lamp changes light every ten ticks.
  sprites.push_back(Sprite("Lamp",
                           {Frame(DemoLamp(0), "lamp-red.bmp", false, 10), Frame(DemoLamp(1), "lamp-amber.bmp", false, 10),
                            Frame(DemoLamp(2), "lamp-green.bmp", false, 10)},
                           {Hold(4, 40, -1)}));

  // A crate slides down to the right, growing on the way, rests, and slides back.
  {
    StepSpec out = Line(12, 40, 36, 78, false, 2);
    Scale(out, 1, 1.6L);
    StepSpec rest = Hold(36, 78, 20);
    Scale(rest, 1.6L, 1.6L);
    StepSpec back = Line(12, 40, 36, 78, true, 2);
    Scale(back, 1.6L, 1);
    sprites.push_back(Sprite("Crate", {Frame(Crate(), "crate.bmp", false)}, {out, rest, back}));
  }

  // Two balls bounce around the middle; the red one flashes between two frames.
  {
    SpriteSpec red = Sprite("Red ball",
                            {Frame(DemoBall(40, RGB(220, 30, 40), RGB(255, 160, 160)), "ball-red.bmp", true, 6),
                             Frame(DemoBall(40, RGB(250, 120, 20), RGB(255, 220, 150)), "ball-orange.bmp", true, 6)},
                            {Bounce(6, 28, 94, 94, 6, 60, 35, 6)});
    CentreHotSpot(red);
    sprites.push_back(red);
    StepSpec bounce = Bounce(30, 30, 94, 94, 50, 30, 62, 4);
    Scale(bounce, 0.7L, 0.7L);
    SpriteSpec blue = Sprite("Blue ball", {Frame(DemoBall(40, RGB(40, 80, 220), RGB(170, 200, 255)), "ball-blue.bmp", true)},
                             {bounce});
    CentreHotSpot(blue);
    sprites.push_back(blue);
  }

  // A kite bounces in the upper right, growing along each leg; anchored at its nose.
  {
    StepSpec fly = Bounce(46, 22, 92, 56, 46, 40, 20, 3);
    Scale(fly, 0.8L, 1.4L);
    SpriteSpec kite = Sprite("Kite", {Frame(Kite(), "kite.bmp", true)}, {fly});
    kite.Moving.HotSpotInPercent = false;
    kite.Moving.HotSpotX = 16;
    kite.Moving.HotSpotY = 0;
    sprites.push_back(kite);
  }

  // A fish swims across, waving its tail, then stays away for a while.
  {
    StepSpec away = Hold(-20, 72, 40);
    away.Hidden = true;
    sprites.push_back(Sprite("Fish", {Frame(Fish(true), "fish-1.bmp", true, 3), Frame(Fish(false), "fish-2.bmp", true, 3)},
                             {Line(-12, 72, 104, 72, false, 3), away}));
  }

  // A star jumps about at random, shown in two windows of the cycle only.
  {
    StepSpec jump = Step(4, 20, 30, 80, 62, 20, 30);
    jump.Duration = 8;
    jump.MaxDelay = 3;
    SpriteSpec star = Sprite("Star", {Frame(Star(32, RGB(255, 230, 60), RGB(200, 140, 0)), "star.bmp", true)}, {jump});
    star.Windows = {WindowSpec{1, 250}, WindowSpec{400, 560}};
    sprites.push_back(star);
  }

  // Bubbles rise from the bottom in a stream of clones.
  {
    StepSpec stream = Step(5, 58, 60, 96, 96, 58, 96);
    stream.Count = 10;
    stream.EmitAngle = 90;
    stream.MaxDelay = 60;
    stream.SpeedFrom = stream.SpeedTo = 2;
    sprites.push_back(Sprite("Bubbles", {Frame(Bubble(), "bubble.bmp", true)}, {stream}));
  }

  // Sparks burst from the centre of the sky, in the second half of the cycle.
  {
    StepSpec burst = Step(6, 30, 24, 70, 64, 50, 44);
    burst.Count = 14;
    burst.MaxDelay = 40;
    burst.SpeedFrom = 5;
    burst.SpeedTo = 2;
    SpriteSpec sparks = Sprite("Sparks", {Frame(Star(14, RGB(255, 250, 200), RGB(255, 140, 40)), "spark.bmp", true)}, {burst});
    sparks.Windows = {WindowSpec{300, 600}};
    sprites.push_back(sparks);
  }
  return sprites;
}

constexpr int kChimeSampleRate = 11025;
constexpr std::uint16_t kTicksPerQuarter = 480;
constexpr std::uint32_t kEighth = kTicksPerQuarter / 2;

// MIDI note numbers of the tune.
constexpr int F2 = 41, G2 = 43, A2 = 45, C3 = 48, A4 = 69, C5 = 72, D5 = 74, E5 = 76, G5 = 79, A5 = 81, C6 = 84;

// One bell-like note: a fundamental with two partials that dies away, swelling in over
// a few milliseconds so that it never clicks.
void AddBell(std::vector<double>& out, int sample_rate, double start_seconds, double hertz, double volume) {
  const auto first = static_cast<std::size_t>(start_seconds * sample_rate);
  for (std::size_t i = first; i < out.size(); ++i) {
    const double t = static_cast<double>(i - first) / sample_rate;
    const double phase = 2 * std::numbers::pi * hertz * t;
    const double swell = std::min(1.0, t / 0.004);
    out[i] += volume * swell * std::exp(-5.0 * t) *
              (0.7 * std::sin(phase) + 0.2 * std::sin(2.76 * phase) + 0.1 * std::sin(5.4 * phase));
  }
}

}  // namespace

std::vector<std::uint8_t> DemoTuneMidi() {
  // Two pentatonic phrases of eighth notes, the second answering the first, over a bass
  // note every half bar. 0 is a rest.
  const int melody[32] = {E5, G5, A5, G5, E5, D5, C5, D5, E5, E5, D5, C5, A4, C5, D5, 0,
                          G5, A5, C6, A5, G5, E5, D5, E5, G5, E5, D5, C5, D5, C5, C5, 0};
  const int bass[8] = {C3, G2, A2, G2, F2, C3, G2, C3};
  MidiTrackWriter track;
  track.Tempo(0, 500000);        // 120 quarter notes a minute: an eighth lasts 250 ms
  track.ProgramChange(0, 0, 11);  // vibraphone
  track.ProgramChange(0, 1, 32);  // acoustic bass
  std::uint32_t wait = 0;
  for (int i = 0; i < 32; ++i) {
    if (i % 4 == 0) {
      track.NoteOn(wait, 1, bass[i / 4], 80);
      wait = 0;
    }
    if (melody[i] != 0) {
      track.NoteOn(wait, 0, melody[i], 100);
      wait = 0;
    }
    wait += kEighth;
    if (melody[i] != 0) {
      track.NoteOff(wait, 0, melody[i]);
      wait = 0;
    }
    if (i % 4 == 3) {
      track.NoteOff(wait, 1, bass[i / 4]);
      wait = 0;
    }
  }
  track.EndOfTrack(wait);
  const MidiTrackWriter tracks[] = {track};
  return WriteMidiFile(0, kTicksPerQuarter, tracks);
}

std::vector<std::uint8_t> DemoChimeWav() {
  std::vector<double> mix(static_cast<std::size_t>(kChimeSampleRate * 0.9), 0.0);
  const double notes[] = {1046.5, 1318.5, 1568.0, 2093.0};  // C6 E6 G6 C7, rising
  for (int i = 0; i < 4; ++i) AddBell(mix, kChimeSampleRate, i * 0.07, notes[i], 0.3);
  std::vector<std::int16_t> samples;
  samples.reserve(mix.size());
  for (const double value : mix) samples.push_back(static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0, 1.0) * 32767)));
  return WritePcmWave(kChimeSampleRate, 1, samples);
}

TBitmap DemoBall(int size, TColor color, TColor highlight) {
  TBitmap picture = KeyedCanvas(size, size);
  TCanvas canvas(picture);
  const double centre = (size - 1) / 2.0;
  Disk(canvas, centre, centre, size / 2.0 - 1, color, kInk);
  Disk(canvas, centre - size / 6.0, centre - size / 6.0, size / 8.0, highlight, highlight);
  return picture;
}

TBitmap DemoLamp(int lit) {
  TBitmap picture(22, 58, PixelFormat::Bits24);
  TCanvas canvas(picture);
  canvas.Brush.Color = RGB(45, 45, 50);
  canvas.Pen.Color = kInk;
  canvas.Rectangle(Rect{0, 0, 22, 58});
  const TColor on[3] = {RGB(255, 40, 30), RGB(255, 190, 0), RGB(40, 230, 70)};
  const TColor off[3] = {RGB(90, 20, 20), RGB(90, 70, 10), RGB(15, 80, 30)};
  for (int i = 0; i < 3; ++i) Disk(canvas, 10.5, 10 + i * 18, 7, i == lit ? on[i] : off[i], kInk);
  return picture;
}

SceneSpec DemoScene() {
  SceneSpec scene;
  scene.Sprites = DemoSprites();
  scene.TimerInterval = 50;
  scene.CycleLength = kDemoCycleLength;
  scene.RepeatMode = -1;
  scene.CloseWhenDone = false;
  scene.ShowAboutOnExit = false;
  scene.BackgroundMode = 2;
  scene.BackgroundPictureName = "";
  scene.PicturePlacement = 0;
  scene.FillMode = 0;
  scene.GradientFrom = RGB(25, 45, 120);
  scene.GradientTo = RGB(160, 210, 245);
  scene.GradientAngle = 90;
  scene.BackgroundColor = RGB(30, 30, 40);
  scene.BorderStyle = 0;
  scene.BorderWidth = 10;
  scene.BorderMargin = 4;
  scene.BorderLightColor = RGB(225, 225, 235);
  scene.BorderDarkColor = RGB(95, 95, 115);
  scene.FrameFillColor = RGB(30, 30, 40);
  scene.CornerDiameter = 48;
  scene.SettingsCaption = "Demo scene settings";
  scene.SpeedLabel = "Playing speed:";
  scene.SettingsInfoLines = {"Demo scene 1.0", "Every picture is drawn by the demo writer."};
  scene.SupportLabel = "Questions and bug reports:";
  scene.SupportLink = "https://example.org/velquora/support";
  scene.SettingsNoteLines = {"Sky, clouds, sun, balls, kite,", "fish, lamp, crate, star,", "bubbles and sparks."};
  scene.ShowGoButton = true;
  scene.ShowAboutButton = true;
  scene.SettingsFontName = "MS Sans Serif";
  scene.SettingsFontSize = 8;
  scene.AboutCaption = "About the demo scene";
  scene.AboutLines = {"Demo scene 1.0", "", "A sample of what a Velquora scene can hold:",
                      "a painted background, sprites on paths and effects."};
  scene.AboutLabel = "Home page:";
  scene.AboutLink = "https://example.org/velquora/";
  scene.AboutNoteLines = {"Thank you for watching."};
  scene.AboutShowGoButton = true;
  scene.AboutFontName = "MS Sans Serif";
  scene.AboutFontSize = 8;
  // A tune plays over and over from the fourth tick; a chime rings when the sparks burst,
  // cutting into the tune, which then starts again.
  AudioFileSpec tune;
  tune.FileName = "demo-tune.mid";
  tune.DeviceType = 9;  // Sequencer
  tune.Embedded = DemoTuneMidi();
  AudioFileSpec chime;
  chime.FileName = "demo-chime.wav";
  chime.DeviceType = 12;  // WaveAudio
  chime.Embedded = DemoChimeWav();
  chime.Items = {AudioItemSpec{kDemoChimeTick, 0, false}};
  scene.AudioFiles = {tune, chime};
  return scene;
}

std::vector<std::uint8_t> WriteDemoSaverFile() { return WriteSceneSaverFile(DemoScene()); }

}  // namespace velquora

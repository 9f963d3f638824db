// The headless playback modes: trace lines, rendered pictures, determinism under a
// fixed seed, and that tracing leaves the run as it would be untraced.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "app/record.h"
#include "app/thumbnail.h"
#include "app/tool_options.h"
#include "app/trace_render.h"
#include "core/random.h"
#include "demo_scene.h"
#include "jpeg_writer.h"
#include "platform/gdi/bitmap.h"
#include "recording_message_boxes.h"
#include "saver_writer.h"
#include "scene_builder.h"
#include "scene_writer.h"
#include "wav_writer.h"

namespace velquora {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

class TempDirectory {
public:
  TempDirectory() {
    std::string pattern = (fs::temp_directory_path() / "trace_test_XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& Path() const { return path_; }

private:
  fs::path path_;
};

// Fixes the generator's seed for the scenes made while this lives.
class ScopedSeed {
public:
  explicit ScopedSeed(std::uint32_t seed) : previous_(FixedSeed()) { SetFixedSeed(seed); }
  ~ScopedSeed() { SetFixedSeed(previous_); }
  ScopedSeed(const ScopedSeed&) = delete;
  ScopedSeed& operator=(const ScopedSeed&) = delete;

private:
  std::optional<std::uint32_t> previous_;
};

std::vector<std::uint8_t> FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Playback : public ::testing::Test {
protected:
  Playback() : saver_(directory_.Path() / "demo.scr") { WriteFileBytes(saver_, WriteDemoSaverFile()); }

  struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
    std::vector<Json> lines() const {
      std::vector<Json> parsed;
      std::istringstream in(out);
      for (std::string line; std::getline(in, line);) parsed.push_back(Json::parse(line));
      return parsed;
    }
  };

  Outcome Run(const PlaybackRunOptions& options, std::uint32_t seed = 7, const fs::path* saver = nullptr) {
    const ScopedSeed fixed(seed);
    std::ostringstream out;
    std::ostringstream err;
    Outcome outcome;
    outcome.status = RunPlayback((saver != nullptr ? *saver : saver_).string(), options, out, err);
    outcome.out = out.str();
    outcome.err = err.str();
    return outcome;
  }

  static PlaybackRunOptions Trace(std::int32_t steps) {
    PlaybackRunOptions options;
    options.Screen = ScreenSize{320, 240};
    options.Steps = steps;
    options.Trace = true;
    return options;
  }

  TempDirectory directory_;
  fs::path saver_;
};

TEST_F(Playback, TraceWritesOneLinePerStepWithTheCounters) {
  const Outcome outcome = Run(Trace(5));
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const std::vector<Json> lines = outcome.lines();
  ASSERT_EQ(lines.size(), 5u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Json& line = lines[i];
    EXPECT_EQ(line["StepCount"], i + 1);
    EXPECT_EQ(line["CurrentTick"], i + 2);
    EXPECT_EQ(line["CyclesDone"], 0);
    EXPECT_EQ(line["RunsLeft"], 1);
    ASSERT_EQ(line["Sprites"].size(), DemoScene().Sprites.size());
    for (const Json& rect : line["Dirty"]) EXPECT_EQ(rect.size(), 4u);
  }
  const Json& first = lines.front();
  std::vector<std::string> keys;
  for (const auto& [key, value] : first.items()) keys.push_back(key);
  EXPECT_EQ(keys,
            (std::vector<std::string>{"StepCount", "CurrentTick", "CyclesDone", "RunsLeft", "Dirty", "Sprites", "Audio"}));
  std::vector<std::string> audio_keys;
  for (const auto& [key, value] : first["Audio"].items()) audio_keys.push_back(key);
  EXPECT_EQ(audio_keys, (std::vector<std::string>{"Mode", "Failed", "CurrentAudioIndex", "File"}));
  std::vector<std::string> sprite_keys;
  for (const auto& [key, value] : first["Sprites"][0].items()) sprite_keys.push_back(key);
  EXPECT_EQ(sprite_keys, (std::vector<std::string>{"Hidden", "PosX", "PosY", "DrawnRect", "FrameIndex", "StepIndex",
                                                   "TickInStep", "Travelled", "ScaleX", "ScaleY", "Clones"}));
}

TEST_F(Playback, TheFirstStepRepaintsEveryVisibleSprite) {
  const std::vector<Json> lines = Run(Trace(1)).lines();
  ASSERT_EQ(lines.size(), 1u);
  // Every merged dirty rectangle holds at least one sprite's drawn place, and every
  // visible sprite without clones was drawn into one of them.
  const auto contains = [](const Json& outer, const Json& inner) {
    return outer[0] <= inner[0] && outer[1] <= inner[1] && outer[2] >= inner[2] && outer[3] >= inner[3];
  };
  for (const Json& sprite : lines[0]["Sprites"]) {
    if (sprite["Hidden"] || !sprite["Clones"].empty()) continue;
    bool found = false;
    for (const Json& rect : lines[0]["Dirty"]) found = found || contains(rect, sprite["DrawnRect"]);
    EXPECT_TRUE(found) << sprite.dump();
  }
}

TEST_F(Playback, ClonesOfTheEmittingStepsAreListedWithTheirSprite) {
  const std::vector<Json> lines = Run(Trace(1)).lines();
  const SceneSpec demo = DemoScene();
  for (std::size_t i = 0; i < demo.Sprites.size(); ++i) {
    const StepSpec& step = demo.Sprites[i].Moving.Steps.front();
    const std::size_t expected = step.Kind > 3 ? static_cast<std::size_t>(step.Count) : 0u;
    EXPECT_EQ(lines[0]["Sprites"][i]["Clones"].size(), expected) << demo.Sprites[i].Name;
    for (const Json& clone : lines[0]["Sprites"][i]["Clones"]) EXPECT_FALSE(clone.contains("Clones"));
  }
}

TEST_F(Playback, TheSameSeedGivesTheSameRun) {
  EXPECT_EQ(Run(Trace(60), 1234).out, Run(Trace(60), 1234).out);
}

TEST_F(Playback, AnotherSeedGivesAnotherRun) {
  // The star's random jumps and the clones' waits come from the generator.
  EXPECT_NE(Run(Trace(60), 1234).out, Run(Trace(60), 4321).out);
}

TEST_F(Playback, TracingDoesNotChangeTheRun) {
  PlaybackRunOptions untraced;
  untraced.Screen = ScreenSize{160, 120};
  untraced.Steps = 40;
  untraced.RenderEvery = 40;
  untraced.RenderDirectory = directory_.Path() / "plain";
  PlaybackRunOptions traced = untraced;
  traced.Trace = true;
  traced.RenderDirectory = directory_.Path() / "traced";
  ASSERT_EQ(Run(untraced).status, 0);
  const Outcome outcome = Run(traced);
  ASSERT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.lines().size(), 40u);
  const std::vector<std::uint8_t> plain = FileBytes(directory_.Path() / "plain" / "frame-000040.png");
  ASSERT_FALSE(plain.empty());
  EXPECT_EQ(plain, FileBytes(directory_.Path() / "traced" / "frame-000040.png"));
}

// Two embedded WAV files of 200 and 300 ms at 50 ms a Step, played on the silent devices
// by the virtual clock: the first starts at tick 4 and plays four Steps, the second
// starts on the Step at which the first has ended and plays six, then the first again.
TEST_F(Playback, TheTraceFollowsThePlaylistThroughTheSilentDevices) {
  SceneSpec design;
  design.TimerInterval = 50;
  design.RepeatMode = -1;
  for (const auto& [name, milliseconds] : {std::pair{"C:\\Sounds\\first.wav", 200}, std::pair{"C:\\Sounds\\second.wav", 300}}) {
    AudioFileSpec file;
    file.FileName = name;
    file.Embedded = WritePcmWave(8000, 1, std::vector<std::int16_t>(static_cast<std::size_t>(8 * milliseconds)));
    design.AudioFiles.push_back(file);
  }
  const fs::path saver = directory_.Path() / "sound.scr";
  WriteFileBytes(saver, WriteSceneSaverFile(design));
  const Outcome outcome = Run(Trace(15), 7, &saver);
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  std::string modes, files, indexes;
  for (const Json& line : outcome.lines()) {
    const Json& audio = line["Audio"];
    EXPECT_FALSE(audio["Failed"].get<bool>());
    modes += std::to_string(audio["Mode"].get<int>());
    files += audio["File"].get<int>() < 0 ? "-" : std::to_string(audio["File"].get<int>());
    indexes += std::to_string(audio["CurrentAudioIndex"].get<int>());
  }
  EXPECT_EQ(modes, "000222222222222");
  EXPECT_EQ(files, "---000011111100");
  EXPECT_EQ(indexes, "000111100000011");
}

TEST_F(Playback, TheDemoPlaysItsTuneFromTheFourthTickAndItsChimeWhenTheSparksBurst) {
  const std::vector<Json> lines = Run(Trace(kDemoChimeTick + 1)).lines();
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kDemoChimeTick + 1));
  const Json& tune = lines[3]["Audio"];  // Step 4
  EXPECT_EQ(tune["Mode"], 2);
  EXPECT_EQ(tune["File"], 0);
  const Json& chime = lines[kDemoChimeTick - 1]["Audio"];
  EXPECT_EQ(chime["Mode"], 2);
  EXPECT_EQ(chime["File"], 1);
  EXPECT_FALSE(chime["Failed"].get<bool>());
}

TEST_F(Playback, AMissingSoundFileFailsThePlayerAtTheFourthStep) {
  SceneSpec design;
  AudioFileSpec missing;
  missing.FileName = (directory_.Path() / "missing.wav").string();
  design.AudioFiles = {missing};
  const fs::path saver = directory_.Path() / "missing.scr";
  WriteFileBytes(saver, WriteSceneSaverFile(design));
  const std::vector<Json> lines = Run(Trace(6), 7, &saver).lines();
  ASSERT_EQ(lines.size(), 6u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i]["Audio"]["Failed"], i >= 3) << i;
    EXPECT_EQ(lines[i]["Audio"]["Mode"], 0);
    EXPECT_EQ(lines[i]["Audio"]["File"], i >= 3 ? 0 : -1);
  }
}

TEST(AudioFileIndex, TheFirstEntryWithThePlayersNameOrNone) {
  TAudioFileList files;
  for (const char* name : {"a.wav", "b.wav", "a.wav", ""}) {
    files.push_back(std::make_unique<TAudioFile>());
    files.back()->FileName = name;
  }
  EXPECT_EQ(AudioFileIndex(files, "a.wav"), 0);
  EXPECT_EQ(AudioFileIndex(files, "b.wav"), 1);
  EXPECT_EQ(AudioFileIndex(files, "A.WAV"), -1);
  EXPECT_EQ(AudioFileIndex(files, ""), -1);
  EXPECT_EQ(AudioFileIndex(files, "c.wav"), -1);
}

TEST_F(Playback, RenderWritesEveryKthStepNamedByTheStepCount) {
  PlaybackRunOptions options;
  options.Screen = ScreenSize{64, 48};
  options.Steps = 7;
  options.RenderEvery = 3;
  options.RenderDirectory = directory_.Path() / "frames" / "nested";
  ASSERT_EQ(Run(options).status, 0);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(*options.RenderDirectory)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"frame-000003.png", "frame-000006.png"}));
  const TBitmap picture = LoadPng(*options.RenderDirectory / "frame-000003.png");
  EXPECT_EQ(picture.Width(), 64);
  EXPECT_EQ(picture.Height(), 48);
}

TEST_F(Playback, TheRenderedBackgroundIsTheBorderedGradient) {
  PlaybackRunOptions options;
  options.Screen = ScreenSize{200, 150};
  options.Steps = 1;
  options.RenderDirectory = directory_.Path();
  ASSERT_EQ(Run(options).status, 0);
  const TBitmap picture = LoadPng(directory_.Path() / "frame-000001.png");
  const SceneSpec demo = DemoScene();
  // The corner lies outside the rounded frame and keeps the background colour; the
  // bevel's light side runs along the top within the border.
  EXPECT_EQ(picture.GetPixel(0, 0), demo.BackgroundColor);
  EXPECT_EQ(picture.GetPixel(100, demo.BorderMargin + 1), demo.BorderLightColor);
}

TEST_F(Playback, AnUnreadableSaverFileFailsWithStatusOne) {
  auto boxes = std::make_shared<RecordingMessageBoxes>();
  ScopedMessageBoxes scope(boxes);
  const fs::path missing = directory_.Path() / "missing.scr";
  EXPECT_EQ(Run(Trace(3), 7, &missing).status, 1);
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].text, "Cannot read data from file.");

  const fs::path damaged = directory_.Path() / "damaged.scr";
  std::vector<std::uint8_t> bytes = WriteDemoSaverFile();
  bytes.resize(bytes.size() / 2);
  WriteFileBytes(damaged, bytes);
  const Outcome outcome = Run(Trace(3), 7, &damaged);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_TRUE(outcome.out.empty());
}

TEST_F(Playback, AnUnwritableRenderDirectoryIsReported) {
  const fs::path blocker = directory_.Path() / "file";
  WriteFileBytes(blocker, std::vector<std::uint8_t>{1});
  PlaybackRunOptions options;
  options.Screen = ScreenSize{32, 24};
  options.Steps = 1;
  options.RenderDirectory = blocker / "frames";
  const Outcome outcome = Run(options);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_FALSE(outcome.err.empty());
}

// --- thumbnails ----------------------------------------------------------------------------

TEST_F(Playback, AThumbnailWithoutAPreviewIsTheRenderedPictureOfItsStep) {
  PlaybackRunOptions options;
  options.Screen = ScreenSize{96, 72};
  options.Steps = kThumbnailSteps;
  options.RenderDirectory = directory_.Path();
  options.RenderEvery = kThumbnailSteps;
  ASSERT_EQ(Run(options).status, 0);
  const fs::path thumbnail = directory_.Path() / "thumbnail.png";
  const ScopedSeed fixed(7);
  ASSERT_EQ(RunThumbnail(saver_.string(), thumbnail, options.Screen), 0);
  EXPECT_EQ(FileBytes(thumbnail), FileBytes(RenderFileName(directory_.Path(), kThumbnailSteps)));
}

TEST_F(Playback, AThumbnailIsTheStoredPreviewFittedWithinTheSize) {
  // A 200 x 50 preview, left half red and right half blue, fitted within 80 x 80.
  constexpr int kWidth = 200;
  constexpr int kHeight = 50;
  std::vector<std::uint8_t> rgb;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) rgb.insert(rgb.end(), {x < kWidth / 2 ? std::uint8_t{255} : std::uint8_t{0}, 0,
                                                           x < kWidth / 2 ? std::uint8_t{0} : std::uint8_t{255}});
  }
  ContainerSpec container;
  container.Preview = EncodeJpeg(rgb, kWidth, kHeight, JpegSampleSpace::Rgb);
  const fs::path saver = directory_.Path() / "preview.scr";
  WriteFileBytes(saver, WriteSceneSaverFile(DemoScene(), container));
  const fs::path thumbnail = directory_.Path() / "preview.png";
  ASSERT_EQ(RunThumbnail(saver.string(), thumbnail, ScreenSize{80, 80}), 0);
  const TBitmap picture = LoadPng(thumbnail);
  EXPECT_EQ(picture.Width(), 80);
  EXPECT_EQ(picture.Height(), 20);
  const auto near = [](TColor color, int red, int blue) {
    return std::abs(static_cast<int>(color & 0xFF) - red) < 24 && std::abs(static_cast<int>(color >> 16 & 0xFF) - blue) < 24;
  };
  EXPECT_TRUE(near(picture.GetPixel(10, 10), 255, 0)) << std::hex << picture.GetPixel(10, 10);
  EXPECT_TRUE(near(picture.GetPixel(70, 10), 0, 255)) << std::hex << picture.GetPixel(70, 10);
}

TEST_F(Playback, AThumbnailOfAFileWithoutASceneFailsQuietly) {
  auto boxes = std::make_shared<RecordingMessageBoxes>();
  ScopedMessageBoxes scope(boxes);
  const fs::path text = directory_.Path() / "notes.txt";
  WriteFileBytes(text, std::vector<std::uint8_t>(100, 'a'));
  const fs::path thumbnail = directory_.Path() / "notes.png";
  EXPECT_EQ(RunThumbnail(text.string(), thumbnail, ScreenSize{64, 64}), 1);
  EXPECT_EQ(RunThumbnail((directory_.Path() / "missing.scr").string(), thumbnail, ScreenSize{64, 64}), 1);
  EXPECT_TRUE(boxes->shown.empty());
  EXPECT_FALSE(fs::exists(thumbnail));
}

// --- recording -----------------------------------------------------------------------------

// What ffprobe says of a video file's first video stream: codec, size, rate, frames.
std::string ProbeVideo(const fs::path& video) {
  const std::string command = "ffprobe -v error -select_streams v:0 -count_frames -show_entries "
                              "stream=codec_name,width,height,r_frame_rate,nb_read_frames -of csv=p=0 '" +
                              video.string() + "'";
  std::string answer;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) answer += buffer;
    pclose(pipe);
  }
  return answer;
}

// The peak signal-to-noise ratio of two pictures of one size, in decibels.
double Psnr(const TBitmap& a, const TBitmap& b) {
  double squares = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      const TColor p = a.GetPixel(x, y);
      const TColor q = b.GetPixel(x, y);
      for (int shift : {0, 8, 16}) {
        const double d = static_cast<double>((p >> shift) & 0xFF) - static_cast<double>((q >> shift) & 0xFF);
        squares += d * d;
      }
    }
  }
  const double mean = squares / (3.0 * a.Width() * a.Height());
  return mean == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mean);
}

class Recording : public Playback {
protected:
  int Record(const fs::path& output, RecordOptions options) {
    const ScopedSeed fixed(7);
    options.Output = output;
    std::ostringstream err;
    const int status = RunRecord(saver_.string(), options, err);
    err_ = err.str();
    return status;
  }
  static RecordOptions Small(std::int32_t ticks) {
    RecordOptions options;
    options.Screen = ScreenSize{160, 120};
    options.Ticks = ticks;
    return options;
  }
  std::string err_;
};

TEST_F(Recording, AnMp4HoldsOnePictureAStepAtTheScenesRateCloseToTheRenderedOnes) {
  const fs::path video = directory_.Path() / "demo.mp4";
  ASSERT_EQ(Record(video, Small(20)), 0) << err_;
  // The demo's timer interval is 50 ms: 20 pictures a second.
  EXPECT_EQ(ProbeVideo(video), "h264,160,120,20/1,20\n");
  PlaybackRunOptions render;
  render.Screen = ScreenSize{160, 120};
  render.Steps = 13;
  render.RenderDirectory = directory_.Path() / "frames";
  ASSERT_EQ(Run(render).status, 0);
  const fs::path decoded = directory_.Path() / "frame11.png";
  const std::string command = "ffmpeg -v error -y -i '" + video.string() + "' -vf 'select=eq(n\\,11)' -frames:v 1 '" +
                              decoded.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  // Video frame 11 is the picture of Step 12, within what 4:2:0 colour costs a picture
  // this small (about 26 dB); the Steps beside it score about 17 dB.
  const TBitmap frame = LoadPng(decoded);
  const double own = Psnr(frame, LoadPng(RenderFileName(*render.RenderDirectory, 12)));
  EXPECT_GT(own, 24.0);
  EXPECT_GT(own, Psnr(frame, LoadPng(RenderFileName(*render.RenderDirectory, 11))) + 5.0);
  EXPECT_GT(own, Psnr(frame, LoadPng(RenderFileName(*render.RenderDirectory, 13))) + 5.0);
}

TEST_F(Recording, TheFormatFollowsTheExtensionAndFpsResamples) {
  struct Row {
    const char* name;
    std::optional<std::int32_t> fps;
    const char* probe;
  };
  const std::vector<Row> rows = {
      {"demo.webm", std::nullopt, "vp9,160,120,20/1,20\n"},
      {"demo.gif", std::nullopt, "gif,160,120,20/1,20\n"},
      {"demo.mkv", 10, "h264,160,120,10/1,10\n"},
      {"demo-30.mp4", 30, "h264,160,120,30/1,30\n"},
  };
  for (const Row& row : rows) {
    RecordOptions options = Small(20);
    options.Fps = row.fps;
    const fs::path video = directory_.Path() / row.name;
    ASSERT_EQ(Record(video, options), 0) << row.name << ": " << err_;
    EXPECT_EQ(ProbeVideo(video), row.probe) << row.name;
  }
}

TEST_F(Recording, TheSoundStartsWithThePictureOfTheStepThatStartedIt) {
  // A scene of 50 ms ticks whose only sound, a 440 Hz tone of a second, is a timed
  // entry that starts at tick 15.
  SceneSpec design;
  design.TimerInterval = 50;
  AudioFileSpec tone;
  tone.FileName = "C:\\Sounds\\tone.wav";
  tone.Embedded = WritePcmWave(44100, 2, SineSamples(44100, 2, 440.0, 44100));
  tone.Items.push_back(AudioItemSpec{15, 0, false});
  design.AudioFiles.push_back(tone);
  WriteFileBytes(saver_, WriteSceneSaverFile(design));
  const std::vector<Json> lines = Run(Trace(30)).lines();
  std::size_t first_playing = 0;
  while (first_playing < lines.size() && lines[first_playing]["Audio"]["Mode"] != 2) ++first_playing;
  ASSERT_LT(first_playing, lines.size());
  // The picture of Step k (the line at index k - 1) is video frame k - 1.
  const double expected_seconds = static_cast<double>(first_playing) * 0.05;

  const fs::path video = directory_.Path() / "tone.mkv";
  ASSERT_EQ(Record(video, Small(30)), 0) << err_;
  const fs::path raw = directory_.Path() / "tone.raw";
  const std::string command = "ffmpeg -v error -y -i '" + video.string() + "' -map 0:a -ac 1 -ar 44100 -f s16le '" +
                              raw.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::vector<std::uint8_t> bytes = FileBytes(raw);
  std::size_t onset = 0;
  const auto sample = [&](std::size_t i) { return static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8); };
  while (2 * onset + 1 < bytes.size() && std::abs(sample(onset)) < 2000) ++onset;
  ASSERT_LT(2 * onset + 1, bytes.size()) << "no sound in the recording";
  EXPECT_NEAR(static_cast<double>(onset) / 44100.0, expected_seconds, 0.05);
}

TEST_F(Recording, TheLengthIsOneCycleUnlessTicksOrSecondsSayOtherwise) {
  RecordOptions options = Small(0);
  options.Ticks.reset();
  options.Seconds = 0.5;
  const fs::path video = directory_.Path() / "half.gif";
  ASSERT_EQ(Record(video, options), 0) << err_;
  EXPECT_EQ(ProbeVideo(video), "gif,160,120,20/1,10\n");
}

TEST_F(Recording, AnUnknownExtensionOrABadSceneLeavesNoFile) {
  const fs::path avi = directory_.Path() / "demo.avi";
  EXPECT_EQ(Record(avi, Small(5)), 1);
  EXPECT_NE(err_.find(".mp4, .mkv, .webm or .gif"), std::string::npos) << err_;
  EXPECT_FALSE(fs::exists(avi));
  auto boxes = std::make_shared<RecordingMessageBoxes>();
  ScopedMessageBoxes scope(boxes);
  WriteFileBytes(saver_, std::vector<std::uint8_t>(64, 1));
  const fs::path mp4 = directory_.Path() / "bad.mp4";
  EXPECT_EQ(Record(mp4, Small(5)), 1);
  EXPECT_FALSE(fs::exists(mp4));
}

TEST(RecordOptions, RecordTakesItsLengthAndRate) {
  const ToolOptions options = ParseToolOptions(std::vector<std::string>{"--record", "a.mp4", "--seconds", "2.5", "--fps", "25"});
  EXPECT_EQ(options.RecordFile, "a.mp4");
  EXPECT_EQ(options.RecordSeconds, 2.5);
  EXPECT_EQ(options.RecordFps, 25);
  const std::vector<std::vector<std::string>> refused = {
      {"--record", "a.mp4", "--seconds", "0"},        {"--record", "a.mp4", "--fps", "0"},
      {"--record", "a.mp4", "--ticks", "5", "--seconds", "1"}, {"--seconds", "2"},
      {"--record", "a.mp4", "--trace", "4"},          {"--record", "a.mp4", "--every", "2"},
  };
  for (const auto& arguments : refused) EXPECT_THROW(ParseToolOptions(arguments), EToolOptionError) << arguments[2];
}

ToolOptions Parse(std::vector<std::string> arguments) { return ParseToolOptions(arguments); }

TEST(PlaybackOptions, TraceAndRenderTakeTheirCounts) {
  const ToolOptions trace = Parse({"--trace", "25", "--seed", "3"});
  EXPECT_EQ(trace.TraceSteps, 25);
  EXPECT_FALSE(trace.RenderDirectory);
  const ToolOptions render = Parse({"--render", "out", "--ticks", "100", "--every", "10", "/s"});
  EXPECT_EQ(render.RenderDirectory, "out");
  EXPECT_EQ(render.RenderTicks, 100);
  EXPECT_EQ(render.RenderEvery, 10);
  EXPECT_EQ(render.SaverArguments, (std::vector<std::string>{"/s"}));
  EXPECT_EQ(Parse({"--render", "out", "--ticks", "0"}).RenderEvery, 1);
}

TEST(PlaybackOptions, BadOrIncompleteCountsAreRefused) {
  const std::vector<std::vector<std::string>> refused = {
      {"--trace"},
      {"--trace", "-1"},
      {"--trace", "ten"},
      {"--render", "out"},
      {"--render", "out", "--ticks", "5", "--every", "0"},
      {"--ticks", "5"},
      {"--every", "2"},
      {"--trace", "5", "--render", "out", "--ticks", "5"},
      {"--thumbnail"},
      {"--thumbnail", "a.png", "--trace", "5"},
  };
  for (const auto& arguments : refused) {
    std::string line;
    for (const auto& argument : arguments) line += argument + " ";
    EXPECT_THROW(Parse(arguments), EToolOptionError) << line;
  }
}

TEST(PlaybackOptions, HelpListsTheModes) {
  const std::string help = ToolOptionsHelp();
  for (const char* option : {"--trace N", "--render DIR", "--ticks N", "--every K", "--thumbnail FILE"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
}

TEST(RenderFileName, SixDigitsOfTheStepCount) {
  EXPECT_EQ(RenderFileName("out", 7), fs::path("out") / "frame-000007.png");
  EXPECT_EQ(RenderFileName("out", 123456), fs::path("out") / "frame-123456.png");
}

}  // namespace
}  // namespace velquora

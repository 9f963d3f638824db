// The silent devices: the same commands, modes and positions as the real ones, on the
// clock instead of an output.
#include <gtest/gtest.h>

#include <vector>

#include "mci_test_support.h"
#include "midi_writer.h"
#include "platform/mci/mci.h"
#include "platform/system/tick_count.h"

namespace velquora::mci_test {
namespace {

class SilentDevices : public ::testing::Test {
protected:
  ScopedBackend backend_{Backend::Silent};
  ScopedVirtualClock clock_;
  ScopedTempDir folder_;
};

enum class Action { None, Play, Stop, Rewind, SeekToEnd };

struct Step {
  std::uint32_t at_ms;
  Action action;
  std::uint32_t mode;
  std::uint32_t position;
};

TEST_F(SilentDevices, ModesAndPositionsFollowTheClock) {
  // A 500 ms wave file.
  DeviceId id = 0;
  ASSERT_EQ(Open(AudioFile("tone440_mono_8k_s16.wav"), id), 0u);
  ASSERT_NE(id, 0);
  EXPECT_EQ(Length(id), 500u);
  const std::vector<Step> script = {
      {0, Action::None, MCI_MODE_STOP, 0},        // opened: stopped at the start
      {100, Action::Play, MCI_MODE_PLAY, 0},      // plays from where it stands
      {250, Action::None, MCI_MODE_PLAY, 150},
      {250, Action::Stop, MCI_MODE_STOP, 150},    // stop freezes the position
      {400, Action::None, MCI_MODE_STOP, 150},
      {400, Action::Play, MCI_MODE_PLAY, 150},    // play resumes
      {749, Action::None, MCI_MODE_PLAY, 499},
      {750, Action::None, MCI_MODE_STOP, 500},    // end of the medium
      {2000, Action::None, MCI_MODE_STOP, 500},
      {2000, Action::Play, MCI_MODE_STOP, 500},   // playing at the end ends at once
      {2000, Action::Rewind, MCI_MODE_STOP, 0},   // seek to start
      {2000, Action::Play, MCI_MODE_PLAY, 0},
      {2100, Action::None, MCI_MODE_PLAY, 100},
      {2100, Action::Rewind, MCI_MODE_STOP, 0},   // a seek stops the play
      {2300, Action::None, MCI_MODE_STOP, 0},
      {2300, Action::SeekToEnd, MCI_MODE_STOP, 500},
  };
  for (const Step& step : script) {
    clock_.Set(step.at_ms);
    switch (step.action) {
      case Action::None: break;
      case Action::Play: ASSERT_EQ(Play(id), 0u); break;
      case Action::Stop: ASSERT_EQ(Stop(id), 0u); break;
      case Action::Rewind: ASSERT_EQ(Rewind(id), 0u); break;
      case Action::SeekToEnd: {
        SeekParms parms;
        ASSERT_EQ(SendCommand(id, MCI_SEEK, MCI_WAIT | MCI_SEEK_TO_END, &parms), 0u);
        break;
      }
    }
    EXPECT_EQ(Mode(id), step.mode) << "at " << step.at_ms << " ms, action " << static_cast<int>(step.action);
    EXPECT_EQ(Position(id), step.position) << "at " << step.at_ms << " ms, action " << static_cast<int>(step.action);
  }
  EXPECT_EQ(Close(id), 0u);
}

TEST_F(SilentDevices, PlayFromToStopsAtTheGivenEnd) {
  DeviceId id = 0;
  ASSERT_EQ(Open(AudioFile("tone440_mono_8k_s16.wav"), id), 0u);
  PlayParms parms{100, 300};
  ASSERT_EQ(SendCommand(id, MCI_PLAY, MCI_NOTIFY | MCI_FROM | MCI_TO, &parms), 0u);
  clock_.Set(150);
  EXPECT_EQ(Mode(id), MCI_MODE_PLAY);
  EXPECT_EQ(Position(id), 250u);
  clock_.Set(200);
  EXPECT_EQ(Mode(id), MCI_MODE_STOP);
  EXPECT_EQ(Position(id), 300u);
  Close(id);
}

TEST_F(SilentDevices, TheClockWrappingDuringAPlayDoesNoHarm) {
  clock_.Set(0xFFFFFF00u);
  DeviceId id = 0;
  ASSERT_EQ(Open(AudioFile("tone440_mono_8k_s16.wav"), id), 0u);
  ASSERT_EQ(Play(id), 0u);
  clock_.Set(0x00000010u);
  EXPECT_EQ(Position(id), 0x110u);
  EXPECT_EQ(Mode(id), MCI_MODE_PLAY);
  Close(id);
}

struct RangeCase {
  std::uint32_t message;
  std::uint32_t flags;
  std::uint32_t from_or_to;
  std::uint32_t to;
  Result expected;
};

TEST_F(SilentDevices, CommandsCheckTheirFlagsAndRanges) {
  DeviceId id = 0;
  ASSERT_EQ(Open(AudioFile("tone440_mono_8k_s16.wav"), id), 0u);
  const std::vector<RangeCase> cases = {
      {MCI_PLAY, MCI_FROM, 501, 0, MCIERR_OUTOFRANGE},
      {MCI_PLAY, MCI_TO, 0, 501, MCIERR_OUTOFRANGE},
      {MCI_PLAY, MCI_FROM | MCI_TO, 300, 200, MCIERR_OUTOFRANGE},
      {MCI_PLAY, MCI_FROM | MCI_TO, 0, 500, 0},
      {MCI_SEEK, MCI_TO, 501, 0, MCIERR_OUTOFRANGE},
      {MCI_SEEK, MCI_TO, 500, 0, 0},
      {MCI_SEEK, 0, 0, 0, MCIERR_MISSING_PARAMETER},
      {MCI_SEEK, MCI_SEEK_TO_START | MCI_SEEK_TO_END, 0, 0, MCIERR_FLAGS_NOT_COMPATIBLE},
      {MCI_SET, MCI_SET_TIME_FORMAT, MCI_FORMAT_MILLISECONDS, 0, 0},
      {MCI_SET, MCI_NOTIFY | MCI_SET_TIME_FORMAT, MCI_FORMAT_TMSF, 0, MCIERR_BAD_TIME_FORMAT},
      {MCI_STATUS, MCI_WAIT, MCI_STATUS_MODE, 0, MCIERR_MISSING_PARAMETER},
      {MCI_STATUS, MCI_STATUS_ITEM, 99, 0, MCIERR_UNSUPPORTED_FUNCTION},
      {0x0899, MCI_WAIT, 0, 0, MCIERR_UNRECOGNIZED_COMMAND},
  };
  for (const RangeCase& c : cases) {
    PlayParms play{c.from_or_to, c.to};
    SeekParms seek{c.from_or_to};
    SetParms set{c.from_or_to};
    StatusParms status{c.from_or_to, 0};
    void* parms = c.message == MCI_PLAY ? static_cast<void*>(&play)
                  : c.message == MCI_SEEK ? static_cast<void*>(&seek)
                  : c.message == MCI_SET  ? static_cast<void*>(&set)
                                          : static_cast<void*>(&status);
    EXPECT_EQ(SendCommand(id, c.message, c.flags, parms), c.expected)
        << "message " << std::hex << c.message << " flags " << c.flags << std::dec << " value " << c.from_or_to;
  }
  EXPECT_EQ(SendCommand(id, MCI_STOP, MCI_WAIT, nullptr), MCIERR_NULL_PARAMETER_BLOCK);
  Close(id);
}

TEST_F(SilentDevices, ClosedAndUnknownDevicesAnswerInvalidDeviceId) {
  DeviceId id = 0;
  ASSERT_EQ(Open(AudioFile("tone440_mono_8k_s16.wav"), id), 0u);
  ASSERT_EQ(Close(id), 0u);
  for (const DeviceId unknown : {id, DeviceId{0}, DeviceId{999}}) {
    EXPECT_EQ(Play(unknown), MCIERR_INVALID_DEVICE_ID) << unknown;
    EXPECT_EQ(Stop(unknown), MCIERR_INVALID_DEVICE_ID) << unknown;
    EXPECT_EQ(Close(unknown), MCIERR_INVALID_DEVICE_ID) << unknown;
    EXPECT_EQ(Status(unknown, MCI_STATUS_MODE, 12345), 12345u) << unknown;
  }
}

TEST_F(SilentDevices, OpenDevicesHaveDistinctIdentifiers) {
  DeviceId first = 0;
  DeviceId second = 0;
  ASSERT_EQ(Open(AudioFile("tone440_mono_8k_s16.wav"), first), 0u);
  ASSERT_EQ(Open(AudioFile("notes_format0.mid"), second), 0u);
  EXPECT_NE(first, second);
  EXPECT_EQ(Length(first), 500u);
  EXPECT_EQ(Length(second), 2500u);
  Close(first);
  Close(second);
}

// Device types by name: the ones that play sound open, every other fails.
struct TypeCase {
  const char* type;
  const char* file;
  Result expected;
};

TEST_F(SilentDevices, DeviceTypesByName) {
  const std::vector<TypeCase> cases = {
      {"WaveAudio", "tone440_mono_8k_s16.wav", 0},
      {"waveaudio", "tone440_mono_8k_s16.wav", 0},
      {"Sequencer", "notes_format0.mid", 0},
      {"SEQUENCER", "notes_format0.mid", 0},
      {"AVIVideo", "tone440_mono_8k_s16.wav", 0},
      {"DigitalVideo", "tone440_mono_8k_s16.wav", 0},
      {"Sequencer", "tone440_mono_8k_s16.wav", MCIERR_INVALID_FILE},
      {"WaveAudio", "notes_format0.mid", MCIERR_INVALID_FILE},
      {"CDAudio", "tone440_mono_8k_s16.wav", MCIERR_INVALID_DEVICE_NAME},
      {"DAT", "tone440_mono_8k_s16.wav", MCIERR_INVALID_DEVICE_NAME},
      {"MMMovie", "tone440_mono_8k_s16.wav", MCIERR_INVALID_DEVICE_NAME},
      {"Other", "tone440_mono_8k_s16.wav", MCIERR_INVALID_DEVICE_NAME},
      {"Overlay", "tone440_mono_8k_s16.wav", MCIERR_INVALID_DEVICE_NAME},
      {"Scanner", "tone440_mono_8k_s16.wav", MCIERR_INVALID_DEVICE_NAME},
      {"VCR", "tone440_mono_8k_s16.wav", MCIERR_INVALID_DEVICE_NAME},
      {"Videodisc", "tone440_mono_8k_s16.wav", MCIERR_INVALID_DEVICE_NAME},
      {"Gramophone", "tone440_mono_8k_s16.wav", MCIERR_INVALID_DEVICE_NAME},
  };
  for (const TypeCase& c : cases) {
    DeviceId id = 0;
    EXPECT_EQ(Open(AudioFile(c.file), id, c.type), c.expected) << c.type << " with " << c.file;
    EXPECT_EQ(id != 0, c.expected == 0) << c.type;
    if (id != 0) Close(id);
  }
}

// Without a type the extension chooses the device; contents that no device reads fail.
struct ExtensionCase {
  const char* name;
  const char* source;  // a test file whose bytes are written under `name`, or "" for garbage
  Result expected;
  std::uint32_t length;
};

TEST_F(SilentDevices, TheExtensionChoosesTheDevice) {
  const std::vector<ExtensionCase> cases = {
      {"a.wav", "tone440_mono_8k_s16.wav", 0, 500},
      {"b.WAV", "tone880_mono_11k_u8.wav", 0, 500},
      {"c.mid", "notes_format0.mid", 0, 2500},
      {"d.MIDI", "notes_format0.mid", 0, 2500},
      {"e.snd", "tone440_mono_8k_mulaw.wav", 0, 500},  // any file the decoder reads
      {"f", "tone440_mono_8k_s16.wav", 0, 500},
      {"g.mid", "tone440_mono_8k_s16.wav", MCIERR_INVALID_FILE, 0},
      {"h.wav", "notes_format0.mid", MCIERR_INVALID_FILE, 0},
      {"i.wav", "", MCIERR_INVALID_FILE, 0},
      {"j.avi", "", MCIERR_INVALID_FILE, 0},
      {"k.xyz", "", MCIERR_EXTENSION_NOT_FOUND, 0},
  };
  const std::vector<std::uint8_t> garbage(3000, 0x5A);
  for (const ExtensionCase& c : cases) {
    std::vector<std::uint8_t> bytes = garbage;
    if (*c.source != '\0') {
      std::ifstream in(AudioFile(c.source), std::ios::binary);
      bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    DeviceId id = 0;
    EXPECT_EQ(Open(folder_.Write(c.name, bytes), id), c.expected) << c.name;
    if (id != 0) {
      EXPECT_EQ(Length(id), c.length) << c.name;
      Close(id);
    }
  }
}

TEST_F(SilentDevices, VideoDevicesPlayTheSoundTrackOfAVideoFile) {
  struct VideoCase {
    const char* type;
    const char* file;
    Result expected;
    std::uint32_t length;
  };
  const std::vector<VideoCase> cases = {
      {"", "rawvideo_bgr24_pcm_s16le.avi", 0, 1200},  // 26460 samples at 22050 Hz
      {"AVIVideo", "rawvideo_bgr24_pcm_s16le.avi", 0, 1200},
      {"DigitalVideo", "rawvideo_bgr24_pcm_s16le.avi", 0, 1200},
      {"AVIVideo", "msrle_pal8.avi", MCIERR_INVALID_FILE, 0},  // pictures only
  };
  for (const VideoCase& c : cases) {
    DeviceId id = 0;
    EXPECT_EQ(Open(AudioFile(c.file), id, c.type), c.expected) << c.type << " " << c.file;
    if (id != 0) {
      EXPECT_EQ(Length(id), c.length) << c.type << " " << c.file;
      Close(id);
    }
  }
}

TEST_F(SilentDevices, ARiffWrappedMidiFileOpensAsSequencer) {
  MidiTrackWriter track;
  track.NoteOn(0, 0, 64, 90).NoteOff(192, 0, 64).EndOfTrack();
  const std::vector<MidiTrackWriter> tracks = {track};
  DeviceId id = 0;
  ASSERT_EQ(Open(folder_.Write("song.rmi", WrapMidiInRiff(WriteMidiFile(0, 96, tracks))), id), 0u);
  EXPECT_EQ(Length(id), 1000u);
  Close(id);
}

TEST_F(SilentDevices, MissingFilesAndMissingElementsFailToOpen) {
  for (const char* name : {"absent.wav", "absent.mid", "absent.xyz", "absent"}) {
    DeviceId id = 0;
    EXPECT_EQ(Open(folder_.Path() / name, id), MCIERR_FILE_NOT_FOUND) << name;
    EXPECT_EQ(id, 0) << name;
  }
  DeviceId id = 0;
  EXPECT_EQ(Open(folder_.Path(), id), MCIERR_FILE_NOT_FOUND) << "a folder";
  OpenParms parms;
  parms.DeviceType = "WaveAudio";
  EXPECT_EQ(SendCommand(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_TYPE, &parms), MCIERR_MISSING_PARAMETER);
  EXPECT_EQ(SendCommand(0, MCI_OPEN, MCI_WAIT, nullptr), MCIERR_NULL_PARAMETER_BLOCK);
}

TEST(CommandHandler, RoutesCommandsWhileAliveAndPassesOnWhatItForwards) {
  ScopedBackend backend(Backend::Silent);
  std::vector<std::uint32_t> outer_seen;
  std::vector<std::uint32_t> inner_seen;
  {
    ScopedCommandHandler outer([&](DeviceId device, std::uint32_t message, std::uint32_t flags, void* parms) {
      outer_seen.push_back(message);
      return SendCommand(device, message, flags, parms);  // on to the silent backend
    });
    ScopedCommandHandler inner([&](DeviceId device, std::uint32_t message, std::uint32_t flags, void* parms) -> Result {
      inner_seen.push_back(message);
      if (message == MCI_PLAY) return MCIERR_HARDWARE;
      return SendCommand(device, message, flags, parms);
    });
    DeviceId id = 0;
    ASSERT_EQ(Open(AudioFile("tone440_mono_8k_s16.wav"), id), 0u);
    EXPECT_EQ(Play(id), MCIERR_HARDWARE);
    EXPECT_EQ(Mode(id), MCI_MODE_STOP);
    EXPECT_EQ(Close(id), 0u);
  }
  EXPECT_EQ(inner_seen, (std::vector<std::uint32_t>{MCI_OPEN, MCI_PLAY, MCI_STATUS, MCI_CLOSE}));
  EXPECT_EQ(outer_seen, (std::vector<std::uint32_t>{MCI_OPEN, MCI_STATUS, MCI_CLOSE}));
  // Gone: commands reach the backend again.
  GenericParms parms;
  EXPECT_EQ(SendCommand(4321, MCI_STOP, MCI_WAIT, &parms), MCIERR_INVALID_DEVICE_ID);
}

}  // namespace
}  // namespace velquora::mci_test

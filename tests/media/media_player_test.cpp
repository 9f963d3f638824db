#include "media/media_player.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "scripted_mci.h"

namespace velquora {
namespace {

using Command = ScriptedMci::Command;

TEST(MciDeviceTypes, IndexIsTakenModulo128AndIndexesPastTheTableHaveNoName) {
  const std::pair<int, const char*> cases[] = {
      {0, ""},           {1, "AVIVideo"}, {2, "CDAudio"}, {9, "Sequencer"}, {11, "Videodisc"},
      {12, "WaveAudio"}, {13, ""},        {127, ""},      {128, ""},        {129, "AVIVideo"},
      {140, "WaveAudio"}, {141, ""},      {255, ""},
  };
  for (const auto& [index, name] : cases) {
    EXPECT_EQ(MciDeviceTypeName(static_cast<std::uint8_t>(index)), name) << index;
  }
}

class MediaPlayer : public ::testing::Test {
protected:
  MediaPlayer() {
    mci.files = {{"music.wav", 100}, {"tune.mid", 40}};
  }

  ScriptedMci mci;
  TMediaPlayer player{mci.Sender()};
};

TEST_F(MediaPlayer, StartsClosedWithRewindOnAndNoFailure) {
  TMediaPlayer fresh;
  EXPECT_FALSE(fresh.IsOpen);
  EXPECT_EQ(fresh.DeviceID, 0);
  EXPECT_EQ(fresh.DeviceType, 0);
  EXPECT_TRUE(fresh.AutoRewind);
  EXPECT_FALSE(fresh.Failed);
  EXPECT_TRUE(fresh.FileName.empty());
}

TEST_F(MediaPlayer, OpenNamesTheTypeAndTheElementOnlyWhenSetAndDiscsCountInTracks) {
  struct Case {
    std::uint8_t type;
    const char* file;
    std::uint32_t flags;
    const char* type_name;
    bool tmsf;
  };
  const Case cases[] = {
      {0, "music.wav", mci::MCI_WAIT | mci::MCI_OPEN_ELEMENT, "", false},
      {12, "music.wav", mci::MCI_WAIT | mci::MCI_OPEN_ELEMENT | mci::MCI_OPEN_TYPE, "WaveAudio", false},
      {9, "tune.mid", mci::MCI_WAIT | mci::MCI_OPEN_ELEMENT | mci::MCI_OPEN_TYPE, "Sequencer", false},
      {2, "", mci::MCI_WAIT | mci::MCI_OPEN_TYPE, "CDAudio", true},
      {11, "music.wav", mci::MCI_WAIT | mci::MCI_OPEN_ELEMENT | mci::MCI_OPEN_TYPE, "Videodisc", true},
      {130, "music.wav", mci::MCI_WAIT | mci::MCI_OPEN_ELEMENT | mci::MCI_OPEN_TYPE, "CDAudio", true},
      // A type past the table is asked for by an empty name, which no device has.
      {60, "music.wav", mci::MCI_WAIT | mci::MCI_OPEN_ELEMENT | mci::MCI_OPEN_TYPE, "", false},
  };
  mci.files[""] = 1;  // a disc: the device needs no file
  for (const Case& test : cases) {
    mci.log.clear();
    player.DeviceType = test.type;
    player.FileName = test.file;
    player.Open();
    ASSERT_FALSE(mci.log.empty());
    const Command& open = mci.log.front();
    EXPECT_EQ(open.message, mci::MCI_OPEN);
    EXPECT_EQ(open.device, 0);
    EXPECT_EQ(open.flags, test.flags) << int(test.type);
    EXPECT_EQ(open.device_type, test.type_name) << int(test.type);
    EXPECT_EQ(open.element, test.file);
    const bool set_tmsf = mci.log.back().message == mci::MCI_SET && mci.log.back().value == mci::MCI_FORMAT_TMSF &&
                          mci.log.back().flags == (mci::MCI_NOTIFY | mci::MCI_SET_TIME_FORMAT);
    EXPECT_EQ(set_tmsf, test.tmsf) << int(test.type);
    EXPECT_TRUE(player.IsOpen);
    player.Close();
  }
  EXPECT_FALSE(player.Failed);
}

TEST_F(MediaPlayer, OpenClosesTheDeviceOpenBeforeSoItHoldsOnlyOne) {
  player.FileName = "music.wav";
  player.Open();
  const mci::DeviceId first = player.DeviceID;
  player.FileName = "tune.mid";
  player.Open();
  const auto actions = mci.Actions();
  ASSERT_EQ(actions.size(), 3u);
  EXPECT_EQ(actions[1].message, mci::MCI_CLOSE);
  EXPECT_EQ(actions[1].device, first);
  EXPECT_EQ(actions[1].flags, mci::MCI_WAIT);
  EXPECT_EQ(mci.OpenDevices(), 1u);
  EXPECT_NE(player.DeviceID, first);
}

TEST_F(MediaPlayer, ARefusedOpenFailsForGoodButLaterOpensStillRun) {
  player.FileName = "missing.wav";
  player.Open();
  EXPECT_TRUE(player.Failed);
  EXPECT_FALSE(player.IsOpen);
  EXPECT_EQ(player.DeviceID, 0);
  EXPECT_EQ(player.Error, static_cast<std::int32_t>(mci::MCIERR_FILE_NOT_FOUND));

  player.FileName = "music.wav";
  player.Open();
  EXPECT_TRUE(player.IsOpen);
  EXPECT_EQ(player.Error, 0);
  EXPECT_TRUE(player.Failed);  // sticky
}

TEST_F(MediaPlayer, PlayRewindsAMediumAtItsEndAndResumesOneInTheMiddle) {
  struct Case {
    std::uint32_t position;
    bool auto_rewind;
    bool rewinds;
  };
  const Case cases[] = {{100, true, true}, {40, true, false}, {0, true, false}, {100, false, false}};
  for (const Case& test : cases) {
    player.FileName = "music.wav";
    player.AutoRewind = test.auto_rewind;
    player.Open();
    mci.SetPosition(player.DeviceID, test.position);
    mci.log.clear();
    player.Play();
    const auto actions = mci.Actions();
    ASSERT_EQ(actions.size(), test.rewinds ? 2u : 1u) << test.position;
    if (test.rewinds) {
      EXPECT_EQ(actions[0].message, mci::MCI_SEEK);
      EXPECT_EQ(actions[0].flags, mci::MCI_WAIT | mci::MCI_SEEK_TO_START);
    }
    EXPECT_EQ(actions.back().message, mci::MCI_PLAY);
    EXPECT_EQ(actions.back().flags, mci::MCI_NOTIFY);  // returns at once
    // Without the rewind a medium at its end has nothing left to play.
    EXPECT_EQ(player.GetMode(), test.rewinds || test.position < 100 ? kModePlaying : kModeStopped) << test.position;
    EXPECT_EQ(player.GetPosition(), test.rewinds ? 0u : test.position);
  }
  EXPECT_FALSE(player.Failed);
}

TEST_F(MediaPlayer, CloseWithNothingOpenSendsNothingAndKeepsTheFlag) {
  for (const bool failed : {false, true}) {
    player.Failed = failed;
    player.Close();
    EXPECT_TRUE(mci.log.empty());
    EXPECT_EQ(player.Failed, failed);
  }
}

TEST_F(MediaPlayer, RefusedCloseStopAndPlayFailButKeepTheDeviceOpen) {
  for (const std::uint32_t message : {mci::MCI_CLOSE, mci::MCI_STOP, mci::MCI_PLAY}) {
    ScriptedMci refusing;
    refusing.files = mci.files;
    refusing.refuse[message] = mci::MCIERR_HARDWARE;
    TMediaPlayer failing(refusing.Sender());
    failing.FileName = "music.wav";
    failing.Open();
    if (message == mci::MCI_CLOSE) failing.Close();
    if (message == mci::MCI_STOP) failing.Stop();
    if (message == mci::MCI_PLAY) failing.Play();
    EXPECT_TRUE(failing.Failed) << message;
    EXPECT_TRUE(failing.IsOpen) << message;
    EXPECT_NE(failing.DeviceID, 0) << message;
    EXPECT_EQ(failing.Error, static_cast<std::int32_t>(mci::MCIERR_HARDWARE));
    refusing.refuse.clear();
  }
}

TEST_F(MediaPlayer, StatusWithoutADeviceReportsNotReadyAndZerosWithoutFailing) {
  EXPECT_EQ(player.GetMode(), kModeNotReady);
  EXPECT_EQ(player.GetLength(), 0u);
  EXPECT_EQ(player.GetPosition(), 0u);
  EXPECT_EQ(player.Error, static_cast<std::int32_t>(mci::MCIERR_INVALID_DEVICE_ID));
  EXPECT_FALSE(player.Failed);
  player.SetTimeFormat(mci::MCI_FORMAT_MILLISECONDS);
  EXPECT_FALSE(player.Failed);
}

TEST_F(MediaPlayer, ModesAreTheInterfacesModesCountedFromNotReady) {
  TMediaPlayer modes([](mci::DeviceId, std::uint32_t, std::uint32_t, void* parms) -> mci::Result {
    auto& status = *static_cast<mci::StatusParms*>(parms);
    status.Return = status.Item == mci::MCI_STATUS_MODE ? mci::MCI_MODE_OPEN : 7;
    return 0;
  });
  EXPECT_EQ(modes.GetMode(), kModeOpen);
  EXPECT_EQ(modes.GetLength(), 7u);
  const std::pair<std::uint32_t, int> cases[] = {
      {mci::MCI_MODE_NOT_READY, 0}, {mci::MCI_MODE_STOP, 1},  {mci::MCI_MODE_PLAY, 2}, {mci::MCI_MODE_RECORD, 3},
      {mci::MCI_MODE_SEEK, 4},      {mci::MCI_MODE_PAUSE, 5}, {mci::MCI_MODE_OPEN, 6}, {0, 244},  // as a byte
  };
  for (const auto& [reported, mode] : cases) {
    TMediaPlayer one([reported](mci::DeviceId, std::uint32_t, std::uint32_t, void* parms) -> mci::Result {
      static_cast<mci::StatusParms*>(parms)->Return = reported;
      return 0;
    });
    EXPECT_EQ(one.GetMode(), mode) << reported;
  }
}

TEST_F(MediaPlayer, DestroyingClosesTheDeviceAndSwallowsWhatTheCloseRaises) {
  {
    TMediaPlayer going(mci.Sender());
    going.FileName = "music.wav";
    going.Open();
    going.Play();
  }
  EXPECT_EQ(mci.OpenDevices(), 0u);
  EXPECT_EQ(mci.log.back().message, mci::MCI_CLOSE);
  EXPECT_EQ(mci.log.back().flags, mci::MCI_WAIT);

  mci.raise.insert(mci::MCI_CLOSE);
  EXPECT_NO_THROW({
    TMediaPlayer going(mci.Sender());
    going.FileName = "music.wav";
    going.Open();
  });
}

TEST_F(MediaPlayer, AnAnsiFileNameReachesTheDeviceAsUtf8) {
  mci.files["Caf\xC3\xA9.wav"] = 10;
  player.FileName = "Caf\xE9.wav";  // code page 1252
  player.Open();
  EXPECT_TRUE(player.IsOpen);
  EXPECT_FALSE(player.Failed);
}

}  // namespace
}  // namespace velquora

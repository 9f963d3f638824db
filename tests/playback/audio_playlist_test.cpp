// The audio playlist on a scripted media interface: one Step's worth of playlist per
// tick, one time unit per tick, files of a few ticks' length.
#include "playback/audio_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/media_player.h"
#include "scripted_mci.h"

namespace velquora {
namespace {

struct TimedSpec {
  std::int32_t start;
  std::int32_t stop = 0;
  bool stop_enabled = false;
};

// A file "x.wav" is the letter x in the timelines below.
struct FileSpec {
  char letter;
  std::uint32_t length;             // ticks; 0: missing from disk
  std::vector<TimedSpec> items = {};  // empty: a plain entry
};

class Playlist : public ::testing::Test {
protected:
  void Add(const FileSpec& design) {
    auto file = std::make_unique<TAudioFile>();
    file->FileName = std::string(1, design.letter) + ".wav";
    if (design.length > 0) mci.files[file->FileName] = design.length;
    for (const TimedSpec& timed : design.items) {
      TAudioItem& item = file->AddItem();
      item.StartTick = timed.start;
      item.StopTick = timed.stop;
      item.StopEnabled = timed.stop_enabled;
    }
    files.push_back(std::move(file));
  }

  // Runs ticks of a cycle of cycle_length ticks (starting where the last run ended) and
  // returns what played after each: the file's letter, or '-' for silence.
  std::string Run(int ticks, std::int32_t cycle_length = 1000) {
    std::string timeline;
    for (int i = 0; i < ticks; ++i) {
      ++mci.now;
      PlaylistTick(files, index, tick, player);
      const std::string playing = mci.Playing();
      timeline += playing.empty() ? '-' : playing.front();
      tick = tick >= cycle_length ? 1 : tick + 1;
    }
    return timeline;
  }

  ScriptedMci mci;
  TMediaPlayer player{mci.Sender()};
  TAudioFileList files;
  std::int32_t index = 0;
  std::int32_t tick = 1;
};

TEST_F(Playlist, PlainEntriesPlayInListOrderEachOnTheTickAfterTheLastEndedAndRepeat) {
  Add({'a', 3});
  Add({'b', 2});
  Add({'c', 4});
  EXPECT_EQ(Run(25), "---aaabbccccaaabbccccaaab");
  EXPECT_FALSE(player.Failed);
}

TEST_F(Playlist, TicksOneToThreeStartNothingAndTheIndexWrapsThroughTheWholeList) {
  Add({'a', 2});
  Add({'b', 2});
  Add({'c', 2});
  // b plays into the next cycle and ends at its tick 2: c's turn comes while no plain
  // entry may start, so the index runs on, wraps, and a starts at tick 4.
  EXPECT_EQ(Run(6, 6), "---aab");
  EXPECT_EQ(Run(4, 6), "b--a");
  const auto actions = mci.Actions();
  for (const auto& action : actions) EXPECT_NE(action.element, "c.wav");
}

TEST_F(Playlist, AnIdleTickVisitsFilesOnlyUpToTheOneThatStarts) {
  Add({'a', 5});
  Add({'t', 2, {{4}}});  // due at the tick a starts
  Add({'u', 2, {{6}}});  // due while a plays
  EXPECT_EQ(Run(8), "---aauu-");
  EXPECT_EQ(mci.Count(mci::MCI_OPEN), 2);
}

TEST_F(Playlist, ATimedItemInterruptsAPlainEntryAndThePlainEntriesGoOnFromTheIndex) {
  Add({'a', 10});
  Add({'b', 10});
  Add({'t', 2, {{6}}});
  EXPECT_EQ(Run(12), "---aattbbbbb");
}

TEST_F(Playlist, AStopBeforeTheStartStopsWhatPlaysThenStartsItsFileLater) {
  Add({'a', 20});
  Add({'t', 3, {{10, 7, true}}});
  EXPECT_EQ(Run(14), "---aaa--attt-a");
}

TEST_F(Playlist, EqualStartAndStopTicksStartAndStopAtOnce) {
  Add({'t', 5, {{5, 5, true}}});
  EXPECT_EQ(Run(8), "--------");
  EXPECT_EQ(mci.Count(mci::MCI_OPEN), 1);
  EXPECT_EQ(mci.Count(mci::MCI_PLAY), 1);
  EXPECT_EQ(mci.Count(mci::MCI_STOP), 1);
  EXPECT_FALSE(player.Failed);
}

TEST_F(Playlist, AStopAtATickWithNothingPlayingSendsNoStop) {
  Add({'t', 5, {{10, 2, true}}});
  EXPECT_EQ(Run(3), "---");
  EXPECT_EQ(mci.Count(mci::MCI_STOP), 0);
}

// Every way a start can go wrong silences the run: nothing is opened again, timed items
// included, and the playlist asks the player for nothing but its mode.
TEST_F(Playlist, OneFailedStartSilencesTheRestOfTheRun) {
  struct Case {
    const char* why;
    std::uint32_t refused = 0;  // a message the interface refuses
    std::uint32_t raised = 0;   // a message whose sending raises
    bool missing = false;       // the file is not on disk
    bool unnamed = false;       // the file has no name
  };
  const Case cases[] = {
      {"open refused", 0, 0, true},
      {"no file name", 0, 0, false, true},
      {"play refused", mci::MCI_PLAY},
      {"open raises", 0, mci::MCI_OPEN},
      {"play raises", 0, mci::MCI_PLAY},
  };
  for (const Case& test : cases) {
    ScriptedMci device;
    TMediaPlayer failing(device.Sender());
    TAudioFileList list;
    for (const char* name : {"a.wav", "b.wav"}) {
      list.push_back(std::make_unique<TAudioFile>());
      list.back()->FileName = name;
      device.files[name] = 3;
    }
    list.back()->AddItem().StartTick = 9;  // b is timed
    if (test.missing) device.files.erase("a.wav");
    if (test.unnamed) list.front()->FileName.clear();
    if (test.refused != 0) device.refuse[test.refused] = mci::MCIERR_HARDWARE;
    if (test.raised != 0) device.raise.insert(test.raised);
    std::int32_t at = 0;
    for (std::int32_t t = 1; t <= 20; ++t) {
      device.now = static_cast<std::uint32_t>(t);
      PlaylistTick(list, at, t, failing);
      if (t == 4) {
        EXPECT_TRUE(failing.Failed) << test.why;
      }
    }
    EXPECT_LE(device.Count(mci::MCI_OPEN), 1) << test.why;
    EXPECT_EQ(device.Playing(), "") << test.why;
    for (const auto& action : device.Actions()) EXPECT_NE(action.element, "b.wav") << test.why;
  }
}

TEST_F(Playlist, AStopThatRaisesIsSwallowedAndLeavesTheFlagAlone) {
  Add({'a', 10});
  Add({'t', 1, {{30, 6, true}}});
  mci.raise.insert(mci::MCI_STOP);
  EXPECT_EQ(Run(8), "---aaaaa");
  EXPECT_EQ(mci.Count(mci::MCI_STOP), 1);
  EXPECT_FALSE(player.Failed);
}

TEST_F(Playlist, ARefusedStopFailsThePlayer) {
  Add({'a', 10});
  Add({'t', 1, {{30, 6, true}}});
  mci.refuse[mci::MCI_STOP] = mci::MCIERR_HARDWARE;
  Run(6);
  EXPECT_TRUE(player.Failed);
}

TEST_F(Playlist, AFileOpensOnItsOwnDeviceType) {
  Add({'a', 2});
  Add({'b', 2});
  files[1]->DeviceType = 0;
  Run(8);
  std::vector<std::string> types;
  for (const auto& action : mci.Actions()) {
    if (action.message == mci::MCI_OPEN) types.push_back(action.device_type);
  }
  EXPECT_EQ(types, (std::vector<std::string>{"WaveAudio", "", "WaveAudio"}));
}

TEST_F(Playlist, AnEmptyListOnlyAsksForTheModeAndKeepsTheIndexAtZero) {
  Run(5);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(mci.Actions().size(), 0u);
}

}  // namespace
}  // namespace velquora

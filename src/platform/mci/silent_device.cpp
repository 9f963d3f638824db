// A device without output: it plays by the clock. Its position runs with TickCount from
// the moment it was played, so headless runs on the virtual clock are reproducible.
#include <algorithm>

#include "platform/mci/device.h"
#include "platform/mci/sound_timeline.h"
#include "platform/system/tick_count.h"

namespace velquora::mci {

namespace {

class SilentDevice : public Device {
public:
  explicit SilentDevice(const Medium& medium) : medium_(medium), length_(medium.LengthMs), end_(length_) {}
  ~SilentDevice() override { NoteEnd(); }
  SilentDevice(const SilentDevice&) = delete;
  SilentDevice& operator=(const SilentDevice&) = delete;

  std::uint32_t LengthMs() const override { return length_; }

  std::uint32_t PositionMs() override {
    if (!playing_) return position_;
    const std::uint64_t elapsed = static_cast<std::uint32_t>(TickCount() - started_);
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(position_ + elapsed, end_));
  }

  bool IsPlaying() override { return playing_ && PositionMs() < end_; }

  void Play(std::optional<std::uint32_t> from, std::uint32_t to) override {
    position_ = from.value_or(PositionMs());
    end_ = to;
    playing_ = position_ < end_;
    started_ = TickCount();
    if (ScopedSoundTimeline* timeline = CurrentSoundTimeline(); timeline && playing_) {
      timeline->Started(this, medium_, position_, end_, started_);
    }
  }

  void Stop() override {
    position_ = PositionMs();
    playing_ = false;
    NoteEnd();
  }

  void Seek(std::uint32_t to) override {
    playing_ = false;
    position_ = to;
    NoteEnd();
  }

private:
  // Tells a recording's timeline that whatever this device played stops now.
  void NoteEnd() {
    if (ScopedSoundTimeline* timeline = CurrentSoundTimeline()) timeline->Ended(this, TickCount());
  }

  Medium medium_;  // what a recording's timeline decodes
  std::uint32_t length_;
  std::uint32_t position_ = 0;  // when stopped; when playing, where the play started
  std::uint32_t started_ = 0;   // TickCount at the start of the play
  std::uint32_t end_;           // where the play ends
  bool playing_ = false;
};

}  // namespace

std::unique_ptr<Device> MakeSilentDevice(const Medium& medium) { return std::make_unique<SilentDevice>(medium); }

}  // namespace velquora::mci

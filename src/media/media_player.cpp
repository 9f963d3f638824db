#include "media/media_player.h"

#include <array>
#include <optional>
#include <utility>

namespace velquora {

namespace {

constexpr std::array<std::string_view, 13> kDeviceTypeNames = {
    "",          "AVIVideo", "CDAudio", "DAT",     "DigitalVideo", "MMMovie",   "Other",
    "Overlay",   "Scanner",  "Sequencer", "VCR",   "Videodisc",    "WaveAudio",
};

constexpr std::uint8_t kDeviceTypeIndexes = 128;

}  // namespace

std::string_view MciDeviceTypeName(std::uint8_t index) {
  const std::size_t entry = index % kDeviceTypeIndexes;
  // A type byte from a file may point past the table: such a type has no name.
  return entry < kDeviceTypeNames.size() ? kDeviceTypeNames[entry] : std::string_view{};
}

TMediaPlayer::TMediaPlayer() : TMediaPlayer(mci::SendCommand) {}

TMediaPlayer::TMediaPlayer(MciCommandSender send) : send_(std::move(send)) {}

TMediaPlayer::~TMediaPlayer() {
  if (DeviceID == 0) return;
  try {
    mci::GenericParms parms;
    Send(mci::MCI_CLOSE, mci::MCI_WAIT, &parms);
  } catch (...) {
    // Nothing can be done about a device that will not close while the player goes.
  }
}

mci::Result TMediaPlayer::Send(std::uint32_t message, std::uint32_t flags, void* parms) {
  return send_(DeviceID, message, flags, parms);
}

void TMediaPlayer::Open() {
  if (IsOpen) Close();
  mci::OpenParms parms;
  std::uint32_t flags = mci::MCI_WAIT;
  if (DeviceType != kNoDeviceType) {
    parms.DeviceType = std::string(MciDeviceTypeName(DeviceType));
    flags |= mci::MCI_OPEN_TYPE;
  }
  if (!FileName.empty()) {
    parms.ElementName = AnsiToUtf8(FileName);  // a path on disk
    flags |= mci::MCI_OPEN_ELEMENT;
  }
  const mci::Result result = send_(0, mci::MCI_OPEN, flags, &parms);
  Record(result);
  if (result != 0) {
    Failed = true;
    return;
  }
  IsOpen = true;
  DeviceID = parms.DeviceID;
  const std::uint8_t type = DeviceType % kDeviceTypeIndexes;
  if (type == kCDAudioDeviceType || type == kVideodiscDeviceType) SetTimeFormat(mci::MCI_FORMAT_TMSF);
}

void TMediaPlayer::Close() {
  if (DeviceID == 0) return;
  mci::GenericParms parms;
  const mci::Result result = Send(mci::MCI_CLOSE, mci::MCI_WAIT, &parms);
  Record(result);
  if (result != 0) {
    Failed = true;
    return;
  }
  IsOpen = false;
  DeviceID = 0;
}

void TMediaPlayer::Play() {
  if (AutoRewind && GetPosition() == GetLength()) Rewind();
  // Notify without a window to notify: the command returns at once and the device plays
  // on by itself; its end shows in GetMode.
  mci::PlayParms parms;
  const mci::Result result = Send(mci::MCI_PLAY, mci::MCI_NOTIFY, &parms);
  Record(result);
  if (result != 0) Failed = true;
}

void TMediaPlayer::Stop() {
  mci::GenericParms parms;
  const mci::Result result = Send(mci::MCI_STOP, mci::MCI_WAIT, &parms);
  Record(result);
  if (result != 0) Failed = true;
}

void TMediaPlayer::Rewind() {
  mci::SeekParms parms;
  Send(mci::MCI_SEEK, mci::MCI_WAIT | mci::MCI_SEEK_TO_START, &parms);
}

std::optional<std::uint32_t> TMediaPlayer::Status(std::uint32_t item) {
  mci::StatusParms parms;
  parms.Item = item;
  const mci::Result result = Send(mci::MCI_STATUS, mci::MCI_WAIT | mci::MCI_STATUS_ITEM, &parms);
  Record(result);
  if (result != 0) return std::nullopt;
  return parms.Return;
}

std::uint8_t TMediaPlayer::GetMode() {
  const std::optional<std::uint32_t> mode = Status(mci::MCI_STATUS_MODE);
  return mode ? static_cast<std::uint8_t>(*mode - mci::MCI_MODE_NOT_READY) : kModeNotReady;
}

std::uint32_t TMediaPlayer::GetLength() { return Status(mci::MCI_STATUS_LENGTH).value_or(0); }

std::uint32_t TMediaPlayer::GetPosition() { return Status(mci::MCI_STATUS_POSITION).value_or(0); }

void TMediaPlayer::SetTimeFormat(std::uint32_t format) {
  mci::SetParms parms;
  parms.TimeFormat = format;
  Record(Send(mci::MCI_SET, mci::MCI_NOTIFY | mci::MCI_SET_TIME_FORMAT, &parms));
}

}  // namespace velquora

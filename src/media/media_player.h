#pragma once
// TMediaPlayer: a window-less player over the media control interface. It opens one
// device with one file, plays it in the background, stops, closes and answers status
// queries. The scene owns one; the audio playlist and the sound tracks of video frames
// share it and poll its mode every tick, since nothing notifies them.
//
// Any command that fails on open, close, play or stop turns on Failed, which nothing
// turns off again: callers check it and give up sound for the rest of the run.
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "core/ansi_text.h"
#include "core/exceptions.h"
#include "platform/mci/mci.h"

namespace velquora {

// A sound that cannot be started: no file to open.
class EMediaPlayerError : public Exception {
public:
  using Exception::Exception;
};

// Sends one command to the media control interface (mci::SendCommand, or a stand-in).
using MciCommandSender = std::function<mci::Result(mci::DeviceId, std::uint32_t, std::uint32_t, void*)>;

// Device types by index (taken modulo 128). Index 0 lets the system choose the device
// from the file name.
inline constexpr std::uint8_t kNoDeviceType = 0;
inline constexpr std::uint8_t kCDAudioDeviceType = 2;
inline constexpr std::uint8_t kVideodiscDeviceType = 11;

// The type name of a device type index: "" for index 0 and for indexes past the table
// (13 to 127 after taking the index modulo 128).
std::string_view MciDeviceTypeName(std::uint8_t index);

// Modes that GetMode reports (the interface's mode minus MCI_MODE_NOT_READY).
inline constexpr std::uint8_t kModeNotReady = 0;
inline constexpr std::uint8_t kModeStopped = 1;
inline constexpr std::uint8_t kModePlaying = 2;
inline constexpr std::uint8_t kModeRecording = 3;
inline constexpr std::uint8_t kModeSeeking = 4;
inline constexpr std::uint8_t kModePaused = 5;
inline constexpr std::uint8_t kModeOpen = 6;

class TMediaPlayer {
public:
  // A player whose commands go to mci::SendCommand.
  TMediaPlayer();
  // A player whose commands go to send.
  explicit TMediaPlayer(MciCommandSender send);
  // Closes the open device, ignoring the result.
  ~TMediaPlayer();
  TMediaPlayer(const TMediaPlayer&) = delete;
  TMediaPlayer& operator=(const TMediaPlayer&) = delete;

  void SetDeviceType(std::uint8_t index) { DeviceType = index; }

  // Closes what is open, then opens FileName (when not empty) on the device of
  // DeviceType (when not 0). CD audio and videodisc devices count in tracks, minutes,
  // seconds and frames. A refused open sets Failed and leaves the player closed.
  void Open();
  // Closes the device, if any; a refused close sets Failed and keeps it open.
  void Close();
  // Plays from the current position to the end and returns at once; with AutoRewind, a
  // medium standing at its end is first rewound. A refused play sets Failed.
  void Play();
  // Stops playing; a refused stop sets Failed.
  void Stop();
  // Seeks to the start; the result is not recorded.
  void Rewind();
  // Status of the open device. A query that fails reports kModeNotReady, length 0 or
  // position 0; none of them sets Failed.
  std::uint8_t GetMode();
  std::uint32_t GetLength();
  std::uint32_t GetPosition();
  // Sets the device's time format (mci::MCI_FORMAT_*).
  void SetTimeFormat(std::uint32_t format);

  bool IsOpen = false;                       // a device is open
  mci::DeviceId DeviceID = 0;                // the open device; 0: none
  std::uint8_t DeviceType = kNoDeviceType;   // device type index used by Open
  std::int32_t Error = 0;                    // result of the last recorded command; 0: success
  AnsiString FileName;                       // the file (element) that Open opens
  bool AutoRewind = true;                    // Play rewinds a medium standing at its end
  bool Failed = false;                       // sticky: a command on open, close, play or stop failed

private:
  mci::Result Send(std::uint32_t message, std::uint32_t flags, void* parms);
  // The reported value of a status item; nullopt when the query failed.
  std::optional<std::uint32_t> Status(std::uint32_t item);
  void Record(mci::Result result) { Error = static_cast<std::int32_t>(result); }

  MciCommandSender send_;
};

}  // namespace velquora

#pragma once
// The media control interface: one command function over numbered devices, shaped like
// the Windows one so that the media player above it can sit on either system. A device
// is opened by type name and element (a file), plays in the background from its current
// position to its end, and is polled for its mode, length and position (milliseconds).
// Results are 0 or one of the numbered errors below; nothing ever notifies the caller.
#include <cstdint>
#include <functional>
#include <string>

namespace velquora::mci {

using DeviceId = std::uint16_t;  // 0: no device
using Result = std::uint32_t;    // 0: success, else one of the errors below

// Command messages.
inline constexpr std::uint32_t MCI_OPEN = 0x0803;
inline constexpr std::uint32_t MCI_CLOSE = 0x0804;
inline constexpr std::uint32_t MCI_PLAY = 0x0806;
inline constexpr std::uint32_t MCI_SEEK = 0x0807;
inline constexpr std::uint32_t MCI_STOP = 0x0808;
inline constexpr std::uint32_t MCI_SET = 0x080D;
inline constexpr std::uint32_t MCI_STATUS = 0x0814;

// Flags.
inline constexpr std::uint32_t MCI_NOTIFY = 0x00000001;
inline constexpr std::uint32_t MCI_WAIT = 0x00000002;
inline constexpr std::uint32_t MCI_FROM = 0x00000004;
inline constexpr std::uint32_t MCI_TO = 0x00000008;
inline constexpr std::uint32_t MCI_OPEN_ELEMENT = 0x00000200;
inline constexpr std::uint32_t MCI_OPEN_TYPE = 0x00002000;
inline constexpr std::uint32_t MCI_SEEK_TO_START = 0x00000100;
inline constexpr std::uint32_t MCI_SEEK_TO_END = 0x00000200;
inline constexpr std::uint32_t MCI_STATUS_ITEM = 0x00000100;
inline constexpr std::uint32_t MCI_SET_TIME_FORMAT = 0x00000400;

// Status items.
inline constexpr std::uint32_t MCI_STATUS_LENGTH = 0x00000001;
inline constexpr std::uint32_t MCI_STATUS_POSITION = 0x00000002;
inline constexpr std::uint32_t MCI_STATUS_MODE = 0x00000004;

// Modes reported for MCI_STATUS_MODE.
inline constexpr std::uint32_t MCI_MODE_NOT_READY = 524;
inline constexpr std::uint32_t MCI_MODE_STOP = 525;
inline constexpr std::uint32_t MCI_MODE_PLAY = 526;
inline constexpr std::uint32_t MCI_MODE_RECORD = 527;
inline constexpr std::uint32_t MCI_MODE_SEEK = 528;
inline constexpr std::uint32_t MCI_MODE_PAUSE = 529;
inline constexpr std::uint32_t MCI_MODE_OPEN = 530;

// Time formats.
inline constexpr std::uint32_t MCI_FORMAT_MILLISECONDS = 0;
inline constexpr std::uint32_t MCI_FORMAT_TMSF = 10;

// Errors.
inline constexpr Result MCIERR_INVALID_DEVICE_ID = 257;
inline constexpr Result MCIERR_UNRECOGNIZED_COMMAND = 261;
inline constexpr Result MCIERR_HARDWARE = 262;
inline constexpr Result MCIERR_INVALID_DEVICE_NAME = 263;
inline constexpr Result MCIERR_OUT_OF_MEMORY = 264;
inline constexpr Result MCIERR_CANNOT_LOAD_DRIVER = 266;
inline constexpr Result MCIERR_MISSING_PARAMETER = 273;
inline constexpr Result MCIERR_UNSUPPORTED_FUNCTION = 274;
inline constexpr Result MCIERR_FILE_NOT_FOUND = 275;
inline constexpr Result MCIERR_EXTENSION_NOT_FOUND = 281;
inline constexpr Result MCIERR_OUTOFRANGE = 282;
inline constexpr Result MCIERR_FLAGS_NOT_COMPATIBLE = 284;
inline constexpr Result MCIERR_BAD_TIME_FORMAT = 293;
inline constexpr Result MCIERR_INVALID_FILE = 296;
inline constexpr Result MCIERR_NULL_PARAMETER_BLOCK = 297;
inline constexpr Result MCIERR_FILE_READ = 348;

// Parameter records. Callback windows are never used here and carry no field.
struct OpenParms {
  DeviceId DeviceID = 0;     // out: the opened device
  std::string DeviceType;    // in with MCI_OPEN_TYPE: a type name such as "WaveAudio"
  std::string ElementName;   // in with MCI_OPEN_ELEMENT: the file
};
struct GenericParms {};
struct PlayParms {
  std::uint32_t From = 0;  // with MCI_FROM
  std::uint32_t To = 0;    // with MCI_TO
};
struct SeekParms {
  std::uint32_t To = 0;
};
struct StatusParms {
  std::uint32_t Item = 0;    // in: MCI_STATUS_LENGTH, MCI_STATUS_POSITION or MCI_STATUS_MODE
  std::uint32_t Return = 0;  // out: milliseconds, or an MCI_MODE_* value
};
struct SetParms {
  std::uint32_t TimeFormat = MCI_FORMAT_MILLISECONDS;
};

// Sends one command. MCI_OPEN goes to device 0 with OpenParms; the others go to an open
// device with their record (GenericParms for MCI_CLOSE and MCI_STOP). A null record
// gives MCIERR_NULL_PARAMETER_BLOCK, an unknown device MCIERR_INVALID_DEVICE_ID.
Result SendCommand(DeviceId device, std::uint32_t message, std::uint32_t flags, void* parms);

// Which devices commands reach: real sound output, or silent devices that keep the same
// modes and positions from TickCount without producing sound (headless runs, tests).
enum class Backend { Real, Silent };
void SetBackend(Backend backend);
Backend CurrentBackend();

// While an object of this class lives, every SendCommand goes to its handler instead of
// a backend (tests of the player script results and failures with it). Objects nest;
// the newest one is in force. While a handler runs, a SendCommand that it makes goes on
// to the handler before it, or to the backend, so a handler may fail some commands and
// pass the others through.
using CommandHandler = std::function<Result(DeviceId, std::uint32_t, std::uint32_t, void*)>;
class ScopedCommandHandler {
public:
  explicit ScopedCommandHandler(CommandHandler handler);
  ~ScopedCommandHandler();
  ScopedCommandHandler(const ScopedCommandHandler&) = delete;
  ScopedCommandHandler& operator=(const ScopedCommandHandler&) = delete;

  Result operator()(DeviceId device, std::uint32_t message, std::uint32_t flags, void* parms);

private:
  CommandHandler handler_;
  ScopedCommandHandler* previous_;
};

}  // namespace velquora::mci

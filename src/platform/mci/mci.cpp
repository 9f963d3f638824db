#include "platform/mci/mci.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/mci/device.h"
#include "platform/mci/midi_file.h"
#include "platform/mci/pcm_source.h"
#include "platform/mci/sampled_sound.h"

namespace velquora::mci {

namespace {

ScopedCommandHandler*& CurrentHandler() {
  static ScopedCommandHandler* handler = nullptr;
  return handler;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The open devices. Commands come from one thread; the lock only keeps the table sound
// should a test or tool send from another.
struct DeviceTable {
  std::mutex Lock;
  std::map<DeviceId, std::unique_ptr<Device>> Devices;
  DeviceId Next = 1;
  Backend Selected = Backend::Real;

  DeviceId Add(std::unique_ptr<Device> device) {
    while (Next == 0 || Devices.contains(Next)) ++Next;
    const DeviceId id = Next++;
    Devices.emplace(id, std::move(device));
    return id;
  }
};

DeviceTable& Table() {
  static DeviceTable table;
  return table;
}

std::vector<std::uint8_t> ReadMidiBytes(const std::filesystem::path& path) {
  CheckSoundFile(path, kMaxMidiFileBytes);
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) throw ESoundFile(MCIERR_FILE_READ, "file cannot be read");
  const std::streamoff size = file.tellg();
  if (size < 0 || static_cast<std::uintmax_t>(size) > kMaxMidiFileBytes) throw ESoundFile(MCIERR_INVALID_FILE, "file too large");
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  file.seekg(0);
  file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (file.gcount() != size) throw ESoundFile(MCIERR_FILE_READ, "file cannot be read");
  return bytes;
}

// The kind of medium a device type plays; empty for a type that does not exist here.
std::optional<MediumKind> KindOfType(const std::string& type) {
  const std::string name = Lower(type);
  if (name == "waveaudio" || name == "avivideo" || name == "digitalvideo") return MediumKind::Sampled;
  if (name == "sequencer") return MediumKind::Midi;
  return std::nullopt;
}

Result Open(std::uint32_t flags, OpenParms& parms) {
  std::optional<MediumKind> kind;
  if (flags & MCI_OPEN_TYPE) {
    kind = KindOfType(parms.DeviceType);
    if (!kind) return MCIERR_INVALID_DEVICE_NAME;
  }
  if (!(flags & MCI_OPEN_ELEMENT) || parms.ElementName.empty()) return MCIERR_MISSING_PARAMETER;
  const std::filesystem::path path(parms.ElementName);
  bool known_extension = true;
  if (!kind) {
    const std::string extension = Lower(path.extension().string());
    if (extension == ".mid" || extension == ".midi" || extension == ".rmi") {
      kind = MediumKind::Midi;
    } else {
      kind = MediumKind::Sampled;
      known_extension = extension == ".wav" || extension == ".avi";
    }
  }
  try {
    Medium medium = OpenMedium(*kind, path);
    DeviceTable& table = Table();
    const Backend backend = CurrentBackend();
    std::unique_ptr<Device> device =
        backend == Backend::Silent ? MakeSilentDevice(medium) : MakeRealDevice(std::move(medium));
    std::lock_guard lock(table.Lock);
    parms.DeviceID = table.Add(std::move(device));
    return 0;
  } catch (const ESoundFile& error) {
    // A file of an extension no device claims, that the decoder cannot read either.
    if (!known_extension && error.Code() == MCIERR_INVALID_FILE) return MCIERR_EXTENSION_NOT_FOUND;
    return error.Code();
  } catch (const std::bad_alloc&) {
    return MCIERR_OUT_OF_MEMORY;
  }
}

Result Status(Device& device, std::uint32_t flags, StatusParms& parms) {
  if (!(flags & MCI_STATUS_ITEM)) return MCIERR_MISSING_PARAMETER;
  switch (parms.Item) {
    case MCI_STATUS_LENGTH: parms.Return = device.LengthMs(); return 0;
    case MCI_STATUS_POSITION: parms.Return = device.PositionMs(); return 0;
    case MCI_STATUS_MODE: parms.Return = device.IsPlaying() ? MCI_MODE_PLAY : MCI_MODE_STOP; return 0;
    default: return MCIERR_UNSUPPORTED_FUNCTION;
  }
}

// Plays are always in the background: the caller's thread never waits for a sound.
Result Play(Device& device, std::uint32_t flags, const PlayParms& parms) {
  const std::uint32_t length = device.LengthMs();
  std::optional<std::uint32_t> from;
  if (flags & MCI_FROM) from = parms.From;
  const std::uint32_t to = (flags & MCI_TO) ? parms.To : length;
  if ((from && *from > length) || to > length || (from && *from > to)) return MCIERR_OUTOFRANGE;
  device.Play(from, to);
  return 0;
}

Result Seek(Device& device, std::uint32_t flags, const SeekParms& parms) {
  const std::uint32_t targets = flags & (MCI_SEEK_TO_START | MCI_SEEK_TO_END | MCI_TO);
  if (targets == 0) return MCIERR_MISSING_PARAMETER;
  if ((targets & (targets - 1)) != 0) return MCIERR_FLAGS_NOT_COMPATIBLE;
  std::uint32_t to = 0;
  if (flags & MCI_SEEK_TO_END) to = device.LengthMs();
  if (flags & MCI_TO) {
    if (parms.To > device.LengthMs()) return MCIERR_OUTOFRANGE;
    to = parms.To;
  }
  device.Seek(to);
  return 0;
}

Result Set(std::uint32_t flags, const SetParms& parms) {
  if ((flags & MCI_SET_TIME_FORMAT) && parms.TimeFormat != MCI_FORMAT_MILLISECONDS) return MCIERR_BAD_TIME_FORMAT;
  return 0;
}

Result Dispatch(DeviceId id, std::uint32_t message, std::uint32_t flags, void* parms) {
  if (parms == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
  if (message == MCI_OPEN) return Open(flags, *static_cast<OpenParms*>(parms));

  DeviceTable& table = Table();
  std::unique_lock lock(table.Lock);
  const auto found = table.Devices.find(id);
  if (found == table.Devices.end()) return MCIERR_INVALID_DEVICE_ID;
  Device& device = *found->second;
  switch (message) {
    case MCI_CLOSE: {
      std::unique_ptr<Device> closing = std::move(found->second);
      table.Devices.erase(found);
      lock.unlock();
      return 0;
    }
    case MCI_PLAY: return Play(device, flags, *static_cast<const PlayParms*>(parms));
    case MCI_STOP: device.Stop(); return 0;
    case MCI_SEEK: return Seek(device, flags, *static_cast<const SeekParms*>(parms));
    case MCI_STATUS: return Status(device, flags, *static_cast<StatusParms*>(parms));
    case MCI_SET: return Set(flags, *static_cast<const SetParms*>(parms));
    default: return MCIERR_UNRECOGNIZED_COMMAND;
  }
}

}  // namespace

Medium OpenMedium(MediumKind kind, const std::filesystem::path& path) {
  Medium medium;
  medium.Kind = kind;
  medium.Path = path;
  if (kind == MediumKind::Midi) {
    std::vector<std::uint8_t> bytes = ReadMidiBytes(path);
    try {
      const MidiTiming timing = ParseMidiFile(bytes);
      medium.LengthMs = timing.LengthMs;
      medium.Smf.assign(timing.Smf.begin(), timing.Smf.end());
    } catch (const EMidiFormat& error) {
      throw ESoundFile(MCIERR_INVALID_FILE, error.Message());
    }
  } else {
    medium.LengthMs = ProbeSampledSound(path).LengthMs;
  }
  return medium;
}

Result SendCommand(DeviceId device, std::uint32_t message, std::uint32_t flags, void* parms) {
  if (ScopedCommandHandler* handler = CurrentHandler()) return (*handler)(device, message, flags, parms);
  return Dispatch(device, message, flags, parms);
}

void SetBackend(Backend backend) {
  std::lock_guard lock(Table().Lock);
  Table().Selected = backend;
}

Backend CurrentBackend() {
  std::lock_guard lock(Table().Lock);
  return Table().Selected;
}

ScopedCommandHandler::ScopedCommandHandler(CommandHandler handler)
    : handler_(std::move(handler)), previous_(std::exchange(CurrentHandler(), this)) {}

ScopedCommandHandler::~ScopedCommandHandler() { CurrentHandler() = previous_; }

Result ScopedCommandHandler::operator()(DeviceId device, std::uint32_t message, std::uint32_t flags, void* parms) {
  ScopedCommandHandler* const self = std::exchange(CurrentHandler(), previous_);
  struct Restore {
    ScopedCommandHandler* Handler;
    ~Restore() { CurrentHandler() = Handler; }
  } restore{self};
  return handler_(device, message, flags, parms);
}

}  // namespace velquora::mci

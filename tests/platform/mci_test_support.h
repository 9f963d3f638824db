#pragma once
// Helpers of the sound device tests: commands in one line each, a folder of the test's
// own for files it writes, and the recorded audio test files.
#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/mci/mci.h"
#include "scoped_temp_dir.h"

namespace velquora::mci_test {

namespace fs = std::filesystem;
using namespace velquora::mci;

inline fs::path AudioFile(const std::string& name) { return fs::path(VELQUORA_TEST_FILES) / "audio" / name; }

// Opens `path` (with `type` when not empty); returns the result and sets `id`.
inline Result Open(const fs::path& path, DeviceId& id, const std::string& type = "") {
  OpenParms parms;
  parms.ElementName = path.string();
  parms.DeviceType = type;
  std::uint32_t flags = MCI_WAIT | MCI_OPEN_ELEMENT;
  if (!type.empty()) flags |= MCI_OPEN_TYPE;
  const Result result = SendCommand(0, MCI_OPEN, flags, &parms);
  id = parms.DeviceID;
  return result;
}

inline Result Close(DeviceId id) {
  GenericParms parms;
  return SendCommand(id, MCI_CLOSE, MCI_WAIT, &parms);
}
inline Result Play(DeviceId id) {
  PlayParms parms;
  return SendCommand(id, MCI_PLAY, MCI_NOTIFY, &parms);
}
inline Result Stop(DeviceId id) {
  GenericParms parms;
  return SendCommand(id, MCI_STOP, MCI_WAIT, &parms);
}
inline Result Rewind(DeviceId id) {
  SeekParms parms;
  return SendCommand(id, MCI_SEEK, MCI_WAIT | MCI_SEEK_TO_START, &parms);
}
// The item's value, or `failed` when the status query fails.
inline std::uint32_t Status(DeviceId id, std::uint32_t item, std::uint32_t failed = 0xFFFFFFFFu) {
  StatusParms parms;
  parms.Item = item;
  return SendCommand(id, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, &parms) == 0 ? parms.Return : failed;
}
inline std::uint32_t Mode(DeviceId id) { return Status(id, MCI_STATUS_MODE); }
inline std::uint32_t Position(DeviceId id) { return Status(id, MCI_STATUS_POSITION); }
inline std::uint32_t Length(DeviceId id) { return Status(id, MCI_STATUS_LENGTH); }

// Selects a backend for one test and goes back to the real one afterwards.
class ScopedBackend {
public:
  explicit ScopedBackend(Backend backend) { SetBackend(backend); }
  ~ScopedBackend() { SetBackend(Backend::Real); }
  ScopedBackend(const ScopedBackend&) = delete;
  ScopedBackend& operator=(const ScopedBackend&) = delete;
};

}  // namespace velquora::mci_test

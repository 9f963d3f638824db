#pragma once
// The process-wide version index of the scene being read. The container loader sets it
// from the file's signature for the duration of a load; every record reader consults it
// to decide which fields a file of that version carries. Outside a load it is the
// newest version.
#include <cstdint>

namespace velquora {

inline constexpr std::int32_t kNewestReadVersion = 16;

std::int32_t ReadVersion();
void SetReadVersion(std::int32_t version);

// Sets ReadVersion for a scope and puts the newest version back when the scope ends,
// however it ends.
class ScopedReadVersion {
public:
  explicit ScopedReadVersion(std::int32_t version) { SetReadVersion(version); }
  ~ScopedReadVersion() { SetReadVersion(kNewestReadVersion); }
  ScopedReadVersion(const ScopedReadVersion&) = delete;
  ScopedReadVersion& operator=(const ScopedReadVersion&) = delete;
};

}  // namespace velquora

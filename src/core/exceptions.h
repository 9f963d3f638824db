#pragma once
// The common exception base and the stream errors. Readers and decoders raise these;
// the scene container loader and the host turn them into the system's own reports.
#include <stdexcept>
#include <string>

namespace velquora {

class Exception : public std::runtime_error {
public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// A read that could not deliver the bytes asked for, or data that cannot be what it claims.
class EReadError : public Exception {
public:
  using Exception::Exception;
};

class EWriteError : public Exception {
public:
  using Exception::Exception;
};

// A file that cannot be opened or created.
class EFOpenError : public Exception {
public:
  using Exception::Exception;
};

}  // namespace velquora

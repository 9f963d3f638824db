#pragma once
#include "core/exceptions.h"

namespace velquora {

// A GIF that breaks the format: a wrong version, an unknown extension, bad LZW data.
class EGifException : public Exception {
public:
  using Exception::Exception;
};

}  // namespace velquora

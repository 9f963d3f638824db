#include "core/memory_stream.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "core/exceptions.h"

namespace velquora {

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
  if (count == 0 || position_ >= bytes_.size()) return 0;  // memcpy needs a buffer even for 0 bytes
  const std::size_t n = std::min(count, bytes_.size() - position_);
  std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += n;
  return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
  if (count == 0) return 0;
  if (position_ + count > bytes_.size()) bytes_.resize(position_ + count);
  std::memcpy(bytes_.data() + position_, buffer, count);
  position_ += count;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, SeekOrigin origin) {
  std::int64_t base = 0;
  switch (origin) {
    case SeekOrigin::Beginning: base = 0; break;
    case SeekOrigin::Current: base = static_cast<std::int64_t>(position_); break;
    case SeekOrigin::End: base = static_cast<std::int64_t>(bytes_.size()); break;
  }
  if ((offset > 0 && base > std::numeric_limits<std::int64_t>::max() - offset) || base + offset < 0)
    throw EReadError("Stream seek error");
  position_ = static_cast<std::size_t>(base + offset);
  return static_cast<std::int64_t>(position_);
}

void TMemoryStream::SetSize(std::size_t size) {
  bytes_.resize(size);
  position_ = std::min(position_, size);
}

void TMemoryStream::Clear() {
  bytes_.clear();
  position_ = 0;
}

std::vector<std::uint8_t> TMemoryStream::TakeBytes() {
  position_ = 0;
  return std::exchange(bytes_, {});
}

}  // namespace velquora

#pragma once
// The bytes of a bitmap's pixels: memory of its own, or a block lent by an owner that
// shares it with someone else (a display server reading a window's picture straight from
// it). A copy always gets memory of its own; a move takes the lent block along.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <utility>
#include <vector>

namespace velquora {

// A block of memory lent to bitmaps; it lives as long as one of them holds it.
class PixelMemory {
public:
  virtual ~PixelMemory() = default;
  virtual std::span<std::uint8_t> Bytes() = 0;
};

class PixelStore {
public:
  PixelStore() = default;
  explicit PixelStore(std::size_t size) : own_(size) {}
  // The first size bytes of the lender's block.
  PixelStore(std::shared_ptr<PixelMemory> lender, std::size_t size) : lender_(std::move(lender)) {
    if (lender_ == nullptr || lender_->Bytes().size() < size) throw std::invalid_argument("Lent pixel memory too small");
    lent_ = lender_->Bytes().first(size);
  }
  PixelStore(const PixelStore& other) : own_(other.begin(), other.end()) {}
  PixelStore& operator=(const PixelStore& other) {
    if (this != &other) *this = PixelStore(other);
    return *this;
  }
  PixelStore(PixelStore&& other) noexcept
      : own_(std::move(other.own_)), lender_(std::move(other.lender_)), lent_(std::exchange(other.lent_, {})) {}
  PixelStore& operator=(PixelStore&& other) noexcept {
    if (this == &other) return *this;
    own_ = std::move(other.own_);
    other.own_.clear();
    lender_ = std::move(other.lender_);
    lent_ = std::exchange(other.lent_, {});
    return *this;
  }
  ~PixelStore() = default;

  std::uint8_t* data() { return lender_ ? lent_.data() : own_.data(); }
  const std::uint8_t* data() const { return lender_ ? lent_.data() : own_.data(); }
  std::size_t size() const { return lender_ ? lent_.size() : own_.size(); }
  const std::uint8_t* begin() const { return data(); }
  const std::uint8_t* end() const { return data() + size(); }
  operator std::span<const std::uint8_t>() const { return {data(), size()}; }

  // The block the pixels are in, when lent; nullptr for memory of its own.
  const PixelMemory* Lender() const { return lender_.get(); }

  friend bool operator==(const PixelStore& a, const PixelStore& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
  }

private:
  std::vector<std::uint8_t> own_;
  std::shared_ptr<PixelMemory> lender_;
  std::span<std::uint8_t> lent_;
};

}  // namespace velquora

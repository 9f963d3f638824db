#pragma once
// Byte containers of the GIF decoder: one contiguous pixel block (TBigByteArray), a matrix
// of equal rows over it (TByteArray2D, rows counted from 1), and the buffer that collects an
// image's data sub-blocks and hands them out (TByteBuffer).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "core/exceptions.h"

namespace velquora {

// A block of memory could not be had; carries the size that was asked for.
class EOutOfMemory : public Exception {
public:
  using Exception::Exception;
};

// A row or column index outside a TByteArray2D.
class EIndexOutOfBounds : public Exception {
public:
  using Exception::Exception;
};

// Zero-filled bytes in one block. Sizes above kMaxSize or that the allocator refuses raise
// EOutOfMemory with the requested size.
class TBigByteArray {
public:
  static constexpr std::size_t kMaxSize = std::size_t{1} << 30;

  explicit TBigByteArray(std::size_t size);

  std::size_t Size() const { return size_; }
  std::uint8_t* Data() { return data_.get(); }
  const std::uint8_t* Data() const { return data_.get(); }

private:
  std::unique_ptr<std::uint8_t[]> data_;
  std::size_t size_ = 0;
};

// The message TBigByteArray raises for a block of `size` bytes.
EOutOfMemory OutOfMemory(std::uint64_t size);

// Rows of equal length over one TBigByteArray; rows are numbered 1..Rows(), columns 0..Columns()-1.
class TByteArray2D {
public:
  TByteArray2D() : TByteArray2D(0, 0) {}
  TByteArray2D(std::size_t rows, std::size_t columns);

  std::size_t Rows() const { return rows_; }
  std::size_t Columns() const { return columns_; }

  // Copies a whole row in. A row of another length raises EGifException; a row index outside
  // 1..Rows() raises EIndexOutOfBounds.
  void SetRow(std::size_t row, std::span<const std::uint8_t> values);
  std::span<const std::uint8_t> Row(std::size_t row) const;
  std::span<std::uint8_t> MutableRow(std::size_t row);
  std::uint8_t At(std::size_t row, std::size_t column) const;

private:
  std::size_t Offset(std::size_t row) const;

  std::size_t rows_;
  std::size_t columns_;
  TBigByteArray bytes_;
};

// An image's LZW data: the sub-blocks appended one after another, read as one run of bytes.
class TByteBuffer {
public:
  void Append(std::span<const std::uint8_t> block) { bytes_.insert(bytes_.end(), block.begin(), block.end()); }
  void Clear() { bytes_.clear(); }

  std::size_t Size() const { return bytes_.size(); }
  std::span<const std::uint8_t> Bytes() const { return bytes_; }

private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace velquora

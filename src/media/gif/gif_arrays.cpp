#include "media/gif/gif_arrays.h"

#include <cstring>
#include <new>
#include <string>

#include "media/gif/gif_exception.h"

namespace velquora {

EOutOfMemory OutOfMemory(std::uint64_t size) {
  return EOutOfMemory(
      "error in TBigByteArray.create: Not enough contiguous memory available\r\n requested memory block: " +
      std::to_string(size) + " bytes");
}

TBigByteArray::TBigByteArray(std::size_t size) : size_(size) {
  if (size > kMaxSize) throw OutOfMemory(size);
  try {
    data_ = std::make_unique<std::uint8_t[]>(size);
  } catch (const std::bad_alloc&) {
    throw OutOfMemory(size);
  }
}

namespace {
std::size_t CheckedArea(std::size_t rows, std::size_t columns) {
  if (columns != 0 && rows > TBigByteArray::kMaxSize / columns) throw OutOfMemory(std::uint64_t{rows} * columns);
  return rows * columns;
}
}  // namespace

TByteArray2D::TByteArray2D(std::size_t rows, std::size_t columns)
    : rows_(rows), columns_(columns), bytes_(CheckedArea(rows, columns)) {}

std::size_t TByteArray2D::Offset(std::size_t row) const {
  if (row < 1 || row > rows_) throw EIndexOutOfBounds("Dynamic array index out of bounds");
  return (row - 1) * columns_;
}

void TByteArray2D::SetRow(std::size_t row, std::span<const std::uint8_t> values) {
  if (values.size() != columns_) throw EGifException("Row doesn't have equal number of elements as Matrix row");
  const std::size_t offset = Offset(row);
  if (!values.empty()) std::memcpy(bytes_.Data() + offset, values.data(), values.size());
}

std::span<const std::uint8_t> TByteArray2D::Row(std::size_t row) const {
  return {bytes_.Data() + Offset(row), columns_};
}

std::span<std::uint8_t> TByteArray2D::MutableRow(std::size_t row) {
  return {bytes_.Data() + Offset(row), columns_};
}

std::uint8_t TByteArray2D::At(std::size_t row, std::size_t column) const {
  if (column >= columns_) throw EIndexOutOfBounds("Dynamic array index out of bounds");
  return bytes_.Data()[Offset(row) + column];
}

}  // namespace velquora

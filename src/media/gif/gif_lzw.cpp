#include "media/gif/gif_lzw.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "media/gif/gif_exception.h"

namespace velquora {

namespace {

constexpr int kMaxCodeWidth = 12;
constexpr int kTableSize = 1 << kMaxCodeWidth;

// Hands out codes of a given width from the data, least significant bit first.
class CodeReader {
public:
  explicit CodeReader(std::span<const std::uint8_t> data) : data_(data) {}

  // False when the data holds fewer than width bits more.
  bool Next(int width, int& code) {
    while (bit_count_ < width) {
      if (position_ >= data_.size()) return false;
      bits_ |= std::uint32_t{data_[position_++]} << bit_count_;
      bit_count_ += 8;
    }
    code = static_cast<int>(bits_ & ((1u << width) - 1));
    bits_ >>= width;
    bit_count_ -= width;
    return true;
  }

private:
  std::span<const std::uint8_t> data_;
  std::size_t position_ = 0;
  std::uint32_t bits_ = 0;
  int bit_count_ = 0;
};

// Where decoded pixels go: the current row of the matrix, then the next one in display
// or interlace order. A row counts as stored only once it is full.
class RowWriter {
public:
  RowWriter(TByteArray2D& pixels, bool interlaced) : pixels_(pixels), interlaced_(interlaced) {
    done_ = pixels.Rows() == 0 || pixels.Columns() == 0;
    if (!done_) row_ = pixels_.MutableRow(1);
  }

  bool Done() const { return done_; }

  void Write(const std::uint8_t* values, std::size_t count) {
    while (count > 0 && !done_) {
      const std::size_t take = std::min(count, row_.size() - column_);
      std::memcpy(row_.data() + column_, values, take);
      column_ += take;
      values += take;
      count -= take;
      if (column_ == row_.size()) NextRow();
    }
  }

  // Room for count pixels in the current row, or null when they would run past its end.
  std::uint8_t* Claim(std::size_t count) {
    if (done_ || row_.size() - column_ < count) return nullptr;
    std::uint8_t* room = row_.data() + column_;
    column_ += count;
    if (column_ == row_.size()) NextRow();
    return room;
  }

  // A row left half full when decoding ends is not stored.
  void DropPartialRow() {
    if (!done_ && column_ > 0) std::fill(row_.begin(), row_.end(), std::uint8_t{0});
  }

private:
  void NextRow() {
    column_ = 0;
    if (!AdvanceRowIndex()) {
      done_ = true;
      return;
    }
    row_ = pixels_.MutableRow(row_index_ + 1);
  }

  bool AdvanceRowIndex() {
    const std::size_t rows = pixels_.Rows();
    if (!interlaced_) return ++row_index_ < rows;
    static constexpr std::array<std::size_t, 4> kStart{0, 4, 2, 1};
    static constexpr std::array<std::size_t, 4> kStep{8, 8, 4, 2};
    row_index_ += kStep[pass_];
    while (row_index_ >= rows) {
      if (++pass_ == kStart.size()) return false;
      row_index_ = kStart[pass_];
    }
    return true;
  }

  TByteArray2D& pixels_;
  bool interlaced_;
  bool done_ = false;
  std::size_t row_index_ = 0;  // counted from 0
  std::size_t pass_ = 0;
  std::size_t column_ = 0;
  std::span<std::uint8_t> row_;
};

class LzwDecoder {
public:
  LzwDecoder(int minimum_code_size, RowWriter& output)
      : clear_code_(1 << minimum_code_size),
        end_code_(clear_code_ + 1),
        initial_width_(minimum_code_size + 1),
        output_(output) {
    for (int code = 0; code < clear_code_; ++code) {
      suffix_[code] = static_cast<std::uint8_t>(code);
      first_[code] = static_cast<std::uint8_t>(code);
      length_[code] = 1;
    }
    ResetTable();
  }

  void Run(CodeReader& reader) {
    int code = 0;
    while (!output_.Done() && reader.Next(width_, code)) {
      if (code == clear_code_) {
        ResetTable();
        after_clear_ = true;
        continue;
      }
      if (must_clear_) throw EGifException("Code size overflow");
      if (previous_ < 0) {
        if (!FirstCode(code)) return;
        continue;
      }
      if (code == end_code_) return;
      if (code > next_free_) throw EGifException("Bad code");
      NextCode(code);
    }
  }

private:
  void ResetTable() {
    next_free_ = clear_code_ + 2;
    width_ = initial_width_;
    previous_ = -1;
    must_clear_ = false;
  }

  // The first code of the data or after a clear code; false when it ends the data.
  bool FirstCode(int code) {
    if (code == end_code_) {
      if (after_clear_) throw EGifException("Bad code");
      return false;
    }
    if (code >= next_free_) code = 0;
    Emit(code);
    previous_ = code;
    after_clear_ = false;
    return true;
  }

  void NextCode(int code) {
    // A code equal to the next free one stands for the previous string plus its own first byte.
    const std::uint8_t first = code == next_free_ ? first_[previous_] : first_[code];
    prefix_[next_free_] = static_cast<std::uint16_t>(previous_);
    suffix_[next_free_] = first;
    first_[next_free_] = first_[previous_];
    length_[next_free_] = static_cast<std::uint16_t>(length_[previous_] + 1);
    ++next_free_;
    if (next_free_ == (1 << width_)) {
      if (width_ < kMaxCodeWidth) {
        ++width_;
      } else {
        must_clear_ = true;
      }
    }
    Emit(code);
    previous_ = code;
  }

  // Writes the string of a code, walking its prefixes back to front: straight into the row
  // when it fits there, else through a scratch buffer that is split across rows.
  void Emit(int code) {
    const std::size_t length = length_[code];
    std::uint8_t* room = output_.Claim(length);
    std::uint8_t* out = (room != nullptr ? room : scratch_.data()) + length;
    for (std::size_t i = 0; i < length; ++i) {
      *--out = suffix_[code];
      code = prefix_[code];
    }
    if (room == nullptr) output_.Write(scratch_.data(), length);
  }

  const int clear_code_;
  const int end_code_;
  const int initial_width_;
  RowWriter& output_;
  int next_free_ = 0;
  int width_ = 0;
  int previous_ = -1;
  bool after_clear_ = false;
  bool must_clear_ = false;
  std::array<std::uint16_t, kTableSize> prefix_{};
  std::array<std::uint8_t, kTableSize> suffix_{};
  std::array<std::uint8_t, kTableSize> first_{};
  std::array<std::uint16_t, kTableSize> length_{};
  std::array<std::uint8_t, kTableSize> scratch_{};
};

}  // namespace

void DecodeLzw(int minimum_code_size, std::span<const std::uint8_t> data, bool interlaced,
               TByteArray2D& pixels) {
  if (minimum_code_size < 2 || minimum_code_size > 9) throw EGifException("Bad code Size");
  RowWriter output(pixels, interlaced);
  if (output.Done()) return;
  LzwDecoder decoder(minimum_code_size, output);
  CodeReader reader(data);
  try {
    decoder.Run(reader);
  } catch (...) {
    output.DropPartialRow();
    throw;
  }
  output.DropPartialRow();
}

}  // namespace velquora

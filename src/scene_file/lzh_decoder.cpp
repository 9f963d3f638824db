#include "scene_file/lzh_decoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace velquora {
namespace lzh {

void TLzhTree::Reset() {
  for (int i = 0; i < kSymbolCount; ++i) {
    freq_[static_cast<std::size_t>(i)] = 1;
    son_[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i + kTreeSize);
    parent_[static_cast<std::size_t>(i + kTreeSize)] = static_cast<std::int16_t>(i);
  }
  for (int i = 0, j = kSymbolCount; j <= kRoot; i += 2, ++j) {
    const auto left = static_cast<std::size_t>(i);
    freq_[static_cast<std::size_t>(j)] = static_cast<std::uint16_t>(freq_[left] + freq_[left + 1]);
    son_[static_cast<std::size_t>(j)] = static_cast<std::int16_t>(i);
    parent_[left] = parent_[left + 1] = static_cast<std::int16_t>(j);
  }
  freq_[kTreeSize] = 0xFFFF;
  parent_[kRoot] = 0;
}

void TLzhTree::Rebuild() {
  // Leaves to the front, in their order, with halved counts.
  std::size_t leaves = 0;
  for (std::size_t i = 0; i < kTreeSize; ++i) {
    if (son_[i] >= kTreeSize) {
      freq_[leaves] = static_cast<std::uint16_t>((freq_[i] + 1) / 2);
      son_[leaves] = son_[i];
      ++leaves;
    }
  }
  // Pair the nodes in order and insert each new inner node where its count keeps the
  // counts sorted.
  for (std::size_t i = 0, j = kSymbolCount; j < kTreeSize; i += 2, ++j) {
    const auto count = static_cast<std::uint16_t>(freq_[i] + freq_[i + 1]);
    std::size_t k = j - 1;
    while (count < freq_[k]) --k;
    ++k;
    std::copy_backward(freq_.begin() + static_cast<std::ptrdiff_t>(k),
                       freq_.begin() + static_cast<std::ptrdiff_t>(j),
                       freq_.begin() + static_cast<std::ptrdiff_t>(j + 1));
    std::copy_backward(son_.begin() + static_cast<std::ptrdiff_t>(k),
                       son_.begin() + static_cast<std::ptrdiff_t>(j),
                       son_.begin() + static_cast<std::ptrdiff_t>(j + 1));
    freq_[k] = count;
    son_[k] = static_cast<std::int16_t>(i);
  }
  for (std::size_t k = 0; k < kTreeSize; ++k) {
    const auto child = static_cast<std::size_t>(son_[k]);
    parent_[child] = static_cast<std::int16_t>(k);
    if (child < kTreeSize) parent_[child + 1] = static_cast<std::int16_t>(k);
  }
}

void TLzhTree::Update(int symbol) {
  if (freq_[kRoot] == kMaxFrequency) Rebuild();
  RaiseCounts(parent_[static_cast<std::size_t>(symbol + kTreeSize)]);
}

void TLzhTree::UpdateAlongPath(int symbol, const std::int16_t* path, int depth) {
  if (freq_[kRoot] == kMaxFrequency) {
    Update(symbol);  // the rebuild moves every node: the path no longer holds
    return;
  }
  std::uint16_t* const freq = freq_.data();
  for (int level = depth - 1; level >= 0; --level) {
    const int c = path[level];
    const unsigned f = ++freq[c];
    if (f > freq[c + 1]) {
      RaiseCounts(parent_[static_cast<std::size_t>(MoveRight(c, f))]);
      return;
    }
  }
  ++freq[kRoot];  // never passes the sentinel behind it
}

void TLzhTree::RaiseCounts(int c) {
  // Node 0 is always a leaf (it has the smallest count), so it is never an inner node's
  // parent; only the root's parent is 0, which ends the walk.
  std::uint16_t* const freq = freq_.data();
  do {
    const unsigned f = ++freq[c];
    if (f > freq[c + 1]) c = MoveRight(c, f);
    c = parent_[static_cast<std::size_t>(c)];
  } while (c != 0);
}

int TLzhTree::MoveRight(int c, unsigned f) {
  std::uint16_t* const freq = freq_.data();
  std::int16_t* const son = son_.data();
  std::int16_t* const parent = parent_.data();
  // The last node of the run of nodes whose count c now exceeds.
  int l = c + 1;
  while (f > freq[l + 1]) ++l;
  freq[c] = freq[l];
  freq[l] = static_cast<std::uint16_t>(f);
  // Exchange the subtrees of c and l.
  const int i = son[c];
  parent[i] = static_cast<std::int16_t>(l);
  if (i < kTreeSize) parent[i + 1] = static_cast<std::int16_t>(l);
  const int j = son[l];
  son[l] = static_cast<std::int16_t>(i);
  parent[j] = static_cast<std::int16_t>(c);
  if (j < kTreeSize) parent[j + 1] = static_cast<std::int16_t>(c);
  son[c] = static_cast<std::int16_t>(j);
  return l;
}

}  // namespace lzh

namespace {

using namespace lzh;

// MSB-first bits of the block behind a 64-bit buffer; bits past the end read as 0.
class TBitReader {
public:
  explicit TBitReader(std::span<const std::uint8_t> bytes)
      : next_(bytes.data()), end_(bytes.data() + bytes.size()) {}

  // Tops the buffer up to at least 57 valid bits.
  void Refill() {
    if (end_ - next_ >= 8) {
      std::uint64_t word;
      std::memcpy(&word, next_, sizeof word);
      if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
      buffer_ |= word >> count_;
      const int bytes = (63 - count_) >> 3;
      next_ += bytes;
      count_ += bytes * 8;
    } else {
      RefillNearTheEnd();
    }
  }

  int Count() const { return count_; }

  int TakeBit() {
    const auto bit = static_cast<int>(buffer_ >> 63);
    buffer_ <<= 1;
    --count_;
    return bit;
  }

  // width is 1..57.
  unsigned TakeBits(int width) {
    const auto bits = static_cast<unsigned>(buffer_ >> (64 - width));
    buffer_ <<= width;
    count_ -= width;
    return bits;
  }

  unsigned PeekBits(int width) const { return static_cast<unsigned>(buffer_ >> (64 - width)); }

private:
  void RefillNearTheEnd() {
    while (count_ <= 56) {
      const std::uint64_t byte = next_ < end_ ? *next_++ : 0;
      buffer_ |= byte << (56 - count_);
      count_ += 8;
    }
  }

  const std::uint8_t* next_;
  const std::uint8_t* end_;
  std::uint64_t buffer_ = 0;  // valid bits at the top, then zeros or the bits that follow
  int count_ = 0;
};

// The ring before any byte is written: spaces up to the start position; the 60 bytes from
// there on are cleared to 0. Index v in [-kRingSize, -1] is the byte v positions before the
// first output byte.
std::uint8_t InitialRingByte(std::ptrdiff_t v) { return v >= -kRingStart ? 0x20 : 0x00; }

class TBlockDecoder {
public:
  TBlockDecoder(std::span<const std::uint8_t> bits, std::span<std::uint8_t> output)
      : bits_(bits), out_(output.data()), capacity_(output.size()) {}

  std::size_t Decode(std::size_t size) {
    while (written_ < size) {
      if (bits_.Count() < 32) bits_.Refill();
      const int symbol = DecodeSymbol();
      tree_.UpdateAlongPath(symbol, path_.data(), depth_);
      if (symbol < kFirstMatchSymbol) {
        out_[written_++] = static_cast<std::uint8_t>(symbol);
      } else {
        if (bits_.Count() < 14) bits_.Refill();
        CopyMatch(DecodePosition() + 1, static_cast<std::size_t>(MatchLength(symbol)));
      }
    }
    return written_;
  }

private:
  int DecodeSymbol() {
    const std::int16_t* const son = tree_.Sons();
    int node = son[kRoot];
    int depth = 0;
    while (node < kTreeSize) {
      if (bits_.Count() == 0) bits_.Refill();
      const int position = node + bits_.TakeBit();
      path_[static_cast<std::size_t>(depth++)] = static_cast<std::int16_t>(position);
      node = son[position];
    }
    depth_ = depth;
    return node - kTreeSize;
  }

  // The 12-bit distance code: a prefix code of 3..8 bits for the upper 6 bits, then the
  // lower 6 bits as they are.
  int DecodePosition() {
    const unsigned first8 = bits_.PeekBits(8);
    const int length = kPositionTables.length[first8];
    const unsigned code = bits_.TakeBits(length + 6);
    return (kPositionTables.high[first8] << 6) | static_cast<int>(code & 0x3F);
  }

  // Repeats length bytes from distance bytes back; the source may overlap what it
  // produces, and in the first ring's worth of output it may start in the initial ring.
  void CopyMatch(std::size_t distance, std::size_t length) {
    if (length > capacity_ - written_) {
      throw ElzhException("LZH : Decoded data does not fit the output buffer");
    }
    std::uint8_t* const dest = out_ + written_;
    if (distance <= written_) {
      const std::uint8_t* const source = dest - distance;
      if (distance >= length) {
        std::memcpy(dest, source, length);
      } else if (distance == 1) {
        std::memset(dest, *source, length);
      } else {
        for (std::size_t k = 0; k < length; ++k) dest[k] = source[k];
      }
    } else {
      const auto start = static_cast<std::ptrdiff_t>(written_) - static_cast<std::ptrdiff_t>(distance);
      for (std::size_t k = 0; k < length; ++k) {
        const std::ptrdiff_t v = start + static_cast<std::ptrdiff_t>(k);
        dest[k] = v < 0 ? InitialRingByte(v) : out_[v];
      }
    }
    written_ += length;
  }

  // A code passes through distinct inner nodes, so it is at most 313 bits long (a
  // Huffman tree whose counts stay below kMaxFrequency is far shallower still).
  static constexpr int kMaxDepth = kSymbolCount - 1;

  TLzhTree tree_;
  std::array<std::int16_t, kMaxDepth> path_{};  // nodes of the last symbol's code, root side first
  int depth_ = 0;
  TBitReader bits_;
  std::uint8_t* const out_;
  const std::size_t capacity_;
  std::size_t written_ = 0;
};

std::int32_t ReadSize(std::span<const std::uint8_t> input) {
  if (input.size() < 4) throw ElzhException("LZH : Block too short to hold its size");
  const std::uint32_t size = static_cast<std::uint32_t>(input[0]) | static_cast<std::uint32_t>(input[1]) << 8 |
                             static_cast<std::uint32_t>(input[2]) << 16 |
                             static_cast<std::uint32_t>(input[3]) << 24;
  return static_cast<std::int32_t>(size);
}

}  // namespace

std::size_t LzhDecodeBlock(std::span<const std::uint8_t> input, std::span<std::uint8_t> output) {
  const std::int32_t size = ReadSize(input);
  if (size <= 0) return 0;
  // The decoder always produces at least size bytes, so a size beyond the buffer can
  // never fit; refuse it before decoding anything.
  if (static_cast<std::uint32_t>(size) > output.size()) {
    throw ElzhException("LZH : Decoded data does not fit the output buffer");
  }
  TBlockDecoder decoder(input.subspan(4), output);
  return decoder.Decode(static_cast<std::size_t>(size));
}

}  // namespace velquora

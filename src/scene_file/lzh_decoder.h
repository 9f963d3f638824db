#pragma once
// The LZH block decoder: LZSS over a 4096-byte ring whose characters and match lengths
// are coded with an adaptive Huffman tree, and whose match positions are coded with a
// fixed prefix code for the upper 6 bits followed by 6 plain bits.
//
// A stored block is a 4-byte little-endian signed uncompressed size S followed by the
// bit stream, read most significant bit first; bits past the end of the block read as 0.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/exceptions.h"

namespace velquora {

class ElzhException : public Exception {
public:
  using Exception::Exception;
};

// Decodes one stored block into output and returns the number of bytes written: S or a
// few more when the last match runs past S, 0 when S is 0 or negative. Never writes past
// output.size(): a block whose decoded bytes would not fit, or that is too short to hold
// its size, raises ElzhException.
std::size_t LzhDecodeBlock(std::span<const std::uint8_t> input, std::span<std::uint8_t> output);

namespace lzh {

inline constexpr int kRingSize = 4096;                        // N
inline constexpr int kLookAhead = 60;                         // F, the longest match
inline constexpr int kThreshold = 2;                          // matches are longer than this
inline constexpr int kRingStart = kRingSize - kLookAhead;     // first write position, 4036
inline constexpr int kSymbolCount = 256 - kThreshold + kLookAhead;  // 314
inline constexpr int kTreeSize = 2 * kSymbolCount - 1;        // T = 627
inline constexpr int kRoot = kTreeSize - 1;                   // R = 626
inline constexpr unsigned kMaxFrequency = 0x8000;             // root count that forces a rebuild
inline constexpr int kFirstMatchSymbol = 256;                 // symbol 256 is a match of 3 bytes

// Match length of a match symbol (256..313 give 3..60).
constexpr int MatchLength(int symbol) { return symbol - 255 + kThreshold; }

// The fixed position code, indexed by the first 8 bits of a position code: the upper
// 6 bits of the position, and the length in bits of the code that selects them.
struct TPositionTables {
  std::array<std::uint8_t, 256> high{};
  std::array<std::uint8_t, 256> length{};
};

constexpr TPositionTables MakePositionTables() {
  // Codes of length 3..8 select 1, 3, 8, 12, 24 and 16 values of the upper bits; a code
  // of length L covers 2^(8 - L) entries of the 8-bit table.
  constexpr std::array<int, 6> values_per_length = {1, 3, 8, 12, 24, 16};
  TPositionTables tables;
  int entry = 0;
  int high = 0;
  for (int length = 3; length <= 8; ++length) {
    for (int v = 0; v < values_per_length[static_cast<std::size_t>(length - 3)]; ++v, ++high) {
      for (int k = 0; k < (1 << (8 - length)); ++k, ++entry) {
        tables.high[static_cast<std::size_t>(entry)] = static_cast<std::uint8_t>(high);
        tables.length[static_cast<std::size_t>(entry)] = static_cast<std::uint8_t>(length);
      }
    }
  }
  return tables;
}

inline constexpr TPositionTables kPositionTables = MakePositionTables();

// The adaptive Huffman tree shared by the decoder and the test-support encoder. Nodes are
// kept in order of non-decreasing count; son[k] is the left child of inner node k (its
// right child is son[k] + 1) or, when it is kTreeSize or more, the leaf of symbol
// son[k] - kTreeSize. parent[kTreeSize + c] is the node that holds the leaf of symbol c.
class TLzhTree {
public:
  TLzhTree() { Reset(); }

  // The initial tree: every symbol counted once, paired in order.
  void Reset();
  // Counts one more occurrence of symbol and restores the order of the counts, first
  // rebuilding the tree with halved counts when the root's count has reached kMaxFrequency.
  void Update(int symbol);
  // Update for a symbol whose leaf the decoder has just reached from the root through the
  // nodes path[0..depth-1] (path[depth-1] holds the leaf). Until a node has to move, the
  // counts along that path are raised without following parent links.
  void UpdateAlongPath(int symbol, const std::int16_t* path, int depth);

  int Son(int node) const { return son_[static_cast<std::size_t>(node)]; }
  int Parent(int node) const { return parent_[static_cast<std::size_t>(node)]; }
  unsigned Frequency(int node) const { return freq_[static_cast<std::size_t>(node)]; }
  const std::int16_t* Sons() const { return son_.data(); }

private:
  void Rebuild();
  // Raises the counts from node c up to and including the root.
  void RaiseCounts(int c);
  // Node c's count f has passed its right neighbour's: moves c's subtree to the last node
  // with a smaller count and returns that node.
  int MoveRight(int c, unsigned f);

  std::array<std::uint16_t, kTreeSize + 1> freq_{};  // the last entry is a 0xFFFF sentinel
  std::array<std::int16_t, kTreeSize + kSymbolCount> parent_{};
  std::array<std::int16_t, kTreeSize> son_{};
};

}  // namespace lzh
}  // namespace velquora

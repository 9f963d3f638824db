#include "lzh_encoder.h"

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <stdexcept>

#include "scene_file/lzh_decoder.h"

namespace velquora {
namespace {

using namespace lzh;

constexpr int kNil = kRingSize;  // "no node" in the match-finding trees

// Prefix code of the upper 6 bits of a position: the code is the first entry of the
// decode table that yields those bits, kept to its length.
struct TPositionCode {
  std::array<std::uint8_t, 64> code{};    // left-aligned in 8 bits
  std::array<std::uint8_t, 64> length{};
};

constexpr TPositionCode MakePositionCode() {
  TPositionCode result;
  for (int entry = 255; entry >= 0; --entry) {
    const auto high = kPositionTables.high[static_cast<std::size_t>(entry)];
    result.code[high] = static_cast<std::uint8_t>(entry);
    result.length[high] = kPositionTables.length[static_cast<std::size_t>(entry)];
  }
  return result;
}

constexpr TPositionCode kPositionCode = MakePositionCode();

// MSB-first bits into bytes; the last byte is padded with zero bits.
class TBitWriter {
public:
  explicit TBitWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  // Appends the low width bits of value (width 0..32), highest first.
  void Put(std::uint32_t value, int width) {
    for (int bit = width - 1; bit >= 0; --bit) {
      pending_ = static_cast<std::uint8_t>((pending_ << 1) | ((value >> bit) & 1U));
      if (++pendingCount_ == 8) {
        out_.push_back(pending_);
        pending_ = 0;
        pendingCount_ = 0;
      }
    }
  }

  void Flush() {
    if (pendingCount_ > 0) out_.push_back(static_cast<std::uint8_t>(pending_ << (8 - pendingCount_)));
    pending_ = 0;
    pendingCount_ = 0;
  }

private:
  std::vector<std::uint8_t>& out_;
  std::uint8_t pending_ = 0;
  int pendingCount_ = 0;
};

// LZSS match finding over the ring: one binary search tree of ring positions per first
// byte, ordered by the kLookAhead bytes that start at each position.
class TMatchFinder {
public:
  TMatchFinder() {
    text_.fill(0);
    for (int i = kRingSize + 1; i <= kRingSize + 256; ++i) rson_[At(i)] = kNil;
    for (int i = 0; i < kRingSize; ++i) dad_[At(i)] = kNil;
  }

  std::uint8_t& Text(int position) { return text_[At(position)]; }

  // Stores a byte at a ring position, mirroring the first kLookAhead - 1 positions behind
  // the end so that a comparison never has to wrap.
  void Store(int position, std::uint8_t byte) {
    text_[At(position)] = byte;
    if (position < kLookAhead - 1) text_[At(position + kRingSize)] = byte;
  }

  int MatchLength() const { return matchLength_; }
  int MatchPosition() const { return matchPosition_; }

  // Inserts the string at r into its tree and finds the longest match for it (the nearest
  // one among equals); a node holding an identical string is replaced by r.
  void Insert(int r) {
    int cmp = 1;
    const std::uint8_t* const key = &text_[At(r)];
    int p = kRingSize + 1 + key[0];
    rson_[At(r)] = lson_[At(r)] = kNil;
    matchLength_ = 0;
    for (;;) {
      auto& next = cmp >= 0 ? rson_[At(p)] : lson_[At(p)];
      if (next == kNil) {
        next = r;
        dad_[At(r)] = p;
        return;
      }
      p = next;
      int i = 1;
      for (; i < kLookAhead; ++i) {
        cmp = key[i] - text_[At(p + i)];
        if (cmp != 0) break;
      }
      if (i > kThreshold) {
        const int distance = ((r - p) & (kRingSize - 1)) - 1;
        if (i > matchLength_) {
          matchPosition_ = distance;
          matchLength_ = i;
          if (matchLength_ >= kLookAhead) break;
        } else if (i == matchLength_ && distance < matchPosition_) {
          matchPosition_ = distance;
        }
      }
    }
    ReplaceNode(p, r);
  }

  void Delete(int p) {
    if (dad_[At(p)] == kNil) return;
    int q;
    if (rson_[At(p)] == kNil) {
      q = lson_[At(p)];
    } else if (lson_[At(p)] == kNil) {
      q = rson_[At(p)];
    } else {
      q = lson_[At(p)];
      if (rson_[At(q)] != kNil) {
        do q = rson_[At(q)]; while (rson_[At(q)] != kNil);
        rson_[At(dad_[At(q)])] = lson_[At(q)];
        dad_[At(lson_[At(q)])] = dad_[At(q)];
        lson_[At(q)] = lson_[At(p)];
        dad_[At(lson_[At(p)])] = q;
      }
      rson_[At(q)] = rson_[At(p)];
      dad_[At(rson_[At(p)])] = q;
    }
    dad_[At(q)] = dad_[At(p)];
    ReplaceChild(dad_[At(p)], p, q);
    dad_[At(p)] = kNil;
  }

private:
  static std::size_t At(int index) { return static_cast<std::size_t>(index); }

  // r takes over p's place in the tree; p leaves it.
  void ReplaceNode(int p, int r) {
    dad_[At(r)] = dad_[At(p)];
    lson_[At(r)] = lson_[At(p)];
    rson_[At(r)] = rson_[At(p)];
    dad_[At(lson_[At(p)])] = r;
    dad_[At(rson_[At(p)])] = r;
    ReplaceChild(dad_[At(p)], p, r);
    dad_[At(p)] = kNil;
  }

  void ReplaceChild(int parent, int oldChild, int newChild) {
    if (rson_[At(parent)] == oldChild) {
      rson_[At(parent)] = newChild;
    } else {
      lson_[At(parent)] = newChild;
    }
  }

  std::array<std::uint8_t, kRingSize + kLookAhead - 1> text_;
  // Index kNil (= kRingSize) is a scratch node that absorbs writes for absent children;
  // rson_ also holds the 256 tree roots after it.
  std::array<int, kRingSize + 1> lson_{};
  std::array<int, kRingSize + 257> rson_{};
  std::array<int, kRingSize + 1> dad_{};
  int matchLength_ = 0;
  int matchPosition_ = 0;
};

class TBlockEncoder {
public:
  explicit TBlockEncoder(std::vector<std::uint8_t>& out) : bits_(out) {}

  void EncodeSymbol(int symbol) {
    // Walk from the leaf to the root; an odd node is the right child of its parent.
    std::uint64_t code = 0;
    int length = 0;
    for (int node = tree_.Parent(symbol + kTreeSize); node != kRoot; node = tree_.Parent(node)) {
      if (length == 64) throw std::logic_error("LZH encoder: tree deeper than 64 levels");
      code |= static_cast<std::uint64_t>(node & 1) << length;
      ++length;
    }
    for (int done = length; done > 0;) {
      const int width = done > 32 ? 32 : done;
      bits_.Put(static_cast<std::uint32_t>(code >> (done - width)), width);
      done -= width;
    }
    tree_.Update(symbol);
  }

  void EncodePosition(int position) {
    const auto high = static_cast<std::size_t>(position >> 6);
    const int length = kPositionCode.length[high];
    bits_.Put(static_cast<std::uint32_t>(kPositionCode.code[high] >> (8 - length)), length);
    bits_.Put(static_cast<std::uint32_t>(position & 0x3F), 6);
  }

  void Finish() { bits_.Flush(); }

private:
  TBitWriter bits_;
  TLzhTree tree_;
};

void Compress(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out) {
  auto finder = std::make_unique<TMatchFinder>();
  TBlockEncoder encoder(out);
  std::size_t next = 0;  // next input byte to enter the look-ahead

  int s = 0;
  int r = kRingStart;
  for (int i = 0; i < r; ++i) finder->Text(i) = 0x20;
  int len = 0;
  for (; len < kLookAhead && next < data.size(); ++len) finder->Text(r + len) = data[next++];
  for (int i = 1; i <= kLookAhead; ++i) finder->Insert(r - i);
  finder->Insert(r);

  while (len > 0) {
    int matchLength = std::min(finder->MatchLength(), len);
    if (matchLength <= kThreshold) {
      matchLength = 1;
      encoder.EncodeSymbol(finder->Text(r));
    } else {
      encoder.EncodeSymbol(255 - kThreshold + matchLength);
      encoder.EncodePosition(finder->MatchPosition());
    }
    int i = 0;
    for (; i < matchLength && next < data.size(); ++i) {
      finder->Delete(s);
      finder->Store(s, data[next++]);
      s = (s + 1) & (kRingSize - 1);
      r = (r + 1) & (kRingSize - 1);
      finder->Insert(r);
    }
    for (; i < matchLength; ++i) {
      finder->Delete(s);
      s = (s + 1) & (kRingSize - 1);
      r = (r + 1) & (kRingSize - 1);
      if (--len > 0) finder->Insert(r);
    }
  }
  encoder.Finish();
}

}  // namespace

std::vector<std::uint8_t> LzhEncodeBlock(std::span<const std::uint8_t> data) {
  if (data.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    throw std::length_error("LZH encoder: block larger than its 32-bit size field");
  }
  const auto size = static_cast<std::uint32_t>(data.size());
  std::vector<std::uint8_t> out = {static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size >> 8),
                                   static_cast<std::uint8_t>(size >> 16), static_cast<std::uint8_t>(size >> 24)};
  if (!data.empty()) Compress(data, out);
  return out;
}

}  // namespace velquora

#pragma once
// A plain LZHUF decoder written straight from the published algorithm, used by the tests
// as the oracle for the optimised decoder and the encoder: a 16-bit bit buffer read bit by
// bit, a bit-by-bit tree walk, a real ring buffer of N + F - 1 bytes, no output bound.
// Ring positions 4036..4095 start cleared to 0 (the decoder's documented choice).
//
// It also builds bit streams by hand: a script of symbols and positions is coded with the
// same adaptive tree, so tests can produce exact streams the encoder would never emit.
#include <cstdint>
#include <cstring>
#include <span>
#include <utility>
#include <vector>

namespace velquora::lzh_reference {

constexpr int N = 4096;
constexpr int F = 60;
constexpr int THRESHOLD = 2;
constexpr int N_CHAR = 256 - THRESHOLD + F;
constexpr int T = N_CHAR * 2 - 1;
constexpr int R = T - 1;
constexpr unsigned MAX_FREQ = 0x8000;

// The position decode tables, written out as the runs the format defines.
struct TPositionTables {
  std::uint8_t d_code[256];
  std::uint8_t d_len[256];
  TPositionTables() {
    const std::pair<int, int> code_runs[] = {{0, 32}, {1, 16}, {2, 16}, {3, 16}};
    int e = 0;
    for (auto [value, run] : code_runs)
      for (int k = 0; k < run; ++k) d_code[e++] = static_cast<std::uint8_t>(value);
    for (int v = 4; v <= 11; ++v)
      for (int k = 0; k < 8; ++k) d_code[e++] = static_cast<std::uint8_t>(v);
    for (int v = 12; v <= 23; ++v)
      for (int k = 0; k < 4; ++k) d_code[e++] = static_cast<std::uint8_t>(v);
    for (int v = 24; v <= 47; ++v)
      for (int k = 0; k < 2; ++k) d_code[e++] = static_cast<std::uint8_t>(v);
    for (int v = 48; v <= 63; ++v) d_code[e++] = static_cast<std::uint8_t>(v);
    const std::pair<int, int> len_runs[] = {{3, 32}, {4, 48}, {5, 64}, {6, 48}, {7, 48}, {8, 16}};
    e = 0;
    for (auto [value, run] : len_runs)
      for (int k = 0; k < run; ++k) d_len[e++] = static_cast<std::uint8_t>(value);
  }
};

inline const TPositionTables& PositionTables() {
  static const TPositionTables tables;
  return tables;
}

struct TReferenceTree {
  std::uint16_t freq[T + 1];
  std::int16_t prnt[T + N_CHAR];
  std::int16_t son[T];

  TReferenceTree() { StartHuff(); }

  void StartHuff() {
    int i, j;
    for (i = 0; i < N_CHAR; i++) {
      freq[i] = 1;
      son[i] = static_cast<std::int16_t>(i + T);
      prnt[i + T] = static_cast<std::int16_t>(i);
    }
    i = 0;
    j = N_CHAR;
    while (j <= R) {
      freq[j] = static_cast<std::uint16_t>(freq[i] + freq[i + 1]);
      son[j] = static_cast<std::int16_t>(i);
      prnt[i] = prnt[i + 1] = static_cast<std::int16_t>(j);
      i += 2;
      j++;
    }
    freq[T] = 0xffff;
    prnt[R] = 0;
  }

  void reconst() {
    int i, j, k;
    unsigned f, l;
    j = 0;
    for (i = 0; i < T; i++) {
      if (son[i] >= T) {
        freq[j] = static_cast<std::uint16_t>((freq[i] + 1) / 2);
        son[j] = son[i];
        j++;
      }
    }
    for (i = 0, j = N_CHAR; j < T; i += 2, j++) {
      k = i + 1;
      f = freq[j] = static_cast<std::uint16_t>(freq[i] + freq[k]);
      for (k = j - 1; f < freq[k]; k--) {
      }
      k++;
      l = static_cast<unsigned>(j - k);  // entries, not bytes
      std::memmove(&freq[k + 1], &freq[k], l * sizeof freq[0]);
      freq[k] = static_cast<std::uint16_t>(f);
      std::memmove(&son[k + 1], &son[k], l * sizeof son[0]);
      son[k] = static_cast<std::int16_t>(i);
    }
    for (i = 0; i < T; i++) {
      if ((k = son[i]) >= T) {
        prnt[k] = static_cast<std::int16_t>(i);
      } else {
        prnt[k] = prnt[k + 1] = static_cast<std::int16_t>(i);
      }
    }
  }

  void update(int c) {
    int i, j, l;
    unsigned k;
    if (freq[R] == MAX_FREQ) reconst();
    c = prnt[c + T];
    do {
      k = ++freq[c];
      if (k > freq[l = c + 1]) {
        while (k > freq[++l]) {
        }
        l--;
        freq[c] = freq[l];
        freq[l] = static_cast<std::uint16_t>(k);
        i = son[c];
        prnt[i] = static_cast<std::int16_t>(l);
        if (i < T) prnt[i + 1] = static_cast<std::int16_t>(l);
        j = son[l];
        son[l] = static_cast<std::int16_t>(i);
        prnt[j] = static_cast<std::int16_t>(c);
        if (j < T) prnt[j + 1] = static_cast<std::int16_t>(c);
        son[c] = static_cast<std::int16_t>(j);
        c = l;
      }
    } while ((c = prnt[c]) != 0);
  }

  // The bits that lead from the root to the leaf of symbol c, root side first.
  std::vector<int> Code(int c) const {
    std::vector<int> reversed;
    int k = prnt[c + T];
    do {
      reversed.push_back(k & 1);
    } while ((k = prnt[k]) != R);
    return {reversed.rbegin(), reversed.rend()};
  }
};

struct TDecodeResult {
  std::vector<std::uint8_t> bytes;
  std::vector<int> symbols;    // every decoded symbol, in order
  std::vector<int> positions;  // the position of every match symbol, in order
};

class TReferenceDecoder {
public:
  explicit TReferenceDecoder(std::span<const std::uint8_t> block) : block_(block) {}

  // The block must hold at least its 4 size bytes.
  TDecodeResult Decode() {
    TDecodeResult result;
    std::int32_t textsize = 0;
    for (int b = 0; b < 4; ++b) textsize |= static_cast<std::int32_t>(static_cast<std::uint32_t>(block_[pos_++]) << (8 * b));
    for (int i = 0; i < N - F; i++) text_buf[i] = ' ';
    for (int i = N - F; i < N + F - 1; i++) text_buf[i] = 0;
    int r = N - F;
    for (std::int64_t count = 0; count < textsize;) {
      int c = DecodeChar();
      result.symbols.push_back(c);
      if (c < 256) {
        result.bytes.push_back(static_cast<std::uint8_t>(c));
        text_buf[r++] = static_cast<std::uint8_t>(c);
        r &= (N - 1);
        count++;
      } else {
        const int position = DecodePosition();
        result.positions.push_back(position);
        const int i = (r - position - 1) & (N - 1);
        const int j = c - 255 + THRESHOLD;
        for (int k = 0; k < j; k++) {
          c = text_buf[(i + k) & (N - 1)];
          result.bytes.push_back(static_cast<std::uint8_t>(c));
          text_buf[r++] = static_cast<std::uint8_t>(c);
          r &= (N - 1);
          count++;
        }
      }
    }
    return result;
  }

private:
  int NextByte() { return pos_ < block_.size() ? block_[pos_++] : 0; }

  int GetBit() {
    while (getlen <= 8) {
      getbuf = static_cast<std::uint16_t>(getbuf | (NextByte() << (8 - getlen)));
      getlen = static_cast<std::uint8_t>(getlen + 8);
    }
    const int bit = getbuf >> 15;
    getbuf = static_cast<std::uint16_t>(getbuf << 1);
    getlen--;
    return bit;
  }

  int GetByte() {
    while (getlen <= 8) {
      getbuf = static_cast<std::uint16_t>(getbuf | (NextByte() << (8 - getlen)));
      getlen = static_cast<std::uint8_t>(getlen + 8);
    }
    const int byte = getbuf >> 8;
    getbuf = static_cast<std::uint16_t>(getbuf << 8);
    getlen = static_cast<std::uint8_t>(getlen - 8);
    return byte;
  }

  int DecodeChar() {
    unsigned c = static_cast<unsigned>(tree_.son[R]);
    while (c < T) {
      c += static_cast<unsigned>(GetBit());
      c = static_cast<unsigned>(tree_.son[c]);
    }
    c -= T;
    tree_.update(static_cast<int>(c));
    return static_cast<int>(c);
  }

  int DecodePosition() {
    unsigned i = static_cast<unsigned>(GetByte());
    const unsigned c = static_cast<unsigned>(PositionTables().d_code[i]) << 6;
    unsigned j = PositionTables().d_len[i];
    j -= 2;
    while (j--) i = (i << 1) + static_cast<unsigned>(GetBit());
    return static_cast<int>(c | (i & 0x3f));
  }

  std::span<const std::uint8_t> block_;
  std::size_t pos_ = 0;
  std::uint16_t getbuf = 0;
  std::uint8_t getlen = 0;
  std::uint8_t text_buf[N + F - 1];
  TReferenceTree tree_;
};

inline TDecodeResult ReferenceDecode(std::span<const std::uint8_t> block) {
  return TReferenceDecoder(block).Decode();
}

// Writes a block from a script of steps: a literal byte or a match (length 3..60 and a
// 12-bit position, the distance back minus one). The size field is given separately so
// that tests can make it disagree with the script.
class THandEncoder {
public:
  explicit THandEncoder(std::int32_t size) {
    const auto u = static_cast<std::uint32_t>(size);
    for (int b = 0; b < 4; ++b) bytes_.push_back(static_cast<std::uint8_t>(u >> (8 * b)));
  }

  THandEncoder& Literal(std::uint8_t byte) {
    PutSymbol(byte);
    return *this;
  }

  THandEncoder& Match(int length, int position) {
    PutSymbol(length - THRESHOLD + 255);
    // The position code is the first table entry that yields the upper bits, cut to its
    // length, followed by the lower 6 bits.
    const auto& tables = PositionTables();
    int entry = 0;
    while (tables.d_code[entry] != (position >> 6)) ++entry;
    const int length_bits = tables.d_len[entry];
    for (int b = 7; b >= 8 - length_bits; --b) PutBit((entry >> b) & 1);
    for (int b = 5; b >= 0; --b) PutBit((position >> b) & 1);
    return *this;
  }

  // The block, padded to whole bytes with zero bits.
  std::vector<std::uint8_t> Bytes() const {
    std::vector<std::uint8_t> out = bytes_;
    for (std::size_t i = 0; i < bits_.size(); i += 8) {
      std::uint8_t byte = 0;
      for (std::size_t b = 0; b < 8; ++b) {
        byte = static_cast<std::uint8_t>(byte << 1);
        if (i + b < bits_.size()) byte = static_cast<std::uint8_t>(byte | bits_[i + b]);
      }
      out.push_back(byte);
    }
    return out;
  }

private:
  void PutSymbol(int symbol) {
    for (int bit : tree_.Code(symbol)) PutBit(bit);
    tree_.update(symbol);
  }
  void PutBit(int bit) { bits_.push_back(static_cast<std::uint8_t>(bit)); }

  std::vector<std::uint8_t> bytes_;
  std::vector<std::uint8_t> bits_;
  TReferenceTree tree_;
};

}  // namespace velquora::lzh_reference

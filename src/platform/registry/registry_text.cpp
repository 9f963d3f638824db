#include "platform/registry/registry_text.h"

#include <array>
#include <cstdio>

namespace velquora {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kUnicodeHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kHexLineWidth = 76;  // where the registry editor wraps hex lists

// The capital of a letter that the registry folds; other code points stay.
char32_t UpperCodePoint(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c < 0x80) return c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;        // Latin-1
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x137 && c != 0x130 && c != 0x131) return c & ~char32_t{1};
  if (c >= 0x139 && c <= 0x148) return c % 2 == 0 ? c - 1 : c;     // Latin Extended-A
  if (c >= 0x14A && c <= 0x177) return c & ~char32_t{1};
  if (c >= 0x179 && c <= 0x17E) return c % 2 == 0 ? c - 1 : c;
  if (c == 0x3C2) return 0x3A3;                                    // final sigma
  if (c >= 0x3B1 && c <= 0x3CB) return c - 32;                     // Greek
  if (c >= 0x430 && c <= 0x44F) return c - 32;                     // Cyrillic
  if (c >= 0x450 && c <= 0x45F) return c - 80;
  return c;
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameRegistryName(text.substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to max_digits hex digits, the whole text.
bool ParseHexNumber(std::string_view text, std::size_t max_digits, std::uint32_t& number) {
  if (text.empty() || text.size() > max_digits) return false;
  number = 0;
  for (const char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) return false;
    number = number * 16 + static_cast<std::uint32_t>(digit);
  }
  return true;
}

bool HoldsLineBreakOrNul(std::string_view text) { return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos; }

bool IsStringType(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz; }

// Reads the lines of a registry text one by one, counting them.
class LineReader {
public:
  explicit LineReader(std::string_view text) : text_(text) {}

  bool Next(std::string_view& line) {
    if (position_ >= text_.size()) return false;
    const std::size_t end = text_.find('\n', position_);
    const std::size_t stop = end == std::string_view::npos ? text_.size() : end;
    line = text_.substr(position_, stop - position_);
    position_ = stop + 1;
    ++number_;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find('\r') != std::string_view::npos) Fail("carriage return inside a line");
    if (line.find('\0') != std::string_view::npos) Fail("NUL byte");
    return true;
  }

  [[noreturn]] void Fail(const std::string& reason) const { throw ERegistryFormatError(number_, reason); }

private:
  std::string_view text_;
  std::size_t position_ = 0;
  std::size_t number_ = 0;
};

class Parser {
public:
  explicit Parser(std::string_view text) : lines_(text) {}

  TRegistryDocument Parse() {
    std::string_view line;
    if (!ReadHeader()) return std::move(document_);
    while (lines_.Next(line)) {
      line = TrimBlanks(line);
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[') {
        ParseKeyLine(line);
      } else if (line.front() == '"' || line.front() == '@') {
        ParseValueLine(line);
      } else {
        lines_.Fail("neither a key nor a value");
      }
    }
    return std::move(document_);
  }

private:
  // False for a text with no content at all (an empty registry).
  bool ReadHeader() {
    std::string_view line;
    if (!lines_.Next(line)) return false;
    line = TrimBlanks(line);
    if (line == kHeader || line == kUnicodeHeader) return true;
    if (line.empty()) {
      while (lines_.Next(line)) {
        if (!TrimBlanks(line).empty()) lines_.Fail("the text does not start with " + std::string(kHeader));
      }
      return false;
    }
    lines_.Fail("the text does not start with " + std::string(kHeader));
  }

  void ParseKeyLine(std::string_view line) {
    if (line.size() < 2 || line.back() != ']') lines_.Fail("a key line must end with ]");
    if (line[1] == '-') lines_.Fail("key deletions cannot be stored");
    try {
      key_ = &document_.ListKey(line.substr(1, line.size() - 2));
    } catch (const ERegistryError& error) {
      lines_.Fail(error.what());
    }
    names_ = &value_names_[FoldRegistryName(key_->Path)];
  }

  void ParseValueLine(std::string_view line) {
    if (key_ == nullptr) lines_.Fail("a value before the first key");
    std::size_t position = 0;
    TRegistryValue value;
    if (line.front() == '@') {
      position = 1;
    } else {
      value.Name = ParseQuoted(line, position);
    }
    SkipBlanks(line, position);
    if (position >= line.size() || line[position] != '=') lines_.Fail("= expected after the value name");
    ++position;
    SkipBlanks(line, position);
    ParseData(line.substr(position), value);
    // Through an index of the key's names: a long key parses in linear time.
    const auto [entry, added] = names_->try_emplace(FoldRegistryName(value.Name), key_->Values.size());
    if (added) {
      key_->Values.push_back(std::move(value));
    } else {
      TRegistryValue& existing = key_->Values[entry->second];  // keeps its first name
      existing.Type = value.Type;
      existing.Data = std::move(value.Data);
    }
  }

  void ParseData(std::string_view data, TRegistryValue& value) {
    if (!data.empty() && data.front() == '"') {
      std::size_t position = 0;
      value.Type = kRegSz;
      value.Data = ParseQuoted(data, position);
      if (position != data.size()) lines_.Fail("text after the closing quote");
    } else if (StartsWithNoCase(data, "dword:")) {
      std::uint32_t number = 0;
      if (!ParseHexNumber(data.substr(6), 8, number)) lines_.Fail("dword: needs 1 to 8 hex digits");
      value = MakeDwordValue(std::move(value.Name), number);
    } else if (StartsWithNoCase(data, "hex:")) {
      value.Type = kRegBinary;
      value.Data = ParseHexList(data.substr(4));
    } else if (StartsWithNoCase(data, "hex(")) {
      const std::size_t close = data.find("):");
      if (close == std::string_view::npos || !ParseHexNumber(data.substr(4, close - 4), 8, value.Type)) {
        lines_.Fail("hex(type): needs a hex type number");
      }
      value.Data = ParseHexList(data.substr(close + 2));
      // Strings in hex form carry their terminator.
      if (IsStringType(value.Type) && !value.Data.empty() && value.Data.back() == '\0') value.Data.pop_back();
    } else if (data == "-") {
      lines_.Fail("value deletions cannot be stored");
    } else {
      lines_.Fail("unknown value data");
    }
  }

  // A comma-separated list of hex bytes; a backslash at the end of a line continues the
  // list on the next line.
  std::string ParseHexList(std::string_view first) {
    std::string joined;
    std::string_view part = TrimBlanks(first);
    while (!part.empty() && part.back() == '\\') {
      joined += part.substr(0, part.size() - 1);
      std::string_view next;
      if (!lines_.Next(next)) lines_.Fail("the hex list continues past the end");
      part = TrimBlanks(next);
    }
    joined += part;
    std::string bytes;
    std::string_view rest = joined;
    if (TrimBlanks(rest).empty()) return bytes;
    for (;;) {
      const std::size_t comma = rest.find(',');
      std::uint32_t byte = 0;
      if (!ParseHexNumber(TrimBlanks(rest.substr(0, comma)), 2, byte)) lines_.Fail("a hex byte expected");
      bytes += static_cast<char>(byte);
      if (comma == std::string_view::npos) return bytes;
      rest.remove_prefix(comma + 1);
    }
  }

  std::string ParseQuoted(std::string_view line, std::size_t& position) {
    std::string text;
    ++position;  // the opening quote
    while (position < line.size()) {
      const char c = line[position++];
      if (c == '"') return text;
      if (c == '\\') {
        if (position >= line.size() || (line[position] != '\\' && line[position] != '"')) {
          lines_.Fail("only \\\\ and \\\" may follow a backslash");
        }
        text += line[position++];
      } else {
        text += c;
      }
    }
    lines_.Fail("unterminated string");
  }

  static void SkipBlanks(std::string_view line, std::size_t& position) {
    while (position < line.size() && IsBlank(line[position])) ++position;
  }

  LineReader lines_;
  TRegistryDocument document_;
  // The key of the last key line and the index of its value names; both stay valid
  // until the next key line, since values never move keys.
  TRegistryKey* key_ = nullptr;
  std::unordered_map<std::string, std::size_t>* names_ = nullptr;
  std::unordered_map<std::string, std::unordered_map<std::string, std::size_t>> value_names_;
};

std::string Quote(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '\\' || c == '"') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string HexList(std::string_view bytes, std::size_t column) {
  std::string list;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::array<char, 3> digits{};
    std::snprintf(digits.data(), digits.size(), "%02x", static_cast<unsigned char>(bytes[i]));
    list += digits.data();
    column += 2;
    if (i + 1 == bytes.size()) break;
    list += ',';
    ++column;
    if (column > kHexLineWidth) {
      list += "\\\n  ";
      column = 2;
    }
  }
  return list;
}

std::string FormatData(const TRegistryValue& value, std::size_t column) {
  if (value.Type == kRegSz && !HoldsLineBreakOrNul(value.Data)) return Quote(value.Data);
  if (value.Type == kRegDword && value.Data.size() == 4) {
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(value.Data[static_cast<std::size_t>(i)]);
    std::array<char, 16> digits{};
    std::snprintf(digits.data(), digits.size(), "%08x", number);
    return "dword:" + std::string(digits.data());
  }
  std::string prefix = "hex:";
  if (value.Type != kRegBinary) {
    std::array<char, 24> text{};
    std::snprintf(text.data(), text.size(), "hex(%x):", value.Type);
    prefix = text.data();
  }
  std::string bytes = value.Data;
  if (IsStringType(value.Type)) bytes += '\0';
  return prefix + HexList(bytes, column + prefix.size());
}

}  // namespace

TRegistryValue MakeStringValue(std::string name, std::string text) {
  return TRegistryValue{std::move(name), kRegSz, std::move(text)};
}

TRegistryValue MakeDwordValue(std::string name, std::uint32_t number) {
  std::string data(4, '\0');
  for (std::size_t i = 0; i < 4; ++i) data[i] = static_cast<char>(number >> (8 * i) & 0xFF);
  return TRegistryValue{std::move(name), kRegDword, std::move(data)};
}

const TRegistryValue* TRegistryKey::FindValue(std::string_view name) const {
  for (const TRegistryValue& value : Values) {
    if (SameRegistryName(value.Name, name)) return &value;
  }
  return nullptr;
}

void TRegistryKey::SetValue(TRegistryValue value) {
  if (HoldsLineBreakOrNul(value.Name)) throw ERegistryError("A value name cannot hold a line break or a NUL");
  for (TRegistryValue& existing : Values) {
    if (SameRegistryName(existing.Name, value.Name)) {
      existing.Type = value.Type;
      existing.Data = std::move(value.Data);
      return;
    }
  }
  Values.push_back(std::move(value));
}

const TRegistryKey* TRegistryDocument::FindKey(std::string_view path) const {
  try {
    const auto found = index_.find(FoldRegistryName(NormalizeKeyPath(path)));
    return found == index_.end() ? nullptr : &keys_[found->second];
  } catch (const ERegistryError&) {
    return nullptr;
  }
}

bool TRegistryDocument::KeyExists(std::string_view path) const {
  try {
    const std::string folded = FoldRegistryName(NormalizeKeyPath(path));
    return index_.contains(folded) || parents_.contains(folded);
  } catch (const ERegistryError&) {
    return false;
  }
}

TRegistryKey& TRegistryDocument::ListKey(std::string_view path) {
  std::string normalised = NormalizeKeyPath(path);
  std::string folded = FoldRegistryName(normalised);
  if (TRegistryKey* key = Find(folded)) return *key;
  Append(std::move(normalised), std::move(folded));
  return keys_.back();
}

TRegistryKey& TRegistryDocument::CreateKey(std::string_view path) {
  const std::string normalised = NormalizeKeyPath(path);
  // Parents from the first one below the root, as the registry editor lists them.
  for (std::size_t slash = normalised.find('\\'); slash != std::string::npos;
       slash = normalised.find('\\', slash + 1)) {
    const std::size_t next = normalised.find('\\', slash + 1);
    if (next == std::string::npos) break;
    const std::string parent = normalised.substr(0, next);
    if (!KeyExists(parent)) ListKey(parent);
  }
  return ListKey(normalised);
}

TRegistryKey* TRegistryDocument::Find(const std::string& folded_path) {
  const auto found = index_.find(folded_path);
  return found == index_.end() ? nullptr : &keys_[found->second];
}

void TRegistryDocument::Append(std::string normalised_path, std::string folded_path) {
  for (std::size_t slash = folded_path.find('\\'); slash != std::string::npos;
       slash = folded_path.find('\\', slash + 1)) {
    parents_.insert(folded_path.substr(0, slash));
  }
  index_.emplace(std::move(folded_path), keys_.size());
  keys_.push_back(TRegistryKey{std::move(normalised_path), {}});
}

std::string FoldRegistryName(std::string_view name) {
  std::string folded;
  folded.reserve(name.size());
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto lead = static_cast<unsigned char>(name[i]);
    if (lead >= 0xC2 && lead <= 0xDF && i + 1 < name.size() && IsContinuation(static_cast<unsigned char>(name[i + 1]))) {
      // Every folded letter outside ASCII lies in the two-byte range of UTF-8.
      const char32_t upper = UpperCodePoint((char32_t{lead} & 0x1F) << 6 | (static_cast<unsigned char>(name[i + 1]) & 0x3F));
      folded += static_cast<char>(0xC0 | upper >> 6);
      folded += static_cast<char>(0x80 | (upper & 0x3F));
      ++i;
    } else {
      folded += static_cast<char>(lead < 0x80 ? UpperCodePoint(lead) : lead);
    }
  }
  return folded;
}

bool SameRegistryName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && FoldRegistryName(a) == FoldRegistryName(b);
}

std::string NormalizeKeyPath(std::string_view path) {
  if (HoldsLineBreakOrNul(path)) throw ERegistryError("A key path cannot hold a line break or a NUL");
  if (path.size() > 1 && path.back() == '\\') path.remove_suffix(1);
  if (!StartsWithNoCase(path, "HKEY_") || path.size() == 5 || path.substr(0, path.find('\\')).size() == 5) {
    throw ERegistryError("A key path must start with a root key: " + std::string(path));
  }
  if (path.find("\\\\") != std::string_view::npos || path.back() == '\\') {
    throw ERegistryError("A key path cannot hold an empty name: " + std::string(path));
  }
  return std::string(path);
}

TRegistryDocument ParseRegistryText(std::string_view text) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  return Parser(text).Parse();
}

std::string FormatRegistryText(const TRegistryDocument& document) {
  std::string text = std::string(kHeader) + "\n\n";
  for (const TRegistryKey& key : document.Keys()) {
    text += "[" + key.Path + "]\n";
    for (const TRegistryValue& value : key.Values) {
      const std::string name = value.Name.empty() ? "@" : Quote(value.Name);
      text += name + "=" + FormatData(value, name.size() + 1) + "\n";
    }
    text += "\n";
  }
  return text;
}

}  // namespace velquora

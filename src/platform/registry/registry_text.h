#pragma once
// The registry held in memory and its REGEDIT4 text form. A document is a list of keys,
// each named by its full path from a root ("HKEY_CURRENT_USER\SOFTWARE\..."), each with
// typed values. Key and value names compare case-insensitively as the Windows registry
// compares them; the text of a name keeps the case it was first written with.
//
// Text form, as the Windows registry editor writes it:
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\SOFTWARE\Dorvex\Screen Savers\Aquarium]
//   "Timer Interval"="100"
//   "Flag"=dword:00000001
//   "Blob"=hex:01,02,ff
//   "Other"=hex(7):61,00,00
//   @="the key's default value"
//
// Strings escape only `\` and `"` (as `\\` and `\"`). Bytes are kept as they are, so
// UTF-8 names and texts stay UTF-8 on disk.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/exceptions.h"

namespace velquora {

// Any failure of the registry layer: a value of the wrong type, a missing value that
// was required, a name that cannot be stored, a store that cannot be read or written.
class ERegistryError : public Exception {
public:
  using Exception::Exception;
};

// Registry text that cannot be parsed; Line() is 1-based.
class ERegistryFormatError : public ERegistryError {
public:
  ERegistryFormatError(std::size_t line, const std::string& reason)
      : ERegistryError("line " + std::to_string(line) + ": " + reason), line_(line) {}
  std::size_t Line() const { return line_; }

private:
  std::size_t line_;
};

// Registry value types (the Windows REG_* numbers).
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

struct TRegistryValue {
  std::string Name;              // "" is the key's default value (written as @)
  std::uint32_t Type = kRegSz;   // one of the kReg* numbers, or any other type number
  std::string Data;              // REG_SZ / REG_EXPAND_SZ: the text without terminator;
                                 // REG_DWORD: 4 little-endian bytes; others: raw bytes

  bool operator==(const TRegistryValue&) const = default;
};

TRegistryValue MakeStringValue(std::string name, std::string text);
TRegistryValue MakeDwordValue(std::string name, std::uint32_t number);

struct TRegistryKey {
  std::string Path;                    // full path from the root, as first written
  std::vector<TRegistryValue> Values;  // in the order first written

  const TRegistryValue* FindValue(std::string_view name) const;
  // Replaces a value of the same name (case-insensitively) in place, or appends it.
  // Raises ERegistryError for a name holding a line break or a NUL (no text form can
  // keep it).
  void SetValue(TRegistryValue value);

  bool operator==(const TRegistryKey&) const = default;
};

class TRegistryDocument {
public:
  const std::vector<TRegistryKey>& Keys() const { return keys_; }
  // The key with this path, or nullptr. Paths are checked and normalised first
  // (NormalizeKeyPath); an invalid path finds nothing.
  const TRegistryKey* FindKey(std::string_view path) const;
  // True when the key is listed or is the parent of a listed key.
  bool KeyExists(std::string_view path) const;
  // The key with this path, listing it and any parent that does not exist yet first.
  // Raises ERegistryError for an invalid path.
  TRegistryKey& CreateKey(std::string_view path);
  // The key with this path, listing only it when missing (as a file lists it).
  TRegistryKey& ListKey(std::string_view path);

  bool operator==(const TRegistryDocument& other) const { return keys_ == other.keys_; }

private:
  TRegistryKey* Find(const std::string& folded_path);
  void Append(std::string normalised_path, std::string folded_path);

  std::vector<TRegistryKey> keys_;
  std::unordered_map<std::string, std::size_t> index_;  // folded path -> position in keys_
  std::unordered_set<std::string> parents_;             // folded paths of every parent
};

// Upper-cases the letters that the registry treats as equal to their capitals: ASCII,
// Latin-1, Latin Extended-A, Greek and Cyrillic (UTF-8 in, UTF-8 out). Other bytes,
// malformed sequences included, stay as they are.
std::string FoldRegistryName(std::string_view name);
bool SameRegistryName(std::string_view a, std::string_view b);

// Checks a key path and returns it without a trailing backslash. A valid path starts
// with a root whose name begins with "HKEY_", has no empty component and no line break
// or NUL. Raises ERegistryError otherwise.
std::string NormalizeKeyPath(std::string_view path);

// Parses REGEDIT4 text (a UTF-8 byte-order mark and CRLF line ends are accepted; the
// header "Windows Registry Editor Version 5.00" is accepted as well). Comment lines
// (";") and blank lines are skipped; a key listed twice gets the values of both.
// Raises ERegistryFormatError for anything else: a line that is not a key line or a
// value line of the forms above, a value before the first key, a NUL byte, a carriage
// return inside a line, deletion entries ("[-key]", "name"=-).
TRegistryDocument ParseRegistryText(std::string_view text);

// The REGEDIT4 text of a document. Strings holding a line break or a NUL are written in
// the hex(1) form so that they read back unchanged.
std::string FormatRegistryText(const TRegistryDocument& document);

}  // namespace velquora

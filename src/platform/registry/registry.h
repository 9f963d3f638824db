#pragma once
// TRegistry: one open key of the durable registry, read and written as the Windows
// registry API is: opening without creating fails for a missing key, reading a value
// of another type raises, and every write reaches the file at once.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/registry_store.h"

namespace velquora {

inline constexpr std::string_view kCurrentUserRoot = "HKEY_CURRENT_USER";

class TRegistry {
public:
  explicit TRegistry(TRegistryStore& store, std::string_view root = kCurrentUserRoot);

  // Opens root\subkey; with can_create a missing key (and its missing parents) is
  // created in the file. False when the key does not exist and may not be created, the
  // path is invalid, or the store cannot be read or written (reported on stderr).
  bool OpenKey(std::string_view subkey, bool can_create);
  void CloseKey();
  bool KeyIsOpen() const { return open_; }
  // The full path of the open key, "HKEY_CURRENT_USER\..." ("" when none is open).
  const std::string& CurrentPath() const { return path_; }

  bool ValueExists(std::string_view name) const;
  // A REG_SZ or REG_EXPAND_SZ value's text; nullopt when the value is missing. Raises
  // ERegistryError for a value of another type.
  std::optional<std::string> ReadString(std::string_view name) const;
  // A REG_DWORD value as a signed 32-bit number. Raises ERegistryError when the value
  // is missing or of another type.
  std::int32_t ReadInteger(std::string_view name) const;

  // Store a REG_SZ or REG_DWORD value in the open key. Raises ERegistryError when no key
  // is open, the name cannot be stored, or the file cannot be written.
  void WriteString(std::string_view name, std::string_view text);
  void WriteInteger(std::string_view name, std::int32_t number);

private:
  const TRegistryValue* Find(std::string_view name) const;
  void Write(TRegistryValue value);

  TRegistryStore& store_;
  std::string root_;
  bool open_ = false;
  std::string path_;
  TRegistryDocument contents_;  // the store as last read or written
};

}  // namespace velquora

#include "platform/registry/registry.h"

namespace velquora {

namespace {

std::string ValueLabel(std::string_view name) { return name.empty() ? "(default)" : std::string(name); }

}  // namespace

TRegistry::TRegistry(TRegistryStore& store, std::string_view root) : store_(store), root_(root) {}

bool TRegistry::OpenKey(std::string_view subkey, bool can_create) {
  CloseKey();
  std::string path;
  try {
    path = NormalizeKeyPath(subkey.empty() ? root_ : root_ + "\\" + std::string(subkey));
    if (can_create) {
      contents_ = store_.Update([&path](TRegistryDocument& document) {
        if (!document.KeyExists(path)) document.CreateKey(path);
      });
    } else {
      contents_ = store_.Load();
      if (!contents_.KeyExists(path)) return false;
    }
  } catch (const ERegistryError&) {
    return false;  // the store has reported its own failures
  }
  path_ = std::move(path);
  open_ = true;
  return true;
}

void TRegistry::CloseKey() {
  open_ = false;
  path_.clear();
  contents_ = {};
}

bool TRegistry::ValueExists(std::string_view name) const { return Find(name) != nullptr; }

std::optional<std::string> TRegistry::ReadString(std::string_view name) const {
  const TRegistryValue* value = Find(name);
  if (value == nullptr) return std::nullopt;
  if (value->Type != kRegSz && value->Type != kRegExpandSz) {
    throw ERegistryError("Invalid data type for '" + ValueLabel(name) + "'");
  }
  return value->Data;
}

std::int32_t TRegistry::ReadInteger(std::string_view name) const {
  const TRegistryValue* value = Find(name);
  if (value == nullptr) throw ERegistryError("Failed to get data for '" + ValueLabel(name) + "'");
  if (value->Type != kRegDword || value->Data.size() != 4) {
    throw ERegistryError("Invalid data type for '" + ValueLabel(name) + "'");
  }
  std::uint32_t number = 0;
  for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(value->Data[static_cast<std::size_t>(i)]);
  return static_cast<std::int32_t>(number);
}

void TRegistry::WriteString(std::string_view name, std::string_view text) {
  Write(MakeStringValue(std::string(name), std::string(text)));
}

void TRegistry::WriteInteger(std::string_view name, std::int32_t number) {
  Write(MakeDwordValue(std::string(name), static_cast<std::uint32_t>(number)));
}

const TRegistryValue* TRegistry::Find(std::string_view name) const {
  if (!open_) return nullptr;
  const TRegistryKey* key = contents_.FindKey(path_);
  return key == nullptr ? nullptr : key->FindValue(name);
}

void TRegistry::Write(TRegistryValue value) {
  if (!open_) throw ERegistryError("No registry key is open");
  contents_ = store_.Update([this, &value](TRegistryDocument& document) {
    // Created again if the file lost it meanwhile (a damaged file was set aside).
    document.CreateKey(path_).SetValue(value);
  });
}

}  // namespace velquora

// Registry text parser: any bytes either parse or raise ERegistryFormatError; what
// parses formats into text that parses back to the same registry.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz_determinism.h"
#include "platform/registry/registry_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const velquora::FuzzDeterminism determinism(data, size);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  velquora::TRegistryDocument document;
  try {
    document = velquora::ParseRegistryText(text);
  } catch (const velquora::ERegistryFormatError&) {
    return 0;
  }
  const std::string formatted = velquora::FormatRegistryText(document);
  const velquora::TRegistryDocument again = velquora::ParseRegistryText(formatted);
  if (!(again == document)) std::abort();
  for (const velquora::TRegistryKey& key : document.Keys()) {
    if (document.FindKey(key.Path) == nullptr || !document.KeyExists(key.Path)) std::abort();
    for (const velquora::TRegistryValue& value : key.Values) {
      if (key.FindValue(value.Name) == nullptr) std::abort();
    }
  }
  return 0;
}

#include "core/ansi_text.h"

namespace velquora {

AnsiString UpperCaseAnsi(std::string_view text) {
  AnsiString result(text);
  for (char& c : result) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || byte >= 0xE0) c = static_cast<char>(byte - 32);
  }
  return result;
}

}  // namespace velquora

#include "platform/win/dialog_template.h"

#include <algorithm>

namespace velquora {

namespace {

// Reads little-endian words from the template, never past its end; any read that
// would go past the end marks the reader failed and gives 0.
class TemplateReader {
public:
  explicit TemplateReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool Failed() const { return failed_; }
  std::size_t Offset() const { return offset_; }

  std::uint16_t Word() {
    if (failed_ || bytes_.size() - offset_ < 2) {
      failed_ = true;
      return 0;
    }
    const auto value = static_cast<std::uint16_t>(bytes_[offset_] | (bytes_[offset_ + 1] << 8));
    offset_ += 2;
    return value;
  }
  std::int16_t Short() { return static_cast<std::int16_t>(Word()); }
  std::uint32_t DWord() {
    const std::uint32_t low = Word();
    const std::uint32_t high = Word();
    return low | (high << 16);
  }
  // A NUL-terminated UTF-16 string.
  std::u16string Text() {
    std::u16string text;
    for (;;) {
      const std::uint16_t unit = Word();
      if (failed_ || unit == 0) return text;
      text.push_back(static_cast<char16_t>(unit));
    }
  }
  // A menu or class field: 0 (none), 0xFFFF followed by an ordinal, or a name.
  struct NameOrOrdinal {
    bool None = false;
    std::optional<std::uint16_t> Ordinal;
  };
  NameOrOrdinal NameOrOrdinalField() {
    const std::uint16_t first = Word();
    if (first == 0) return {true, std::nullopt};
    if (first == 0xFFFF) return {false, Word()};
    // A name: the first unit was its first character.
    while (!failed_ && Word() != 0) {
    }
    return {};
  }
  void Align4() {
    const std::size_t aligned = (offset_ + 3) & ~std::size_t{3};
    if (aligned > bytes_.size()) {
      // Padding at the very end may be missing: nothing follows it anyway.
      offset_ = bytes_.size();
      return;
    }
    offset_ = aligned;
  }
  std::vector<std::uint8_t> Bytes(std::size_t count) {
    if (failed_ || bytes_.size() - offset_ < count) {
      failed_ = true;
      return {};
    }
    std::vector<std::uint8_t> data(bytes_.begin() + static_cast<std::ptrdiff_t>(offset_),
                                   bytes_.begin() + static_cast<std::ptrdiff_t>(offset_ + count));
    offset_ += count;
    return data;
  }

private:
  std::span<const std::uint8_t> bytes_;
  std::size_t offset_ = 0;
  bool failed_ = false;
};

constexpr std::uint32_t kDsSetFont = 0x40;

bool KnownClass(std::uint16_t atom) {
  return atom == static_cast<std::uint16_t>(DialogControlClass::Button) ||
         atom == static_cast<std::uint16_t>(DialogControlClass::Static) ||
         atom == static_cast<std::uint16_t>(DialogControlClass::ScrollBar);
}

}  // namespace

std::optional<DialogTemplate> ParseDialogTemplate(std::span<const std::uint8_t> bytes) {
  TemplateReader reader(bytes);
  DialogTemplate result;
  result.Style = reader.DWord();
  result.ExStyle = reader.DWord();
  const std::uint16_t count = reader.Word();
  result.X = reader.Short();
  result.Y = reader.Short();
  result.Width = reader.Short();
  result.Height = reader.Short();
  // Extended templates (DLGTEMPLATEEX, signature 0xFFFF in the second word) are not ours.
  if ((result.Style >> 16) == 0xFFFF) return std::nullopt;
  const auto menu = reader.NameOrOrdinalField();
  const auto window_class = reader.NameOrOrdinalField();
  if (reader.Failed() || !menu.None || !window_class.None) return std::nullopt;
  result.Title = reader.Text();
  if ((result.Style & kDsSetFont) != 0) {
    result.PointSize = reader.Word();
    result.FaceName = reader.Text();
  }
  if (reader.Failed()) return std::nullopt;
  // Every item needs at least 24 bytes: a count beyond what is left is refused before
  // anything is reserved for it.
  result.Items.reserve(std::min<std::size_t>(count, bytes.size() / 24));
  for (std::uint16_t i = 0; i < count; ++i) {
    reader.Align4();
    DialogItemTemplate item;
    item.Style = reader.DWord();
    item.ExStyle = reader.DWord();
    item.X = reader.Short();
    item.Y = reader.Short();
    item.Width = reader.Short();
    item.Height = reader.Short();
    item.Id = reader.Word();
    const auto item_class = reader.NameOrOrdinalField();
    if (reader.Failed() || !item_class.Ordinal || !KnownClass(*item_class.Ordinal)) return std::nullopt;
    item.Class = static_cast<DialogControlClass>(*item_class.Ordinal);
    // The text: 0xFFFF and a resource ordinal (pictures; none of our classes shows one)
    // is taken as empty, otherwise a NUL-terminated string.
    const std::uint16_t first = reader.Word();
    if (first == 0xFFFF) {
      reader.Word();
    } else if (first != 0) {
      item.Text.push_back(static_cast<char16_t>(first));
      item.Text += reader.Text();
    }
    const std::uint16_t extra = reader.Word();
    // The size word counts itself in 16-bit templates only; here it is the data's size.
    item.CreationData = reader.Bytes(extra);
    if (reader.Failed()) return std::nullopt;
    result.Items.push_back(std::move(item));
  }
  return result;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    char32_t code = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
    bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
    for (int k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) valid = false;
      code = (code << 6) | (next & 0x3F);
    }
    if (!valid || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    i += static_cast<std::size_t>(length);
    if (code >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code));
    }
  }
  return out;
}

}  // namespace velquora

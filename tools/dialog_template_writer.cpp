#include "dialog_template_writer.h"

namespace velquora {

namespace {
void Word(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}
void DWord(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Word(out, value & 0xFFFF);
  Word(out, value >> 16);
}
void Text(std::vector<std::uint8_t>& out, const std::u16string& text) {
  for (const char16_t unit : text) Word(out, unit);
  Word(out, 0);
}
void Align(std::vector<std::uint8_t>& out) {
  while (out.size() % 4 != 0) out.push_back(0);
}
}  // namespace

std::vector<std::uint8_t> WriteDialogTemplate(const DialogSpec& design) {
  std::vector<std::uint8_t> out;
  DWord(out, design.Style);
  DWord(out, 0);
  Word(out, static_cast<std::uint32_t>(design.Items.size()));
  Word(out, static_cast<std::uint32_t>(design.X));
  Word(out, static_cast<std::uint32_t>(design.Y));
  Word(out, static_cast<std::uint32_t>(design.Width));
  Word(out, static_cast<std::uint32_t>(design.Height));
  Word(out, 0);  // no menu
  Word(out, 0);  // the dialog class
  Text(out, design.Title);
  if ((design.Style & 0x40) != 0) {
    Word(out, static_cast<std::uint32_t>(design.PointSize));
    Text(out, design.Face);
  }
  for (const DialogItemSpec& item : design.Items) {
    Align(out);
    DWord(out, item.Style | 0x50000000);
    DWord(out, 0);
    Word(out, static_cast<std::uint32_t>(item.X));
    Word(out, static_cast<std::uint32_t>(item.Y));
    Word(out, static_cast<std::uint32_t>(item.Width));
    Word(out, static_cast<std::uint32_t>(item.Height));
    Word(out, static_cast<std::uint32_t>(item.Id));
    Word(out, 0xFFFF);
    Word(out, static_cast<std::uint32_t>(item.Class));
    Text(out, item.Text);
    Word(out, 0);  // no creation data
  }
  return out;
}

}  // namespace velquora

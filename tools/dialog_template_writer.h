#pragma once
// Writes in-memory dialog templates (a DLGTEMPLATE header with DS_SETFONT and its
// DLGITEMTEMPLATE items, each at a 4-byte boundary, texts in UTF-16) for tests and fuzz
// seeds.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/dialog_template.h"

namespace velquora {

struct DialogItemSpec {
  DialogControlClass Class = DialogControlClass::Static;
  int Id = 0;
  std::uint32_t Style = 0;  // WS_CHILD | WS_VISIBLE are added
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  std::u16string Text;
};

struct DialogSpec {
  std::uint32_t Style = 0x80C800C0;  // WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  std::u16string Title;
  int PointSize = 8;
  std::u16string Face = u"MS Sans Serif";
  std::vector<DialogItemSpec> Items;
};

std::vector<std::uint8_t> WriteDialogTemplate(const DialogSpec& design);

}  // namespace velquora

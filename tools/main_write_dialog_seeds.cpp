// Writes dialog templates into a folder as seeds for the dialog template fuzz target:
//   write_dialog_seeds FOLDER
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "dialog_template_writer.h"
#include "platform/win/messages.h"

int main(int argc, char** argv) {
  using namespace velquora;
  if (argc != 2) {
    std::cerr << "usage: write_dialog_seeds FOLDER\n";
    return 2;
  }
  const std::filesystem::path folder(argv[1]);
  std::filesystem::create_directories(folder);
  DialogSpec full;
  full.Width = 191;
  full.Height = 155;
  full.Title = u"Settings";
  full.Items = {
      {DialogControlClass::ScrollBar, 6, WS_TABSTOP | SBS_TOPALIGN, 4, 15, 118, 12, u""},
      {DialogControlClass::Button, 5, WS_TABSTOP | BS_AUTOCHECKBOX, 4, 39, 81, 11, u"Play sound"},
      {DialogControlClass::Button, IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 127, 4, 57, 15, u"OK"},
      {DialogControlClass::Button, IDCANCEL, WS_TABSTOP, 127, 22, 57, 15, u"Cancel"},
      {DialogControlClass::Static, 202, SS_LEFT, 4, 55, 184, 26, u"First line\rSecond line that wraps at the edge\r"},
  };
  DialogSpec empty;
  empty.Width = 200;
  empty.Height = 200;
  empty.Title = u"Tmp";
  DialogSpec no_font = full;
  no_font.Style &= ~DS_SETFONT;
  int index = 0;
  for (const DialogSpec* design : {&full, &empty, &no_font}) {
    const std::vector<std::uint8_t> bytes = WriteDialogTemplate(*design);
    std::ofstream out(folder / ("seed" + std::to_string(index++) + ".dlg"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  return 0;
}

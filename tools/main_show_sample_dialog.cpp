// Shows a sample dialog on the display for a moment and saves a picture of it:
//   show_sample_dialog OUTPUT.png [MILLISECONDS]
// Used to look at the dialogs' drawing on a virtual X server.
#include <iostream>
#include <string>

#include "dialog_template_writer.h"
#include "platform/gdi/bitmap.h"
#include "platform/win/sdl_backend.h"
#include "platform/win/window_system.h"
#include "platform/win/x11_client.h"

int main(int argc, char** argv) {
  using namespace velquora;
  if (argc < 2) {
    std::cerr << "usage: show_sample_dialog OUTPUT.png [MILLISECONDS]\n";
    return 2;
  }
  const int milliseconds = argc > 2 ? std::stoi(argv[2]) : 500;
  std::unique_ptr<WindowBackend> backend = OpenDisplayBackend();
  if (!backend) {
    std::cerr << "no display\n";
    return 1;
  }
  TWindowSystem windows(std::move(backend));
  DialogSpec design;
  design.Width = 191;
  design.Height = 155;
  design.Title = u"Sample settings";
  design.Items = {
      {DialogControlClass::ScrollBar, 6, WS_TABSTOP | SBS_TOPALIGN, 4, 15, 118, 12, u""},
      {DialogControlClass::Button, 5, WS_TABSTOP | BS_AUTOCHECKBOX, 4, 39, 81, 11, u"Play sound"},
      {DialogControlClass::Button, IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 127, 4, 57, 15, u"OK"},
      {DialogControlClass::Button, IDCANCEL, WS_TABSTOP, 127, 22, 57, 15, u"Cancel"},
      {DialogControlClass::Button, 4, WS_TABSTOP, 156, 90, 28, 15, u"Go ->"},
      {DialogControlClass::Button, 7, WS_TABSTOP, 127, 115, 57, 15, u"About"},
      {DialogControlClass::Static, 200, SS_LEFT, 4, 28, 118, 11, u"20 frames per second"},
      {DialogControlClass::Static, 201, SS_LEFT, 4, 5, 118, 10, u"Playing speed:"},
      {DialogControlClass::Static, 202, SS_LEFT, 4, 55, 179, 26,
       u"A sample scene for looking at the dialog's drawing.\rSecond line of the first block, long enough to wrap "
       u"at the edge of its control.\r"},
      {DialogControlClass::Static, 203, SS_LEFT, 4, 80, 179, 10, u"Support:"},
      {DialogControlClass::Static, 204, SS_LEFT, 4, 92, 152, 11, u"www.example.org/support"},
      {DialogControlClass::Static, 205, SS_LEFT, 4, 105, 121, 46, u"Notes:\rPress OK to keep the speed.\r"},
  };
  const std::vector<std::uint8_t> bytes = WriteDialogTemplate(design);
  const WindowHandle dialog = windows.CreateDialogIndirectParam(
      bytes, kNoWindow,
      [&windows](WindowHandle self, UINT message, WPARAM, LPARAM) -> LRESULT {
        if (message == WM_INITDIALOG) {
          const WindowHandle bar = windows.GetDlgItem(self, 6);
          windows.SetScrollRange(bar, SB_CTL, 1, 40, false);
          windows.SetScrollPos(bar, SB_CTL, 20, true);
          windows.CheckDlgButton(self, 5, BST_CHECKED);
          const std::optional<Rect> rect = windows.GetWindowRect(self);
          windows.SetWindowPos(self, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW);
          (void)rect;
        }
        if (message == WM_TIMER) windows.PostQuitMessage(0);
        return message == WM_SYSCOMMAND ? 1 : 0;
      },
      0);
  if (dialog == kNoWindow) {
    std::cerr << "no dialog\n";
    return 1;
  }
  const int dpi = windows.GetDeviceCaps(dialog, LOGPIXELSY);
  ScopedFont link(windows, windows.CreateFont(-MulDiv(8, dpi, 72), 0, true, "MS Sans Serif"));
  windows.SendMessage(windows.GetDlgItem(dialog, 204), WM_SETFONT, link.Get(), 1);
  windows.ShowWindow(dialog, SW_SHOW);
  windows.SetForegroundWindow(dialog);
  windows.SetTimer(dialog, 1, milliseconds);
  TMsg message;
  while (windows.GetMessage(message)) windows.IsDialogMessage(dialog, message);
  const std::unique_ptr<TX11Client> client = TX11Client::Connect("");
  if (!client) return 1;
  const std::optional<TBitmap> picture = client->Capture(client->Root());
  if (!picture) return 1;
  SavePng(*picture, argv[1]);
  std::cout << "dialog " << std::hex << dialog << std::dec << " dpi " << dpi << "\n";
  return 0;
}

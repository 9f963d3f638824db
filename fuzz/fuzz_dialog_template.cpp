// libFuzzer target for dialog templates: any bytes go to the template parser, which must
// refuse what is malformed and never read past the bytes. A template that parses is made
// into a dialog on the headless window system (fonts, layout, controls, drawing) and
// given a few keys and clicks; its controls must be those of the template.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

#include "platform/win/dialog_template.h"
#include "platform/win/headless_backend.h"
#include "platform/win/window_system.h"

// fontconfig keeps its configuration for the life of the process by design; what it
// holds at exit is not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velquora;
  const std::span<const std::uint8_t> bytes(data, size);
  const std::optional<DialogTemplate> parsed = ParseDialogTemplate(bytes);
  if (!parsed) return 0;
  // Fonts and drawing only for dialogs of a sane item count, to keep runs fast.
  if (parsed->Items.size() > 64) return 0;
  auto backend = std::make_unique<HeadlessBackend>();
  HeadlessBackend* headless = backend.get();
  TWindowSystem windows(std::move(backend));
  int commands = 0;
  const WindowHandle dialog = windows.CreateDialogIndirectParam(
      bytes, kNoWindow,
      [&commands](WindowHandle, UINT message, WPARAM, LPARAM) -> LRESULT {
        if (message == WM_COMMAND || message == WM_HSCROLL) ++commands;
        return message == WM_SYSCOMMAND ? 1 : 0;
      },
      0);
  if (dialog == kNoWindow) return 0;
  for (const DialogItemTemplate& item : parsed->Items) {
    const WindowHandle control = windows.GetDlgItem(dialog, item.Id);
    if (control == kNoWindow || windows.GetDlgCtrlID(control) != item.Id) std::abort();
  }
  windows.ShowWindow(dialog, SW_SHOW);
  for (const WPARAM key : {VK_TAB, VK_SPACE, VK_RIGHT, VK_LEFT, VK_RETURN, VK_ESCAPE}) headless->InjectKey(dialog, key);
  for (const DialogItemTemplate& item : parsed->Items) {
    const std::optional<Rect> place = windows.GetWindowRect(windows.GetDlgItem(dialog, item.Id));
    const std::optional<Rect> origin = windows.GetWindowRect(dialog);
    if (!place || !origin) std::abort();
    headless->InjectClick(dialog, place->Left - origin->Left + 2, place->Top - origin->Top + 2);
  }
  headless->InjectClose(dialog);
  TMsg message;
  while (windows.GetMessage(message)) windows.IsDialogMessage(dialog, message);
  return 0;
}

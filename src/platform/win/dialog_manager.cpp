// Dialogs from in-memory templates: the controls, their drawing and their input.
#include <algorithm>

#include "platform/win/dialog_template.h"
#include "platform/win/window_system.h"

namespace velquora {

std::optional<Rect> TWindowSystem::GetWindowRect(WindowHandle) { return std::nullopt; }
bool TWindowSystem::SetWindowPos(WindowHandle, int, int, int, int, UINT) { return false; }
bool TWindowSystem::ShowWindow(WindowHandle, int) { return false; }
bool TWindowSystem::IsWindowVisible(WindowHandle) const { return false; }
bool TWindowSystem::SetForegroundWindow(WindowHandle) { return false; }
std::optional<Point> TWindowSystem::GetCursorPos() { return std::nullopt; }
bool TWindowSystem::ScreenToClient(WindowHandle, Point&) { return false; }
int TWindowSystem::GetSystemMetrics(int) { return 0; }
int TWindowSystem::GetDeviceCaps(WindowHandle, int) { return 0; }
bool TWindowSystem::IsKeyDown(WPARAM) { return false; }
WindowHandle TWindowSystem::CreateDialogIndirectParam(std::span<const std::uint8_t>, WindowHandle, DialogProcedure,
                                                      LPARAM) {
  return kNoWindow;
}
bool TWindowSystem::IsDialogMessage(WindowHandle, const TMsg&) { return false; }
bool TWindowSystem::MapDialogRect(WindowHandle, Rect&) { return false; }
std::optional<DialogBaseUnits> TWindowSystem::GetDialogBaseUnits(WindowHandle) { return std::nullopt; }
WindowHandle TWindowSystem::GetDlgItem(WindowHandle, int) { return kNoWindow; }
int TWindowSystem::GetDlgCtrlID(WindowHandle) { return 0; }
bool TWindowSystem::SetDlgItemText(WindowHandle, int, std::u16string_view) { return false; }
std::u16string TWindowSystem::GetDlgItemText(WindowHandle, int) { return {}; }
bool TWindowSystem::SetWindowText(WindowHandle, std::u16string_view) { return false; }
std::u16string TWindowSystem::GetWindowText(WindowHandle) { return {}; }
bool TWindowSystem::CheckDlgButton(WindowHandle, int, UINT) { return false; }
UINT TWindowSystem::IsDlgButtonChecked(WindowHandle, int) { return 0; }
std::uint32_t TWindowSystem::GetWindowStyle(WindowHandle) { return 0; }
WindowHandle TWindowSystem::GetFocus(WindowHandle) { return kNoWindow; }
bool TWindowSystem::SetFocus(WindowHandle) { return false; }
int TWindowSystem::SetScrollRange(WindowHandle, int, int, int, bool) { return 0; }
int TWindowSystem::SetScrollPos(WindowHandle, int, int, bool) { return 0; }
int TWindowSystem::GetScrollPos(WindowHandle, int) { return 0; }
bool TWindowSystem::GetScrollRange(WindowHandle, int, int&, int&) { return false; }
FontHandle TWindowSystem::CreateFont(int, int, bool, std::string_view) { return kNoFont; }
bool TWindowSystem::DeleteObject(FontHandle) { return false; }

std::optional<DialogTemplate> ParseDialogTemplate(std::span<const std::uint8_t>) { return std::nullopt; }
std::string SubstituteFontFace(std::string_view face) { return std::string(face); }
std::string FindFontFile(std::string_view, bool) { return {}; }
DialogBaseUnits MeasureDialogBaseUnits(std::string_view, int, int) { return {}; }

}  // namespace velquora

#include "platform/win/headless_backend.h"

#include <algorithm>

namespace velquora {

WindowHandle HeadlessBackend::Create(const NativeWindowRequest& request) {
  if (RefuseWindows) return kNoWindow;
  if (request.Kind == NativeWindowKind::Child && !foreign_.contains(request.Parent) && !windows_.contains(request.Parent)) {
    return kNoWindow;
  }
  if (request.Kind == NativeWindowKind::Foreign) {
    if (!foreign_.contains(request.Parent)) return kNoWindow;
    windows_[request.Parent] = NativeWindow{request, true, 0, {}, {}};
    return request.Parent;
  }
  const WindowHandle handle = next_handle_++;
  windows_[handle] = NativeWindow{request, true, 0, {}, {}};
  return handle;
}

void HeadlessBackend::Destroy(WindowHandle window) {
  if (windows_.erase(window) > 0) ++destroyed_;
}

std::optional<Rect> HeadlessBackend::ClientRect(WindowHandle window) {
  if (const auto found = foreign_.find(window); found != foreign_.end()) return found->second;
  if (const auto found = windows_.find(window); found != windows_.end()) {
    const Rect& bounds = found->second.Request.Bounds;
    return Rect{0, 0, bounds.Width(), bounds.Height()};
  }
  return std::nullopt;
}

void HeadlessBackend::Present(WindowHandle window, const TBitmap& picture, const std::vector<Rect>& changed) {
  const auto found = windows_.find(window);
  if (found == windows_.end()) return;
  ++found->second.Presented;
  found->second.LastPicture.Assign(picture);
  found->second.LastChanged = changed;
}

void HeadlessBackend::SetCursorVisible(WindowHandle window, bool visible) {
  if (const auto found = windows_.find(window); found != windows_.end()) found->second.CursorVisible = visible;
}

bool HeadlessBackend::WaitForInput(std::optional<std::uint32_t> timeout, std::vector<TMsg>& input) {
  const std::uint64_t deadline = timeout ? now_ + *timeout : UINT64_MAX;
  if (scripted_.empty() || scripted_.begin()->first > deadline) {
    if (!timeout) return false;
    now_ = deadline;
    return true;
  }
  const std::uint64_t at = std::max(now_, scripted_.begin()->first);
  now_ = at;
  while (!scripted_.empty() && scripted_.begin()->first <= at) {
    input.push_back(scripted_.begin()->second);
    scripted_.erase(scripted_.begin());
  }
  return true;
}

void HeadlessBackend::ScheduleInput(std::uint64_t at, const TMsg& message) { scripted_.emplace(at, message); }

WindowHandle HeadlessBackend::AddForeignWindow(const Rect& client) {
  const WindowHandle handle = next_handle_++;
  foreign_[handle] = client;
  return handle;
}

void HeadlessBackend::LoseWindow(WindowHandle window, std::uint64_t at) {
  ScheduleInput(at, TMsg{window, kNativeWindowGone, 0, 0});
}

void HeadlessBackend::Show(WindowHandle window, bool visible) {
  if (const auto found = windows_.find(window); found != windows_.end()) found->second.Request.Visible = visible;
}

void HeadlessBackend::Move(WindowHandle window, const Rect& bounds) {
  if (const auto found = windows_.find(window); found != windows_.end()) found->second.Request.Bounds = bounds;
}

void HeadlessBackend::InjectKey(WindowHandle window, WPARAM virtual_key, bool shift) {
  if (shift) ScheduleInput(now_, TMsg{window, WM_KEYDOWN, VK_SHIFT, 0});
  ScheduleInput(now_, TMsg{window, WM_KEYDOWN, virtual_key, 0});
  if (shift) ScheduleInput(now_, TMsg{window, WM_KEYUP, VK_SHIFT, 0});
}

void HeadlessBackend::InjectMouse(WindowHandle window, UINT message, int x, int y) {
  const WPARAM buttons = message == WM_LBUTTONDOWN || (message == WM_MOUSEMOVE && button_down_) ? MK_LBUTTON : 0;
  if (message == WM_LBUTTONDOWN) button_down_ = true;
  if (message == WM_LBUTTONUP) button_down_ = false;
  ScheduleInput(now_, TMsg{window, message, buttons, MakePointParam(x, y)});
}

void HeadlessBackend::InjectClick(WindowHandle window, int x, int y) {
  InjectMouse(window, WM_LBUTTONDOWN, x, y);
  InjectMouse(window, WM_LBUTTONUP, x, y);
}

void HeadlessBackend::InjectClose(WindowHandle window) { ScheduleInput(now_, TMsg{window, WM_SYSCOMMAND, SC_CLOSE, 0}); }

const HeadlessBackend::NativeWindow* HeadlessBackend::Find(WindowHandle window) const {
  const auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : &found->second;
}

}  // namespace velquora

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

const HeadlessBackend::NativeWindow* HeadlessBackend::Find(WindowHandle window) const {
  const auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : &found->second;
}

}  // namespace velquora

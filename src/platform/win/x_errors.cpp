#include "platform/win/x_errors.h"

namespace velquora {

namespace {
bool g_request_failed = false;
int RecordFailedRequest(Display*, XErrorEvent*) {
  g_request_failed = true;
  return 0;
}
}  // namespace

bool WithoutXErrors(Display* display, const std::function<void()>& requests) {
  g_request_failed = false;
  XErrorHandler previous = XSetErrorHandler(RecordFailedRequest);
  requests();
  XSync(display, False);
  XSetErrorHandler(previous);
  return !g_request_failed;
}

}  // namespace velquora

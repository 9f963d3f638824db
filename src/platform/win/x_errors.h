#pragma once
// X requests whose errors are recorded instead of reported: another program may destroy
// a window the saver names at any moment, and a display may refuse what it cannot do
// (shared memory from another machine's client).
#include <X11/Xlib.h>

#include <functional>

namespace velquora {

// Runs the requests and waits for the server to answer them; false when any failed.
bool WithoutXErrors(Display* display, const std::function<void()>& requests);

}  // namespace velquora

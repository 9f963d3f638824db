#include "platform/win/x11_client.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstring>

#include "platform/win/x_errors.h"

namespace velquora {

namespace {
std::uint8_t Channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  const unsigned long max = mask >> shift;
  return static_cast<std::uint8_t>(((pixel & mask) >> shift) * 255 / max);
}

// Copies an X image into target's top-left area as far as both reach.
void CopyImage(XImage* image, TBitmap& target) {
  const int width = std::min(image->width, target.Width());
  const int height = std::min(image->height, target.Height());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      target.SetPixel(x, y, RGB(Channel(pixel, image->red_mask), Channel(pixel, image->green_mask),
                                Channel(pixel, image->blue_mask)));
    }
  }
}
}  // namespace

struct TX11Client::Connection {
  Display* display = nullptr;
  ~Connection() {
    if (display != nullptr) XCloseDisplay(display);
  }
};

TX11Client::TX11Client(std::unique_ptr<Connection> connection) : connection_(std::move(connection)) {}
TX11Client::~TX11Client() = default;

std::unique_ptr<TX11Client> TX11Client::Connect(const std::string& display) {
  auto connection = std::make_unique<Connection>();
  connection->display = XOpenDisplay(display.empty() ? nullptr : display.c_str());
  if (connection->display == nullptr) return nullptr;
  return std::unique_ptr<TX11Client>(new TX11Client(std::move(connection)));
}

WindowHandle TX11Client::Root() const { return DefaultRootWindow(connection_->display); }

WindowHandle TX11Client::CreateWindow(const Rect& bounds) {
  Display* display = connection_->display;
  const int screen = DefaultScreen(display);
  if (bounds.Width() <= 0 || bounds.Height() <= 0) return kNoWindow;
  const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), bounds.Left, bounds.Top,
                                            static_cast<unsigned>(bounds.Width()),
                                            static_cast<unsigned>(bounds.Height()), 0, BlackPixel(display, screen),
                                            BlackPixel(display, screen));
  XMapWindow(display, window);
  XSync(display, False);
  return window;
}

void TX11Client::DestroyWindow(WindowHandle window) {
  Display* display = connection_->display;
  WithoutXErrors(display, [&] { XDestroyWindow(display, static_cast<Window>(window)); });
}

std::optional<TBitmap> TX11Client::Capture(WindowHandle window) {
  Display* display = connection_->display;
  XWindowAttributes attributes{};
  XImage* image = nullptr;
  const bool ok = WithoutXErrors(display, [&] {
    if (XGetWindowAttributes(display, static_cast<Window>(window), &attributes) == 0) return;
    image = XGetImage(display, static_cast<Window>(window), 0, 0, static_cast<unsigned>(attributes.width),
                      static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  });
  if (!ok || image == nullptr) {
    if (image != nullptr) XDestroyImage(image);
    return std::nullopt;
  }
  TBitmap picture(image->width, image->height);
  CopyImage(image, picture);
  XDestroyImage(image);
  return picture;
}

int TX11Client::ChildCount(WindowHandle window) {
  Display* display = connection_->display;
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  const bool ok = WithoutXErrors(
      display, [&] { XQueryTree(display, static_cast<Window>(window), &root, &parent, &children, &count); });
  if (children != nullptr) XFree(children);
  return ok ? static_cast<int>(count) : -1;
}

WindowHandle TX11Client::FindTopLevel(const std::string& title) {
  Display* display = connection_->display;
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  WindowHandle found = kNoWindow;
  WithoutXErrors(display, [&] {
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) return;
    for (unsigned i = 0; i < count && found == kNoWindow; ++i) {
      XTextProperty name{};  // the bytes as stored, whatever their encoding
      if (XGetWMName(display, children[i], &name) != 0 && name.value != nullptr) {
        if (title == std::string(reinterpret_cast<const char*>(name.value), name.nitems)) found = children[i];
        XFree(name.value);
      }
    }
  });
  if (children != nullptr) XFree(children);
  return found;
}

bool ReadDisplayScreen(TBitmap& target) {
  const std::unique_ptr<TX11Client> client = TX11Client::Connect("");
  if (!client) return false;
  const std::optional<TBitmap> screen = client->Capture(client->Root());
  if (!screen) return false;
  const int width = std::min(screen->Width(), target.Width());
  const int height = std::min(screen->Height(), target.Height());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) target.SetPixel(x, y, screen->GetPixel(x, y));
  }
  return true;
}

}  // namespace velquora

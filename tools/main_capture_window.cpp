// capture_window TITLE FILE.png [SECONDS]: waits (default 10 seconds) for a top-level
// window with the title on $DISPLAY and saves its pixels as a PNG. Exit status 1 when
// no such window appears. Used to take pictures of the dialogs for the documentation.
#include <chrono>
#include <iostream>
#include <string>
#include <thread>

#include "platform/gdi/bitmap.h"
#include "platform/win/x11_client.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: capture_window TITLE FILE.png [SECONDS]\n";
    return 2;
  }
  const std::string title = argv[1];
  const int seconds = argc > 3 ? std::stoi(argv[3]) : 10;
  const auto client = velquora::TX11Client::Connect("");
  if (!client) {
    std::cerr << "capture_window: no display\n";
    return 1;
  }
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (const velquora::WindowHandle window = client->FindTopLevel(title); window != velquora::kNoWindow) {
      std::this_thread::sleep_for(std::chrono::milliseconds(500));  // drawn
      if (const auto picture = client->Capture(window)) {
        velquora::SavePng(*picture, argv[2]);
        std::cout << window << "\n";
        return 0;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  std::cerr << "capture_window: no window \"" << title << "\"\n";
  return 1;
}

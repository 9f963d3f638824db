#include "platform/win/message_box.h"

#include <iostream>
#include <utility>

namespace velquora {

namespace {
std::shared_ptr<MessageBoxes>& Installed() {
  static std::shared_ptr<MessageBoxes> boxes = std::make_shared<StderrMessageBoxes>();
  return boxes;
}
}  // namespace

MessageBoxResult StderrMessageBoxes::Show(const MessageBoxRequest& request) {
  std::cerr << request.caption << ": " << request.text << std::endl;
  return request.buttons == MessageBoxButtons::Ok ? MessageBoxResult::Ok : request.default_button;
}

MessageBoxResult ShowMessageBox(const MessageBoxRequest& request) { return Installed()->Show(request); }

std::shared_ptr<MessageBoxes> SetMessageBoxes(std::shared_ptr<MessageBoxes> boxes) {
  if (!boxes) boxes = std::make_shared<StderrMessageBoxes>();
  return std::exchange(Installed(), std::move(boxes));
}

}  // namespace velquora

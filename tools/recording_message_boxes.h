#pragma once
// Test support: a message-box back end that records every box and answers with a
// chosen result (the box's default button unless told otherwise), and one that
// answers silently. Install with ScopedMessageBoxes.
#include <memory>
#include <optional>
#include <vector>

#include "platform/win/message_box.h"

namespace velquora {

class RecordingMessageBoxes : public MessageBoxes {
public:
  MessageBoxResult Show(const MessageBoxRequest& request) override {
    shown.push_back(request);
    if (answer) return *answer;
    return request.buttons == MessageBoxButtons::Ok ? MessageBoxResult::Ok : request.default_button;
  }

  std::vector<MessageBoxRequest> shown;
  std::optional<MessageBoxResult> answer;  // empty: the default button
};

class SilentMessageBoxes : public MessageBoxes {
public:
  MessageBoxResult Show(const MessageBoxRequest& request) override {
    return request.buttons == MessageBoxButtons::Ok ? MessageBoxResult::Ok : request.default_button;
  }
};

// Installs a recording back end for a scope; boxes() gives what it recorded.
class ScopedRecordingMessageBoxes {
public:
  ScopedRecordingMessageBoxes() : boxes_(std::make_shared<RecordingMessageBoxes>()), scope_(boxes_) {}
  RecordingMessageBoxes& boxes() { return *boxes_; }

private:
  std::shared_ptr<RecordingMessageBoxes> boxes_;
  ScopedMessageBoxes scope_;
};

}  // namespace velquora

#include "platform/win/message_box.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

namespace velquora {
namespace {

class CapturedStderr {
public:
  CapturedStderr() : previous_(std::cerr.rdbuf(text_.rdbuf())) {}
  ~CapturedStderr() { std::cerr.rdbuf(previous_); }
  std::string Text() const { return text_.str(); }

private:
  std::ostringstream text_;
  std::streambuf* previous_;
};

TEST(StderrMessageBoxes, WritesCaptionAndTextWithCarriageReturnsAsNewlines) {
  CapturedStderr captured;
  StderrMessageBoxes boxes;
  MessageBoxRequest request;
  request.text = "first.\rsecond\r\rthird\r\nfourth";
  request.caption = "Error";
  boxes.Show(request);
  EXPECT_EQ(captured.Text(), "Error: first.\nsecond\n\nthird\nfourth\n");
}

TEST(StderrMessageBoxes, AnswersWithTheDefaultButton) {
  CapturedStderr captured;
  StderrMessageBoxes boxes;
  MessageBoxRequest question;
  question.buttons = MessageBoxButtons::YesNo;
  question.default_button = MessageBoxResult::No;
  EXPECT_EQ(boxes.Show(question), MessageBoxResult::No);
  question.default_button = MessageBoxResult::Yes;
  EXPECT_EQ(boxes.Show(question), MessageBoxResult::Yes);
  question.buttons = MessageBoxButtons::Ok;
  question.default_button = MessageBoxResult::No;
  EXPECT_EQ(boxes.Show(question), MessageBoxResult::Ok);
}

}  // namespace
}  // namespace velquora

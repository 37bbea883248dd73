#include "platform/message_box.h"

namespace vorn::platform {

MessageAnswer AnswerWithoutDisplay(const MessageBoxRequest& request) {
  if (request.answer_without_display) return *request.answer_without_display;
  switch (request.buttons) {
    case MessageButtons::kOk:
      return MessageAnswer::kOk;
    case MessageButtons::kOkCancel:
      return MessageAnswer::kCancel;
    case MessageButtons::kYesNo:
      return MessageAnswer::kNo;
  }
  return MessageAnswer::kOk;
}

MessageAnswer HeadlessMessageBoxes::Show(const MessageBoxRequest& request) {
  shown_.push_back(request);
  if (answers_.empty()) {
    ++unscripted_;
    return AnswerWithoutDisplay(request);
  }
  const MessageAnswer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

}  // namespace vorn::platform

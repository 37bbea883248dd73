#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace vorn::platform {

class Window;

enum class MessageIcon { kNone, kInformation, kWarning, kError, kQuestion };
enum class MessageButtons { kOk, kOkCancel, kYesNo };
enum class MessageAnswer { kOk, kCancel, kYes, kNo };

struct MessageBoxRequest {
  std::string text;     // CP932 (UTF-8 when text_is_host_text is set)
  std::string caption;  // CP932
  MessageIcon icon = MessageIcon::kNone;
  MessageButtons buttons = MessageButtons::kOk;
  Window* owner = nullptr;
  // The answer when no box can be shown: the one that ends the dialog chain instead of asking
  // again, so a start-up without a display never loops. Unset: OK, Cancel or No by buttons.
  std::optional<MessageAnswer> answer_without_display;
  // The text is UTF-8 as the host gives it, not CP932: it names a file the system has no name for.
  bool text_is_host_text = false;
};

// The answer a request gets when nobody can be asked.
MessageAnswer AnswerWithoutDisplay(const MessageBoxRequest& request);

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual MessageAnswer Show(const MessageBoxRequest& request) = 0;
};

// Headless: records every box and answers from a script. A box with no scripted answer left is
// recorded as unscripted (a test checks there were none) and gets the no-display answer.
class HeadlessMessageBoxes final : public MessageBoxes {
 public:
  MessageAnswer Show(const MessageBoxRequest& request) override;

  void Script(MessageAnswer answer) { answers_.push_back(answer); }
  const std::vector<MessageBoxRequest>& shown() const { return shown_; }
  int unscripted() const { return unscripted_; }

 private:
  std::deque<MessageAnswer> answers_;
  std::vector<MessageBoxRequest> shown_;
  int unscripted_ = 0;
};

}  // namespace vorn::platform

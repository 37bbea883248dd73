#include "platform/headless_input_script.h"

#include <array>
#include <bitset>
#include <cctype>
#include <charconv>
#include <utility>

#include "platform/headless_application.h"
#include "platform/key_codes.h"

namespace vorn::platform {
namespace {

// The host may name the side of a modifier; the right one's code follows the left one's.
constexpr int kVkLeftShift = 0xA0;
constexpr int kVkLeftControl = 0xA2;
constexpr int kVkLeftMenu = 0xA4;
constexpr int kFunctionKeys = 12;
constexpr std::size_t kQuotedChars = 40;  // of a bad word in an error, so a huge line stays readable

struct NamedKey {
  std::string_view name;
  int code;
};

constexpr std::array kNamedKeys = {
    NamedKey{"Tab", kVkTab},       NamedKey{"Return", kVkReturn},  NamedKey{"Escape", kVkEscape},
    NamedKey{"Space", kVkSpace},   NamedKey{"PageUp", kVkPrior},   NamedKey{"PageDown", kVkNext},
    NamedKey{"End", kVkEnd},       NamedKey{"Home", kVkHome},      NamedKey{"Left", kVkLeft},
    NamedKey{"Up", kVkUp},         NamedKey{"Right", kVkRight},    NamedKey{"Down", kVkDown},
    NamedKey{"Shift", kVkShift},   NamedKey{"Control", kVkControl}, NamedKey{"Alt", kVkMenu},
};

std::string Quoted(std::string_view word) {
  if (word.size() <= kQuotedChars) return "\"" + std::string(word) + "\"";
  return "\"" + std::string(word.substr(0, kQuotedChars)) + "...\"";
}

// The words of a line, split at spaces and tabs.
std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    const std::size_t start = at;
    while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
    if (at > start) words.push_back(line.substr(start, at - start));
  }
  return words;
}

template <typename Integer>
bool ParseInteger(std::string_view text, Integer& value, int base = 10) {
  if (text.empty()) return false;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(first, last, value, base);
  return error == std::errc() && end == last;
}

int ParseKey(std::string_view word, std::size_t line) {
  if (const std::optional<int> named = VirtualKeyByName(word)) return *named;
  int code = -1;
  const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
  if (!(hex ? ParseInteger(word.substr(2), code, 16) : ParseInteger(word, code)) || code < 0 || code > 0xFF) {
    throw InputScriptError(line, "unknown key " + Quoted(word) + " (a name, or a code from 0 to 255)");
  }
  return code;
}

int ParseCoordinate(std::string_view word, std::size_t line) {
  int value = 0;
  if (!ParseInteger(word, value)) throw InputScriptError(line, "bad coordinate " + Quoted(word));
  return value;
}

MouseButton ParseButton(std::string_view word, std::size_t line) {
  if (word == "left") return MouseButton::kLeft;
  if (word == "right") return MouseButton::kRight;
  throw InputScriptError(line, "unknown button " + Quoted(word) + " (left or right)");
}

unsigned ButtonBit(MouseButton button) { return button == MouseButton::kLeft ? kLeftButtonHeld : kRightButtonHeld; }

// What the host remembers between events: keys and buttons held down.
class HeldState {
 public:
  void Apply(Event& event) {
    switch (event.type) {
      case EventType::kKeyDown:
        event.repeat = keys_.test(static_cast<std::size_t>(event.key));
        keys_.set(static_cast<std::size_t>(event.key));
        break;
      case EventType::kKeyUp:
        keys_.reset(static_cast<std::size_t>(event.key));
        break;
      case EventType::kMouseDown:
        buttons_ |= ButtonBit(event.button);
        break;
      case EventType::kMouseUp:
        buttons_ &= ~ButtonBit(event.button);
        break;
      case EventType::kDeactivate:
        keys_.reset();
        buttons_ = 0;
        break;
      default:
        break;
    }
    event.shift = Modifiers() | buttons_;
  }

 private:
  bool AnyHeld(int generic, int left) const {
    return keys_.test(static_cast<std::size_t>(generic)) || keys_.test(static_cast<std::size_t>(left)) ||
           keys_.test(static_cast<std::size_t>(left + 1));
  }
  unsigned Modifiers() const {
    unsigned shift = 0;
    if (AnyHeld(kVkShift, kVkLeftShift)) shift |= kShiftKey;
    if (AnyHeld(kVkControl, kVkLeftControl)) shift |= kCtrlKey;
    if (AnyHeld(kVkMenu, kVkLeftMenu)) shift |= kAltKey;
    return shift;
  }

  std::bitset<256> keys_;
  unsigned buttons_ = 0;
};

void ExpectWords(const std::vector<std::string_view>& words, std::size_t count, std::string_view usage,
                 std::size_t line) {
  if (words.size() < count) throw InputScriptError(line, "missing arguments: " + std::string(usage));
  if (words.size() > count) throw InputScriptError(line, "unexpected " + Quoted(words[count]) + " after " + std::string(usage));
}

// What follows the word (after one blank) to the end of the line.
std::string_view RestAfter(std::string_view line_text, std::string_view word) {
  const auto end = static_cast<std::size_t>(word.data() + word.size() - line_text.data());
  return end < line_text.size() ? line_text.substr(end + 1) : std::string_view();
}

Event ParseEvent(std::string_view line_text, const std::vector<std::string_view>& words, std::size_t line) {
  const std::string_view name = words[1];
  Event event;
  if (name == "text") {
    // The text is passed on as written, valid UTF-8 or not: the receiver checks it.
    event.type = EventType::kTextInput;
    event.text = std::string(RestAfter(line_text, words[1]));
    if (event.text.empty()) throw InputScriptError(line, "missing arguments: text UTF-8");
  } else if (name == "compose") {
    if (words.size() < 3) throw InputScriptError(line, "missing arguments: compose CURSOR [UTF-8]");
    event.type = EventType::kTextEditing;
    std::uint32_t cursor = 0;
    if (!ParseInteger(words[2], cursor) || cursor > INT32_MAX) {
      throw InputScriptError(line, "bad cursor " + Quoted(words[2]) + " (characters from 0)");
    }
    event.text_cursor = static_cast<int>(cursor);
    event.text = std::string(RestAfter(line_text, words[2]));
  } else if (name == "keydown" || name == "keyup") {
    ExpectWords(words, 3, std::string(name) + " KEY", line);
    event.type = name == "keydown" ? EventType::kKeyDown : EventType::kKeyUp;
    event.key = ParseKey(words[2], line);
  } else if (name == "move") {
    ExpectWords(words, 4, "move X Y", line);
    event.type = EventType::kMouseMove;
    event.x = ParseCoordinate(words[2], line);
    event.y = ParseCoordinate(words[3], line);
  } else if (name == "down" || name == "up") {
    ExpectWords(words, 5, std::string(name) + " left|right X Y", line);
    event.type = name == "down" ? EventType::kMouseDown : EventType::kMouseUp;
    event.button = ParseButton(words[2], line);
    event.x = ParseCoordinate(words[3], line);
    event.y = ParseCoordinate(words[4], line);
  } else if (name == "wheel") {
    ExpectWords(words, 5, "wheel up|down X Y", line);
    event.type = EventType::kMouseWheel;
    if (words[2] == "up") {
      event.wheel = 1;
    } else if (words[2] == "down") {
      event.wheel = -1;
    } else {
      throw InputScriptError(line, "unknown wheel direction " + Quoted(words[2]) + " (up or down)");
    }
    event.x = ParseCoordinate(words[3], line);
    event.y = ParseCoordinate(words[4], line);
  } else if (name == "activate" || name == "deactivate" || name == "leave") {
    ExpectWords(words, 2, std::string(name), line);
    event.type = name == "activate" ? EventType::kActivate : name == "leave" ? EventType::kMouseLeave : EventType::kDeactivate;
  } else {
    throw InputScriptError(line, "unknown event " + Quoted(name) +
                                     " (keydown, keyup, move, down, up, wheel, deactivate, activate, leave, text, "
                                     "compose)");
  }
  return event;
}

}  // namespace

std::optional<int> VirtualKeyByName(std::string_view name) {
  for (const NamedKey& key : kNamedKeys) {
    if (key.name == name) return key.code;
  }
  if (name.size() == 1) {
    const unsigned char c = static_cast<unsigned char>(name[0]);
    if (std::isalpha(c) != 0) return std::toupper(c);
    if (std::isdigit(c) != 0) return c;
  }
  if (name.size() >= 2 && name[0] == 'F') {
    int number = 0;
    if (ParseInteger(name.substr(1), number) && name[1] != '0' && number >= 1 && number <= kFunctionKeys) {
      return kVkF1 + number - 1;
    }
  }
  return std::nullopt;
}

InputScriptError::InputScriptError(std::size_t line, const std::string& reason)
    : std::runtime_error("line " + std::to_string(line) + ": " + reason), line_(line) {}

std::vector<TimedInputEvent> ParseInputScript(std::istream& in, std::uint32_t last_frame) {
  std::vector<TimedInputEvent> events;
  HeldState held;
  std::string text;
  std::size_t line = 0;
  std::uint32_t previous_frame = 0;
  while (std::getline(in, text)) {
    ++line;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    const std::vector<std::string_view> words = Words(text);
    if (words.empty() || words[0].front() == '#') continue;
    std::uint32_t frame = 0;
    if (!ParseInteger(words[0], frame) || frame == 0) {
      throw InputScriptError(line, "bad frame " + Quoted(words[0]) + " (frames count from 1)");
    }
    if (frame > last_frame) {
      throw InputScriptError(line, "frame " + std::to_string(frame) + " comes after the last frame run (" +
                                       std::to_string(last_frame) + ")");
    }
    if (frame < previous_frame) {
      throw InputScriptError(line, "frame " + std::to_string(frame) + " comes after frame " +
                                       std::to_string(previous_frame) + " (frames must not go back)");
    }
    if (words.size() < 2) throw InputScriptError(line, "missing event after the frame");
    TimedInputEvent timed{frame, ParseEvent(text, words, line)};
    held.Apply(timed.event);
    events.push_back(timed);
    previous_frame = frame;
  }
  if (in.bad()) throw InputScriptError(line + 1, "the file cannot be read");
  return events;
}

HeadlessInputFeeder::HeadlessInputFeeder(HeadlessApplication& application, std::vector<TimedInputEvent> events)
    : application_(application), events_(std::move(events)) {}

void HeadlessInputFeeder::PostUpTo(std::uint32_t frame) {
  while (next_ < events_.size() && events_[next_].frame <= frame) application_.Post(events_[next_++].event);
}

bool HeadlessInputFeeder::PostNextFrame() {
  if (done()) return false;
  PostUpTo(events_[next_].frame);
  return true;
}

}  // namespace vorn::platform

#include <array>
#include <string>
#include <string_view>

#include "foundation/sjis.h"
#include "text/zk_word.h"

namespace vorn {

namespace {

constexpr std::array<std::string_view, 3> kCommentOpeners{"<!--", "<SCRIPT", "<STYLE"};
constexpr std::array<std::string_view, 3> kCommentClosers{"-->", "</SCRIPT>", "</STYLE>"};

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Whether s holds marker at pos, letters compared without regard to case.
bool MarkerAt(std::string_view s, std::size_t pos, std::string_view marker) {
  if (s.size() - pos < marker.size()) return false;
  for (std::size_t i = 0; i < marker.size(); ++i) {
    if (UpperAscii(s[pos + i]) != marker[i]) return false;
  }
  return true;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) { return MarkerAt(s, 0, prefix); }

// The state of one preparation run.
class MarkupCutter {
 public:
  explicit MarkupCutter(std::string_view text) : s_(text) {}

  std::vector<TMarkupItem> Run();

 private:
  void Store(TMarkupItemKind kind) {
    items_.push_back(TMarkupItem{kind, current_});
    current_.clear();
  }
  void StoreText() {
    if (!current_.empty()) Store(TMarkupItemKind::Text);
  }
  bool MatchOpener();
  bool MatchCloser();
  void CloseTag();
  void PlainByte(char c);

  std::string_view s_;
  std::size_t pos_ = 0;
  std::string current_;
  std::vector<TMarkupItem> items_;
  int tag_depth_ = 0;
  int comment_depth_ = 0;
  bool in_quote_ = false;
  bool pre_ = false;
  bool textarea_ = false;
};

bool MarkupCutter::MatchOpener() {
  for (std::string_view marker : kCommentOpeners) {
    if (!MarkerAt(s_, pos_, marker)) continue;
    if (comment_depth_ == 0) StoreText();
    current_.append(s_.substr(pos_, marker.size()));
    pos_ += marker.size();
    ++comment_depth_;
    return true;
  }
  return false;
}

bool MarkupCutter::MatchCloser() {
  for (std::string_view marker : kCommentClosers) {
    if (!MarkerAt(s_, pos_, marker)) continue;
    bool was_comment = comment_depth_ > 0;
    if (comment_depth_ > 0) --comment_depth_;
    current_.append(s_.substr(pos_, marker.size()));
    pos_ += marker.size();
    // A stray end marker in plain text ends the text item, keeping the marker as text.
    if (comment_depth_ == 0) Store(was_comment ? TMarkupItemKind::Comment : TMarkupItemKind::Text);
    return true;
  }
  return false;
}

void MarkupCutter::CloseTag() {
  current_ += '>';
  Store(TMarkupItemKind::Tag);
  const std::string tag = items_.back().text;
  auto drop_break_before = [this] {
    if (items_.size() >= 2 && items_[items_.size() - 2].kind == TMarkupItemKind::Tag &&
        Cp932SameText(items_[items_.size() - 2].text, "<BR>")) {
      items_.erase(items_.end() - 2);
    }
  };
  auto skip_line_break = [this] {
    if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '\r') ++pos_;
  };
  if (!textarea_ && StartsWithNoCase(tag, "<PRE")) {
    pre_ = true;
    skip_line_break();
  } else if (!textarea_ && StartsWithNoCase(tag, "</PRE")) {
    drop_break_before();
    pre_ = false;
  } else if (!pre_ && StartsWithNoCase(tag, "<TEXTAREA")) {
    textarea_ = true;
    skip_line_break();
  } else if (!pre_ && StartsWithNoCase(tag, "</TEXTAREA")) {
    drop_break_before();
    textarea_ = false;
  }
}

void MarkupCutter::PlainByte(char c) {
  bool verbatim = pre_ || textarea_;
  switch (c) {
    case '<':
      if (tag_depth_ == 0) StoreText();
      current_ += c;
      ++tag_depth_;
      return;
    case '>':
      if (tag_depth_ > 0) {
        if (--tag_depth_ == 0) CloseTag();
        return;
      }
      current_ += c;
      return;
    case '\\':
      if (pos_ + 1 < s_.size()) {
        char next = s_[pos_ + 1];
        if (next == '%' || next == '<' || next == '>' || next == '\\' || next == '{' || next == '}') {
          current_ += next;
          ++pos_;
        }
        return;
      }
      current_ += c;
      return;
    case '\r':
      if (tag_depth_ == 0 && verbatim) {
        StoreText();
        if (pre_) items_.push_back(TMarkupItem{TMarkupItemKind::Tag, "<BR>"});
        return;
      }
      if (!current_.empty() && pos_ > 0 && s_[pos_ - 1] != ' ') current_ += ' ';
      return;
    case '\x14':
      if (current_.empty() || current_.back() != ' ' || verbatim) current_ += ' ';
      return;
    case '\t':
      if (verbatim) current_.append(8, ' ');
      return;
    case '"':
      in_quote_ = true;
      current_ += c;
      return;
    case ' ':
      if (pos_ > 0 && !current_.empty() && current_.back() == ' ') return;
      current_ += c;
      return;
    default:
      current_ += c;
      return;
  }
}

std::vector<TMarkupItem> MarkupCutter::Run() {
  while (pos_ < s_.size()) {
    char c = s_[pos_];
    // A double-byte character passes whole: none of the bytes tested below is a lead byte, and a
    // trail byte such as 5C must never start an escape.
    if (IsLeadByte(c) && pos_ + 1 < s_.size()) {
      current_.append(s_.substr(pos_, 2));
      pos_ += 2;
      continue;
    }
    if (in_quote_) {
      if (c == '"') {
        in_quote_ = false;
        current_ += c;
      } else if (c != '\r' && c != '\n' && c != '\t') {
        current_ += c;
      }
      ++pos_;
      continue;
    }
    if (MatchOpener() || MatchCloser()) continue;
    if (comment_depth_ > 0) {
      current_ += c;
      if (c == '\r') current_ += '\n';
      ++pos_;
      continue;
    }
    PlainByte(c);
    ++pos_;
  }
  StoreText();
  return std::move(items_);
}

}  // namespace

std::vector<TMarkupItem> TZkWord::PrepareMarkup(const std::vector<std::string>& lines) {
  std::string joined;
  std::size_t total = 0;
  for (const std::string& line : lines) total += line.size() + 1;
  joined.reserve(total);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) joined += '\r';
    joined += lines[i];
  }
  return MarkupCutter(joined).Run();
}

}  // namespace vorn

#include "engine/build_vorn_parser.h"

#include "engine/extended_float.h"
#include "engine/number_text.h"
#include "engine/script_error.h"
#include "engine/vorn_parser.h"
#include "foundation/sjis.h"
#include "foundation/stream_encoding.h"
#include "foundation/system_texts.h"
#include "foundation/vocabulary.h"

namespace vorn {
namespace {

constexpr std::string_view kOperatorChars = "+-*/%|&^=[](),<>";
constexpr std::string_view kTokenStarters = "%&*+-/<=>^|";
constexpr std::string_view kUnaryContext = "=+-*/%&^|[(,<>";
constexpr std::string_view kNoLeftOperand = "+-*/%|&^=[(<>";

[[noreturn]] void SyntaxError() { throw EScriptError(std::string(texts::kSyntaxError)); }

// Byte offsets where characters start: a trail byte is never syntax, whatever ASCII it equals.
std::vector<bool> CharStarts(std::string_view text) {
  std::vector<bool> starts(text.size(), false);
  for (std::size_t i = 0; i < text.size(); i += CharLengthAt(text, i)) starts[i] = true;
  return starts;
}

bool Contains(std::string_view set, char c) { return set.find(c) != std::string_view::npos; }

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

std::string Trim(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return std::string(text.substr(begin, end - begin));
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// The character before byte offset `at`, skipping spaces; npos when there is none.
std::size_t PreviousCharSkippingSpaces(std::string_view text, const std::vector<bool>& starts, std::size_t at) {
  std::size_t i = at;
  while (i > 0) {
    --i;
    while (i > 0 && !starts[i]) --i;
    if (text[i] != ' ') return i;
  }
  return std::string_view::npos;
}

bool IsCharStartNameChar(std::string_view text, const std::vector<bool>& starts, std::size_t i) {
  return i != std::string_view::npos && starts[i] && CharLengthAt(text, i) == 1 && IsNameChar(text[i]);
}

// Offset of the bracket that closes the one at `open`; npos when there is none.
std::size_t MatchingClose(std::string_view text, const std::vector<bool>& starts, std::size_t open, char o, char c) {
  int depth = 0;
  for (std::size_t i = open; i < text.size(); ++i) {
    if (!starts[i]) continue;
    if (text[i] == o) ++depth;
    if (text[i] == c && --depth == 0) return i;
  }
  return std::string_view::npos;
}

// Raises "構文エラー" for a closing bracket without an opening one or unequal counts.
void CheckBalanced(std::string_view text, const std::vector<bool>& starts, char o, char c) {
  int depth = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!starts[i]) continue;
    if (text[i] == o) ++depth;
    if (text[i] == c && --depth < 0) SyntaxError();
  }
  if (depth != 0) SyntaxError();
}

// Hoisting works from the innermost group outwards, so nesting costs time, not stack; still,
// text nested deeper than any script writes is refused up front.
void CheckNesting(std::string_view text) {
  const auto starts = CharStarts(text);
  int depth = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!starts[i]) continue;
    if (text[i] == '(' || text[i] == '[') {
      if (++depth > TBuildVornParser::kMaxNesting) SyntaxError();
    } else if (text[i] == ')' || text[i] == ']') {
      --depth;
    }
  }
}

bool HasOperatorChar(std::string_view text) {
  const auto starts = CharStarts(text);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (starts[i] && Contains(kOperatorChars, text[i])) return true;
  }
  return false;
}

// While the text is one parenthesised group, its parentheses go.
std::string StripEnclosingParentheses(std::string text) {
  while (!text.empty() && text.front() == '(' && text.back() == ')') {
    const auto starts = CharStarts(text);
    if (!starts[text.size() - 1] || MatchingClose(text, starts, 0, '(', ')') != text.size() - 1) break;
    text = text.substr(1, text.size() - 2);
  }
  return text;
}

struct Precedence {
  std::string_view token;
  int group;
  std::uint8_t op;
};

constexpr Precedence kPrecedence[] = {
    {"*", 1, ocMul},      {"/", 1, ocDiv},      {"%", 1, ocMod},     {"+", 2, ocPlus},     {"-", 2, ocMinus},
    {"<<", 3, ocShiftL},  {">>", 3, ocShiftR},  {"==", 4, ocEqual},  {">=", 4, ocEBig},    {"<=", 4, ocESmall},
    {">", 4, ocBig},      {"<", 4, ocSmall},    {"<>", 4, ocNEqual}, {"++", 5, ocComboStr}, {"&", 6, ocAnd},
    {"^", 7, ocXor},      {"|", 8, ocOr},       {"=", 9, ocTo},
};

const Precedence* OperatorOf(std::string_view token) {
  for (const auto& entry : kPrecedence) {
    if (entry.token == token) return &entry;
  }
  return nullptr;
}

constexpr std::string_view kTwoCharOperators[] = {"==", ">=", "<=", "++", "<>", "<<", ">>"};

}  // namespace

std::string TBuildVornParser::NewTempName() { return std::string(kTempPrefix) + IntToText(counter_++); }

std::string TBuildVornParser::NewElementTempName() {
  return std::string(kElementTempPrefix) + IntToText(counter_++);
}

TBuildOpeData& TBuildVornParser::Append(std::uint8_t op, std::string target, std::vector<std::string> operands) {
  auto operation = std::make_unique<TBuildOpeData>();
  operation->op = op;
  operation->target = std::move(target);
  operation->operands = std::move(operands);
  operations_.push_back(std::move(operation));
  return *operations_.back();
}

void TBuildVornParser::Compile(std::string_view text) {
  const std::size_t first = operations_.size();
  depth_ = 0;
  Build(std::string(text));
  EliminateCopies(first);
}

void TBuildVornParser::Build(std::string text) {
  struct DepthGuard {
    explicit DepthGuard(int& depth) : depth(depth) {
      if (++depth > kMaxNesting) {
        --depth;
        SyntaxError();
      }
    }
    ~DepthGuard() { --depth; }
    int& depth;
  } guard(depth_);

  HoistStrings(text);
  CheckNesting(text);
  HoistCalls(text);
  HoistElements(text);
  HoistGroups(text);

  // Tokens: operands are the trimmed text between operator tokens; spaces do not separate.
  std::vector<std::string> tokens;
  const auto starts = CharStarts(text);
  std::size_t operand_start = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (!starts[i] || !Contains(kTokenStarters, text[i])) {
      i += starts[i] ? CharLengthAt(text, i) : 1;
      continue;
    }
    std::string operand = Trim(std::string_view(text).substr(operand_start, i - operand_start));
    if (!operand.empty()) tokens.push_back(std::move(operand));
    std::size_t length = 1;
    if (i + 1 < text.size()) {
      const std::string_view pair = std::string_view(text).substr(i, 2);
      for (const auto two : kTwoCharOperators) {
        if (pair == two) length = 2;
      }
    }
    tokens.push_back(text.substr(i, length));
    i += length;
    operand_start = i;
  }
  std::string last = Trim(std::string_view(text).substr(operand_start));
  if (!last.empty()) tokens.push_back(std::move(last));
  if (tokens.empty()) {
    Append(ocTo, std::string(kArgTempName), {Trim(text)});
    return;
  }

  // Unary signs, right to left.
  for (auto p = static_cast<std::ptrdiff_t>(tokens.size()) - 2; p >= 1; --p) {
    const auto at = static_cast<std::size_t>(p);
    if (at + 1 >= tokens.size()) continue;
    if ((tokens[at] != "+" && tokens[at] != "-") || tokens[at - 1].empty() ||
        !Contains(kUnaryContext, tokens[at - 1][0])) {
      continue;
    }
    if (tokens[at] == "-") {
      std::string target = NewTempName();
      Append(ocMinus, target, {"0", tokens[at + 1]});
      tokens[at] = std::move(target);
      tokens.erase(tokens.begin() + p + 1);
    } else {
      tokens.erase(tokens.begin() + p);
    }
  }
  Reduce(std::move(tokens));
}

void TBuildVornParser::HoistStrings(std::string& text) {
  for (;;) {
    const auto starts = CharStarts(text);
    std::size_t open = std::string::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (starts[i] && text[i] == '"') {
        open = i;
        break;
      }
    }
    if (open == std::string::npos) return;
    std::string literal = "\"";
    std::size_t i = open + 1;
    bool closed = false;
    while (i < text.size()) {
      const std::size_t length = CharLengthAt(text, i);
      if (length == 1 && text[i] == '\\' && i + 1 < text.size()) {
        const char next = text[i + 1];
        if (next == '"' || next == '\\') {
          literal += next;  // the backslash goes, the character after it stays as it is
          i += 2;
          continue;
        }
        if (next == 'n') {
          literal += "\r\n";
          i += 2;
          continue;
        }
      }
      if (length == 1 && text[i] == '"') {
        literal += '"';
        closed = true;
        ++i;
        break;
      }
      literal.append(text, i, length);
      i += length;
    }
    if (!closed) return;  // the opening quote stays in the text
    const std::string name = NewTempName();
    text.replace(open, i - open, name);
    Append(ocTo, name, {literal});
  }
}

void TBuildVornParser::HoistCalls(std::string& text) {
  CheckBalanced(text, CharStarts(text), '(', ')');
  for (;;) {
    const auto starts = CharStarts(text);
    std::size_t open = std::string::npos;
    for (std::size_t i = text.size(); i-- > 0;) {
      if (starts[i] && text[i] == '(' &&
          IsCharStartNameChar(text, starts, PreviousCharSkippingSpaces(text, starts, i))) {
        open = i;
        break;
      }
    }
    if (open == std::string::npos) return;
    const std::size_t close = MatchingClose(text, starts, open, '(', ')');
    if (close == std::string::npos) SyntaxError();
    std::size_t begin = PreviousCharSkippingSpaces(text, starts, open);
    while (begin > 0) {
      std::size_t before = begin - 1;
      while (before > 0 && !starts[before]) --before;
      if (!IsCharStartNameChar(text, starts, before)) break;
      begin = before;
    }
    const std::string name = Trim(std::string_view(text).substr(begin, open - begin));
    const std::string arguments = Trim(std::string_view(text).substr(open + 1, close - open - 1));
    const std::string target = NewTempName();
    text.replace(begin, close + 1 - begin, target);

    // Split at commas outside square brackets.
    std::vector<std::string> pieces;
    if (!arguments.empty()) {
      const auto arg_starts = CharStarts(arguments);
      int square = 0;
      std::size_t piece_start = 0;
      for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (!arg_starts[i]) continue;
        if (arguments[i] == '[') ++square;
        if (arguments[i] == ']' && --square < 0) SyntaxError();
        if (arguments[i] == ',' && square == 0) {
          pieces.push_back(Trim(std::string_view(arguments).substr(piece_start, i - piece_start)));
          piece_start = i + 1;
        }
      }
      if (square != 0) SyntaxError();
      pieces.push_back(Trim(std::string_view(arguments).substr(piece_start)));
    }
    std::vector<std::string> operands = {name};
    for (auto& piece : pieces) operands.push_back(OperandFor(std::move(piece)));
    Append(ocFunc, target, std::move(operands));
  }
}

std::string TBuildVornParser::OperandFor(std::string argument) {
  argument = StripEnclosingParentheses(Trim(argument));
  if (argument.empty() || !HasOperatorChar(argument)) return argument;
  const std::string name = NewTempName();
  Build(name + " = " + argument);
  return name;
}

void TBuildVornParser::HoistElements(std::string& text) {
  for (;;) {
    const auto starts = CharStarts(text);
    CheckBalanced(text, starts, '[', ']');
    std::size_t open = std::string::npos;
    for (std::size_t i = text.size(); i-- > 0;) {
      if (starts[i] && text[i] == '[') {
        open = i;
        break;
      }
    }
    if (open == std::string::npos) return;
    const std::size_t close = MatchingClose(text, starts, open, '[', ']');
    if (close == std::string::npos) SyntaxError();
    std::size_t name_end = PreviousCharSkippingSpaces(text, starts, open);
    std::size_t begin = open;
    if (name_end != std::string::npos) {
      if (CharLengthAt(text, name_end) == 1 && Contains(kOperatorChars, text[name_end])) SyntaxError();
      begin = name_end;
      while (begin > 0) {
        std::size_t before = begin - 1;
        while (before > 0 && !starts[before]) --before;
        const bool single = CharLengthAt(text, before) == 1;
        if (single && (text[before] == ' ' || Contains(kOperatorChars, text[before]))) break;
        begin = before;
      }
    }
    const std::string name = Trim(std::string_view(text).substr(begin, open - begin));
    const std::string indices = Trim(std::string_view(text).substr(open + 1, close - open - 1));
    const std::string target = NewElementTempName();
    text.replace(begin, close + 1 - begin, target);
    if (indices.empty()) throw EScriptError(std::string(texts::kArraySubscriptInvalid));
    std::vector<std::string> operands = {name};
    const auto index_starts = CharStarts(indices);
    std::size_t piece_start = 0;
    for (std::size_t i = 0; i <= indices.size(); ++i) {
      if (i == indices.size() || (index_starts[i] && indices[i] == ',')) {
        operands.push_back(OperandFor(Trim(std::string_view(indices).substr(piece_start, i - piece_start))));
        piece_start = i + 1;
      }
    }
    Append(ocDimTo, target, std::move(operands));
  }
}

void TBuildVornParser::HoistGroups(std::string& text) {
  for (;;) {
    const auto starts = CharStarts(text);
    std::size_t open = std::string::npos;
    for (std::size_t i = text.size(); i-- > 0;) {
      if (starts[i] && text[i] == '(' &&
          !IsCharStartNameChar(text, starts, PreviousCharSkippingSpaces(text, starts, i))) {
        open = i;
        break;
      }
    }
    if (open == std::string::npos) return;
    const std::size_t close = MatchingClose(text, starts, open, '(', ')');
    if (close == std::string::npos) SyntaxError();
    const std::string inside = Trim(std::string_view(text).substr(open + 1, close - open - 1));
    const std::string name = NewTempName();
    text.replace(open, close + 1 - open, name);
    Build(name + " = " + inside);
  }
}

void TBuildVornParser::Reduce(std::vector<std::string> tokens) {
  bool assigned = false;
  while (!tokens.empty()) {
    std::size_t at = std::string::npos;
    const Precedence* chosen = nullptr;
    for (int group = 1; group <= 9 && chosen == nullptr; ++group) {
      for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Precedence* entry = OperatorOf(tokens[i]);
        if (entry != nullptr && entry->group == group) {
          at = i;
          chosen = entry;
          break;
        }
      }
    }
    if (chosen == nullptr) {
      if (assigned || tokens.size() > 1) SyntaxError();
      Append(ocTo, std::string(kArgTempName), {tokens[0]});
      tokens.clear();
      break;
    }
    if (chosen->op == ocTo) {
      if (at == 0 || at + 1 >= tokens.size()) SyntaxError();
      Append(ocTo, tokens[at - 1], {tokens[at + 1]});
      tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(at) - 1,
                   tokens.begin() + static_cast<std::ptrdiff_t>(at) + 2);
      assigned = true;
      continue;
    }
    if (at + 1 >= tokens.size()) SyntaxError();  // no right operand
    if (at > 0) {
      if (!tokens[at - 1].empty() && Contains(kNoLeftOperand, tokens[at - 1][0])) SyntaxError();
      const std::string target = NewTempName();
      Append(chosen->op, target, {tokens[at - 1], tokens[at + 1]});
      tokens[at - 1] = target;
      tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(at), tokens.begin() + static_cast<std::ptrdiff_t>(at) + 2);
    } else {
      if (chosen->op != ocPlus && chosen->op != ocMinus) SyntaxError();
      const std::string target = NewTempName();
      Append(chosen->op, target, {"0", tokens[1]});
      tokens[0] = target;
      tokens.erase(tokens.begin() + 1);
    }
  }
}

void TBuildVornParser::EliminateCopies(std::size_t from) {
  const auto removable = [](const std::string& name) {
    return StartsWith(name, kTempPrefix) && !StartsWith(name, kElementTempPrefix) && name != kArgTempName;
  };
  for (std::size_t i = from; i < operations_.size();) {
    const TBuildOpeData& copy = *operations_[i];
    if (copy.op != ocTo || copy.operands.size() != 1 || !removable(copy.target) || !removable(copy.operands[0])) {
      ++i;
      continue;
    }
    const std::string replaced = copy.target;
    const std::string by = copy.operands[0];
    operations_.erase(operations_.begin() + static_cast<std::ptrdiff_t>(i));
    for (std::size_t k = i; k < operations_.size(); ++k) {
      if (operations_[k]->target == replaced) operations_[k]->target = by;
      for (auto& operand : operations_[k]->operands) {
        if (operand == replaced) operand = by;
      }
    }
  }
}

void TBuildVornParser::SaveToStream(TStream& stream) const {
  WriteIntToStream(stream, static_cast<std::int32_t>(operations_.size()));
  for (const auto& operation : operations_) {
    WriteByteToStream(stream, operation->op);
    WriteStrToStream(stream, operation->target);
    std::size_t first_operand = 0;
    if (operation->op == ocFunc) {
      const std::string& name = operation->operands.empty() ? std::string() : operation->operands[0];
      const int index = vocabulary::FindSysFuncIndex(name);
      if (index == vocabulary::kNotFound) throw EScriptError(FormatText(texts::kFunctionMissingFormat, name));
      const auto count = static_cast<std::int32_t>(operation->operands.size()) - 1;
      const std::int32_t min = vocabulary::kSysFuncMinArgs[static_cast<std::size_t>(index)];
      const std::int32_t max = vocabulary::kSysFuncMaxArgs[static_cast<std::size_t>(index)];
      if ((min >= 0 && min > count) || (max >= 0 && max < count)) {
        throw EScriptError(std::string(vocabulary::kSysFuncNames[static_cast<std::size_t>(index)]) +
                           std::string(texts::kArgumentCountInvalidSuffix));
      }
      WriteIntToStream(stream, count);
      WriteByteToStream(stream, static_cast<std::uint8_t>(index));
      first_operand = 1;
    } else {
      WriteIntToStream(stream, static_cast<std::int32_t>(operation->operands.size()));
    }
    for (std::size_t k = first_operand; k < operation->operands.size(); ++k) {
      const std::string& text = operation->operands[k];
      std::int32_t integer = 0;
      TExtended real = 0;
      if (TryTextToInt(text, integer)) {
        WriteByteToStream(stream, PT_INT);
        WriteIntToStream(stream, integer);
      } else if (TryTextToFloat(text, real)) {
        WriteByteToStream(stream, PT_FLOAT);
        WriteExtendedToStream(stream, real);
      } else if (text == "TRUE" || text == "FALSE") {
        WriteByteToStream(stream, PT_BOOL);
        WriteByteToStream(stream, text == "TRUE" ? 1 : 0);
      } else if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        WriteByteToStream(stream, PT_STR);
        WriteStrToStream(stream, std::string_view(text).substr(1, text.size() - 2));
      } else {
        WriteByteToStream(stream, PT_NONE);
        WriteStrToStream(stream, text);
      }
    }
  }
}

}  // namespace vorn

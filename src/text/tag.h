#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// Tag identifiers: 0 is no tag at all (shown as text), 1 a tag the interpreter ignores.
enum : int {
  kTagNone = 0,
  kTagUnknown = 1,
  kTagA = 2,
  kTagEndA,
  kTagB,
  kTagEndB,
  kTagFont,
  kTagEndFont,
  kTagI,
  kTagEndI,
  kTagS,
  kTagEndS,
  kTagU,
  kTagEndU,
  kTagNoBr,
  kTagEndNoBr,
  kTagRuby,
  kTagEndRuby,
  kTagDiv,
  kTagEndDiv,
  kTagIndent,
  kTagUndent,
  kTagBr,
  kTagClear,
  kTagEvent,
  kTagWait,
  kTagEndWait,
  kTagVar,
  kTagImg,
};

// One markup tag cut into its name and attributes. After Parse, Text() is "<" + name + ">" (or
// the whole item when it is no tag) and each attribute is stored as name, CR, value.
class TTag {
 public:
  void Parse(std::string_view item);
  const std::string& Text() const { return text_; }
  const std::vector<std::string>& Lines() const { return lines_; }

  int TagId() const;
  // -1 when absent; names compared without regard to case.
  int IndexOfAttr(std::string_view name) const;
  std::string AttrValue(std::string_view name, std::string_view fallback) const;
  // "#RRGGBB" as 0x00BBGGRR; anything else gives the fallback.
  std::int32_t AttrColor(std::string_view name, std::int32_t fallback) const;
  // The ALIGN word among the allowed alignment values, else the fallback.
  std::uint8_t AttrAlign(std::initializer_list<std::uint8_t> allowed, std::uint8_t fallback) const;

 private:
  std::string text_;
  std::vector<std::string> lines_;
};

// Cuts one attribute ("name", CR, value) off the front of the text inside a tag's brackets. Each
// call consumes at least one byte or empties the text.
std::string FetchAttribute(std::string_view& rest);

}  // namespace vorn

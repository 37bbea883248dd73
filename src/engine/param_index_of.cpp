#include "engine/custom_param.h"
#include "foundation/sjis.h"

namespace vorn {

std::int32_t TCustomParam::IndexOf(std::string_view text, bool case_sensitive, bool partial) const {
  const std::int32_t count = Count();
  if (partial) {
    const std::string needle = case_sensitive ? std::string(text) : Cp932LowerCase(text);
    for (std::int32_t i = 0; i < count; ++i) {
      const std::string element = case_sensitive ? GetStrAt(i) : Cp932LowerCase(GetStrAt(i));
      if (JPos(needle, element) > 0) return i;
    }
    return -1;
  }
  for (std::int32_t i = 0; i < count; ++i) {
    const std::string element = GetStrAt(i);
    if (case_sensitive ? element == text : Cp932SameText(element, text)) return i;
  }
  return -1;
}

}  // namespace vorn

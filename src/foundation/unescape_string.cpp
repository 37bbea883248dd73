#include "foundation/unescape_string.h"

#include "foundation/sjis.h"

namespace vorn {

std::string UnescapeString(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    if (CharLengthAt(s, i) == 2) {
      out.append(s.substr(i, 2));
      i += 2;
      continue;
    }
    if (s[i] == '\\' && i + 1 < s.size()) {
      const char next = s[i + 1];
      if (next == '"' || next == '\\') {
        out.push_back(next);
        i += 2;
        continue;
      }
      if (next == 'n') {
        out += "\r\n";
        i += 2;
        continue;
      }
    }
    out.push_back(s[i]);
    i += 1;
  }
  return out;
}

}  // namespace vorn

// Table-line splitting, token fetching and trimming over arbitrary (often broken) CP932 bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/sjis.h"
#include "foundation/tab_strings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  vorn::TTabStrings tabs;
  tabs.SetLine(text);
  for (int i = 0; i <= tabs.Count(); ++i) {
    std::string field = tabs.GetField(i);
    while (!field.empty()) {
      const std::string token = vorn::JFetchToken(field, ",\\ ");
      (void)vorn::JTrim(token);
    }
  }
  (void)vorn::JTrim(text);
  (void)vorn::JLength(text);
  (void)vorn::Cp932LowerCase(text);
  (void)vorn::ZenToHan(vorn::HanToZen(text));
  return 0;
}

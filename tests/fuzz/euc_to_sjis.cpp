// Downloaded bytes of any kind through the EUC-JP conversion: never a read past the end.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/euc_to_sjis.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string out = vorn::EucToShiftJis(std::string_view(reinterpret_cast<const char*>(data), size));
  if (out.size() > size) __builtin_trap();
  return 0;
}

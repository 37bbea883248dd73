// The install record reader over arbitrary bytes; what it accepts must write and read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "foundation/errors.h"
#include "foundation/install_set.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vorn::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
  vorn::TVornInstallSet set;
  try {
    set.LoadFromStream(stream);
  } catch (const vorn::EReadError&) {
    return 0;
  }
  vorn::TMemoryStream out;
  set.SaveToStream(out);
  out.SetPosition(0);
  vorn::TVornInstallSet again;
  again.LoadFromStream(out);
  if (again.Id != set.Id || again.Files != set.Files || again.Count() != set.Count()) std::abort();
  return 0;
}

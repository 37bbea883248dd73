// The disc map loader over arbitrary bytes, then a lookup of every loaded name.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/errors.h"
#include "foundation/folder_disk_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vorn::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
  vorn::TFolderDiskList list;
  try {
    list.LoadFromStream(stream);
  } catch (const vorn::EReadError&) {
    return 0;
  }
  for (const auto& entry : list.Entries()) list.GetDisk(entry.name + "\\x");
  return 0;
}

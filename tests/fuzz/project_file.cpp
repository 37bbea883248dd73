// The project file reader over arbitrary bytes, declaring its globals into a variable set of its
// own: anything but a clean read or a reported error is a fault.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/param_collection.h"
#include "engine/project.h"
#include "foundation/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vorn::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
  vorn::TParamCollection params;
  vorn::TProjectSettings settings = vorn::TProjectSettings::Defaults();
  vorn::TFolderDiskList disks;
  try {
    if (vorn::ReadProjectSettings(stream, settings) > vorn::ProjectVersion) return 0;
    vorn::ReadProjectGlobals(stream, &params);
    vorn::ReadProjectDiskList(stream, disks);
  } catch (const vorn::Exception&) {
    return 0;
  }
  return 0;
}

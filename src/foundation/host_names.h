#pragma once

// The system names files the Windows way: CP932 bytes, "\" between folders, any case. This maps
// such a name onto the host's files: split at "\" or "/" (never at a trail byte such as the 5C of
// ソ 83 5C), then for each component try the raw bytes, then the UTF-8 form, then a comparison
// without regard to case against the folder's entries (converted to CP932, folded as hashed names
// are). Among several folded matches the first in byte order wins.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// Components of a system name; empty components (doubled delimiters) are dropped. A leading
// delimiter makes the name absolute, which `absolute` reports.
std::vector<std::string> SplitSystemName(std::string_view name, bool* absolute = nullptr);

// Host path of an existing file or folder, nullopt when there is none.
std::optional<std::string> FindHostPath(std::string_view system_name);
// Host path under which a file of that system name is to be created: the folders resolved as
// above (kept as given where they do not exist), the last component matched or converted.
std::string HostPathForCreate(std::string_view system_name);

// Whether the system name names an existing regular file.
bool SystemFileExists(std::string_view system_name);

// A host path (argv, the executable's folder, TMPDIR, mount points) as a system name. Raises
// EFOpenError naming the path when it has no CP932 form.
std::string SystemNameOfHostPath(std::string_view host_path);

}  // namespace vorn

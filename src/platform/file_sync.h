#pragma once

#include <string>

namespace vorn::platform {

// Asks the operating system to put the file's bytes on the disk before answering; false when the
// file cannot be opened or the sync fails. Used before a finished temporary file is renamed over
// the file it replaces.
bool SyncFile(const std::string& path);

// The same for a folder's entries, so a rename inside it is on the disk; false when that fails.
bool SyncDirectory(const std::string& path);

}  // namespace vorn::platform

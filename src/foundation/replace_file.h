#pragma once

#include <cstddef>
#include <string>

#include "foundation/stream.h"

namespace vorn {

// Writes bytes as the whole new content of the file at path (a native path) through the one
// replacement routine (platform/file_replace.h): a temporary file of its own beside the target,
// synced and renamed over it, the folder synced; links written through, the old mode kept. A
// failure or a crash halfway leaves the old file as it was. A folder or a file the user may not
// write raises EFCreateError naming path; bytes that do not reach the disk raise EWriteError.
void ReplaceFileContent(const std::string& path, const void* data, std::size_t size);

}  // namespace vorn

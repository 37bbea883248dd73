#pragma once

#include <cstddef>
#include <string>

namespace vorn {

// Writes bytes as the whole new content of the file at path (a native path): first to a temporary
// file in the same folder, synced, then renamed over path, so a failure halfway leaves the old
// file as it was. Raises EFCreateError or EWriteError naming the file.
void ReplaceFileContent(const std::string& path, const void* data, std::size_t size);

}  // namespace vorn

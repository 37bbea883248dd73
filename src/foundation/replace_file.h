#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "foundation/stream.h"

namespace vorn {

// Opens the temporary file the new content goes to. Tests hand in one that fails part way.
using TReplaceFileOpener = std::function<std::unique_ptr<TStream>(const std::string& temporary)>;

// The name of the temporary file that ReplaceFileContent writes beside path.
std::string ReplaceFileTemporary(const std::string& path);

// Writes bytes as the whole new content of the file at path (a native path): first to a temporary
// file in the same folder, synced, then renamed over path, and the folder synced, so a failure or
// a crash halfway leaves the old file as it was. Raises EFCreateError or EWriteError naming the file.
void ReplaceFileContent(const std::string& path, const void* data, std::size_t size);
void ReplaceFileContent(const std::string& path, const void* data, std::size_t size, const TReplaceFileOpener& open);

}  // namespace vorn

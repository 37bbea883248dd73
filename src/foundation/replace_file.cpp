#include "foundation/replace_file.h"

#include "foundation/file_stream.h"
#include "platform/file_replace.h"

namespace vorn {

void ReplaceFileContent(const std::string& path, const void* data, std::size_t size) {
  const platform::ReplaceResult result = platform::ReplaceFileBytes(path, data, size);
  switch (result.failure) {
    case platform::ReplaceFailure::kNone:
      return;
    case platform::ReplaceFailure::kWrite:
      throw EWriteError("Stream write error: " + path);
    case platform::ReplaceFailure::kCreate:
    case platform::ReplaceFailure::kRename:
      break;
  }
  throw EFCreateError("Cannot create file \"" + path + "\". " + result.reason);
}

}  // namespace vorn

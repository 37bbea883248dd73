#include "foundation/replace_file.h"

#include <filesystem>
#include <system_error>

#include "foundation/file_stream.h"
#include "platform/file_sync.h"

namespace vorn {

void ReplaceFileContent(const std::string& path, const void* data, std::size_t size) {
  const std::string temporary = path + ".~new";
  try {
    TFileStream file(temporary, FileMode::kCreate);
    file.WriteBuffer(data, size);
    file.Flush();
  } catch (const EWriteError&) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw EWriteError("Stream write error: " + path);
  }
  std::error_code ec;
  if (!platform::SyncFile(temporary)) {
    std::filesystem::remove(temporary, ec);
    throw EWriteError("Stream write error: " + path);
  }
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw EFCreateError("Cannot create file \"" + path + "\". " + ec.message());
  }
}

}  // namespace vorn

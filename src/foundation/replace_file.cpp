#include "foundation/replace_file.h"

#include <filesystem>
#include <system_error>

#include "foundation/file_stream.h"
#include "platform/file_sync.h"

namespace vorn {

std::string ReplaceFileTemporary(const std::string& path) { return path + ".~new"; }

void ReplaceFileContent(const std::string& path, const void* data, std::size_t size) {
  ReplaceFileContent(path, data, size,
                     [](const std::string& temporary) { return std::make_unique<TFileStream>(temporary, FileMode::kCreate); });
}

void ReplaceFileContent(const std::string& path, const void* data, std::size_t size, const TReplaceFileOpener& open) {
  const std::string temporary = ReplaceFileTemporary(path);
  auto discard = [&temporary] {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
  };
  try {
    std::unique_ptr<TStream> file = open(temporary);
    file->WriteBuffer(data, size);
    if (auto* plain = dynamic_cast<TFileStream*>(file.get())) plain->Flush();
  } catch (const EFOpenError&) {
    discard();
    throw;
  } catch (const Exception&) {
    discard();
    throw EWriteError("Stream write error: " + path);
  }
  std::error_code ec;
  if (!platform::SyncFile(temporary)) {
    discard();
    throw EWriteError("Stream write error: " + path);
  }
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    discard();
    throw EFCreateError("Cannot create file \"" + path + "\". " + ec.message());
  }
  // The rename itself reaches the disk only with the folder; without this a power cut can bring
  // back the old name (or neither).
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  platform::SyncDirectory(folder.empty() ? std::string(".") : folder.string());
}

}  // namespace vorn

#include "app/data_mount.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "foundation/big_stream.h"
#include "foundation/errors.h"
#include "foundation/host_names.h"
#include "foundation/system_texts.h"
#include "platform/paths.h"
#include "platform/text_converter.h"

namespace vorn {
namespace {

bool EndsWith(const std::string& path, const char (&tail)[3]) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 2) return false;
  in.seekg(size - 2);
  char bytes[2] = {};
  in.read(bytes, 2);
  return in.gcount() == 2 && bytes[0] == tail[0] && bytes[1] == tail[1];
}

// Whether the executable carries an archive in its resource, which then ends with "vf".
bool HasResourceArchive(const std::string& self) {
  TZkBigResourceStream resource(self, kResourceArchiveName, kResourceArchiveType);
  if (resource.Size() < 2) return false;
  resource.Seek(-2, SeekOrigin::kEnd);
  char tail[2] = {};
  return resource.Read(tail, 2) == 2 && tail[0] == 'v' && tail[1] == 'f';
}

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

bool HasSystemName(const std::string& host_path) {
  try {
    SystemNameOfHostPath(host_path);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

platform::MessageBoxRequest Refusal() {
  platform::MessageBoxRequest box;
  box.icon = platform::MessageIcon::kWarning;
  box.buttons = platform::MessageButtons::kOk;
  return box;
}

// The folder's name goes in as the host gives it: the system has no name for it.
platform::MessageBoxRequest UnnamedFolderRefusal(const std::string& host_path) {
  platform::MessageBoxRequest box = Refusal();
  std::string text = platform::Cp932ToUtf8(texts::kFolderNameUnusableFormat);
  const auto at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, host_path);
  box.text = text;
  box.text_is_host_text = true;
  return box;
}

void Mount(TVrFileManager& files, const std::vector<std::string>& arguments, const std::string& executable_path,
           const std::string& executable_dir) {
  if (arguments.empty()) {
    files.SetBaseDir(StartSystemName(executable_dir));
    const std::string self = StartSystemName(executable_path);
    if (HasResourceArchive(self)) files.AddResourceArchive(self, kResourceArchiveName, kResourceArchiveType);
    if (EndsWith(executable_path, "vo")) files.AddArchive(self);
    return;
  }
  files.SetBaseDir(StartSystemName(WithSlash(arguments.front())));
  for (const std::string& argument : arguments) {
    const std::string archive = platform::FindInDirectory(WithSlash(argument), "game.dat");
    std::error_code error;
    if (std::filesystem::is_regular_file(archive, error)) files.AddArchive(StartSystemName(archive));
  }
}

}  // namespace

std::string StartSystemName(const std::string& host_path) { return SystemNameOfHostPath(host_path); }

std::optional<platform::MessageBoxRequest> MountStartData(TVrFileManager& files,
                                                          const std::vector<std::string>& arguments,
                                                          const std::string& executable_path,
                                                          const std::string& executable_dir) {
  std::vector<std::string> named = arguments;
  if (arguments.empty()) named = {executable_dir, executable_path};
  for (const std::string& host_path : named) {
    if (!HasSystemName(host_path)) return UnnamedFolderRefusal(host_path);
  }
  try {
    Mount(files, arguments, executable_path, executable_dir);
  } catch (const Exception& error) {
    // A damaged game.dat or archive of the executable: its file error, then the player ends.
    platform::MessageBoxRequest box = Refusal();
    box.text = error.what();
    return box;
  }
  return std::nullopt;
}

}  // namespace vorn

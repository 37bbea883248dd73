#pragma once

// The start-up's mounting of the project data: the override folder, the archive in the
// executable's own resource section, the archive appended to the executable, and game.dat in
// every folder given as argument.

#include <optional>
#include <string>
#include <vector>

#include "foundation/vr_file_manager.h"
#include "platform/message_box.h"

namespace vorn {

// The resource that holds the executable's own archive.
inline constexpr const char* kResourceArchiveName = "DUMMY";
inline constexpr const char* kResourceArchiveType = "BINTYPE";

// The system name of a host folder or file named at start-up. Raises EFOpenError naming the path
// when it has no CP932 form (the start-up has refused such a name before this is asked).
std::string StartSystemName(const std::string& host_path);

// Mounts the data. Without arguments: the executable's folder is the override folder, then its
// resource archive (a "BINTYPE" resource "DUMMY" whose last two bytes are "vf") and its appended
// archive (when the file's last two bytes are "vo") are mounted. With arguments: the first one is
// the override folder and game.dat of every one, first to last, is mounted where it exists.
// Returns the message box that tells why the player cannot start, or nothing when all went well:
// a folder (or the executable) whose name has no CP932 form, named as the host gives it, never
// replaced by the current folder; or a damaged archive, with its file error.
std::optional<platform::MessageBoxRequest> MountStartData(TVrFileManager& files,
                                                          const std::vector<std::string>& arguments,
                                                          const std::string& executable_path,
                                                          const std::string& executable_dir);

}  // namespace vorn

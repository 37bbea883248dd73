#pragma once

// Replacing the whole content of a file so that a failure, a crash or a kill at any moment leaves
// either the old bytes or the new ones. The one routine behind every file the player writes
// (save.dat, game.ini, install.dat, screenshots, table files).

#include <cstddef>
#include <functional>
#include <string>

namespace vorn::platform {

// The steps of a replacement, in order; a write step hands at most kReplaceWriteChunk bytes over.
enum class ReplaceStep { kCreate, kWrite, kSync, kRename, kSyncFolder };
inline constexpr std::size_t kReplaceWriteChunk = 64 * 1024;

// Where a replacement stopped: the new file could not be made (no such folder, a folder or a file
// the user may not write), its bytes did not reach the disk, or the rename failed.
enum class ReplaceFailure { kNone, kCreate, kWrite, kRename };

struct ReplaceResult {
  ReplaceFailure failure = ReplaceFailure::kNone;
  std::string reason;  // the host's reason
  std::string target;  // the file replaced (or meant): the path with its links followed
  explicit operator bool() const { return failure == ReplaceFailure::kNone; }
};

// Called before every step with the target; false makes that step fail as if the host had
// refused it (EIO). Tests inject faults here and the kill check stops the process at a chosen step.
using ReplaceStepHook = std::function<bool(ReplaceStep step, const std::string& target)>;
// Installs a process-wide hook (empty: none); returns the one before.
ReplaceStepHook SetReplaceStepHook(ReplaceStepHook hook);

// The file a write to path reaches: symbolic links followed to their final target, which need not
// exist yet (a relative link counts from the link's folder).
std::string ResolveWriteTarget(const std::string& path);

// Writes the bytes as the whole new content of the file at path (a host path). A symbolic link is
// written through: its target is replaced, in the target's folder, and the link stays. The bytes
// go to a temporary file of a name no other writer uses (process id and a counter, created
// exclusively) beside the target, which is synced and renamed over it, and then the folder is
// synced. The new file keeps the old one's mode (and owner, where the user may give it). A target
// the user may not write is refused like a folder the user may not write (kCreate, the host's
// "permission denied"), and the old file is not touched. On failure the temporary file is gone.
ReplaceResult ReplaceFileBytes(const std::string& path, const void* data, std::size_t size);

}  // namespace vorn::platform

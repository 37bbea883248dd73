#pragma once

// For checks that a file's mode is obeyed. Root may write whatever a mode says, so such a check
// runs as a user for whom modes matter: this process's own user, or, when the process runs as
// root (as CI does), the unprivileged user "nobody" (65534) in a child process that gave up root.

#include <functional>
#include <string>

namespace vorn::platform {

// Whether the check runs in a child as "nobody" (the process runs as root).
bool ModeCheckUserIsSeparate();

// Hands a file or folder to that user, so it may write there (chown; nothing to do when the check
// runs as this process's own user). False when the host refused.
bool GiveToModeCheckUser(const std::string& path);

// Runs body as that user: here, or in a forked child that has dropped root for "nobody" and ends
// with body's result (nothing of the child's state comes back). Returns body's result, or -1 when
// the child could not be started or could not drop root.
int RunAsModeCheckUser(const std::function<int()>& body);

}  // namespace vorn::platform

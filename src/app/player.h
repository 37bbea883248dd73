#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/cd_roots.h"
#include "platform/platform.h"

namespace vorn {

struct PlayerOptions {
  std::optional<std::uint64_t> random_seed;  // fixed in headless runs
  // Where CD-ROM roots come from: null for the host's mount table (headless runs set a list).
  platform::CdRootSource* cd_roots = nullptr;
};

// The program body: refuses a CD-ROM, takes the instance lock, then shows the settings dialog
// ("/config") or creates the main window and runs the message loop. Returns the exit code:
// 0 also for the silent refusals, 1 when the host cannot run the player at all.
int RunPlayer(platform::Platform& platform, const std::vector<std::string>& arguments,
              const PlayerOptions& options = {});

}  // namespace vorn

#pragma once

// The two default parameters every new screen transition starts with, one pair per transition
// kind (the position in the WP_ vocabulary). The project changes the zoom-in pair to the centre
// of its screen when it reads the project file; the transition factory reads the table.

#include <array>
#include <cstdint>

namespace vorn {

struct TWipeDefaultParams {
  std::int32_t param0 = 0;
  std::int32_t param1 = 0;
};

inline constexpr int kWipeKindCount = 39;
inline constexpr int kWipeZoomIn = 30;

// The table as the factory made it at start; WipeDefaults() starts from this.
const std::array<TWipeDefaultParams, kWipeKindCount>& FactoryWipeDefaults();
// The table in use (process-wide).
std::array<TWipeDefaultParams, kWipeKindCount>& WipeDefaults();
// Back to the factory table (a new run in the same process).
void ResetWipeDefaults();

}  // namespace vorn

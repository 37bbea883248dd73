#pragma once

#include <functional>
#include <string_view>

namespace vorn {

// Stand-ins for subsystems that are not built yet report each call here, so tests can check that
// the engine calls them, and in which order. Nothing happens unless a recorder is attached.
void StandInCall(std::string_view call);

using StandInRecorder = std::function<void(std::string_view)>;
// Attaches a recorder (an empty function detaches it); returns the one attached before.
StandInRecorder SetStandInRecorder(StandInRecorder recorder);

}  // namespace vorn

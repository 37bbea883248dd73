#pragma once

#include <functional>
#include <string_view>

namespace vorn {

// Receives the name of each start-up, shutdown and free step. It does nothing unless a recorder is
// attached (tests attach one to check the order of the steps).
void DebugTrace(std::string_view step);

using DebugTraceRecorder = std::function<void(std::string_view)>;
// Attaches a recorder (an empty function detaches it); returns the one attached before.
DebugTraceRecorder SetDebugTraceRecorder(DebugTraceRecorder recorder);

}  // namespace vorn

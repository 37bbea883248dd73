#include "foundation/debug_trace.h"

#include <utility>

namespace vorn {
namespace {

DebugTraceRecorder& Recorder() {
  static DebugTraceRecorder recorder;
  return recorder;
}

}  // namespace

void DebugTrace(std::string_view step) {
  if (Recorder()) Recorder()(step);
}

DebugTraceRecorder SetDebugTraceRecorder(DebugTraceRecorder recorder) {
  return std::exchange(Recorder(), std::move(recorder));
}

}  // namespace vorn

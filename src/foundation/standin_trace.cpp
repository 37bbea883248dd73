#include "foundation/standin_trace.h"

#include <utility>

namespace vorn {
namespace {

StandInRecorder& Recorder() {
  static StandInRecorder recorder;
  return recorder;
}

}  // namespace

void StandInCall(std::string_view call) {
  if (Recorder()) Recorder()(call);
}

StandInRecorder SetStandInRecorder(StandInRecorder recorder) {
  return std::exchange(Recorder(), std::move(recorder));
}

}  // namespace vorn

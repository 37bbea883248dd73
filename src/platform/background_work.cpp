#include "platform/background_work.h"

namespace vorn::platform {

namespace {
BackgroundWork* installed = nullptr;
}

BackgroundWork* ExchangeBackgroundWork(BackgroundWork* work) {
  BackgroundWork* previous = installed;
  installed = work;
  return previous;
}

BackgroundWork* CurrentBackgroundWork() { return installed; }

}  // namespace vorn::platform

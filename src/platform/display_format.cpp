#include "platform/display_format.h"

#include <atomic>

namespace vorn::platform {
namespace {

std::atomic<int> gBitsPerPixel{32};
std::atomic<int> gFormat16{565};

}  // namespace

DisplayFormat CurrentDisplayFormat() {
  return DisplayFormat{gBitsPerPixel.load(), gFormat16.load()};
}

void SetDisplayFormat(const DisplayFormat& format) {
  gBitsPerPixel.store(format.bitsPerPixel);
  gFormat16.store(format.format16);
}

}  // namespace vorn::platform

#pragma once

#include <string>

#include "platform/framebuffer.h"

namespace vorn::tools {

// Writes the pixels as an 8-bit RGB PNG; false with a reason when the file cannot be written.
bool WritePng(const platform::Framebuffer& pixels, const std::string& path, std::string& reason);

}  // namespace vorn::tools

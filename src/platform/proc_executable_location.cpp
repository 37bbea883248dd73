#include <unistd.h>

#include <vector>

#include "platform/paths.h"

namespace vorn::platform {

std::optional<std::string> ProcExecutableLocation::ExecutablePath() {
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return std::nullopt;
    if (static_cast<std::size_t>(length) < buffer.size()) return std::string(buffer.data(), length);
    if (buffer.size() >= (1u << 20)) return std::nullopt;
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace vorn::platform

#include <string>
#include <vector>

#include "app/player.h"
#include "platform/sdl/sdl_platform.h"

int main(int argc, char** argv) {
  vorn::platform::sdl::SdlPlatform platform;
  vorn::platform::Platform services = platform.services();
  return vorn::RunPlayer(services, std::vector<std::string>(argv + 1, argv + argc));
}

// Test tooling, not a player feature: runs the player's app library on the headless back ends for
// a number of frames, then writes the window's client area as a PNG.
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/player.h"
#include "engine/engine_values.h"
#include "platform/headless_application.h"
#include "platform/paths.h"
#include "png_writer.h"

namespace {

int Usage() {
  std::cerr << "usage: headless-run [--frames N] [--png FILE] [--seed S] [--exe-dir DIR] [player arguments]\n";
  return 2;
}

bool ParseNumber(const std::string& text, unsigned long long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtoull(text.c_str(), &end, 10);
  return end != nullptr && *end == '\0' && text[0] != '-';
}

}  // namespace

int main(int argc, char** argv) {
  unsigned long long frames = 120;
  unsigned long long seed = 1;
  std::string png_path;
  std::string exe_dir;
  std::vector<std::string> player_arguments;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const bool has_value = i + 1 < argc;
    if (argument == "--frames" && has_value) {
      if (!ParseNumber(argv[++i], frames) || frames == 0 || frames > 100000000) return Usage();
    } else if (argument == "--seed" && has_value) {
      if (!ParseNumber(argv[++i], seed)) return Usage();
    } else if (argument == "--png" && has_value) {
      png_path = argv[++i];
    } else if (argument == "--exe-dir" && has_value) {
      exe_dir = argv[++i];
    } else if (argument.rfind("--", 0) == 0 && player_arguments.empty()) {
      return Usage();
    } else {
      player_arguments.push_back(argument);
    }
  }

  vorn::platform::HeadlessPlatform headless;
  if (exe_dir.empty()) {
    headless.executable.set_path(vorn::platform::ProcExecutableLocation().ExecutablePath());
  } else {
    if (exe_dir.back() != '/') exe_dir += '/';
    headless.executable.set_path(exe_dir + "vornplayer");
  }

  bool close_posted = false;
  headless.application.set_after_idle([&](vorn::platform::Window& window) {
    if (!close_posted && static_cast<unsigned long long>(vorn::FrameCount) >= frames) {
      window.PostClose();
      close_posted = true;
    }
  });

  vorn::platform::Platform services = headless.services();
  const int code = vorn::RunPlayer(services, player_arguments, vorn::PlayerOptions{seed});
  if (code != 0) return code;
  for (const auto& box : headless.boxes.shown()) std::cerr << "message box: " << box.text << "\n";
  if (headless.boxes.unscripted() > 0) return 1;
  if (!close_posted) {
    std::cerr << "headless-run: the player ended before frame " << frames << "\n";
    return 1;
  }
  if (!png_path.empty()) {
    std::string reason;
    if (!vorn::tools::WritePng(headless.application.last_canvas(), png_path, reason)) {
      std::cerr << "headless-run: " << reason << "\n";
      return 1;
    }
  }
  std::cout << "frames " << vorn::FrameCount << ", game clock " << vorn::GameClock << " ms\n";
  return 0;
}

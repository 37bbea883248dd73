// Test tooling, not a player feature: runs the player's app library on the headless back ends for
// a number of frames, then writes the window's client area as a PNG.
#include <cctype>
#include <cstdlib>
#include <map>
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
  std::cerr << "usage: headless-run [--frames N] [--png FILE] [--seed S] [--exe-dir DIR] [--config-png FILE]\n"
               "                    [--dialog-keys K,K,...] [player arguments]\n"
               "  --config-png and --dialog-keys run the settings dialog (\"/config\"); keys are names such as\n"
               "  Tab, Shift+Tab, Return, Escape, Space, Left, Right, Up, Down, Home, End, PageUp, PageDown, Alt+S\n";
  return 2;
}

// One scripted key of the dialog: "Alt+S", "Shift+Tab", "Return", a letter.
bool ParseKey(std::string name, vorn::platform::Event& event) {
  event = vorn::platform::Event{.type = vorn::platform::EventType::kKeyDown};
  for (;;) {
    if (name.rfind("Alt+", 0) == 0) {
      event.shift |= vorn::platform::kAltKey;
      name.erase(0, 4);
    } else if (name.rfind("Shift+", 0) == 0) {
      event.shift |= vorn::platform::kShiftKey;
      name.erase(0, 6);
    } else {
      break;
    }
  }
  static const std::map<std::string, int> kNames = {
      {"Tab", 0x09},  {"Return", 0x0D}, {"Escape", 0x1B}, {"Space", 0x20}, {"PageUp", 0x21},
      {"PageDown", 0x22}, {"End", 0x23}, {"Home", 0x24},  {"Left", 0x25},  {"Up", 0x26},
      {"Right", 0x27}, {"Down", 0x28}};
  if (auto found = kNames.find(name); found != kNames.end()) {
    event.key = found->second;
    return true;
  }
  if (name.size() == 1 && std::isalpha(static_cast<unsigned char>(name[0]))) {
    event.key = std::toupper(static_cast<unsigned char>(name[0]));
    return true;
  }
  return false;
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
  std::string config_png;
  std::string dialog_keys;
  bool dialog = false;
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
    } else if (argument == "--config-png" && has_value) {
      config_png = argv[++i];
      dialog = true;
    } else if (argument == "--dialog-keys" && has_value) {
      dialog_keys = argv[++i];
      dialog = true;
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

  if (dialog) {
    // The keys go first; a close box ends the dialog when they have not.
    std::string rest = dialog_keys;
    while (!rest.empty()) {
      const auto comma = rest.find(',');
      vorn::platform::Event event;
      if (!ParseKey(rest.substr(0, comma), event)) return Usage();
      headless.application.Post(event);
      rest = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
    }
    headless.application.Post(vorn::platform::Event{.type = vorn::platform::EventType::kClose});
    vorn::platform::Platform services = headless.services();
    const int code = vorn::RunPlayer(services, {"/config"}, vorn::PlayerOptions{seed});
    if (code != 0) return code;
    for (const auto& box : headless.boxes.shown()) std::cerr << "message box: " << box.text << "\n";
    if (!config_png.empty()) {
      std::string reason;
      if (!vorn::tools::WritePng(headless.application.last_canvas(), config_png, reason)) {
        std::cerr << "headless-run: " << reason << "\n";
        return 1;
      }
    }
    return headless.boxes.unscripted() > 0 ? 1 : 0;
  }

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

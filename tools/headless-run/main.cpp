// Test tooling, not a player feature: runs the player's app library on the headless back ends for
// a number of frames, fed with scripted input, and writes pictures of the window's client area.
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/player.h"
#include "engine/engine_values.h"
#include "foundation/log_line.h"
#include "platform/headless_application.h"
#include "platform/headless_input_script.h"
#include "platform/paths.h"
#include "platform/text_converter.h"
#include "fixture/png_writer.h"
#include "fixture/wav_writer.h"

namespace {

constexpr unsigned long long kMaxFrames = 100000000;

int Usage() {
  std::cerr
      << "usage: headless-run [--frames N] [--png FILE] [--shot N=FILE]... [--input FILE] [--log FILE]\n"
         "                    [--seed S] [--exe-dir DIR] [--config-png FILE] [--dialog-keys K,K,...]\n"
         "                    [player arguments]\n"
         "  --png writes the window after the last frame, --shot after frame N (repeatable).\n"
         "  --input reads timed events, one a line: <frame> <event> <args>, events arriving before\n"
         "  that frame runs: keydown KEY, keyup KEY, move X Y, down left|right X Y, up left|right X Y,\n"
         "  wheel up|down X Y, deactivate, activate, leave. KEY is a name (Tab, Return, Escape, Space, PageUp,\n"
         "  PageDown, End, Home, Left, Up, Right, Down, Shift, Control, Alt, F1-F12, a letter, a digit)\n"
         "  or a code (65, 0x41; 08 for code 8). X and Y are client pixels. Text fields get typed text\n"
         "  from 'text UTF-8' (the rest of the line) and the input method's composition from\n"
         "  'compose CURSOR UTF-8' (CURSOR in characters; 'compose 0' alone ends it); key lines type\n"
         "  nothing by themselves.\n"
         "  --log copies the player's log lines to FILE.\n"
         "  --audio (or --wav) writes the whole run's sound output to FILE as a 44100 Hz 16-bit stereo WAV.\n"
         "  --config-png and --dialog-keys run the settings dialog (\"/config\"); its keys are the names\n"
         "  above with Alt+ or Shift+ in front if wanted (Alt+S, Shift+Tab)\n";
  return 2;
}

// One scripted key of the dialog: "Alt+S", "Shift+Tab", "Return", a letter.
bool ParseDialogKey(std::string name, vorn::platform::Event& event) {
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
  const std::optional<int> key = vorn::platform::VirtualKeyByName(name);
  if (!key) return false;
  event.key = *key;
  return true;
}

bool ParseNumber(const std::string& text, unsigned long long& value) {
  if (text.empty() || text[0] == '-') return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtoull(text.c_str(), &end, 10);
  return end != nullptr && *end == '\0' && errno == 0;
}

bool WritePicture(const vorn::platform::Framebuffer& pixels, const std::string& path) {
  std::string reason;
  if (vorn::tools::WritePng(pixels, path, reason)) return true;
  std::cerr << "headless-run: " << reason << "\n";
  return false;
}

void PrintMessageBoxes(const vorn::platform::HeadlessMessageBoxes& boxes) {
  for (const auto& box : boxes.shown()) std::cerr << "message box: " << vorn::platform::Cp932ToUtf8(box.text) << "\n";
}

struct Shot {
  unsigned long long frame = 0;
  std::string path;
  bool taken = false;
};

}  // namespace

int main(int argc, char** argv) {
  unsigned long long frames = 120;
  unsigned long long seed = 1;
  std::string png_path;
  std::string exe_dir;
  std::string config_png;
  std::string dialog_keys;
  std::string input_path;
  std::string log_path;
  std::string audio_path;
  std::vector<Shot> shots;
  bool dialog = false;
  std::vector<std::string> player_arguments;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const bool has_value = i + 1 < argc;
    if (argument == "--frames" && has_value) {
      if (!ParseNumber(argv[++i], frames) || frames == 0 || frames > kMaxFrames) return Usage();
    } else if (argument == "--seed" && has_value) {
      if (!ParseNumber(argv[++i], seed)) return Usage();
    } else if (argument == "--png" && has_value) {
      png_path = argv[++i];
    } else if (argument == "--shot" && has_value) {
      const std::string value = argv[++i];
      const auto equals = value.find('=');
      Shot shot;
      if (equals == std::string::npos || equals + 1 == value.size() ||
          !ParseNumber(value.substr(0, equals), shot.frame) || shot.frame == 0) {
        std::cerr << "headless-run: --shot wants N=FILE with a frame N from 1, not \"" << value << "\"\n";
        return 2;
      }
      shot.path = value.substr(equals + 1);
      shots.push_back(shot);
    } else if (argument == "--input" && has_value) {
      input_path = argv[++i];
    } else if (argument == "--log" && has_value) {
      log_path = argv[++i];
    } else if ((argument == "--audio" || argument == "--wav") && has_value) {
      audio_path = argv[++i];
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
  for (const Shot& shot : shots) {
    if (shot.frame > frames) {
      std::cerr << "headless-run: --shot " << shot.frame << " comes after the last frame (" << frames << ")\n";
      return 2;
    }
  }

  vorn::platform::HeadlessPlatform headless;
  if (exe_dir.empty()) {
    headless.executable.set_path(vorn::platform::ProcExecutableLocation().ExecutablePath());
  } else {
    if (exe_dir.back() != '/') exe_dir += '/';
    headless.executable.set_path(exe_dir + "vornplayer");
  }

  std::unique_ptr<vorn::platform::HeadlessInputFeeder> input;
  if (!input_path.empty()) {
    std::ifstream in(input_path, std::ios::binary);
    if (!in) {
      std::cerr << "headless-run: " << input_path << ": cannot be opened\n";
      return 2;
    }
    try {
      input = std::make_unique<vorn::platform::HeadlessInputFeeder>(
          headless.application, vorn::platform::ParseInputScript(in, static_cast<std::uint32_t>(frames)));
    } catch (const vorn::platform::InputScriptError& error) {
      std::cerr << "headless-run: " << input_path << ": " << error.what() << "\n";
      return 2;
    }
  }

  std::ofstream log_file;
  std::unique_ptr<vorn::ScopedLogListener> log_listener;
  if (!log_path.empty()) {
    log_file.open(log_path, std::ios::binary | std::ios::trunc);
    if (!log_file) {
      std::cerr << "headless-run: " << log_path << ": cannot be written\n";
      return 2;
    }
    log_listener = std::make_unique<vorn::ScopedLogListener>([&log_file](std::string_view line) {
      log_file << line << '\n';
      log_file.flush();
    });
  }

  if (input) {
    // Events of frame N go out after frame N-1 ran. A player that runs no frames (inactive, or
    // stopped) would block the loop: it gets the next frame's events instead.
    headless.application.set_before_dispatch([&input](vorn::platform::Window&, bool waiting) {
      if (waiting) {
        input->PostNextFrame();
      } else {
        input->PostUpTo(static_cast<std::uint32_t>(vorn::FrameCount) + 1u);
      }
    });
  }

  bool close_posted = false;
  bool shots_written = true;
  headless.application.set_after_idle([&](vorn::platform::Window& window) {
    const auto done = static_cast<unsigned long long>(static_cast<std::uint32_t>(vorn::FrameCount));
    for (Shot& shot : shots) {
      if (!shot.taken && shot.frame <= done) {
        shot.taken = true;
        shots_written &= WritePicture(window.Canvas(), shot.path);
      }
    }
    if (!close_posted && done >= frames) {
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
      if (!ParseDialogKey(rest.substr(0, comma), event)) return Usage();
      headless.application.Post(event);
      rest = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
    }
    headless.application.Post(vorn::platform::Event{.type = vorn::platform::EventType::kClose});
    vorn::platform::Platform services = headless.services();
    const int code = vorn::RunPlayer(services, {"/config"}, vorn::PlayerOptions{seed});
    PrintMessageBoxes(headless.boxes);
    if (code != 0) return code;
    if (!config_png.empty() && !WritePicture(headless.application.last_canvas(), config_png)) return 1;
    return headless.boxes.unscripted() > 0 ? 1 : 0;
  }

  vorn::platform::Platform services = headless.services();
  const std::uint32_t start_ms = headless.clock.TimeGetTime();
  const int code = vorn::RunPlayer(services, player_arguments, vorn::PlayerOptions{seed});
  PrintMessageBoxes(headless.boxes);
  if (code != 0) return code;
  if (headless.boxes.unscripted() > 0) return 1;
  if (!close_posted) {
    std::cerr << "headless-run: the player ended before frame " << frames << "\n";
    return 1;
  }
  if (!shots_written) return 1;
  if (!png_path.empty() && !WritePicture(headless.application.last_canvas(), png_path)) return 1;
  if (!audio_path.empty()) {
    std::string reason;
    if (!vorn::tools::WriteWav(headless.audio.Captured(), audio_path, reason)) {
      std::cerr << "headless-run: " << reason << "\n";
      return 1;
    }
  }
  std::cout << "frames " << vorn::FrameCount << ", game clock " << vorn::GameClock << " ms, virtual time "
            << headless.clock.TimeGetTime() - start_ms << " ms\n";
  return 0;
}

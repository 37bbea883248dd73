// Builds a project that answers scripted input, for the whole-player test of headless-run's
// --input: its layer is magenta; the A key ends full screen and calls a page of a newer version than this player
// reads, which the player reports in one log line and runs as an empty page.
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "fixture/flow_page_commands.h"
#include "fixture/page_writer.h"
#include "fixture/project_writer.h"

namespace flow = vorn::fixture::flow;
using vorn::fixture::PageWriter;
using vorn::fixture::ProjectWriter;

namespace {

constexpr int kPageVersion = 110;
constexpr int kTooNewPageVersion = 111;
constexpr std::uint8_t kSetPropCommand = 18;
// COLOR of the active layer: magenta (0x00BBGGRR), so every picture shows the scene.
constexpr const char* kColourProperty = "8";
constexpr const char* kMagenta = "16711935";  // 0xFF00FF

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-input-demo DIR\n";
    return 2;
  }
  const std::string dir = argv[1];
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (error) {
    std::cerr << "make-input-demo: " << dir << ": " << error.message() << "\n";
    return 1;
  }
  try {
    ProjectWriter project(kPageVersion);
    project.title = "Vorn input demo";
    project.screen_width = 640;
    project.screen_height = 480;
    project.start_page = "start.vsb";
    project.WriteTo(dir);

    // One frame per round: the Calc with a false run flag ends each frame.
    PageWriter start(kPageVersion);
    vorn::fixture::PageCommand colour(kSetPropCommand);
    colour.Expr("\"\"").Expr(kColourProperty).Expr(kMagenta);
    start.Add(std::move(colour))
        .Add(flow::Label("loop", 0, 1))
        .Add(flow::If("@KeyClick[65]", 0, 2))
        .Add(flow::Calc("@FullScr = 0", 1, 3))
        .Add(flow::Call("key-a.vsb", 0, "", {}, "1", 1, 4))
        .Add(flow::Calc("", 0, 5).Header(0, 0, 0, 5))
        .Add(flow::Jump("start.vsb", 1, "1", 0, 6));
    start.WriteTo(dir, "start.vsb");

    PageWriter key_a(kTooNewPageVersion);
    key_a.Add(flow::Calc("", 0, 1));
    key_a.WriteTo(dir, "key-a.vsb");
  } catch (const std::exception& failure) {
    std::cerr << "make-input-demo: " << failure.what() << "\n";
    return 1;
  }
  return 0;
}

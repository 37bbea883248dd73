// Builds the demo project into the directory given on the command line, from C++ code, so the
// demo always matches the current sources: the project file and a start page that colours the two
// layers apart and flips between them with a fade, then counts the frames into project variables
// through loops, calls and conditions; the exit page records the end.
#include <filesystem>
#include <iostream>
#include <system_error>

#include "fixture/flow_page_commands.h"
#include "fixture/page_writer.h"
#include "fixture/project_writer.h"

namespace flow = vorn::fixture::flow;
using vorn::fixture::PageWriter;
using vorn::fixture::ProjectGlobal;
using vorn::fixture::PageCommand;
using vorn::fixture::ProjectWriter;

namespace {

// Colours as 0x00BBGGRR: the first picture blue, the one the flip fades to orange.
constexpr const char* kFirstLayerColour = "10485760";  // 0xA00000
constexpr const char* kSecondLayerColour = "33023";  // 0x0080FF
constexpr const char* kFadeMs = "1000";
constexpr std::uint8_t kSetPropCommand = 18;
constexpr std::uint8_t kFlipCommand = 13;
constexpr const char* kColourProperty = "8";
constexpr const char* kFadeKind = "1";

// Sets the COLOR of the layer of that name (a quoted expression).
PageCommand LayerColour(const char* layer, const char* colour, std::int32_t line) {
  PageCommand command(kSetPropCommand);
  command.Expr(layer).Expr(kColourProperty).Expr(colour);
  command.line = line;
  return command;
}

// Flips to the other layer with a fade: kind, duration, direction, carry mode, no carried names,
// then clear-old, the two parameters, the mask text and the event block, all unset.
PageCommand FadeFlip(const char* duration, std::int32_t line) {
  PageCommand command(kFlipCommand);
  command.Expr(kFadeKind).Expr(duration).Expr("").Expr("").Int(0);
  command.Expr("").Expr("").Expr("").Expr("").Expr("");
  command.line = line;
  return command;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-demo DIR\n";
    return 2;
  }
  const std::string dir = argv[1];
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (error) {
    std::cerr << "make-demo: " << dir << ": " << error.message() << "\n";
    return 1;
  }
  try {
    ProjectWriter project(110);
    project.title = "Vorn demo";
    project.screen_width = 640;
    project.screen_height = 480;
    project.start_page = "start.vsb";
    project.exit_page = "exit.vsb";
    project.globals = {ProjectGlobal::Int("i", 0), ProjectGlobal::Int("frames", 0), ProjectGlobal::Int("sum", 0), ProjectGlobal::Int("ended", 0)};
    project.WriteTo(dir);

    // One frame per round of the endless loop: the Calc with a false run flag ends each frame.
    PageWriter start(110);
    start.Add(LayerColour("\"\"", kFirstLayerColour, 1))
        .Add(LayerColour("\"\x01\"", kSecondLayerColour, 1))
        .Add(FadeFlip(kFadeMs, 1))
        .Add(flow::WhileInit("i = 1", 0, 1))
        .Add(flow::While("i <= 10", 7, 0, 2))
        .Add(flow::Calc("sum = sum + i", 1, 3))
        .Add(flow::WhileLoop("i = i + 1", 4, 0, 4))
        .Add(flow::Label("loop", 0, 5))
        .Add(flow::Call("count.vsb", 0, "", {}, "1", 0, 6))
        .Add(flow::Calc("", 0, 7).Header(0, 0, 0, 7))
        .Add(flow::Jump("start.vsb", 7, "1", 0, 8));
    start.WriteTo(dir, "start.vsb");

    PageWriter count(110);
    count.Add(flow::Calc("frames = frames + 1", 0, 1));
    count.WriteTo(dir, "count.vsb");

    PageWriter exit(110);
    exit.Add(flow::Calc("ended = 1", 0, 1));
    exit.WriteTo(dir, "exit.vsb");
  } catch (const std::exception& failure) {
    std::cerr << "make-demo: " << failure.what() << "\n";
    return 1;
  }
  return 0;
}

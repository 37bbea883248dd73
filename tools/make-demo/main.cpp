// Builds the demo project into the directory given on the command line, from C++ code, so the
// demo always matches the current sources: the project file and a start page that colours the two
// layers apart, puts boxes on the second one (bordered, translucent, additive, one a timer moves
// every 500 ms and one whose left click changes its colour) and flips to it with a fade, then
// counts the frames into project variables through loops, calls and conditions; the exit page
// records the end.
#include <filesystem>
#include <iostream>
#include <system_error>

#include "fixture/component_page_commands.h"
#include "fixture/flow_page_commands.h"
#include "fixture/page_writer.h"
#include "fixture/project_writer.h"

namespace flow = vorn::fixture::flow;
namespace scene = vorn::fixture::scene;
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

// A box on the second layer with the slots every box of the page sets.
struct DemoBox {
  const char* name;
  int left, top, width, height;
  const char* colour;
  int border_width;
  const char* border_colour;
  int alpha;
  const char* on_left_down;
};

PageCommand BoxNew(PageWriter& page, const DemoBox& box, std::int32_t line) {
  return scene::Create(page, scene::kBoxNew,
                       {{0, std::string("\"") + box.name + "\""},
                        {1, "\"\x01\""},  // the layer the fade shows
                        {3, std::to_string(box.left)},
                        {4, std::to_string(box.top)},
                        {5, std::to_string(box.width)},
                        {6, std::to_string(box.height)},
                        {8, box.colour},
                        {9, std::to_string(box.border_width)},
                        {10, box.border_colour},
                        {11, std::to_string(box.alpha)},
                        {36, std::string("\"") + box.on_left_down + "\""}},
                       line);
}

// Kept clear of the points the picture test looks at: the corners and the middle.
const DemoBox kBoxes[] = {
    {"bordered", 40, 40, 160, 100, "255", 6, "16777215", 255, ""},       // red, white border
    {"glass", 140, 80, 160, 100, "16711680", 0, "0", 128, ""},           // blue, half through
    {"glow", 400, 40, 160, 100, "65280", 0, "0", 384, ""},               // green, added
    {"mover", 40, 380, 40, 40, "65535", 2, "0", 255, ""},                // yellow, moved by the timer
    {"clicky", 440, 300, 100, 60, "16711935", 0, "0", 255, "start.vsb:click"},
};

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
    project.globals = {ProjectGlobal::Int("i", 0),   ProjectGlobal::Int("frames", 0), ProjectGlobal::Int("sum", 0),
                       ProjectGlobal::Int("ended", 0), ProjectGlobal::Int("x", 40),     ProjectGlobal::Int("hue", 0)};
    project.WriteTo(dir);

    // One frame per round of the endless loop: the Calc with a false run flag ends each frame.
    PageWriter start(110);
    start.Add(LayerColour("\"\"", kFirstLayerColour, 1)).Add(LayerColour("\"\x01\"", kSecondLayerColour, 1));
    for (const DemoBox& box : kBoxes) start.Add(BoxNew(start, box, 1));
    start.Add(scene::Create(start, scene::kTimerNew, {{0, "\"mover-timer\""}, {26, "500"}, {33, "\"start.vsb:move\""}}, 1));
    // Commands 0-8 set the scene up and flip; the frame loop below starts at command 13.
    constexpr std::int32_t kLoop = 13;
    start.Add(FadeFlip(kFadeMs, 1))
        .Add(flow::WhileInit("i = 1", 0, 1))
        .Add(flow::While("i <= 10", kLoop, 0, 2))
        .Add(flow::Calc("sum = sum + i", 1, 3))
        .Add(flow::WhileLoop("i = i + 1", kLoop - 3, 0, 4))
        .Add(flow::Label("loop", 0, 5))
        .Add(flow::Call("count.vsb", 0, "", {}, "1", 0, 6))
        .Add(flow::Calc("", 0, 7).Header(0, 0, 0, 7))
        .Add(flow::Jump("start.vsb", kLoop, "1", 0, 8))
        // The timer's notification: the yellow box steps right, back to the left at the end.
        .Add(flow::Label("move", 0, 10))
        .Add(flow::Calc("x = x + 40", 0, 11))
        .Add(flow::If("x > 560", 0, 12))
        .Add(flow::Calc("x = 40", 1, 13))
        .Add(scene::SetProperty("\"mover\"", 3, "x", 14))
        .Add(flow::Exit("1", 0, 15))
        // A left click on the magenta box gives it another colour.
        .Add(flow::Label("click", 0, 17))
        .Add(flow::Calc("hue = (hue + 85) % 256", 0, 18))
        .Add(scene::SetProperty("\"clicky\"", 8, "hue * 65536 + (255 - hue) * 256 + 128", 19))
        .Add(flow::Exit("1", 0, 20));
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

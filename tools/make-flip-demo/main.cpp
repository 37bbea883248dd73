// Builds a project for the whole-player test of layer flips driven by input: the first layer is
// blue and names a cursor file the project does not have, the second is orange. A left click on the
// scene (read through "@LClick") flips to the other layer with a short fade, the space key (read
// through "@KeyClick") flips at once.
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "fixture/flow_page_commands.h"
#include "fixture/page_writer.h"
#include "fixture/project_writer.h"

namespace flow = vorn::fixture::flow;
using vorn::fixture::PageCommand;
using vorn::fixture::PageWriter;
using vorn::fixture::ProjectWriter;

namespace {

constexpr int kPageVersion = 110;
constexpr std::uint8_t kSetPropCommand = 18;
constexpr std::uint8_t kFlipCommand = 13;
constexpr const char* kColourProperty = "8";
constexpr const char* kCursorProperty = "99";
// Colours as 0x00BBGGRR.
constexpr const char* kFirstLayerColour = "10485760";  // 0xA00000: blue
constexpr const char* kSecondLayerColour = "33023";    // 0x0080FF: orange
constexpr const char* kFadeKind = "1";
constexpr const char* kFadeMs = "160";
constexpr const char* kNoTransition = "0";

PageCommand LayerProperty(const char* layer, const char* property, const std::string& value, std::int32_t line) {
  PageCommand command(kSetPropCommand);
  command.Expr(layer).Expr(property).Expr(value);
  command.line = line;
  return command;
}

// Flips to the other layer: kind, duration, direction, carry mode, no carried names, then
// clear-old, the two parameters, the mask text and the event block, all unset.
PageCommand Flip(const char* kind, const char* duration, std::int32_t indent, std::int32_t line) {
  PageCommand command(kFlipCommand);
  command.Expr(kind).Expr(duration).Expr("").Expr("").Int(0);
  command.Expr("").Expr("").Expr("").Expr("").Expr("");
  command.indent = indent;
  command.line = line;
  return command;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-flip-demo DIR\n";
    return 2;
  }
  const std::string dir = argv[1];
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (error) {
    std::cerr << "make-flip-demo: " << dir << ": " << error.message() << "\n";
    return 1;
  }
  try {
    ProjectWriter project(kPageVersion);
    project.title = "Vorn flip demo";
    project.screen_width = 640;
    project.screen_height = 480;
    project.start_page = "start.vsb";
    project.WriteTo(dir);

    // Commands 0-2 colour the layers and name the cursor; the frame loop starts at the label.
    constexpr std::int32_t kLoop = 3;
    PageWriter start(kPageVersion);
    start.Add(LayerProperty("\"\"", kColourProperty, kFirstLayerColour, 1))
        .Add(LayerProperty("\"\x01\"", kColourProperty, kSecondLayerColour, 2))
        .Add(LayerProperty("\"\"", kCursorProperty, "\"missing.cur\"", 3))
        .Add(flow::Label("loop", 0, 4))
        .Add(flow::If("@LClick", 0, 5))
        .Add(Flip(kFadeKind, kFadeMs, 1, 6))
        .Add(flow::If("@KeyClick[32]", 0, 7))
        .Add(Flip(kNoTransition, "", 1, 8))
        // One frame per round: the Calc with a false run flag ends each frame.
        .Add(flow::Calc("", 0, 9).Header(0, 0, 0, 9))
        .Add(flow::Jump("start.vsb", kLoop, "1", 0, 10));
    start.WriteTo(dir, "start.vsb");
  } catch (const std::exception& failure) {
    std::cerr << "make-flip-demo: " << failure.what() << "\n";
    return 1;
  }
  return 0;
}

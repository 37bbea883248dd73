// Builds a project whose start page shows a white box and over it a red label "あA" 24 pixels
// high, for the whole-player test of labels.
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "fixture/component_page_commands.h"
#include "fixture/flow_page_commands.h"
#include "fixture/page_writer.h"
#include "fixture/project_writer.h"

namespace flow = vorn::fixture::flow;
namespace scene = vorn::fixture::scene;
using vorn::fixture::PageWriter;
using vorn::fixture::ProjectWriter;

namespace {

constexpr int kPageVersion = 110;
constexpr std::uint8_t kLabelNew = 24;
// The label's place; the test reads these from the command line it passes.
constexpr int kLabelLeft = 20;
constexpr int kLabelTop = 30;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-label-demo DIR\n";
    return 2;
  }
  const std::string dir = argv[1];
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (error) {
    std::cerr << "make-label-demo: " << dir << ": " << error.message() << "\n";
    return 1;
  }
  try {
    ProjectWriter project(kPageVersion);
    project.title = "Vorn label demo";
    project.screen_width = 160;
    project.screen_height = 120;
    project.start_page = "start.vsb";
    project.WriteTo(dir);

    PageWriter start(kPageVersion);
    // Names sort the siblings: "back" paints before "text".
    start.Add(scene::Create(start, scene::kBoxNew,
                            {{0, "\"back\""}, {3, "0"}, {4, "0"}, {5, "160"}, {6, "120"}, {8, "16777215"}}, 1));
    start.Add(scene::Create(start, kLabelNew,
                            {{0, "\"text\""},
                             {3, std::to_string(kLabelLeft)},
                             {4, std::to_string(kLabelTop)},
                             {16, "24"},             // FONTHEIGHT
                             {19, "255"},            // FONTCOLOR: red (0x00BBGGRR)
                             {25, "1"},              // ANTIALIAS
                             {50, "\"\x82\xA0" "A\""}},  // TEXT "あA"
                            2));
    start.Add(flow::Label("loop", 0, 3))
        .Add(flow::Calc("", 0, 4).Header(0, 0, 0, 4))
        .Add(flow::Jump("start.vsb", 3, "1", 0, 5));
    start.WriteTo(dir, "start.vsb");
  } catch (const std::exception& failure) {
    std::cerr << "make-label-demo: " << failure.what() << "\n";
    return 1;
  }
  return 0;
}

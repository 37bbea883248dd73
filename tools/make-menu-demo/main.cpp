// Builds a project for the whole-player test of the choice menu: its start page opens a menu of
// three Japanese items on a magenta layer (hover bar green, no opening animation); choosing an item
// runs a handler that saves the game in slot 1, where the chosen text is kept as @SelStr.
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
constexpr std::uint8_t kSetPropCommand = 18;
constexpr std::uint8_t kMenuCommand = 25;
constexpr std::int32_t kIdleIndex = 2;
// "りんご", "バナナ" and "みかん" in CP932, one a line.
const std::string kItems =
    "\"\x82\xe8\x82\xf1\x82\xb2\\n"
    "\x83\x6f\x83\x69\x83\x69\\n"
    "\x82\xdd\x82\xa9\x82\xf1\"";

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-menu-demo DIR\n";
    return 2;
  }
  std::string dir = argv[1];
  if (dir.back() != '/') dir += '/';
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (error) {
    std::cerr << "make-menu-demo: " << dir << ": " << error.message() << "\n";
    return 1;
  }
  try {
    ProjectWriter project(kPageVersion);
    project.title = "Vorn menu demo";
    project.screen_width = 160;
    project.screen_height = 120;
    project.start_page = "start.vsb";
    project.WriteTo(dir);

    PageWriter start(kPageVersion);
    vorn::fixture::PageCommand colour(kSetPropCommand);
    colour.Expr("\"\"").Expr("8").Expr("16711935");  // the layer magenta
    start.Add(std::move(colour));
    start.Add(scene::Create(start, kMenuCommand,
                            {{0, "\"menu\""},
                             {1, "\"\""},
                             {3, "10"},
                             {4, "10"},
                             {11, "255"},
                             {18, "4"},   // line space
                             {24, "65280"},  // hover bar green
                             {26, "0"},   // no opening animation
                             {49, "3"},   // rows
                             {50, kItems},
                             {51, "4"},   // margins
                             {52, "4"},
                             {72, "\"start.vsb:chosen\""}},
                            2));
    start.Add(flow::Label("idle", 0, 3))
        .Add(flow::Calc("", 0, 4).Header(0, 0, 0, 4))
        .Add(flow::Jump("start.vsb", kIdleIndex, "1", 0, 5));
    start.Add(flow::Label("chosen", 0, 6))
        .Add(scene::GameSave("1", "start.vsb", kIdleIndex, "\"chosen\"", 7))
        .Add(flow::Exit("1", 0, 8));
    start.WriteTo(dir, "start.vsb");
  } catch (const std::exception& failure) {
    std::cerr << "make-menu-demo: " << failure.what() << "\n";
    return 1;
  }
  return 0;
}

// The whole-player test of text fields, its project and its check:
//   text-field-check make DIR    a 320 x 240 project: an edit "ed" on layer 0 (TEXT "名前") whose
//                                ONNOTIFY handler appends "code:text;" to the variable log, copies
//                                log into the edit's TAG, saves the game in slot 1 and flips the
//                                layers on code 9; a memo "mm" on layer 1
//   text-field-check check DIR   reads slot 1 of DIR/save.dat with the player's archive and scene
//                                readers and prints the edit's TEXT and TAG in UTF-8, one a line
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>

#include "components/vorn_base_list.h"
#include "engine/save_data.h"
#include "fixture/component_page_commands.h"
#include "fixture/flow_page_commands.h"
#include "fixture/page_writer.h"
#include "fixture/project_writer.h"
#include "foundation/archive.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"
#include "platform/text_converter.h"

namespace flow = vorn::fixture::flow;
namespace scene = vorn::fixture::scene;
using vorn::fixture::PageCommand;
using vorn::fixture::PageWriter;
using vorn::fixture::ProjectGlobal;
using vorn::fixture::ProjectWriter;

namespace {

constexpr int kPageVersion = 110;
constexpr std::uint8_t kEditNew = 43;
constexpr std::uint8_t kMemoNew = 44;
constexpr std::uint8_t kFlipCommand = 13;
constexpr int kTagProperty = 151;
constexpr int kColourProperty = 8;
// Where a loaded game would resume: the idle loop.
constexpr std::int32_t kIdleIndex = 5;

PageCommand EndFrame(std::int32_t line) { return flow::Calc("", 0, line).Header(0, 0, 0, line); }

// Straight to the other layer, without a transition.
PageCommand Flip(std::int32_t level, std::int32_t line) {
  PageCommand command(kFlipCommand);
  command.Expr("0").Expr("0").Expr("").Expr("").Int(0);
  command.Expr("").Expr("").Expr("").Expr("").Expr("");
  command.Header(level, 0, 1, line);
  return command;
}

PageCommand Field(PageWriter& page, std::uint8_t code, const char* name, const char* parent, int left, int top,
                  int width, int height, const std::string& text, const char* colour, std::int32_t line) {
  return scene::Create(page, code,
                       {{0, std::string("\"") + name + "\""},
                        {1, parent},
                        {3, std::to_string(left)},
                        {4, std::to_string(top)},
                        {5, std::to_string(width)},
                        {6, std::to_string(height)},
                        {8, colour},
                        {50, "\"" + text + "\""},
                        {33, "\"start.vsb:notify\""}},
                       line);
}

void WriteProject(const std::string& dir) {
  ProjectWriter project(kPageVersion);
  project.title = "Text fields";
  project.screen_width = 320;
  project.screen_height = 240;
  project.start_page = "start.vsb";
  project.globals = {ProjectGlobal::Str("log", "")};
  project.WriteTo(dir);

  PageWriter start(kPageVersion);
  start.Add(scene::SetProperty("\"\"", kColourProperty, "8421504", 1));        // layer 0 grey
  start.Add(scene::SetProperty("\"\x01\"", kColourProperty, "4210752", 2));    // layer 1 dark grey
  start.Add(Field(start, kEditNew, "ed", "\"\"", 40, 30, 160, 24, vorn::platform::Utf8ToCp932("名前"), "16777215", 3));
  start.Add(Field(start, kMemoNew, "mm", "\"\x01\"", 40, 80, 200, 100, "memo", "12648384", 4));  // 0xC0FFC0
  start.Add(EndFrame(5));
  start.Add(flow::Label("idle", 0, 6)).Add(EndFrame(7)).Add(flow::Jump("start.vsb", kIdleIndex, "1", 0, 8));
  start.Add(flow::Label("notify", 0, 10))
      .Add(flow::Calc("log = log ++ @ParamStr[0] ++ \":\" ++ @ParamStr[1] ++ \";\"", 0, 11))
      .Add(scene::SetProperty("\"ed\"", kTagProperty, "log", 12))
      .Add(scene::GameSave("1", "start.vsb", kIdleIndex, "\"typed\"", 13))
      .Add(flow::If("@ParamStr[0] == \"9\"", 0, 14))
      .Add(Flip(1, 15))
      .Add(flow::Exit("1", 0, 16));
  start.WriteTo(dir, "start.vsb");
}

void PrintSavedEdit(const std::string& save_file) {
  vorn::TVrFileCollection archive;
  archive.Open(save_file);
  vorn::TMemoryStream entry;
  archive.LoadToStream(entry, vorn::GameEntryName(1));
  entry.SetPosition(0);
  const std::int32_t version = vorn::ReadIntFromStream(entry);
  vorn::ReadStrFromStream(entry);
  vorn::ReadStrFromStream(entry);
  vorn::ReadIntFromStream(entry);
  vorn::TVornBaseList reader;
  reader.LoadFromStream(entry, version);
  const vorn::TVornObject* edit = reader.FindComponent("ed");
  if (edit == nullptr || edit->GetCompoType() != 5) throw std::runtime_error("no edit ed in the saved scene");
  std::cout << vorn::platform::Cp932ToUtf8(edit->GetText()) << "\n" << vorn::platform::Cp932ToUtf8(edit->GetTag()) << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: text-field-check make|check DIR\n";
    return 2;
  }
  const std::string mode = argv[1];
  std::string dir = argv[2];
  if (dir.back() != '/') dir += '/';
  try {
    if (mode == "make") {
      std::filesystem::create_directories(dir);
      WriteProject(dir);
    } else if (mode == "check") {
      PrintSavedEdit(dir + "save.dat");
    } else {
      std::cerr << "text-field-check: unknown mode " << mode << "\n";
      return 2;
    }
  } catch (const std::exception& failure) {
    std::cerr << "text-field-check: " << failure.what() << "\n";
    return 1;
  }
  return 0;
}

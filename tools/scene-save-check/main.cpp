// The two halves of the whole-player test of saved scenes, and its check:
//   scene-save-check save DIR     a project whose start page makes boxes (bordered, translucent,
//                                 additive, one that handles keys and so takes the focus), a
//                                 cabinet holding two boxes of the inactive layer and a paused
//                                 timer, then saves the game in slot 1
//   scene-save-check reload DIR   the start page instead loads slot 1, and the loaded game then
//                                 saves slot 2
//   scene-save-check compare DIR  reads both slots from DIR/save.dat with the archive reader and
//                                 exits 0 when their scene records are the same bytes
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "components/vorn_base_list.h"
#include "engine/save_data.h"
#include "fixture/component_page_commands.h"
#include "fixture/flow_page_commands.h"
#include "fixture/page_writer.h"
#include "fixture/project_writer.h"
#include "foundation/archive.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"

namespace flow = vorn::fixture::flow;
namespace scene = vorn::fixture::scene;
using vorn::fixture::PageWriter;
using vorn::fixture::ProjectWriter;

namespace {

constexpr int kPageVersion = 110;
// Where a loaded game resumes: the GameSave of the reloading page.
constexpr std::int32_t kResumeIndex = 12;

// A box with every slot the page's boxes share.
struct Box {
  const char* name;
  const char* parent;
  int left, top, width, height;
  const char* colour;
  int border_width;
  const char* border_colour;
  int alpha;
  int handle_key;
};

vorn::fixture::PageCommand BoxNew(PageWriter& page, const Box& box, std::int32_t line) {
  return scene::Create(page, scene::kBoxNew,
                       {{0, std::string("\"") + box.name + "\""},
                        {1, box.parent},
                        {3, std::to_string(box.left)},
                        {4, std::to_string(box.top)},
                        {5, std::to_string(box.width)},
                        {6, std::to_string(box.height)},
                        {8, box.colour},
                        {9, std::to_string(box.border_width)},
                        {10, box.border_colour},
                        {11, std::to_string(box.alpha)},
                        {147, std::to_string(box.handle_key)}},
                       line);
}

// Frames end at a Calc with a false run flag.
vorn::fixture::PageCommand EndFrame(std::int32_t line) { return flow::Calc("", 0, line).Header(0, 0, 0, line); }

void AddIdleLoop(PageWriter& page, std::int32_t at) {
  page.Add(flow::Label("idle", 0, at)).Add(EndFrame(at + 1)).Add(flow::Jump("start.vsb", at, "1", 0, at + 2));
}

void WriteSavingProject(const std::string& dir) {
  ProjectWriter project(kPageVersion);
  project.title = "Scene save";
  project.screen_width = 160;
  project.screen_height = 120;
  project.start_page = "start.vsb";
  project.WriteTo(dir);

  PageWriter start(kPageVersion);
  const Box boxes[] = {
      {"bordered", "\"\"", 10, 10, 60, 40, "255", 3, "16777215", 255, 0},
      {"glass", "\"\"", 40, 30, 60, 40, "16711680", 0, "0", 128, 0},
      {"glow", "\"\"", 80, 20, 40, 60, "65280", 0, "0", 384, 0},
      {"keyed", "\"\"", 100, 70, 30, 30, "65535", 1, "0", 255, 1},
      {"c1", "\"\x01\"", 5, 5, 10, 10, "255", 0, "0", 255, 0},
      {"c2", "\"\x01\"", 20, 5, 10, 10, "65280", 0, "0", 255, 0},
  };
  std::int32_t line = 1;
  for (const Box& box : boxes) start.Add(BoxNew(start, box, line++));
  start.Add(scene::SaveCabinet(start, "\"cab\"", {"\"c1\"", "\"c2\""}, line++));
  start.Add(scene::Create(start, scene::kTimerNew,
                          {{0, "\"tick\""}, {26, "500"}, {27, "1"}, {33, "\"start.vsb:never\""}}, line++));
  // Two frames pass, so that the input step has chosen the focus, before the save.
  start.Add(EndFrame(line++));
  start.Add(EndFrame(line++));
  start.Add(scene::GameSave("1", "start.vsb", kResumeIndex, "\"first\"", line++));
  start.Add(EndFrame(line++));
  AddIdleLoop(start, kResumeIndex);
  start.WriteTo(dir, "start.vsb");
}

void WriteReloadingPage(const std::string& dir) {
  PageWriter start(kPageVersion);
  // Waits for the load, which resumes the saved game below.
  start.Add(scene::GameLoad("1", 1)).Add(EndFrame(2));
  start.Add(flow::Label("wait", 0, 3)).Add(EndFrame(4)).Add(flow::Jump("start.vsb", 2, "1", 0, 5));
  for (std::int32_t i = 5; i < kResumeIndex; ++i) start.Add(flow::Comment("the loaded game resumes below", 0, i + 1));
  start.Add(scene::GameSave("2", "start.vsb", kResumeIndex + 2, "\"second\"", kResumeIndex + 1));
  start.Add(EndFrame(kResumeIndex + 2));
  AddIdleLoop(start, kResumeIndex + 2);
  start.WriteTo(dir, "start.vsb");
}

// What the saving page made must be in the saved scene: the focus on the key-handling box, the
// cabinet on layer 0 with its two boxes, the paused timer.
void CheckSavedScene(vorn::TVornBaseList& loaded, std::int32_t slot) {
  const std::string where = "slot " + std::to_string(slot) + ": ";
  const vorn::TVornControl* focused = loaded.GetFocusedControl();
  if (focused == nullptr || focused->GetName() != "keyed") throw std::runtime_error(where + "no focus on keyed");
  const vorn::TVornControl* cabinet = loaded.FindControl("cab");
  if (cabinet == nullptr || cabinet->GetParent() != loaded.GetBase(0) || cabinet->GetChildCount() != 2 ||
      cabinet->GetChild(0)->GetName() != "c1" || cabinet->GetChild(1)->GetName() != "c2") {
    throw std::runtime_error(where + "no cabinet holding c1 and c2 on layer 0");
  }
  const vorn::TVornObject* timer = loaded.FindComponent("tick");
  if (timer == nullptr || !timer->GetPaused() || timer->GetDelay() != 500) {
    throw std::runtime_error(where + "no paused timer");
  }
}

// The scene record of a slot's game entry: after the version, caption, resume page and index, as
// long as the scene reader takes.
std::vector<std::uint8_t> SceneRecordOf(const std::string& save_file, std::int32_t slot) {
  vorn::TVrFileCollection archive;
  archive.Open(save_file);
  vorn::TMemoryStream entry;
  archive.LoadToStream(entry, vorn::GameEntryName(slot));
  entry.SetPosition(0);
  const std::int32_t version = vorn::ReadIntFromStream(entry);
  vorn::ReadStrFromStream(entry);
  vorn::ReadStrFromStream(entry);
  vorn::ReadIntFromStream(entry);
  const std::int64_t start = entry.Position();
  vorn::TVornBaseList reader;
  reader.LoadFromStream(entry, version);
  CheckSavedScene(reader, slot);
  const std::vector<std::uint8_t> bytes = entry.Bytes();
  return {bytes.begin() + start, bytes.begin() + entry.Position()};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: scene-save-check save|reload|compare DIR\n";
    return 2;
  }
  const std::string mode = argv[1];
  std::string dir = argv[2];
  if (dir.back() != '/') dir += '/';
  try {
    if (mode == "save") {
      std::filesystem::create_directories(dir);
      WriteSavingProject(dir);
    } else if (mode == "reload") {
      WriteReloadingPage(dir);
    } else if (mode == "compare") {
      const std::vector<std::uint8_t> first = SceneRecordOf(dir + "save.dat", 1);
      const std::vector<std::uint8_t> second = SceneRecordOf(dir + "save.dat", 2);
      std::cout << "slot 1 scene record: " << first.size() << " bytes, slot 2: " << second.size() << " bytes\n";
      if (first != second) {
        std::cerr << "scene-save-check: the scene records differ\n";
        return 1;
      }
    } else {
      std::cerr << "scene-save-check: unknown mode " << mode << "\n";
      return 2;
    }
  } catch (const std::exception& failure) {
    std::cerr << "scene-save-check: " << failure.what() << "\n";
    return 1;
  }
  return 0;
}

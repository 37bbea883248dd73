// The panel's mouse cursor follows the object under the mouse: its own cursor file, else the
// scene-wide one ("@Cursor"), else the system arrow.

#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "components/cursor_files.h"
#include "components/vorn_base_list.h"
#include "engine/project.h"
#include "engine/system_vars.h"
#include "foundation/file_stream.h"
#include "foundation/host_names.h"
#include "foundation/log_line.h"
#include "foundation/vr_file_manager.h"
#include "platform/text_converter.h"

namespace vorn {
namespace {

// The project's file of that name (extracted from an archive when it lies in one), as pictures.
// The file is opened by its real name: neither the icon chooser nor a picture load may run here.
TCursorPictures LoadCursorFile(const std::string& name) {
  TProject* project = CurrentProject();
  if (project == nullptr) throw Exception("no project to find the file in");
  const std::string real = project->Files().GetRealFileName(name);
  const std::optional<std::string> host = FindHostPath(real);
  if (!host) throw Exception("no such file");
  TFileStream stream(*host, FileMode::kOpenRead);
  return ReadCursorPictures(stream);
}

}  // namespace

void TVornBase::UpdateCursor(const TVornObject& target) {
  const TVornBaseList* scene = GetOwner();
  platform::Cursors* cursors = scene != nullptr ? scene->GetCursors() : nullptr;
  if (cursors == nullptr) return;
  std::string name = target.GetCursorName();
  if (name.empty()) name = CursorText();
  if (name.empty()) {
    if (cursors->PanelCursor() != platform::CursorShape::kDefault) cursors->SetPanelCursor(platform::CursorShape::kDefault);
    return;
  }
  // Loading again only when the file changed or the panel went back to the arrow: resolving a
  // name may extract the file from an archive, which must not happen every frame.
  if (name == mouse_.cursor_name &&
      (mouse_.cursor_failed || cursors->PanelCursor() == platform::CursorShape::kCustom)) {
    return;
  }
  mouse_.cursor_name = name;
  mouse_.cursor_failed = false;
  std::string why;
  try {
    TCursorPictures pictures = LoadCursorFile(name);
    if (cursors->InstallCustom(name, std::move(pictures.frames), std::move(pictures.steps))) {
      cursors->SetPanelCursor(platform::CursorShape::kCustom);
      return;
    }
    why = "the desktop refused the cursor";
  } catch (const std::exception& error) {
    why = platform::Cp932ToUtf8(error.what());
  }
  mouse_.cursor_failed = true;
  if (cursors->PanelCursor() != platform::CursorShape::kDefault) cursors->SetPanelCursor(platform::CursorShape::kDefault);
  LogLine("The cursor file " + platform::Cp932ToUtf8(name) + " cannot be shown: " + why);
}

}  // namespace vorn

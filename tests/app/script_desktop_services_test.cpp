// What the main window hands the script functions: the screen manager's display modes, the
// host's web-address opener and the project's files, seen from expressions run in a started window.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/form_view.h"
#include "engine/build_vorn_parser.h"
#include "engine/engine_seams.h"
#include "engine/param_collection.h"
#include "engine/url_opening.h"
#include "engine/vorn_parser.h"
#include "foundation/stream.h"
#include "foundation/vocabulary_codes.h"
#include "graphics/screen_manager.h"
#include "platform/headless_display.h"
#include "player_harness.h"
#include "support/script_expression.h"

namespace vorn {
namespace {

using testing::HeadlessForm;
using testing::TempDir;

struct Started {
  explicit Started(const std::string& name) : dir(name), form(dir.str()) {}
  void Start() {
    form.form->FormCreate();
    form.Activate();
    for (const char* name : {"w", "h", "b", "f"}) CurrentParams()->AddParam(PT_INT).SetName(name);
    CurrentParams()->AddParam(PT_STR).SetName("lines");
  }
  std::string Evaluate(std::string_view text) {
    return vorn::testing::EvaluateScriptText(text);
  }

  TempDir dir;
  HeadlessForm form;
};

TEST(ScriptDesktopServices, DisplayModesAreTheScreenManagers) {
  Started s("modes");
  s.form.headless.display.modes.push_back(platform::MakeDisplayMode(1024, 768, 16, 75));
  s.Start();
  TScreenControl* control = GetScreenControl();
  ASSERT_NE(control, nullptr);
  ASSERT_NE(ScreenManager, nullptr);
  const int count = ScreenManager->GetModeCount();
  ASSERT_GE(count, 1);
  for (int i = 0; i < count; ++i) {
    const TDisplayModeRecord record = ScreenManager->GetMode(i);
    TDisplayModeInfo mode;
    ASSERT_TRUE(control->GetDisplayMode(i, mode));
    EXPECT_EQ(mode, (TDisplayModeInfo{record.Width, record.Height, record.BitsPerPixel, record.RefreshRate}));
  }
  TDisplayModeInfo untouched{1, 2, 3, 4};
  EXPECT_FALSE(control->GetDisplayMode(count, untouched));
  EXPECT_FALSE(control->GetDisplayMode(-1, untouched));
  EXPECT_EQ(untouched, (TDisplayModeInfo{1, 2, 3, 4}));

  // The mode added last, as a script reads it.
  const std::string last = std::to_string(count - 1);
  EXPECT_EQ(s.Evaluate("GetDisplayMode(" + last + ", w, h, b, f)"), "TRUE");
  EXPECT_EQ(s.Evaluate("w") + " " + s.Evaluate("h") + " " + s.Evaluate("b") + " " + s.Evaluate("f"), "1024 768 16 75");
  EXPECT_EQ(s.Evaluate("GetDisplayMode(" + std::to_string(count) + ", w, h, b, f)"), "FALSE");
}

TEST(ScriptDesktopServices, WebAddressesGoToThePlatformsOpener) {
  Started s("urls");
  s.Start();
  s.Evaluate("OpenUrl(\"http://example.com/a;b\")");
  s.Evaluate("OpenUrl(\"mailto:x@example.com\")");
  EXPECT_EQ(s.form.headless.url_opener.urls, std::vector<std::string>{"http://example.com/a;b"});
  s.form.form->FormClose();
  s.form.form.reset();
  EXPECT_EQ(GetUrlOpener(), nullptr);
}

TEST(ScriptDesktopServices, ProjectFilesAreReadThroughTheDataFolder) {
  Started s("files");
  std::ofstream(s.dir.path() / "notes.txt", std::ios::binary) << "first\r\nsecond\n";
  s.Start();
  EXPECT_EQ(s.Evaluate("FileExists(\"NOTES.TXT\")"), "TRUE");
  EXPECT_EQ(s.Evaluate("FileExists(\"absent.txt\")"), "FALSE");
  EXPECT_EQ(s.Evaluate("LoadTextFile(lines, \"Notes.txt\")"), "TRUE");
  EXPECT_EQ(s.Evaluate("ArrayToString(lines, \"|\")"), "first|second");
}

}  // namespace
}  // namespace vorn

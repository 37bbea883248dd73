#include "app/settings_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "foundation/system_texts.h"
#include "platform/headless_application.h"
#include "platform/key_codes.h"
#include "player_harness.h"
#include "support/whole_file.h"

namespace vorn {
namespace {

using platform::Event;
using platform::EventType;
using platform::MouseButton;
using testing::TempDir;

void Write(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

struct Config {
  explicit Config(const std::string& name, std::optional<std::string> ini = std::nullopt) : dir(name) {
    path = dir.path() / "game.ini";
    if (ini) Write(path, *ini);
    services = std::make_unique<platform::Platform>(headless.services());
    form = std::make_unique<TFormConfig>(*services, path.string(), nullptr);
    form->FormCreate();
    form->Show();
  }
  void Key(int key, unsigned shift = 0) { form->HandleEvent(Event{.type = EventType::kKeyDown, .key = key, .shift = shift}); }
  void Click(int x, int y) {
    form->HandleEvent(Event{.type = EventType::kMouseDown, .button = MouseButton::kLeft, .x = x, .y = y});
    form->HandleEvent(Event{.type = EventType::kMouseUp, .button = MouseButton::kLeft, .x = x, .y = y});
  }
  platform::DialogControl& Control(int index) { return form->dialog().control(index); }
  std::string Info() { return Control(form->LabelBuffInfo).text; }
  int Position() { return Control(form->TrackBuff).position; }

  TempDir dir;
  std::filesystem::path path;
  platform::HeadlessPlatform headless;
  std::unique_ptr<platform::Platform> services;
  std::unique_ptr<TFormConfig> form;
};

TEST(SettingsDialog, ReadsTheFileTable) {
  struct Case {
    std::optional<std::string> ini;
    bool checked;
    int position;
    const char* info;
  };
  const Case cases[] = {
      {"[Sound]\r\nDirectSound=0\r\nDelayTime=250\r\n", false, 2, "200ms"},
      {"[Sound]\r\nDelayTime=900\r\n", true, 5, "500ms"},
      {"[sound]\nDirectSound=0\nDelayTime=-30\n", false, 1, "100ms"},
      {"[Sound]\r\nDelayTime=99\r\n", true, 1, "100ms"},
      {"[Sound]\r\nDirectSound=yes\r\nDelayTime=x\r\n", true, 5, "500ms"},
      {std::nullopt, true, 5, "500ms"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini.value_or("(no file)"));
    Config config("read", c.ini);
    EXPECT_TRUE(config.form->running());
    EXPECT_EQ(config.Control(config.form->CheckSound).checked, c.checked);
    EXPECT_EQ(config.Position(), c.position);
    EXPECT_EQ(config.Info(), c.info);
    // The delay controls are enabled exactly when DirectSound is off.
    for (int index : {config.form->LabelBuff, config.form->TrackBuff, config.form->LabelBuffInfo}) {
      EXPECT_EQ(config.Control(index).enabled, !c.checked);
    }
    EXPECT_EQ(config.headless.application.title(), std::string(texts::kSettingsTitle));
    EXPECT_EQ(config.form->window()->ClientSize(), (platform::Size{270, 179}));
  }
}

TEST(SettingsDialog, OkWritesTheSoundSectionAndKeepsTheRest) {
  const std::string before =
      "; settings\r\n[Video]\r\nDelayTime=7\r\n\r\n[Sound]\r\ndelaytime = 250\r\nVolume=3\r\n\r\n[Sound]\r\nDirectSound=1\r\n";
  Config config("ok", before);
  // The reader finds DirectSound in the second section; the writer updates the first.
  EXPECT_TRUE(config.Control(config.form->CheckSound).checked);
  config.Key(platform::kVkReturn);
  EXPECT_FALSE(config.form->running());
  EXPECT_EQ(testing::ReadWholeText(config.path),
            "; settings\r\n[Video]\r\nDelayTime=7\r\n\r\n[Sound]\r\ndelaytime =200\r\nVolume=3\r\nDirectSound=1\r\n\r\n"
            "[Sound]\r\nDirectSound=1\r\n");
}

TEST(SettingsDialog, OkCreatesAMissingFileCancelLeavesFilesAlone) {
  {
    Config config("create");
    config.Key(platform::kVkReturn);
    EXPECT_EQ(testing::ReadWholeText(config.path), "[Sound]\r\nDirectSound=1\r\nDelayTime=500\r\n");
  }
  {
    Config config("absent");
    config.Key(platform::kVkEscape);
    EXPECT_FALSE(config.form->running());
    EXPECT_FALSE(std::filesystem::exists(config.path));
  }
  {
    const std::string bytes = "[Sound]\nDelayTime=250\nDirectSound=0";
    Config config("cancel", bytes);
    config.Key(platform::kVkTab);
    config.Key(platform::kVkTab);  // Cancel has the focus
    config.Key(platform::kVkReturn);
    EXPECT_FALSE(config.form->running());
    EXPECT_EQ(testing::ReadWholeText(config.path), bytes);
  }
  {
    Config config("closebox", "[Sound]\n");
    config.form->HandleEvent(Event{.type = EventType::kClose});
    EXPECT_FALSE(config.form->running());
    EXPECT_EQ(testing::ReadWholeText(config.path), "[Sound]\n");
  }
}

TEST(SettingsDialog, KeyboardTabOrderAcceleratorsAndTrackBar) {
  Config config("keys", "[Sound]\r\nDirectSound=1\r\nDelayTime=300\r\n");
  TFormConfig& f = *config.form;
  EXPECT_EQ(f.dialog().focused(), f.CheckSound);
  // The track bar is disabled: Tab skips it, Alt+D does nothing.
  config.Key(platform::kVkTab);
  EXPECT_EQ(f.dialog().focused(), f.btnOK);
  config.Key(platform::kVkTab);
  EXPECT_EQ(f.dialog().focused(), f.btnCancel);
  config.Key(platform::kVkTab);
  EXPECT_EQ(f.dialog().focused(), f.CheckSound);
  config.Key(platform::kVkTab, platform::kShiftKey);
  EXPECT_EQ(f.dialog().focused(), f.btnCancel);
  config.Key('D', platform::kAltKey);
  EXPECT_EQ(f.dialog().focused(), f.btnCancel);

  config.Key('S', platform::kAltKey);  // clears the box, focuses it, enables the delay
  EXPECT_FALSE(config.Control(f.CheckSound).checked);
  EXPECT_EQ(f.dialog().focused(), f.CheckSound);
  EXPECT_TRUE(config.Control(f.TrackBuff).enabled);
  config.Key(platform::kVkSpace);
  EXPECT_TRUE(config.Control(f.CheckSound).checked);
  config.Key(platform::kVkSpace);
  EXPECT_FALSE(config.Control(f.CheckSound).checked);

  config.Key('D', platform::kAltKey);
  EXPECT_EQ(f.dialog().focused(), f.TrackBuff);
  struct Step {
    int key;
    int position;
  };
  for (const Step& step : {Step{platform::kVkLeft, 2}, Step{platform::kVkUp, 1}, Step{platform::kVkPrior, 1},
                           Step{platform::kVkRight, 2}, Step{platform::kVkDown, 3}, Step{platform::kVkNext, 4},
                           Step{platform::kVkEnd, 5}, Step{platform::kVkRight, 5}, Step{platform::kVkHome, 1}}) {
    config.Key(step.key);
    EXPECT_EQ(config.Position(), step.position) << step.key;
  }
  EXPECT_EQ(config.Info(), "100ms");
  config.Key(platform::kVkTab, platform::kShiftKey);
  EXPECT_EQ(f.dialog().focused(), f.btnCancel);
  config.Key(platform::kVkTab);
  EXPECT_EQ(f.dialog().focused(), f.TrackBuff);
  config.Key(platform::kVkReturn);  // no button focused: OK
  EXPECT_EQ(testing::ReadWholeText(config.path), "[Sound]\r\nDirectSound=0\r\nDelayTime=100\r\n");
}

TEST(SettingsDialog, MouseClicksAndThumbDragging) {
  Config config("mouse", "[Sound]\r\nDirectSound=1\r\nDelayTime=300\r\n");
  TFormConfig& f = *config.form;
  config.Click(100, 60);  // the disabled track bar does not react
  EXPECT_EQ(config.Position(), 3);
  config.Click(30, 32);  // the check box
  EXPECT_FALSE(config.Control(f.CheckSound).checked);
  config.Click(240, 84);  // right of the thumb: one page up
  EXPECT_EQ(config.Position(), 4);
  EXPECT_EQ(f.dialog().focused(), f.TrackBuff);
  config.Click(30, 84);
  EXPECT_EQ(config.Position(), 3);
  // Drag the thumb from its place to the left end and on past the right one.
  const platform::DialogControl& track = config.Control(f.TrackBuff);
  const int thumb = track.bounds.left + 13 + (track.position - 1) * (track.bounds.width - 26) / 4;
  f.HandleEvent(Event{.type = EventType::kMouseDown, .button = MouseButton::kLeft, .x = thumb, .y = 80});
  f.HandleEvent(Event{.type = EventType::kMouseMove, .x = 0, .y = 80});
  EXPECT_EQ(config.Position(), 1);
  f.HandleEvent(Event{.type = EventType::kMouseMove, .x = 400, .y = 150});
  EXPECT_EQ(config.Position(), 5);
  f.HandleEvent(Event{.type = EventType::kMouseUp, .button = MouseButton::kLeft, .x = 400, .y = 150});
  EXPECT_EQ(config.Info(), "500ms");
  config.Click(200, 150);  // Cancel
  EXPECT_FALSE(f.running());
  EXPECT_EQ(testing::ReadWholeText(config.path), "[Sound]\r\nDirectSound=1\r\nDelayTime=300\r\n");
}

TEST(SettingsDialog, AFileThatCannotBeWrittenKeepsTheDialogOpen) {
  TempDir dir("unwritable");
  platform::HeadlessPlatform headless;
  platform::Platform services = headless.services();
  headless.boxes.Script(platform::MessageAnswer::kOk);
  const std::string path = (dir.path() / "missing" / "game.ini").string();
  TFormConfig form(services, path, nullptr);
  form.FormCreate();
  form.Show();
  form.HandleEvent(Event{.type = EventType::kKeyDown, .key = platform::kVkReturn});
  EXPECT_TRUE(form.running());
  ASSERT_EQ(headless.boxes.shown().size(), 1u);
  EXPECT_NE(headless.boxes.shown()[0].text.find(path), std::string::npos);
  EXPECT_NE(headless.boxes.shown()[0].text.find("No such file"), std::string::npos);
}

TEST(SettingsDialog, ALinkedFileIsWrittenThroughItsLink) {
  TempDir dir("link");
  std::filesystem::create_directories(dir.path() / "real");
  Write(dir.path() / "real" / "target.ini", "[Sound]\nDelayTime=200\n");
  std::filesystem::create_symlink("real/target.ini", dir.path() / "game.ini");
  platform::HeadlessPlatform headless;
  platform::Platform services = headless.services();
  TFormConfig form(services, (dir.path() / "game.ini").string(), nullptr);
  form.FormCreate();
  form.Show();
  form.HandleEvent(Event{.type = EventType::kKeyDown, .key = platform::kVkReturn});
  EXPECT_FALSE(form.running());
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "game.ini"));
  EXPECT_EQ(testing::ReadWholeText(dir.path() / "real" / "target.ini"), "[Sound]\nDelayTime=200\nDirectSound=1\n");
}

}  // namespace
}  // namespace vorn

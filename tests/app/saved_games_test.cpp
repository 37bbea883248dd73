// Saved games in the running player: save.dat lies beside the executable or in the data directory
// given as the first argument, a game saved in one run is listed in the next, and a save.dat that
// is no archive ends the start with a box naming it and is left as it was.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/form_view.h"
#include "app/player.h"
#include "engine/engine_values.h"
#include "engine/save_data.h"
#include "fixture/page_writer.h"
#include "player_harness.h"
#include "support/whole_file.h"

namespace vorn {
namespace {

using testing::HeadlessForm;
using testing::TempDir;
using testing::WriteProject;
using Bytes = std::vector<std::uint8_t>;

// A start page that saves the game in slot 1 with the caption "first".
fixture::PageWriter SavingStart() {
  fixture::PageWriter page;
  page.Add(std::move(fixture::PageCommand(38).Expr("1").Str("start.vsb").Int(0).Expr("\"first\"")));
  return page;
}

struct Layout {
  const char* name;
  bool data_argument;  // the data directory given as the first argument, else beside the executable
};

const Layout kLayouts[] = {{"exe", false}, {"arg", true}};

TEST(SavedGames, AGameSavedInOneRunIsListedInTheNext) {
  for (const Layout& layout : kLayouts) {
    TempDir exe(std::string("saved_exe_") + layout.name);
    TempDir data(std::string("saved_data_") + layout.name);
    const std::string& dir = layout.data_argument ? data.str() : exe.str();
    WriteProject(dir, testing::DefaultProject(), SavingStart());
    std::vector<std::string> arguments;
    if (layout.data_argument) arguments.push_back(data.str());
    {
      HeadlessForm form(exe.str(), arguments);
      form.form->FormCreate();
      ASSERT_NE(form.form->project(), nullptr);
      EXPECT_TRUE(form.form->project()->SlotCaptions().empty());
      form.form->RunFrame();
      form.form->FormClose();
      EXPECT_TRUE(form.headless.boxes.shown().empty()) << layout.name;
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::path(dir) / "save.dat")) << layout.name;
    const std::string other = layout.data_argument ? exe.str() : data.str();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(other) / "save.dat")) << layout.name;

    HeadlessForm again(exe.str(), arguments);
    again.form->FormCreate();
    ASSERT_NE(again.form->project(), nullptr);
    const std::vector<TSlotCaption>& captions = again.form->project()->SlotCaptions();
    ASSERT_EQ(captions.size(), 1u) << layout.name;
    EXPECT_EQ(captions[0].slot, 1);
    EXPECT_EQ(captions[0].caption, "first");
  }
}

TEST(SavedGames, UnreadableSaveFileEndsTheStartWithABoxNamingIt) {
  for (const Layout& layout : kLayouts) {
    TempDir exe(std::string("unreadable_exe_") + layout.name);
    TempDir data(std::string("unreadable_data_") + layout.name);
    const std::string& dir = layout.data_argument ? data.str() : exe.str();
    WriteProject(dir, testing::DefaultProject(), SavingStart());
    const Bytes garbage = {'P', 'K', 3, 4, 0xFF, 0xFF, 0, 1, 2, 3};
    std::ofstream(dir + "save.dat", std::ios::binary)
        .write(reinterpret_cast<const char*>(garbage.data()), static_cast<std::streamsize>(garbage.size()));
    std::vector<std::string> arguments;
    if (layout.data_argument) arguments.push_back(data.str());

    platform::HeadlessPlatform headless;
    headless.executable.set_path(exe.str() + "vornplayer");
    headless.boxes.Script(platform::MessageAnswer::kOk);
    platform::Platform services = headless.services();
    EXPECT_EQ(RunPlayer(services, arguments), 0);
    ASSERT_EQ(headless.boxes.shown().size(), 1u) << layout.name;
    EXPECT_NE(headless.boxes.shown()[0].text.find("save.dat"), std::string::npos) << headless.boxes.shown()[0].text;
    EXPECT_EQ(headless.boxes.shown()[0].icon, platform::MessageIcon::kWarning);
    EXPECT_EQ(FrameCount, 0);
    EXPECT_EQ(testing::ReadWholeFile(dir + "save.dat"), garbage) << layout.name;
  }
}

}  // namespace
}  // namespace vorn

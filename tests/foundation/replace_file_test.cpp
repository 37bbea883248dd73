// The one routine every writer of the player replaces a file with: the old mode kept, links
// written through, a file the user may not write refused like a folder the user may not write,
// temporary names of its own, and nothing left behind by a failure.

#include "foundation/replace_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "foundation/file_stream.h"
#include "platform/file_replace.h"
#include "platform/mode_check_user.h"
#include "vr_test_support.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using testing::ReadWholeFile;
using testing::TempFolder;
using testing::WriteWholeFile;
using Bytes = std::vector<std::uint8_t>;

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

void Replace(const std::string& path, const Bytes& bytes) { ReplaceFileContent(path, bytes.data(), bytes.size()); }

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

fs::perms Mode(const std::string& path) { return fs::status(path).permissions() & fs::perms::mask; }

// Installs a step hook for the test's life.
class StepHook {
 public:
  explicit StepHook(platform::ReplaceStepHook hook) : previous_(platform::SetReplaceStepHook(std::move(hook))) {}
  ~StepHook() { platform::SetReplaceStepHook(std::move(previous_)); }

 private:
  platform::ReplaceStepHook previous_;
};

TEST(ReplaceFile, TheOldFilesModeIsKept) {
  for (const fs::perms mode : {fs::perms(0600), fs::perms(0640), fs::perms(0604), fs::perms(0755)}) {
    SCOPED_TRACE(static_cast<int>(mode));
    TempFolder dir;
    const std::string path = dir.Path("save.dat");
    WriteWholeFile(path, Text("old"));
    fs::permissions(path, mode);
    Replace(path, Text("new bytes"));
    EXPECT_EQ(ReadWholeFile(path), Text("new bytes"));
    EXPECT_EQ(Mode(path), mode);
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"save.dat"});
  }
}

TEST(ReplaceFile, ALinkIsWrittenThroughToItsTargetInTheTargetsFolder) {
  TempFolder dir;
  fs::create_directories(dir.Path("real"));
  fs::create_directories(dir.Path("game"));
  const std::string target = dir.Path("real/save.dat");
  WriteWholeFile(target, Text("old"));
  fs::permissions(target, fs::perms(0600));
  // A chain of two links, the first relative to its own folder.
  fs::create_symlink(target, dir.Path("real/link2"));
  fs::create_symlink("../real/link2", dir.Path("game/save.dat"));
  std::vector<std::string> temporary_folders;
  {
    StepHook hook([&](platform::ReplaceStep step, const std::string&) {
      if (step != platform::ReplaceStep::kWrite) return true;
      for (const char* folder : {"real", "game"}) {
        for (const std::string& name : Names(dir.Path(folder))) {
          if (name.ends_with(".~new")) temporary_folders.push_back(folder);
        }
      }
      return true;
    });
    Replace(dir.Path("game/save.dat"), Text("through the link"));
  }
  EXPECT_EQ(temporary_folders, std::vector<std::string>{"real"});
  EXPECT_TRUE(fs::is_symlink(dir.Path("game/save.dat")));
  EXPECT_TRUE(fs::is_symlink(dir.Path("real/link2")));
  EXPECT_EQ(ReadWholeFile(target), Text("through the link"));
  EXPECT_EQ(Mode(target), fs::perms(0600));
  EXPECT_EQ(Names(dir.Path("real")), (std::vector<std::string>{"link2", "save.dat"}));
  EXPECT_EQ(Names(dir.Path("game")), std::vector<std::string>{"save.dat"});

  // A link whose target does not exist yet gets its target made.
  fs::create_symlink("made.dat", dir.Path("game/dangling"));
  Replace(dir.Path("game/dangling"), Text("made"));
  EXPECT_TRUE(fs::is_symlink(dir.Path("game/dangling")));
  EXPECT_EQ(ReadWholeFile(dir.Path("game/made.dat")), Text("made"));
}

// The same refusal for a file the user may not write as for a folder the user may not write, and
// the old file stays as it was. Root may write anything, so the check runs as "nobody" there.
TEST(ReplaceFile, AFileTheUserMayNotWriteIsRefusedLikeAnUnwritableFolder) {
  TempFolder dir;
  fs::permissions(dir.Path(), fs::perms(0755));
  const bool separate = platform::ModeCheckUserIsSeparate();
  struct Case {
    std::string what;
    std::string folder;
    fs::perms folder_mode;
    fs::perms file_mode;
    bool file_given;  // the file belongs to the user who writes
  };
  std::vector<Case> cases = {
      {"read-only file in a writable folder", "writable", fs::perms(0755), fs::perms(0444), true},
      {"writable file in a read-only folder", "read-only", fs::perms(0555), fs::perms(0644), true},
  };
  // Only a second user can meet a file that is someone else's.
  if (separate) cases.push_back({"someone else's file in a writable folder", "others", fs::perms(0755), fs::perms(0644), false});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = dir.Path(c.folder);
    const std::string path = folder + "/save.dat";
    fs::create_directories(folder);
    WriteWholeFile(path, Text("old bytes"));
    if (c.file_given) {
      ASSERT_TRUE(platform::GiveToModeCheckUser(path));
    }
    fs::permissions(path, c.file_mode);
    ASSERT_TRUE(platform::GiveToModeCheckUser(folder));
    fs::permissions(folder, c.folder_mode);
    const std::string refusal = "Cannot create file \"" + path + "\". Permission denied";
    const int outcome = platform::RunAsModeCheckUser([&]() {
      try {
        Replace(path, Text("new bytes"));
        return 1;
      } catch (const EFCreateError& error) {
        return std::string(error.what()) == refusal ? 0 : 2;
      } catch (...) {
        return 3;
      }
    });
    EXPECT_EQ(outcome, 0) << "1: written, 2: another message, 3: another error";
    fs::permissions(folder, fs::perms(0755));
    EXPECT_EQ(ReadWholeFile(path), Text("old bytes"));
    EXPECT_EQ(Mode(path), c.file_mode);
    EXPECT_EQ(Names(folder), std::vector<std::string>{"save.dat"});
  }
}

TEST(ReplaceFile, AFailureAtAnyStepLeavesTheOldFileAndNoTemporary) {
  using platform::ReplaceStep;
  struct Case {
    ReplaceStep step;
    int nth;  // the failing call of that step (writes hand over 64 KiB each)
    bool written_error;
  };
  const Case cases[] = {{ReplaceStep::kCreate, 1, false}, {ReplaceStep::kWrite, 1, true},
                        {ReplaceStep::kWrite, 3, true},   {ReplaceStep::kSync, 1, true},
                        {ReplaceStep::kRename, 1, false}};
  const Bytes large(3 * platform::kReplaceWriteChunk + 17, 0x5A);
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.step) * 10 + c.nth);
    TempFolder dir;
    const std::string path = dir.Path("table.dat");
    WriteWholeFile(path, Text("old"));
    int seen = 0;
    StepHook hook([&](ReplaceStep step, const std::string&) { return !(step == c.step && ++seen == c.nth); });
    if (c.written_error) {
      EXPECT_THROW(Replace(path, large), EWriteError);
    } else {
      EXPECT_THROW(Replace(path, large), EFCreateError);
    }
    EXPECT_EQ(ReadWholeFile(path), Text("old"));
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"table.dat"});
  }
  // The folder's sync comes after the rename: the new content is in place either way.
  TempFolder dir;
  const std::string path = dir.Path("table.dat");
  StepHook hook([](ReplaceStep step, const std::string&) { return step != ReplaceStep::kSyncFolder; });
  Replace(path, large);
  EXPECT_EQ(ReadWholeFile(path), large);
}

TEST(ReplaceFile, EveryWriteUsesATemporaryOfItsOwn) {
  TempFolder dir;
  const std::string path = dir.Path("save.dat");
  std::vector<std::string> temporaries;
  {
    StepHook hook([&](platform::ReplaceStep step, const std::string&) {
      if (step == platform::ReplaceStep::kSync) {
        for (const std::string& name : Names(dir.Path())) {
          if (name != "save.dat") temporaries.push_back(name);
        }
      }
      return true;
    });
    for (int i = 0; i < 3; ++i) Replace(path, Text("round " + std::to_string(i)));
  }
  ASSERT_EQ(temporaries.size(), 3u);
  for (const std::string& name : temporaries) {
    EXPECT_TRUE(name.starts_with("save.dat.") && name.ends_with(".~new")) << name;
  }
  EXPECT_NE(temporaries[0], temporaries[1]);
  EXPECT_NE(temporaries[1], temporaries[2]);
}

// Two writers of one file never share a temporary, so a reader only ever sees a whole content.
TEST(ReplaceFile, TwoWritersOfOneFileNeverTearIt) {
  TempFolder dir;
  const std::string path = dir.Path("save.dat");
  const Bytes a(200000, 'a');
  const Bytes b(150000, 'b');
  Replace(path, a);
  std::atomic<bool> writing{true};
  std::atomic<int> torn{0};
  std::thread reader([&] {
    while (writing) {
      const Bytes seen = ReadWholeFile(path);
      if (seen != a && seen != b) ++torn;
    }
  });
  std::thread first([&] {
    for (int i = 0; i < 40; ++i) Replace(path, a);
  });
  std::thread second([&] {
    for (int i = 0; i < 40; ++i) Replace(path, b);
  });
  first.join();
  second.join();
  writing = false;
  reader.join();
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"save.dat"});
}

}  // namespace
}  // namespace vorn

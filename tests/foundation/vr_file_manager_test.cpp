#include "foundation/vr_file_manager.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>

#include "fixture/archive_fixture.h"
#include "foundation/host_names.h"
#include "foundation/install_set.h"
#include "foundation/system_texts.h"
#include "foundation/vr_errors.h"
#include "foundation/vr_test_support.h"
#include "platform/cd_roots.h"

namespace vorn {
namespace {

using fixture::ArchivePlan;
using fixture::Bytes;
using fixture::MakeMember;
using testing::TempFolder;

Bytes Pattern(std::size_t n, int seed = 1) {
  Bytes bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>((i * (seed + 2)) / 5 + seed);
  return bytes;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

class VrFileManagerTest : public ::testing::Test {
 protected:
  // An archive file of named members (compressed unless the name ends in ".ogg").
  std::string MakeArchive(const std::string& leaf, const std::vector<std::pair<std::string, Bytes>>& members) {
    ArchivePlan plan;
    for (const auto& [name, data] : members) {
      const bool stored = name.size() > 4 && name.substr(name.size() - 4) == ".ogg";
      plan.members.push_back(MakeMember(name, data, stored ? -1 : 1));
    }
    const std::string path = dir_.Path(leaf);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    fixture::WriteWholeFile(path, fixture::BuildArchive(plan));
    return path;
  }

  Bytes Load(std::string_view name) {
    TMemoryStream out;
    manager_.LoadToStream(out, name);
    EXPECT_EQ(out.Position(), 0);
    return out.Bytes();
  }

  TempFolder dir_;
  platform::HeadlessCdRootSource cd_roots_;
  TVrFileManager manager_{&cd_roots_};
};

TEST_F(VrFileManagerTest, BaseDirectoryGetsATrailingDelimiter) {
  manager_.SetBaseDir("C:\\game");
  EXPECT_EQ(manager_.BaseDir(), "C:\\game\\");
  manager_.SetBaseDir("/data/");
  EXPECT_EQ(manager_.BaseDir(), "/data/");
  manager_.SetBaseDir("");
  EXPECT_EQ(manager_.BaseDir(), "");
}

TEST_F(VrFileManagerTest, TheSameArchiveMountsTwiceButNotASecondNamelessOne) {
  const std::string game = MakeArchive("game.dat", {{"a.txt", Text("a")}});
  EXPECT_EQ(manager_.AddArchive(""), 0);
  EXPECT_EQ(manager_.AddArchive(""), -1);
  EXPECT_EQ(manager_.AddArchive(game), 1);
  EXPECT_EQ(manager_.AddArchive(game), 2);
}

TEST_F(VrFileManagerTest, ExistsAsksArchivesThenOverrideThenCdRoots) {
  std::filesystem::create_directories(dir_.Path("plain"));
  std::filesystem::create_directories(dir_.Path("cd"));
  testing::WriteWholeFile(dir_.Path("plain/over.txt"), "o");
  testing::WriteWholeFile(dir_.Path("cd/disc.txt"), "d");
  manager_.AddArchive(MakeArchive("game.dat", {{"Data\\in.txt", Text("i")}}));
  cd_roots_.SetRoots({dir_.Path("cd") + "/"});
  manager_.RefreshCdRoots();

  EXPECT_FALSE(manager_.Exists(""));
  EXPECT_TRUE(manager_.Exists("data\\IN.TXT"));
  EXPECT_FALSE(manager_.Exists("over.txt"));  // no override directory yet
  manager_.SetBaseDir(dir_.Path("plain"));
  EXPECT_TRUE(manager_.Exists("OVER.txt"));
  EXPECT_TRUE(manager_.Exists("disc.txt"));
  EXPECT_FALSE(manager_.Exists("nowhere.txt"));
}

TEST_F(VrFileManagerTest, LoadOrderOverrideThenArchivesInMountOrderThenCdRoots) {
  std::filesystem::create_directories(dir_.Path("plain"));
  std::filesystem::create_directories(dir_.Path("cd"));
  testing::WriteWholeFile(dir_.Path("plain/both.txt"), "plain");
  testing::WriteWholeFile(dir_.Path("cd/cd.txt"), "cd");
  manager_.AddArchive(MakeArchive("one/game.dat", {{"both.txt", Text("one")}, {"two.txt", Text("one")}}));
  manager_.AddArchive(MakeArchive("two/game.dat", {{"two.txt", Text("two")}, {"only2.txt", Text("2")}}));
  cd_roots_.SetRoots({dir_.Path("cd")});
  manager_.RefreshCdRoots();
  manager_.SetBaseDir(dir_.Path("plain"));

  EXPECT_EQ(Load("both.txt"), Text("plain"));
  EXPECT_EQ(Load("two.txt"), Text("one"));
  EXPECT_EQ(Load("only2.txt"), Text("2"));
  EXPECT_EQ(Load("cd.txt"), Text("cd"));
  try {
    Load("none.txt");
    FAIL();
  } catch (const EVrFileNotFound& error) {
    EXPECT_EQ(std::string(error.what()), "none.txt" + std::string(texts::kFileNotFoundFormat).substr(2));
  }
  // A missing name leaves no cache entry behind.
  for (const auto& entry : manager_.Cache().Entries()) EXPECT_NE(entry.name, "NONE.TXT");
}

TEST_F(VrFileManagerTest, ASecondLoadComesFromTheCache) {
  std::filesystem::create_directories(dir_.Path("plain"));
  testing::WriteWholeFile(dir_.Path("plain/page.vsb"), "first");
  manager_.SetBaseDir(dir_.Path("plain"));
  EXPECT_EQ(Load("page.vsb"), Text("first"));
  testing::WriteWholeFile(dir_.Path("plain/page.vsb"), "second");
  EXPECT_EQ(Load("PAGE.VSB"), Text("first"));
  manager_.Cache().Remove("page.vsb");
  EXPECT_EQ(Load("page.vsb"), Text("second"));
}

TEST_F(VrFileManagerTest, OwnDataEmptyMembersAndArchivesWithoutDataStream) {
  auto nameless = std::make_unique<TVrFileCollection>();
  nameless->Open("");
  nameless->AddMemoryFile("mem:").own_data->WriteBuffer("in memory", 9);
  nameless->Add("shadow.txt");  // no data stream: the next archive answers
  manager_.AddCollection(std::move(nameless));
  manager_.AddArchive(MakeArchive("game.dat", {{"shadow.txt", Text("real")}, {"empty.ogg", Bytes()}}));

  EXPECT_EQ(Load("mem:"), Text("in memory"));
  EXPECT_EQ(Load("shadow.txt"), Text("real"));
  EXPECT_TRUE(Load("empty.ogg").empty());
  for (const auto& entry : manager_.Cache().Entries()) {
    EXPECT_NE(entry.name, "MEM:");
    EXPECT_NE(entry.name, "EMPTY.OGG");
  }
}

TEST_F(VrFileManagerTest, CorruptMembersAreNeitherCachedNorHandedOut) {
  ArchivePlan plan;
  plan.members.push_back(MakeMember("bad.vsb", Pattern(5000), 1));
  plan.members[0].stored_bytes.resize(20);
  fixture::WriteWholeFile(dir_.Path("game.dat"), fixture::BuildArchive(plan));
  manager_.AddArchive(dir_.Path("game.dat"));
  TMemoryStream out;
  EXPECT_THROW(manager_.LoadToStream(out, "bad.vsb"), EVrArchiveError);
  EXPECT_EQ(out.Size(), 0);
  EXPECT_EQ(manager_.Cache().Count(), 0);
}

TEST_F(VrFileManagerTest, OpenRangeOverrideArchiveAndCdRoot) {
  std::filesystem::create_directories(dir_.Path("plain"));
  std::filesystem::create_directories(dir_.Path("cd"));
  testing::WriteWholeFile(dir_.Path("plain/over.ogg"), "override");
  testing::WriteWholeFile(dir_.Path("cd/disc.ogg"), "on the disc");
  manager_.AddArchive(MakeArchive("game.dat", {{"bgm.ogg", Pattern(3000)}, {"over.ogg", Text("member")}}));
  cd_roots_.SetRoots({dir_.Path("cd") + "/"});
  manager_.RefreshCdRoots();
  manager_.SetBaseDir(dir_.Path("plain"));

  auto read_all = [](TStream& stream) {
    Bytes out(static_cast<std::size_t>(stream.Size()));
    stream.ReadBuffer(out.data(), out.size());
    return out;
  };
  std::unique_ptr<TStream> stream;
  manager_.OpenRange(stream, "over.ogg");
  EXPECT_EQ(read_all(*stream), Text("override"));
  manager_.OpenRange(stream, "BGM.OGG");
  EXPECT_EQ(read_all(*stream), Pattern(3000));
  manager_.OpenRange(stream, "disc.ogg");
  EXPECT_EQ(read_all(*stream), Text("on the disc"));
  EXPECT_THROW(manager_.OpenRange(stream, "none.ogg"), EVrFileNotFound);
}

TEST_F(VrFileManagerTest, ExtractionNamesReusesAndDeletesTemporaryFiles) {
  std::string first_path;
  {
    platform::HeadlessCdRootSource roots;
    TVrFileManager manager(&roots);
    manager.AddArchive(MakeArchive("game.dat", {{"movie\\op.mpg", Pattern(2000)},
                                                {"se.wav", Pattern(100, 3)},
                                                {"big.ogg", Pattern(3 << 20, 4)}}));
    first_path = manager.GetRealFileName("movie\\op.mpg");
    EXPECT_EQ(first_path, manager.TempDir() + "~vo00000000.mpg");
    EXPECT_EQ(manager.GetRealFileName("movie\\op.mpg"), first_path);
    EXPECT_EQ(manager.Locks().Count(), 1);
    EXPECT_EQ(manager.Locks().GetLock(0)->lock_count, 2);
    // Lock names are compared case-sensitively: another spelling is another extraction.
    EXPECT_EQ(manager.GetRealFileName("MOVIE\\OP.MPG"), manager.TempDir() + "~vo00000001.MPG");
    const std::string big = manager.GetRealFileName("big.ogg");
    EXPECT_EQ(big, manager.TempDir() + "~vo00000002.ogg");
    EXPECT_EQ(testing::ReadWholeFile(*FindHostPath(first_path)), Pattern(2000));
    EXPECT_EQ(testing::ReadWholeFile(*FindHostPath(big)), Pattern(3 << 20, 4));
    EXPECT_EQ(manager.GetRealFileName("not-there.wav"), "not-there.wav");
    std::filesystem::create_directories(dir_.Path("plain"));
    testing::WriteWholeFile(dir_.Path("plain/se.wav"), "plain");
    manager.SetBaseDir(dir_.Path("plain"));
    EXPECT_EQ(manager.GetRealFileName("se.wav"), manager.BaseDir() + "se.wav");
  }
  EXPECT_FALSE(std::filesystem::exists(first_path));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(first_path).parent_path()));
}

TEST_F(VrFileManagerTest, FailedExtractionDropsItsLockAndFile) {
  ArchivePlan plan;
  plan.members.push_back(MakeMember("bad.mpg", Pattern(5000), 1));
  plan.members[0].stored_bytes.resize(30);
  fixture::WriteWholeFile(dir_.Path("game.dat"), fixture::BuildArchive(plan));
  manager_.AddArchive(dir_.Path("game.dat"));
  EXPECT_THROW(manager_.GetRealFileName("bad.mpg"), EVrArchiveError);
  EXPECT_EQ(manager_.Locks().Count(), 0);
  EXPECT_TRUE(std::filesystem::is_empty(*FindHostPath(manager_.TempDir())));
}

TEST_F(VrFileManagerTest, TemporaryFolderThatCannotBeMadeRaisesTheSystemText) {
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old ? old : "";
  setenv("TMPDIR", dir_.Path("missing/folder").c_str(), 1);
  manager_.AddArchive(MakeArchive("game.dat", {{"a.mpg", Text("a")}}));
  try {
    manager_.GetRealFileName("a.mpg");
    ADD_FAILURE();
  } catch (const EVrTempFileError& error) {
    EXPECT_EQ(std::string(error.what()), texts::kWorkFileCannotBeCreated);
  }
  if (old) {
    setenv("TMPDIR", saved.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  EXPECT_EQ(manager_.Locks().Count(), 0);
}

TEST_F(VrFileManagerTest, ReleasedLocksAreDeletedByTheFrameHousekeeping) {
  manager_.AddArchive(MakeArchive("game.dat", {{"a.mpg", Text("a")}}));
  const std::string path = manager_.GetRealFileName("a.mpg");
  manager_.Locks().Release(0, 100);
  manager_.Tick(60);
  EXPECT_TRUE(FindHostPath(path).has_value());
  manager_.Tick(40);
  EXPECT_FALSE(FindHostPath(path).has_value());
  EXPECT_EQ(manager_.Locks().ReleasedCount(), 0);
}

TEST(VrFileManagerPaths, ExtractArchivePath) {
  struct Case {
    const char* name;
    const char* expected;
  } cases[] = {
      {"C:\\game\\data.dat", "C:\\game\\"}, {"C:data.dat", "C:"},          {"\\\\server\\share\\x", "\\\\server\\share\\"},
      {"data\\bgm\\op.ogg", "data\\bgm\\"}, {"op.ogg", ""},                {"/home/u/game.dat", "/home/u/"},
      {"\x83\x5C.ogg", ""},                 {"\x83\x5C\\a.ogg", "\x83\x5C\\"},
  };
  for (const auto& c : cases) EXPECT_EQ(TVrFileManager::ExtractArchivePath(c.name), c.expected) << c.name;
}

TEST(VrCacheList, NamesFoldToUpperCase) {
  TVrCacheList cache;
  TVrCache& first = cache.Find("A.PNG");
  TVrCache& second = cache.Find("a.png");
  EXPECT_EQ(&first, &second);
  EXPECT_EQ(first.name, "A.PNG");
  EXPECT_EQ(cache.Count(), 1);
  // Full-width letters fold too (ａ 82 81 -> Ａ 82 60); ア 83 41 is no letter.
  EXPECT_EQ(&cache.Find("\x82\x81.png"), &cache.Find("\x82\x60.PNG"));
  EXPECT_NE(&cache.Find("\x83\x41"), &cache.Find("\x83\x61"));
}

TEST(VrCacheList, EvictsTheOldestWhileMoreThanOneEntryAndAboveTheBound) {
  TVrCacheList cache;
  cache.Find("three").data.SetSize(3 << 20);
  cache.Find("two").data.SetSize(2 << 20);
  cache.Find("third");  // 5 MiB held: the oldest goes, whatever its size
  std::vector<std::string> names;
  for (const auto& entry : cache.Entries()) names.push_back(entry.name);
  EXPECT_EQ(names, (std::vector<std::string>{"THIRD", "TWO"}));

  TVrCacheList single;
  single.Find("huge").data.SetSize(5 << 20);
  single.Find("next");
  EXPECT_EQ(single.Count(), 1);  // only the new, empty entry is left
  TVrCacheList kept;
  kept.Find("huge").data.SetSize(5 << 20);
  EXPECT_EQ(kept.Find("huge").data.Size(), 5 << 20);  // found again, nothing evicted
}

TEST(VrLockList, IdsSkipActiveOnes) {
  TVrLockList locks;
  locks.SetTempDir("/tmp/x/");
  EXPECT_EQ(locks.NewLock("a.mpg").TempFileName(), "/tmp/x/~vo00000000.mpg");
  EXPECT_EQ(locks.NewLock("b").TempFileName(), "/tmp/x/~vo00000001");
  for (int i = 2; i < 10; ++i) locks.NewLock("c");
  EXPECT_EQ(locks.NewLock("d.dir\\op.MPG").TempFileName(), "/tmp/x/~vo0000000A.MPG");
  EXPECT_EQ(locks.IndexOfName("A.MPG"), -1);
  EXPECT_EQ(locks.IndexOfName("a.mpg"), 0);
  EXPECT_EQ(locks.GetLock(99), nullptr);
}

// --- discs -------------------------------------------------------------------------------------

class DiscTest : public VrFileManagerTest {
 protected:
  // A disc folder with game.dat and an install record naming the project and disc index.
  std::string MakeDisc(const std::string& leaf, const std::string& id, int disc_index) {
    std::filesystem::create_directories(dir_.Path(leaf));
    MakeArchive(leaf + "/game.dat", {{"disc.txt", Text(leaf)}});
    testing::WriteWholeFile(dir_.Path(leaf + "/install.dat"), id + "\n" + std::to_string(disc_index));
    return dir_.Path(leaf) + "/";
  }

  void SetUp() override {
    manager_.SetInstallIdentityReader([](const std::string& path, std::string& id, int& disc) {
      const auto host = FindHostPath(path);
      if (!host) return false;
      const Bytes bytes = testing::ReadWholeFile(*host);
      const std::string text(bytes.begin(), bytes.end());
      const std::size_t newline = text.find('\n');
      id = text.substr(0, newline);
      disc = std::stoi(text.substr(newline + 1));
      return true;
    });
  }

  TDiscPrompt Prompt() {
    TDiscPrompt prompt;
    prompt.caption = "Title";
    prompt.disc_prompt = "Insert disc %d";
    prompt.quit_confirmation = "Quit?";
    prompt.project_id = "PROJ";
    prompt.ask_ok_cancel = [this](const std::string& caption, const std::string& text) {
      EXPECT_EQ(caption, "Title");
      shown_.push_back(text);
      if (on_prompt_) on_prompt_(text);
      if (answers_.empty()) {
        ADD_FAILURE() << "no answer queued for " << text;
        return false;
      }
      const bool answer = answers_.front();
      answers_.pop_front();
      return answer;
    };
    prompt.stop_and_close = [this] { ++stops_; };
    return prompt;
  }

  std::deque<bool> answers_;
  std::vector<std::string> shown_;
  std::function<void(const std::string&)> on_prompt_;
  int stops_ = 0;
};

TEST_F(DiscTest, FindDiscMountsEveryMatchingRootComparingTheIdExactly) {
  const std::string a = MakeDisc("a", "PROJ", 1);
  const std::string b = MakeDisc("b", "proj", 1);
  const std::string c = MakeDisc("c", "PROJ", 0);
  const std::string d = MakeDisc("d", "PROJ", 1);
  cd_roots_.SetRoots({a, b, c, d});
  EXPECT_TRUE(manager_.FindDisc(1, "PROJ"));
  ASSERT_EQ(manager_.ArchiveCount(), 2);
  EXPECT_EQ(Load("disc.txt"), Text("a"));
  EXPECT_FALSE(manager_.FindDisc(5, "PROJ"));
}

TEST_F(DiscTest, AskForDiscPromptsFirstAndLooksForDiscNMinusOne) {
  const std::string disc1 = MakeDisc("disc1", "PROJ", 0);
  const std::string disc2 = MakeDisc("disc2", "PROJ", 1);
  cd_roots_.SetRoots({disc1});
  manager_.RefreshCdRoots();
  manager_.AddArchive(disc1 + "game.dat");
  manager_.AddArchive(MakeArchive("hd/game.dat", {{"hd.txt", Text("hd")}}));
  on_prompt_ = [&](const std::string&) {
    // No search happens before the first answer, and the CD archive is already gone.
    EXPECT_EQ(manager_.ArchiveCount(), 1);
    cd_roots_.SetRoots({disc2});  // the user swaps the disc while the box is up
  };
  answers_ = {true};
  EXPECT_TRUE(manager_.AskForDisc(2, Prompt()));
  EXPECT_EQ(shown_, (std::vector<std::string>{"Insert disc 2"}));
  EXPECT_EQ(Load("disc.txt"), Text("disc2"));
  EXPECT_EQ(Load("hd.txt"), Text("hd"));
}

TEST_F(DiscTest, CancelThenQuitStopsCancelThenCancelAsksAgain) {
  answers_ = {true, false, false, false, true};
  EXPECT_FALSE(manager_.AskForDisc(1, Prompt()));
  EXPECT_EQ(shown_, (std::vector<std::string>{"Insert disc 1", "Insert disc 1", "Quit?", "Insert disc 1", "Quit?"}));
  EXPECT_EQ(stops_, 1);
}

TEST_F(VrFileManagerTest, FindDiscReadsRealInstallRecords) {
  std::filesystem::create_directories(dir_.Path("disc"));
  MakeArchive("disc/game.dat", {{"disc.txt", Text("on disc")}});
  TVornInstallSet record;
  record.Id = "\x83\x5CPROJ";
  record.DiscIndex = 2;
  record.SaveToFile(dir_.Path("disc/install.dat"));
  cd_roots_.SetRoots({dir_.Path("disc") + "/"});
  EXPECT_FALSE(manager_.FindDisc(1, "\x83\x5CPROJ"));
  EXPECT_TRUE(manager_.FindDisc(2, "\x83\x5CPROJ"));
  EXPECT_EQ(Load("disc.txt"), Text("on disc"));
}

TEST(CdMountTable, IsoAndUdfMountsInTableOrder) {
  const std::string table =
      "/dev/sda1 / ext4 rw 0 0\n"
      "/dev/sr0 /media/u/GAME\\040DISC iso9660 ro 0 0\n"
      "/dev/sr1 /mnt/dvd udf ro 0 0\n"
      "tmpfs /tmp tmpfs rw 0 0\n";
  EXPECT_EQ(platform::CdMountPointsOf(table), (std::vector<std::string>{"/media/u/GAME DISC", "/mnt/dvd"}));
}

}  // namespace
}  // namespace vorn

#include <gtest/gtest.h>

#include <fstream>

#include "app/player.h"
#include "foundation/system_texts.h"
#include "platform/headless_application.h"
#include "player_harness.h"
#include "support/recording_vorn_library.h"

namespace vorn {
namespace {

using testing::Recording;
using testing::TempDir;

// A headless player that closes itself after its first frame.
struct HeadlessPlayer {
  explicit HeadlessPlayer(const std::string& exe_dir) {
    headless.executable.set_path(exe_dir + "vornplayer");
    headless.application.set_after_idle([this](platform::Window& window) {
      if (FrameCount >= frames_before_close && !closed) {
        closed = true;
        window.PostClose();
      }
    });
  }
  int Run(const std::vector<std::string>& arguments) {
    platform::Platform services = headless.services();
    return RunPlayer(services, arguments, PlayerOptions{7});
  }
  int Run(platform::InstanceLocks& locks, const std::vector<std::string>& arguments) {
    platform::Platform services{headless.executable, headless.drives, locks, headless.clock, headless.boxes,
                                headless.application};
    return RunPlayer(services, arguments, PlayerOptions{7});
  }
  platform::HeadlessPlatform headless;
  std::int32_t frames_before_close = 1;
  bool closed = false;
};

TEST(ProgramEntry, RunsFramesAndEndsCleanly) {
  TempDir dir("entry");
  HeadlessPlayer player(dir.str());
  player.frames_before_close = 3;
  EXPECT_EQ(player.Run({}), 0);
  EXPECT_TRUE(player.closed);
  EXPECT_EQ(FrameCount, 3);
  EXPECT_EQ(GameClock, 32);
  EXPECT_EQ(player.headless.application.title(), "Project");
  EXPECT_EQ(player.headless.boxes.shown().size(), 0u);
}

TEST(ProgramEntry, CdRomRefusesBeforeEverythingAlsoForConfig) {
  TempDir dir("cdrom");
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{}, std::vector<std::string>{"/config"}}) {
    Recording recording;
    HeadlessPlayer player(dir.str());
    player.headless.drives.Set(dir.str(), platform::DriveType::kCdRom);
    EXPECT_EQ(player.Run(arguments), 0);
    EXPECT_FALSE(player.headless.application.initialized());
    EXPECT_EQ(player.headless.application.windows_created(), 0);
    EXPECT_TRUE(recording.calls.empty());
    // Only the media library was bound first.
    EXPECT_EQ(recording.trace, std::vector<std::string>{"InitDll"});
    // No lock was taken.
    platform::HeadlessInstanceLocks locks;
    EXPECT_EQ(locks.Acquire(arguments.empty() ? BuildInstanceKey({}, dir.str()) : "/CONFIG-").outcome,
              platform::LockOutcome::kAcquired);
  }
}

TEST(ProgramEntry, MediaLibraryIsBoundFirstAndRefusedWhenMissingOrOfAnotherVersion) {
  TempDir dir("binding");
  const struct {
    std::int32_t version;
    std::string_view refusal;  // empty: the player runs
  } cases[] = {
      {testing::ScopedVornProvider::kNoLibrary, texts::kVornLibraryMissing},
      {107, texts::kVornLibraryVersionWrong},
      {109, texts::kVornLibraryVersionWrong},
      {108, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{}, std::vector<std::string>{"/config"}}) {
      testing::ScopedVornProvider provider(c.version);
      Recording recording;
      HeadlessPlayer player(dir.str());
      // The dialog ends at Escape.
      if (!arguments.empty()) player.headless.application.Post(platform::Event{.type = platform::EventType::kKeyDown, .key = 0x1B});
      EXPECT_EQ(player.Run(arguments), 0);
      if (c.refusal.empty()) {
        EXPECT_TRUE(player.headless.application.initialized());
        EXPECT_TRUE(player.headless.boxes.shown().empty());
        if (arguments.empty()) {
          // Nothing but the version before the initialisation, nothing after the finalisation.
          ASSERT_GE(recording.calls.size(), 3u);
          EXPECT_EQ(recording.calls[0], "vornVersion");
          EXPECT_EQ(recording.calls[1], "vornInit");
          EXPECT_EQ(recording.calls.back(), "vornFinal");
        }
        continue;
      }
      EXPECT_EQ(recording.trace, std::vector<std::string>{"InitDll"});
      EXPECT_FALSE(player.headless.application.initialized());
      EXPECT_EQ(player.headless.application.windows_created(), 0);
      ASSERT_EQ(player.headless.boxes.shown().size(), 1u);
      const platform::MessageBoxRequest& box = player.headless.boxes.shown()[0];
      EXPECT_EQ(box.text, c.refusal);
      EXPECT_EQ(box.caption, "Error");
      EXPECT_EQ(box.icon, platform::MessageIcon::kWarning);
      EXPECT_EQ(box.owner, nullptr);
    }
  }
  EXPECT_EQ(std::string(texts::kVornLibraryMissing), "vorn.dll\r\n\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1");
}

TEST(ProgramEntry, LockExclusionTable) {
  // held: the key another instance holds; run: the arguments of the new one.
  const struct {
    const char* held;
    std::vector<std::string> run;
    bool runs;
  } cases[] = {
      {"-T-A-", {"/t/a"}, false},
      {"-T-A-", {"/T/A/"}, false},
      {"-T-A-", {"/config"}, true},    // the dialog and a player do not exclude each other
      {"/CONFIG-", {"/t/a"}, true},
      {"/CONFIG-", {"/config/"}, true},  // a data directory named config
      {"/CONFIG-", {"/CONFIG"}, false},  // two dialogs do
  };
  for (const auto& c : cases) {
    Recording recording;
    TempDir dir("locks");
    platform::HeadlessInstanceLocks locks;
    platform::LockResult held = locks.Acquire(c.held);
    ASSERT_EQ(held.outcome, platform::LockOutcome::kAcquired);
    HeadlessPlayer player(dir.str());
    // A dialog that runs waits for its close box.
    if (IsConfigArgument(c.run[0])) player.headless.application.Post(platform::Event{.type = platform::EventType::kClose});
    EXPECT_EQ(player.Run(c.run), 0);
    const bool ran = player.headless.application.initialized();
    EXPECT_EQ(ran, c.runs) << c.held << " / " << c.run[0];
    if (!ran) {
      EXPECT_TRUE(recording.calls.empty());
    }
  }
}

TEST(ProgramEntry, TwoPlayersOnFileLocksExcludeEachOther) {
  TempDir dir("filelocks");
  TempDir lock_dir("filelock_dir");
  platform::FileInstanceLocks locks(lock_dir.path().string());
  platform::LockResult first = locks.Acquire(BuildInstanceKey({}, dir.str()));
  ASSERT_EQ(first.outcome, platform::LockOutcome::kAcquired);
  HeadlessPlayer refused(dir.str());
  EXPECT_EQ(refused.Run(locks, {}), 0);
  EXPECT_FALSE(refused.headless.application.initialized());
  first.lock.reset();
  HeadlessPlayer runs(dir.str());
  EXPECT_EQ(runs.Run(locks, {}), 0);
  EXPECT_TRUE(runs.closed);
  // Released again at the end.
  EXPECT_EQ(locks.Acquire(BuildInstanceKey({}, dir.str())).outcome, platform::LockOutcome::kAcquired);
}

TEST(ProgramEntry, ConfigShowsOnlyTheSettingsDialog) {
  TempDir dir("config");
  Recording recording;
  HeadlessPlayer player(dir.str());
  player.headless.application.Post(platform::Event{.type = platform::EventType::kKeyDown, .key = 0x1B});  // Escape
  EXPECT_EQ(player.Run({"/Config"}), 0);
  EXPECT_EQ(player.headless.application.windows_created(), 0);
  EXPECT_EQ(player.headless.application.dialogs_created(), 1);
  EXPECT_TRUE(recording.calls.empty());  // no engine part was made
  EXPECT_EQ(player.headless.application.title(), std::string(texts::kSettingsTitle));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "game.ini"));
  EXPECT_EQ(player.headless.locks.Acquire("/CONFIG-").outcome, platform::LockOutcome::kAcquired);
}

TEST(ProgramEntry, HostFailuresEndWithOneAndReleaseTheLock) {
  TempDir dir("hostfail");
  {
    HeadlessPlayer player(dir.str());
    player.headless.executable.set_path(std::nullopt);
    EXPECT_EQ(player.Run({}), 1);
  }
  {
    HeadlessPlayer player(dir.str());
    player.headless.application.set_initialize_failure("no display");
    EXPECT_EQ(player.Run({}), 1);
    EXPECT_EQ(player.headless.application.windows_created(), 0);
    EXPECT_EQ(player.headless.locks.Acquire(BuildInstanceKey({}, dir.str())).outcome,
              platform::LockOutcome::kAcquired);
  }
}

TEST(ProgramEntry, OddArgumentsDoNotCrash) {
  TempDir dir("oddargs");
  const struct {
    std::vector<std::string> arguments;
    int exit_code;  // 1: a folder the system has no name for is refused in a box naming it
  } cases[] = {{{""}, 0},
               {{"\xff\xfe/\x80"}, 1},
               {{dir.str() + "missing/dir"}, 0},
               {{std::string(5000, 'a')}, 0},
               {{"", ""}, 0},
               {{dir.str(), "\xff\xfe"}, 1}};
  for (const auto& c : cases) {
    HeadlessPlayer player(dir.str());
    // None of them holds a project: the player ends at start without a frame.
    EXPECT_EQ(player.Run(c.arguments), c.exit_code);
    EXPECT_FALSE(player.closed);
    if (c.exit_code == 1) {
      ASSERT_EQ(player.headless.boxes.shown().size(), 1u);
      EXPECT_NE(player.headless.boxes.shown()[0].text.find(c.arguments.back()), std::string::npos);
    }
  }
}

TEST(ProgramEntry, StallingLoopEndsWithAnErrorInsteadOfHanging) {
  TempDir dir("stall");
  fixture::ProjectWriter project = testing::DefaultProject();
  project.screen_width = 0;
  testing::WriteProject(dir.str(), project);
  HeadlessPlayer player(dir.str());
  EXPECT_EQ(player.Run({}), 1);
  EXPECT_FALSE(player.closed);
  EXPECT_EQ(FrameCount, 0);
  // The lock went with the failure.
  EXPECT_EQ(player.headless.locks.Acquire(BuildInstanceKey({}, dir.str())).outcome, platform::LockOutcome::kAcquired);
}

}  // namespace
}  // namespace vorn

#include "media/media_manager.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace vorn {
namespace {

// A sound that records Play and Pause and, like a library-played sound, only marks itself when
// played while its manager is off.
class RecordingItem final : public TDMediaItem {
 public:
  RecordingItem(TMediaManager* manager, std::vector<std::string>& log, std::string name, bool* freed = nullptr)
      : TDMediaItem(manager), log_(log), name_(std::move(name)), freed_(freed) {}
  ~RecordingItem() override {
    if (freed_ != nullptr) *freed_ = true;
  }
  bool IsPlaying() override { return playing && !paused; }
  bool IsPaused() override { return paused; }
  bool IsEnd() override { return ended; }
  void Play() override {
    if (!manager()->active()) {
      resume_mark = true;
      return;
    }
    log_.push_back(name_ + ".Play");
    playing = true;
    paused = false;
  }
  void Pause() override {
    log_.push_back(name_ + ".Pause");
    paused = true;
  }
  bool playing = false, paused = false, ended = false;

 private:
  std::vector<std::string>& log_;
  std::string name_;
  bool* freed_;
};

class TestManager final : public TMediaManager {};

struct Scene {
  TestManager manager;
  std::vector<std::string> log;
  RecordingItem* Add(const std::string& name) {
    return static_cast<RecordingItem*>(manager.Append(std::make_unique<RecordingItem>(&manager, log, name)));
  }
};

struct ManagerCase {
  const char* what;
  std::function<void(Scene&)> run;
  std::vector<std::string> expected;
};

TEST(MediaManager, PauseAndResumeFollowTheMarks) {
  const std::vector<ManagerCase> cases = {
      {"two PauseAll pause once; one ResumeAll resumes all",
       [](Scene& s) {
         s.Add("a")->Play();
         s.Add("b")->Play();
         s.manager.PauseAll();
         s.manager.PauseAll();
         s.manager.ResumeAll();
         s.manager.ResumeAll();
       },
       {"a.Play", "b.Play", "a.Pause", "b.Pause", "a.Play", "b.Play"}},
      {"an ended item is neither paused nor restarted",
       [](Scene& s) {
         RecordingItem* a = s.Add("a");
         a->Play();
         a->ended = true;
         s.manager.PauseAll();
         s.manager.ResumeAll();
       },
       {"a.Play"}},
      {"an item already paused stays paused",
       [](Scene& s) {
         RecordingItem* a = s.Add("a");
         a->Play();
         a->Pause();
         s.manager.PauseAll();
         s.manager.ResumeAll();
       },
       {"a.Play", "a.Pause"}},
      {"Play while off waits for the switch on",
       [](Scene& s) {
         s.manager.SetActive(false);
         s.Add("a")->Play();
         s.manager.SetActive(true);
       },
       {"a.Play"}},
      {"deactivation and activation while off leave items paused until on",
       [](Scene& s) {
         s.Add("a")->Play();
         s.manager.SetActive(false);
         s.manager.PauseAll();
         s.manager.ResumeAll();
         s.log.push_back("-");
         s.manager.SetActive(true);
       },
       {"a.Play", "a.Pause", "-", "a.Play"}},
      {"switching to the same state changes nothing",
       [](Scene& s) {
         s.Add("a")->Play();
         s.manager.SetActive(true);
         s.manager.SetActive(false);
         s.manager.SetActive(false);
       },
       {"a.Play", "a.Pause"}},
  };
  for (const ManagerCase& c : cases) {
    Scene s;
    c.run(s);
    EXPECT_EQ(s.log, c.expected) << c.what;
  }
}

TEST(MediaManager, RemoveFreesOnlyItemsOfItsOwnList) {
  TestManager manager;
  TestManager other;
  std::vector<std::string> log;
  bool freed_own = false, freed_stranger = false;
  TDMediaItem* own = manager.Append(std::make_unique<RecordingItem>(&manager, log, "own", &freed_own));
  auto stranger = std::make_unique<RecordingItem>(&other, log, "stranger", &freed_stranger);
  manager.Remove(stranger.get());
  EXPECT_FALSE(freed_stranger);
  EXPECT_EQ(manager.items().size(), 1u);
  manager.Remove(own);
  EXPECT_TRUE(freed_own);
  EXPECT_TRUE(manager.items().empty());
}

TEST(MediaManager, TheVideoManagerPausesWhateverItsState) {
  TVideoManager video;
  std::vector<std::string> log;
  auto* item = static_cast<RecordingItem*>(video.Append(std::make_unique<RecordingItem>(&video, log, "v")));
  item->Play();
  video.PauseAll();
  video.ResumeAll();
  EXPECT_EQ(log, (std::vector<std::string>{"v.Play", "v.Pause", "v.Play"}));
}

TEST(MediaManager, BaseItemAnswersNothing) {
  TMidiManager manager;
  TMidiItem item(&manager);
  EXPECT_FALSE(item.GetAutoRepeat());
  EXPECT_EQ(item.GetVolume(), 0);
  EXPECT_EQ(item.GetLength(), 0);
  EXPECT_FALSE(item.IsEnd());
  EXPECT_FALSE(item.IsPlaying());
  EXPECT_EQ(item.manager(), &manager);
}

}  // namespace
}  // namespace vorn

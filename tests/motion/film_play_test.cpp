#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "components/box.h"
#include "components/vorn_base_list.h"
#include "fixture/motion_fixture.h"
#include "foundation/hash_collection.h"
#include "foundation/stream.h"
#include "motion/film_manager.h"
#include "support/motion/test_tracks.h"
#include "transitions/custom_wipe.h"

namespace vorn {
namespace {

using testing::BoxFixtureTrack;
using testing::WipeFixtureTrack;

// A scene that writes down every layer switch the film asks for.
class TRecordingScene final : public TVornBaseList {
 public:
  struct Switch {
    int index;
    int kind;
    int direction;
    bool force;
    std::int32_t current;
    std::int32_t total;
    friend bool operator==(const Switch&, const Switch&) = default;
  };

  TSceneTransition* SwitchLayer(int index, int kind, std::uint8_t direction, bool force, std::int32_t current,
                                std::int32_t total) override {
    switches.push_back({index, kind, direction, force, current, total});
    TSceneTransition* made = TVornBaseList::SwitchLayer(index, kind, direction, force, current, total);
    if (made != nullptr) created = made;
    return made;
  }

  std::vector<Switch> switches;
  TSceneTransition* created = nullptr;
};

void Load(TFilmManager& film, const fixture::MotionFixture& file) {
  TMemoryStream stream(fixture::WriteMotionFixture(file));
  film.LoadFromStream(stream, "film.vmn");
}

class FilmPlay : public ::testing::Test {
 protected:
  FilmPlay() {
    scene.SetWidth(64);
    scene.SetHeight(48);
  }

  testing::TScopedTestTracks tracks;
  TRecordingScene scene;
};

// Two transitions: 10..19 and 30..39.
fixture::MotionFixture TwoWipes() {
  fixture::MotionFixture file;
  file.tracks = {WipeFixtureTrack(10, 10, 1, 7, 8, 1, "mask.pel"), WipeFixtureTrack(30, 10)};
  return file;
}

TEST_F(FilmPlay, PageParityAndTheActiveTransition) {
  TFilmManager film;
  Load(film, TwoWipes());
  struct Row {
    std::int32_t t;
    int page;
    bool active;
    int wipe_parity;
  };
  const Row rows[] = {
      {0, 0, false, 0},  {10, 0, true, 0},  {18, 0, true, 0},  {19, 1, true, 0},  // the first's last tick
      {20, 1, false, 1}, {30, 1, true, 1},  {39, 0, true, 1},  {40, 0, false, 0},
  };
  for (const Row& row : rows) {
    int parity = -1;
    TCustomFrameList* active = film.GetActiveWipe(row.t, parity);
    EXPECT_EQ(film.GetPageParity(row.t), row.page) << row.t;
    EXPECT_EQ(active != nullptr, row.active) << row.t;
    EXPECT_EQ(parity, row.wipe_parity) << row.t;
  }
  EXPECT_TRUE(film.HasTransitions());
}

TEST_F(FilmPlay, TheLaterOfOverlappingTransitionsIsActive) {
  fixture::MotionFixture file;
  file.tracks = {WipeFixtureTrack(0, 20), WipeFixtureTrack(5, 10)};
  TFilmManager film;
  Load(film, file);
  int parity = 0;
  EXPECT_EQ(film.GetActiveWipe(7, parity), film.GetTrack(1));
  EXPECT_EQ(film.GetActiveWipe(16, parity), film.GetTrack(0));
}

TEST_F(FilmPlay, SetTimeSwitchesLayersAndRestartsATransitionOnce) {
  TFilmManager film;
  film.SetOwnerList(&scene);
  Load(film, TwoWipes());
  for (std::int32_t t : {0, 10, 12, 20, 21}) film.SetTime(t);
  using S = TRecordingScene::Switch;
  EXPECT_EQ(scene.switches, (std::vector<S>{
                                {0, 0, 0, false, 0, 0},   // nothing active, nothing before
                                {0, 1, 1, true, 0, 10},   // the first transition starts
                                {0, 1, 1, false, 2, 10},  // and goes on
                                {1, 0, 0, true, 0, 0},    // it is over: the other page
                                {1, 0, 0, false, 0, 0},
                            }));
  EXPECT_EQ(film.GetCurrentTime(), 21);
  EXPECT_EQ(scene.GetActiveLayerIndex(), 1);
}

TEST_F(FilmPlay, ANewTransitionGetsTheTracksParameters) {
  TFilmManager film;
  film.SetOwnerList(&scene);
  Load(film, TwoWipes());
  film.SetTime(10);
  ASSERT_NE(scene.created, nullptr);
  EXPECT_EQ(scene.created->Wipe().GetParam(0), 7);
  EXPECT_EQ(scene.created->Wipe().GetParam(1), 8);
  // A setter that changes the transition makes the next SetTime restart it.
  film.SetTime(11);
  EXPECT_FALSE(scene.switches.back().force);
  film.GetTrack(0)->SetWipeParam0(9);
  film.SetTime(12);
  EXPECT_TRUE(scene.switches.back().force);
}

TEST_F(FilmPlay, HostedAndDirectFilmsNeverSwitchPages) {
  TVornBox* host = CreateObject<TVornBox>(scene);
  host->SetName("host");
  TFilmManager hosted;
  hosted.SetOwnerList(&scene);
  hosted.SetHost(host);
  Load(hosted, TwoWipes());
  hosted.SetTime(10);
  TFilmManager direct;
  direct.SetOwnerList(&scene);
  direct.SetDirect(true);
  Load(direct, TwoWipes());
  direct.SetTime(10);
  EXPECT_TRUE(scene.switches.empty());
}

TEST_F(FilmPlay, ComponentsLiveOnTheirPageOnlyInsideTheirWindow) {
  fixture::MotionFixture file = TwoWipes();
  file.tracks.push_back(BoxFixtureTrack(30, -1, TPoint{0, 0}, TPoint{29, 58}));  // 0..29, page 0
  file.tracks.back().start = 0;
  file.tracks.push_back(BoxFixtureTrack(5));  // 19..23: starts on the first's last tick, page 1
  file.tracks.back().start = 19;
  file.tracks.push_back(BoxFixtureTrack(5));  // the same with the other-page flag: page 0
  file.tracks.back().start = 19;
  file.tracks.back().otherPage = 1;
  TFilmManager film;
  film.SetOwnerList(&scene);
  Load(film, file);
  film.SetTime(19);
  TVornControl* a = film.GetTrack(2)->GetComponent();
  TVornControl* b = film.GetTrack(3)->GetComponent();
  TVornControl* c = film.GetTrack(4)->GetComponent();
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(a->GetParent(), scene.GetBase(0));
  EXPECT_EQ(b->GetParent(), scene.GetBase(1));
  EXPECT_EQ(c->GetParent(), scene.GetBase(0));
  EXPECT_EQ(a->GetLeft(), 19);
  EXPECT_EQ(a->GetTop(), 38);
  EXPECT_EQ(a->GetName().substr(0, 1), "\x01");
  EXPECT_NE(a->GetName(), b->GetName());
  // Leaving the window releases the component: marked deleted, forgotten.
  film.SetTime(24);
  EXPECT_EQ(film.GetTrack(3)->GetComponent(), nullptr);
  EXPECT_TRUE(scene.IsPendingDelete(b));
  EXPECT_EQ(film.GetTrack(2)->GetComponent(), a);
  scene.FreePendingDeletes();
  // Freeing the film marks what is left deleted.
  Load(film, fixture::MotionFixture{});
  EXPECT_TRUE(scene.IsPendingDelete(a));
}

TEST_F(FilmPlay, HostedComponentsAreTheHostsChildrenNamedAfterIt) {
  TVornBox* host = CreateObject<TVornBox>(scene);
  host->SetName("host");
  fixture::MotionFixture file;
  file.tracks = {BoxFixtureTrack(10), BoxFixtureTrack(10)};
  TFilmManager film;
  film.SetOwnerList(&scene);
  film.SetHost(host);
  Load(film, file);
  film.SetTime(0);
  TVornControl* a = film.GetTrack(0)->GetComponent();
  TVornControl* b = film.GetTrack(1)->GetComponent();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->GetParent(), host);
  EXPECT_EQ(a->GetName(), std::string("\x01host\x01") + "0");
  EXPECT_EQ(b->GetName(), std::string("\x01host\x01") + "1");
}

TEST_F(FilmPlay, AComponentGoneFromTheSceneIsNoLongerHeld) {
  fixture::MotionFixture file;
  file.tracks = {BoxFixtureTrack(10)};
  TFilmManager film;
  film.SetOwnerList(&scene);
  Load(film, file);
  film.SetTime(0);
  TVornControl* box = film.GetTrack(0)->GetComponent();
  ASSERT_NE(box, nullptr);
  scene.DeleteObject(box);
  EXPECT_EQ(film.GetTrack(0)->GetComponent(), nullptr);
  film.SetTime(20);  // releasing a gone component does nothing
  film.SetTime(1);   // and a new one is made
  EXPECT_NE(film.GetTrack(0)->GetComponent(), nullptr);
}

TEST_F(FilmPlay, DirectModeDrivesTheTargetAndMakesNoComponents) {
  TVornBox* target = CreateObject<TVornBox>(scene);
  fixture::MotionFixture file;
  file.tracks = {BoxFixtureTrack(5, -1, TPoint{0, 0}, TPoint{40, 80})};
  file.tracks[0].priority = 4;
  TFilmManager film;
  film.SetOwnerList(&scene);
  film.SetDirect(true);
  film.SetTarget(target);
  film.SetBasePriority(10);
  Load(film, file);
  const int objects = scene.GetObjectCount();
  film.SetTime(2);
  EXPECT_EQ(scene.GetObjectCount(), objects);
  EXPECT_EQ(target->GetMotionLeft(), 20);
  EXPECT_EQ(target->GetMotionTop(), 40);
  EXPECT_EQ(target->GetPriority(), 14);
}

TEST_F(FilmPlay, ApplyHandsSizeAndColourToTheOwnerScene) {
  fixture::MotionFixture file;
  file.width = 32;
  file.height = 16;
  file.color = 0x123456;
  TFilmManager film;
  film.SetOwnerList(&scene);
  Load(film, file);
  film.Apply();
  EXPECT_EQ(scene.GetWidth(), 32);
  EXPECT_EQ(scene.GetHeight(), 16);
  EXPECT_EQ(scene.GetBase(0)->GetColor(), 0x123456);
  EXPECT_EQ(scene.GetBase(1)->GetColor(), 0x123456);
  TFilmManager direct;
  direct.SetOwnerList(&scene);
  direct.SetDirect(true);
  file.width = 8;
  Load(direct, file);
  direct.Apply();
  EXPECT_EQ(scene.GetWidth(), 32);
}

TEST_F(FilmPlay, FirstTrackIsTheFirstStartingAtZero) {
  fixture::MotionFixture file;
  file.tracks = {BoxFixtureTrack(10), BoxFixtureTrack(10), BoxFixtureTrack(10, 0)};
  file.tracks[0].start = 3;
  TFilmManager film;
  Load(film, file);
  EXPECT_EQ(film.GetFirstTrack(), film.GetTrack(1));
  EXPECT_FALSE(film.HasTransitions());
}

// A sound track double: Apply starts it (it makes a component standing for its sound), the film's
// track flag reaches it, and it counts its preparations.
class TSoundDouble final : public TCustomFrameList {
 public:
  using TCustomFrameList::TCustomFrameList;
  std::uint8_t GetTypeId() const override { return kSoundTrack; }
  void SetPausedFlag(bool value) override { flags.push_back(value); }
  void StartSound() override {
    TVornBox* sound = CreateObject<TVornBox>(*Film().GetOwnerList());
    HoldComponent(sound);
  }
  void Prepare() override { ++prepared; }
  void CollectFiles(THashCollection& collection) override { AddNamedItem(collection, "sound.ogg"); }

  std::vector<bool> flags;
  int prepared = 0;
};

TEST_F(FilmPlay, SoundTracksStartOnApplyAndFollowTheSwitches) {
  TFilmManager film;
  film.SetOwnerList(&scene);
  film.SetDirect(true);  // sounds start in every mode
  auto* sound = static_cast<TSoundDouble*>(film.AddTrack(std::make_unique<TSoundDouble>(film)));
  sound->SetLength(10);
  film.Apply();
  ASSERT_NE(sound->GetComponent(), nullptr);
  film.SetTrackFlag(true);
  film.SetTrackFlag(true);  // no change, not handed on
  film.SetTrackFlag(false);
  EXPECT_EQ(sound->flags, (std::vector<bool>{true, false}));
  EXPECT_FALSE(sound->GetComponent()->GetPaused());
  film.SetSoundEnabled(false);
  EXPECT_FALSE(film.GetSoundEnabled());
  EXPECT_TRUE(sound->GetComponent()->GetPaused());
  sound->PrepareIfActive(10);
  sound->PrepareIfActive(9);
  EXPECT_EQ(sound->prepared, 1);
  THashCollection files;
  film.CollectFiles(files);
  EXPECT_EQ(files.Count(), 1);
}

}  // namespace
}  // namespace vorn

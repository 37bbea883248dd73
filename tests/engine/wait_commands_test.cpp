#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/commands/wait_commands.h"
#include "foundation/errors.h"
#include "foundation/stream_encoding.h"
#include "foundation/vocabulary_codes.h"
#include "scene_command_harness.h"

namespace vorn::testing {
namespace {

using fixture::PageCommand;
using fixture::PageWriter;

PageCommand Wait(std::string_view hold, std::string_view time, std::string_view block = "") {
  return std::move(PageCommand(7).Expr(hold).Expr(time).Expr(block));
}

class WaitCommandTest : public SceneCommandTest {};

// Steps after the entering one until the wait moves on; -1 when it has not within `limit`.
int StepsUntilDone(TComWait& wait, TCallMan& callman, int limit) {
  wait.Enter(callman);
  for (int step = 0; step <= limit; ++step) {
    TPage* page = wait.Page();
    std::int32_t index = 0;
    wait.Execute(callman, page, index);
    if (index == 1) return step;
  }
  return -1;
}

TEST_F(WaitCommandTest, EndsByTimeOrHoldCondition) {
  Declare("yes", PT_BOOL).SetAsBool(true);
  Declare("no", PT_BOOL).SetAsBool(false);
  struct Case {
    const char* hold;
    const char* time;
    int steps;  // steps after the entering one; -1: never
  } const cases[] = {
      {"", "1000", 63},   // 16 ms frames: 63 x 16 = 1008 >= 1000, 62 x 16 = 992 short of it
      {"", "16", 1},      // the entering step only consumes the start delay
      {"no", "1000", 0},  // a hold that yields false ends at once, time or not
      {"yes", "32", 2},   // a true hold waits for the time
      {"yes", "0", -1},   // a true hold without time holds
      {"", "", -1},       // neither: never ends by itself
      {"", "-5", 1},      // a negative time is not 0: counted down like any other
  };
  for (const Case& c : cases) {
    auto* wait = One<TComWait>(Wait(c.hold, c.time), 110, std::string("w") + c.hold + c.time + ".vsb");
    EXPECT_EQ(StepsUntilDone(*wait, callman, 200), c.steps) << c.hold << " " << c.time;
  }
}

TEST_F(WaitCommandTest, EveryHoldingStepEndsTheFramesScriptStep) {
  auto* wait = One<TComWait>(Wait("", "100"));
  wait->Enter(callman);
  for (int step = 0; step < 3; ++step) {
    callman.SetRunFlag(true);
    EXPECT_EQ(Exec(*wait), 0);
    EXPECT_FALSE(callman.RunFlag()) << step;
  }
  EXPECT_EQ(wait->TimeLeft(), 100 - 2 * 16);
}

TEST_F(WaitCommandTest, CountsOneFrameTimePerFrameUnderTheInterpreter) {
  PageWriter writer;
  writer.Add(Wait("", "1000")).Add(PageCommand(46));
  files.files["main.vsb"] = writer.Bytes();
  callman.Call("main.vsb");
  int frames = 0;
  while (callman.Index() == 0 && frames < 500) {
    callman.Run();
    ++frames;
  }
  // Frame 1 enters and uses the start delay; frames 2..64 count 63 x 16 ms.
  EXPECT_EQ(frames, 64);
}

TEST_F(WaitCommandTest, FlagsAndEventBlockByPageVersion) {
  auto* blocking = One<TComWait>(Wait("", "5", "1"), 110, "b110.vsb");
  blocking->Enter(callman);
  EXPECT_TRUE(blocking->BlocksEvents());
  EXPECT_TRUE(blocking->IsWaiting());
  // Pages up to 106 store no event-block expression.
  auto* old = One<TComWait>(std::move(PageCommand(7).Expr("").Expr("5")), 106, "b106.vsb");
  old->Enter(callman);
  EXPECT_FALSE(old->BlocksEvents());
}

TEST_F(WaitCommandTest, StateRoundTripOldStateAndShortState) {
  auto* wait = One<TComWait>(Wait("", "500", "1"));
  wait->Enter(callman);
  Exec(*wait);
  Exec(*wait);
  std::unique_ptr<TMemoryStream> state;
  wait->SaveState(state);
  ASSERT_NE(state, nullptr);
  const std::vector<std::uint8_t> expected = {'v', 'o', 'r', 'n', '1', '0', '0', 0xE4, 0x01, 0, 0, 0, 0, 0, 0, 1};
  EXPECT_EQ(std::vector<std::uint8_t>(state->Memory(), state->Memory() + state->Size()), expected);

  auto* other = One<TComWait>(Wait("", "7"), 110, "other.vsb");
  state->SetPosition(0);
  other->LoadState(*state);
  EXPECT_EQ(other->TimeLeft(), 484);
  EXPECT_EQ(other->StartDelay(), 0);
  EXPECT_TRUE(other->BlocksEvents());

  // Without the header: version 0, no event-block byte.
  auto* fresh = One<TComWait>(Wait("", "7"), 110, "fresh.vsb");
  TMemoryStream old_state(std::vector<std::uint8_t>{0x10, 0, 0, 0, 1, 0, 0, 0});
  fresh->LoadState(old_state);
  EXPECT_EQ(fresh->TimeLeft(), 16);
  EXPECT_EQ(fresh->StartDelay(), 1);
  EXPECT_FALSE(fresh->BlocksEvents());
  // A header whose version is no number is version 0 as well.
  TMemoryStream odd(std::vector<std::uint8_t>{'v', 'o', 'r', 'n', '1', 'x', '0', 3, 0, 0, 0, 0, 0, 0, 0});
  fresh->LoadState(odd);
  EXPECT_EQ(fresh->TimeLeft(), 3);

  TMemoryStream short_state(std::vector<std::uint8_t>{'v', 'o', 'r', 'n', '1', '0', '0', 1, 0});
  EXPECT_THROW(fresh->LoadState(short_state), EReadError);
  EXPECT_EQ(fresh->TimeLeft(), 3);
}

TEST_F(WaitCommandTest, DoEventMovesOnAndEndsTheStep) {
  auto* command = One<TComDoEvent>(PageCommand(46));
  EXPECT_FALSE(command->GetRunFlag());
  EXPECT_TRUE(command->IsWaiting());
  EXPECT_EQ(Exec(*command, 3), 4);
}

// --- Flip ---

// kind, duration, reverse, carry mode, carry names, clear-old, parameter 0, parameter 1, text, event block.
PageCommand Flip(std::string_view kind, std::string_view duration, std::string_view carry_mode,
                 const std::vector<std::string>& names, std::string_view clear_old = "",
                 std::string_view p0 = "", std::string_view p1 = "", std::string_view text = "",
                 std::string_view block = "", std::string_view reverse = "") {
  PageCommand command(13);
  command.Expr(kind).Expr(duration).Expr(reverse).Expr(carry_mode).Int(static_cast<std::int32_t>(names.size()));
  for (const std::string& name : names) command.Expr(name);
  command.Expr(clear_old).Expr(p0).Expr(p1).Expr(text).Expr(block);
  return command;
}

class FlipCommandTest : public SceneCommandTest {};

TEST_F(FlipCommandTest, KindIsTheLowByteAndAbove38IsNone) {
  struct Case {
    const char* kind;
    const char* duration;
    std::string switched;
  } const cases[] = {
      {"5", "200", "switch 0 kind 5 forced at 0 for 200"},
      {"38", "200", "switch 0 kind 38 forced at 0 for 200"},
      {"39", "200", "switch 0 kind 0 forced at 0 for 200"},
      {"300", "200", "switch 0 kind 0 forced at 0 for 200"},  // 300 & 255 = 44
      {"261", "200", "switch 0 kind 5 forced at 0 for 200"},  // 261 & 255 = 5
      {"", "200", "switch 0 kind 0 forced at 0 for 200"},
      {"5", "0", "switch 0 kind 5 forced at 0 for 1"},
      {"5", "-7", "switch 0 kind 5 forced at 0 for 1"},
      {"5", "", "switch 0 kind 5 forced at 0 for 1"},
  };
  int n = 0;
  for (const Case& c : cases) {
    auto* flip = One<TComFlip>(Flip(c.kind, c.duration, "", {}), 110, "k" + std::to_string(n++) + ".vsb");
    scene.log.clear();
    flip->Enter(callman);
    ASSERT_EQ(scene.log.size(), 1u) << c.kind;
    EXPECT_EQ(scene.log[0], c.switched) << c.kind << " " << c.duration;
  }
}

TEST_F(FlipCommandTest, CarriesTheNamedLinesWithAndWithoutTransition) {
  Declare("names", PT_STR).SetAsString("a\r\nb");
  for (const char* duration : {"300", "0"}) {
    scene.objects.clear();
    scene.current_layer = 0;
    scene.Add("a");
    scene.Add("b");
    scene.Add("c");
    scene.Add("ab");
    auto* flip = One<TComFlip>(Flip("3", duration, "1", {"names"}), 110, std::string("carry") + duration + ".vsb");
    scene.log.clear();
    flip->Enter(callman);
    EXPECT_EQ(scene.ChildNames(scene.layers[1]), (std::vector<std::string>{"a", "b"})) << duration;
    const bool transition = std::string(duration) == "300";
    std::vector<std::string> left = {"c", "ab"};
    if (transition) left.push_back("\x01\x01");
    EXPECT_EQ(scene.ChildNames(scene.layers[0]), left) << duration;
    EXPECT_EQ(flip->Phase(), transition ? TComFlip::kEntered : TComFlip::kNoTransition);
    EXPECT_EQ(flip->IsWaiting(), transition);
    if (transition) {
      EXPECT_EQ(scene.log, (std::vector<std::string>{"paint", "copy", "switch 0 kind 3 forced at 0 for 300"}));
    } else {
      EXPECT_TRUE(scene.log.empty());
    }
  }
}

TEST_F(FlipCommandTest, FrozenPictureAndCarryModeZero) {
  scene.Add("keep");
  scene.Add("move");
  auto* flip = One<TComFlip>(Flip("0", "100", "0", {"\"keep\""}));
  flip->Enter(callman);
  EXPECT_EQ(scene.ChildNames(scene.layers[1]), (std::vector<std::string>{"move"}));
  TScriptObject* frozen = scene.FindComponent("\x01\x01");
  ASSERT_NE(frozen, nullptr);
  EXPECT_EQ(frozen->GetWidth(), 640);
  EXPECT_EQ(frozen->GetHeight(), 480);
  EXPECT_EQ(frozen->GetIgnoreMouse(), 1);
  EXPECT_EQ(frozen->GetParentObject(), &scene.layers[0]);
}

TEST_F(FlipCommandTest, OtherCarryModesMoveNothing) {
  scene.Add("a");
  auto* flip = One<TComFlip>(Flip("0", "0", "2", {"\"a\""}));
  flip->Enter(callman);
  EXPECT_EQ(scene.ChildNames(scene.layers[0]), (std::vector<std::string>{"a"}));
}

TEST_F(FlipCommandTest, TransitionGetsOnlyTheParametersThatYieldResults) {
  auto* flip = One<TComFlip>(Flip("7", "100", "", {}, "", "11", "", "\"mask\""));
  flip->Enter(callman);
  ASSERT_NE(scene.running, nullptr);
  EXPECT_EQ(scene.running->log, (std::vector<std::string>{"param0=11", "text=mask", "start"}));
}

TEST_F(FlipCommandTest, StepsThroughThePhasesOnTheGameClock) {
  // The old picture is layer 0, inactive once the flip is over.
  scene.Add("old");
  scene.Add("box", nullptr, TRecordingScene::kCabinet);
  auto* flip = One<TComFlip>(Flip("4", "300", "", {}, "1"));
  flip->Enter(callman);
  EXPECT_EQ(Exec(*flip), 0);
  EXPECT_EQ(flip->Phase(), TComFlip::kArmed);
  EXPECT_EQ(Exec(*flip), 0);
  EXPECT_EQ(flip->Phase(), TComFlip::kRunning);
  GameClock += 120;
  scene.log.clear();
  callman.SetRunFlag(true);
  EXPECT_EQ(Exec(*flip), 0);
  EXPECT_EQ(scene.log, (std::vector<std::string>{"elapsed 120"}));
  // Staying ends the frame's script step: the clock only moves between frames.
  EXPECT_FALSE(callman.RunFlag());
  GameClock += 180;
  scene.log.clear();
  EXPECT_EQ(Exec(*flip), 1);
  EXPECT_EQ(scene.log, (std::vector<std::string>{"switch 1 kind 0 forced at 0 for 0", "delete old"}));
  EXPECT_EQ(scene.current_layer, 1);
}

TEST_F(FlipCommandTest, ElapsedTimeSurvivesTheClockWrapping) {
  GameClock = 0x7FFFFFF0;
  auto* flip = One<TComFlip>(Flip("4", "300", "", {}));
  flip->Enter(callman);
  Exec(*flip);
  Exec(*flip);
  AdvanceGameClock(0x20);
  scene.log.clear();
  EXPECT_EQ(Exec(*flip), 0);
  EXPECT_EQ(scene.log, (std::vector<std::string>{"elapsed 32"}));
}

TEST_F(FlipCommandTest, FinishSwitchesAtOnceAndClearsCabinetsToo) {
  scene.Add("a");
  scene.Add("box", nullptr, TRecordingScene::kCabinet);
  auto* flip = One<TComFlip>(Flip("4", "300", "0", {}, "1"));
  flip->Enter(callman);
  // Carry mode 0 without names moved both to layer 1; the frozen picture stays on layer 0.
  scene.log.clear();
  flip->Finish();
  EXPECT_EQ(scene.log, (std::vector<std::string>{"switch 1 kind 0 forced at 0 for 0", "delete \x01\x01",
                                                 "delete \x01\x01"}));
  EXPECT_EQ(scene.current_layer, 1);
}

TEST_F(FlipCommandTest, StateKeepsEventBlockAndClearOld) {
  auto* flip = One<TComFlip>(Flip("0", "0", "", {}, "1", "", "", "", "1"));
  flip->Enter(callman);
  EXPECT_TRUE(flip->BlocksEvents());
  std::unique_ptr<TMemoryStream> state;
  flip->SaveState(state);
  const std::vector<std::uint8_t> expected = {'v', 'o', 'r', 'n', '1', '0', '0', 1, 1};
  EXPECT_EQ(std::vector<std::uint8_t>(state->Memory(), state->Memory() + state->Size()), expected);
  auto* other = One<TComFlip>(Flip("0", "0", "", {}), 110, "other.vsb");
  state->SetPosition(0);
  other->LoadState(*state);
  EXPECT_TRUE(other->BlocksEvents());
  EXPECT_TRUE(other->ClearOld());
}

TEST_F(FlipCommandTest, CarryNameCountIsCheckedBeforeAnythingIsRead) {
  for (std::int32_t count : {-1, 1000000}) {
    PageWriter writer;
    PageCommand command(13);
    command.Expr("").Expr("").Expr("").Expr("").Int(count).Expr("");
    writer.Add(std::move(command));
    files.files["bad.vsb"] = writer.Bytes();
    EXPECT_THROW(callman.GetPage("bad.vsb", false), EReadError) << count;
  }
}

// --- MovieStop, MediaPlay, MenuClose ---

PageCommand MovieStop(std::string_view name, std::string_view fade, std::string_view wait, std::string_view block = "") {
  return std::move(PageCommand(21).Expr(name).Expr(fade).Expr(wait).Expr(block));
}

class MediaCommandTest : public SceneCommandTest {};

TEST_F(MediaCommandTest, MovieStopFadesOnlyWhatPlaysFromAFileOrCd) {
  files.files["bgm.ogg"] = {};
  struct Case {
    const char* source;
    std::int32_t play_state;
    bool target;
  } const cases[] = {
      {"bgm.ogg", LP_PLAY, true},       {"bgm.ogg", LP_PLAYFADE, true}, {"bgm.ogg", LP_STOP, false},
      {"gone.ogg", LP_PLAY, false},     {"CD_03", LP_PLAY, true},       {"cd_03", LP_PLAY, false},
  };
  int n = 0;
  for (const Case& c : cases) {
    scene.objects.clear();
    TRecordingObject& sound = scene.Add("snd");
    sound.strings[2] = c.source;
    sound.play_state = c.play_state;
    auto* stop = One<TComMovieStop>(MovieStop("\"snd\"", "800", "1"), 110, "m" + std::to_string(n++) + ".vsb");
    stop->Enter(callman);
    EXPECT_EQ(stop->Target() != nullptr, c.target) << c.source << " " << c.play_state;
    if (c.target) {
      EXPECT_EQ(sound.GetDelay(), 800);
      EXPECT_EQ(sound.play_state, LP_STOPFADE);
      EXPECT_EQ(Exec(*stop), 0);
      scene.Remove(&sound);
      EXPECT_EQ(Exec(*stop), 1);
    } else {
      EXPECT_EQ(sound.play_state, c.play_state);
      EXPECT_EQ(Exec(*stop), 1);
    }
  }
}

TEST_F(MediaCommandTest, MovieStopWithoutFadeStopsAndDeletesAtOnce) {
  TRecordingObject& movie = scene.Add("mov");
  movie.play_state = LP_PLAY;
  auto* stop = One<TComMovieStop>(MovieStop("\"mov\"", "0", "1"));
  stop->Enter(callman);
  EXPECT_EQ(movie.play_state, LP_STOP);
  EXPECT_TRUE(scene.IsDeleted(&movie));
  EXPECT_EQ(stop->Target(), nullptr);
  EXPECT_EQ(Exec(*stop), 1);
}

TEST_F(MediaCommandTest, MovieStopStateLooksTheNameUpAgain) {
  files.files["v.avi"] = {};
  TRecordingObject& movie = scene.Add("mov");
  movie.strings[2] = "v.avi";
  movie.play_state = LP_PLAY;
  auto* stop = One<TComMovieStop>(MovieStop("\"mov\"", "100", "1", "1"));
  stop->Enter(callman);
  std::unique_ptr<TMemoryStream> state;
  stop->SaveState(state);
  const std::vector<std::uint8_t> expected = {'v', 'o', 'r', 'n', '1', '0', '0', 3, 0, 0, 0, 'm', 'o', 'v', 1, 1};
  EXPECT_EQ(std::vector<std::uint8_t>(state->Memory(), state->Memory() + state->Size()), expected);

  auto* other = One<TComMovieStop>(MovieStop("", "", ""), 110, "other.vsb");
  state->SetPosition(0);
  other->LoadState(*state);
  EXPECT_EQ(other->Target(), &movie);
  EXPECT_TRUE(other->IsWaiting());
  EXPECT_TRUE(other->BlocksEvents());
  scene.objects.clear();
  state->SetPosition(0);
  other->LoadState(*state);
  EXPECT_EQ(other->Target(), nullptr);
  EXPECT_EQ(Exec(*other), 1);
}

TEST_F(MediaCommandTest, MediaPlayAndMenuClose) {
  scene.Add("snd");
  TRecordingObject& menu = scene.Add("menu");
  auto* play = One<TComMediaPlay>(std::move(PageCommand(55).Expr("\"snd\"")), 110, "p.vsb");
  EXPECT_EQ(Exec(*play), 1);
  EXPECT_EQ(scene.log, (std::vector<std::string>{"replay snd"}));
  auto* close = One<TComMenuClose>(std::move(PageCommand(26).Expr("\"menu\"")), 110, "c.vsb");
  EXPECT_EQ(Exec(*close), 1);
  EXPECT_EQ(menu.play_state, LP_STOPFADE);
}

TEST_F(MediaCommandTest, MenuCloseWithAnEmptyNameClosesTheCurrentLayer) {
  scene.current_layer = 1;
  auto* close = One<TComMenuClose>(std::move(PageCommand(26).Expr("\"\"")), 110, "e.vsb");
  EXPECT_EQ(Exec(*close), 1);
  EXPECT_EQ(scene.layers[1].play_state, LP_STOPFADE);
  EXPECT_NE(scene.layers[0].play_state, LP_STOPFADE);
}

}  // namespace
}  // namespace vorn::testing

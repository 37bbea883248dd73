#include "engine/system_vars.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/call_man.h"
#include "engine/engine_values.h"
#include "engine/param_collection.h"
#include "engine/script_error.h"
#include "engine/typed_params.h"
#include "fixture/page_writer.h"
#include "foundation/system_texts.h"
#include "foundation/vocabulary.h"
#include "plain_engine_seams.h"
#include "platform/clock.h"
#include "platform/font_catalog.h"
#include "scene_command_doubles.h"
#include "support/recording_scene.h"

namespace vorn {
namespace {

using testing::TInstalledScreen;
using testing::TPlainMidi;
using testing::TPlainProject;
using testing::TPlainSceneState;
using testing::TRecordingScene;

// The engine as the system variables see it: variables, an interpreter, a scene, a window, a
// project, MIDI devices and a clock fixed on Thursday 2026-12-10 13:45:30.
class SystemVarsTest : public ::testing::Test {
 public:
  SystemVarsTest() {
    ResetEngineValues();
    platform::LocalTime now;
    now.year = 2026;
    now.month = 12;
    now.day = 10;
    now.hour = 13;
    now.minute = 45;
    now.second = 30;
    clock.set_local_time(now);
    clock.Set(0xFFFFFFF0u);
    SetEngineClock(&clock);
  }
  ~SystemVarsTest() override { SetEngineClock(nullptr); }

  TCustomParam& Var(std::string_view name) {
    TParamCollectionItem* item = params.FindParam(name);
    EXPECT_NE(item, nullptr) << name;
    return item->Value();
  }

  // Enters a page of the result type as the interpreter's current page, inside one call frame.
  TStack& EnterCall(std::uint8_t result_type, bool with_return_value) {
    auto page = std::make_unique<TPage>();
    page->LoadFromBytes("called.vsb", fixture::PageWriter(110, result_type).Bytes());
    call_man.AddPage(std::move(page));
    call_man.Call("called.vsb");
    TStack& frame = call_man.Stack().Push();
    if (with_return_value) frame.return_value = CreateParamByType(result_type);
    return frame;
  }

  platform::VirtualClock clock;
  TParamCollection params;
  TCallMan call_man;
  TPlainSceneState scene_state;
  TRecordingScene scene;
  TInstalledScreen window;
  TPlainProject project;
  TPlainMidi midi;
};

TEST_F(SystemVarsTest, TheFiftyVariablesAreItemsZeroToFortyNineWithTheirNativeTypes) {
  struct Case {
    std::string_view name;
    std::uint8_t type;
  };
  const Case cases[] = {
      {"@Result", 0},       {"@LClick", 3},      {"@RClick", 3},          {"@LPush", 3},
      {"@RPush", 3},        {"@MouseX", 1},      {"@MouseY", 1},          {"@TextDelay", 1},
      {"@HistoryCount", 1}, {"@ParamCount", 1},  {"@ParamStr", 4},        {"@Sender", 4},
      {"@ScrWidth", 1},     {"@ScrHeight", 1},   {"@TickCount", 1},       {"@PCTickCount", 1},
      {"@UpdateCount", 1},  {"@Year", 1},        {"@Month", 1},           {"@Day", 1},
      {"@Week", 1},         {"@Hour", 1},        {"@Min", 1},             {"@Sec", 1},
      {"@Fonts", 4},        {"@FixedFonts", 4},  {"@FullScr", 3},         {"@Cursor", 4},
      {"@SelStr", 4},       {"@SelIndex", 1},    {"@Pi", 2},              {"@CGDither", 3},
      {"@1Hour", 2},        {"@1Min", 2},        {"@1Sec", 2},            {"@KeyPush", 3},
      {"@KeyClick", 3},     {"@DisplayModeCount", 1}, {"@DisplayModeIndex", 1}, {"@Title", 4},
      {"@SoundON", 3},      {"@ActiveCompo", 4}, {"@KeyRepeat", 3},       {"@HistoryMaxCount", 1},
      {"@Temp", 0},         {"@MidiPort", 4},    {"@MidiPorts", 4},       {"@WheelDown", 3},
      {"@WheelUp", 3},      {"@StackCount", 1},
  };
  ASSERT_EQ(std::size(cases), 50u);
  for (int i = 0; i < 50; ++i) {
    const TParamCollectionItem& item = params.GetItem(i);
    EXPECT_EQ(item.Name(), cases[i].name);
    EXPECT_TRUE(item.IsSystem());
    EXPECT_EQ(item.ParamType(), cases[i].type) << cases[i].name;
    if (i != svParamStr && i != svMidiPorts && i != svKeyPush && i != svKeyClick && i != svKeyRepeat) {
      EXPECT_EQ(item.Count(), 1) << cases[i].name;
    }
    EXPECT_EQ(item.DimCount(), 1) << cases[i].name;
  }
}

// One row: what to arrange, then what must hold.
struct VariableCase {
  const char* what;
  std::function<void(SystemVarsTest&)> arrange;
  std::function<void(SystemVarsTest&)> check;
};

class SystemVarCases : public SystemVarsTest, public ::testing::WithParamInterface<int> {};

const std::vector<VariableCase>& Cases() {
  static const std::vector<VariableCase> cases = {
      {"@Pi as integer, string and float", nullptr,
       [](SystemVarsTest& t) {
         EXPECT_EQ(t.Var("@Pi").GetAsInt(), 3);
         EXPECT_EQ(t.Var("@Pi").GetAsString(), "3.14159265358979");
         EXPECT_EQ(t.Var("@Pi").GetAsFloat(), 3.14159265358979323846264338327950288L);
         EXPECT_TRUE(t.Var("@Pi").GetAsBool());
       }},
      {"fractions of a day", nullptr,
       [](SystemVarsTest& t) {
         EXPECT_EQ(t.Var("@1Hour").GetAsFloat(), 1.0L / 24);
         EXPECT_EQ(t.Var("@1Min").GetAsFloat(), 1.0L / 1440);
         EXPECT_EQ(t.Var("@1Sec").GetAsFloat(), 1.0L / 86400);
         EXPECT_EQ(t.Var("@1Hour").GetAsInt(), 0);
       }},
      {"date and time read from the clock", nullptr,
       [](SystemVarsTest& t) {
         EXPECT_EQ(t.Var("@Year").GetAsInt(), 2026);
         EXPECT_EQ(t.Var("@Month").GetAsInt(), 12);
         EXPECT_EQ(t.Var("@Day").GetAsInt(), 10);
         EXPECT_EQ(t.Var("@Week").GetAsInt(), 5);  // Thursday
         EXPECT_EQ(t.Var("@Hour").GetAsInt(), 13);
         EXPECT_EQ(t.Var("@Min").GetAsInt(), 45);
         EXPECT_EQ(t.Var("@Sec").GetAsString(), "30");
       }},
      {"@Week of a Sunday is 1", [](SystemVarsTest& t) { t.clock.set_local_time({2026, 12, 13, 0, 0, 0, 0}); },
       [](SystemVarsTest& t) { EXPECT_EQ(t.Var("@Week").GetAsInt(), 1); }},
      {"@Week of a Saturday is 7", [](SystemVarsTest& t) { t.clock.set_local_time({1899, 12, 30, 0, 0, 0, 0}); },
       [](SystemVarsTest& t) { EXPECT_EQ(t.Var("@Week").GetAsInt(), 7); }},
      {"@Sec moves within one frame", nullptr,
       [](SystemVarsTest& t) {
         EXPECT_EQ(t.Var("@Sec").GetAsInt(), 30);
         t.clock.set_local_time({2026, 12, 10, 13, 45, 31, 0});
         EXPECT_EQ(t.Var("@Sec").GetAsInt(), 31);
       }},
      {"clocks of the frame loop",
       [](SystemVarsTest&) {
         AdvanceGameClock(1234);
         IncrementFrameCount();
         IncrementFrameCount();
       },
       [](SystemVarsTest& t) {
         EXPECT_EQ(t.Var("@TickCount").GetAsInt(), 1234);
         EXPECT_EQ(t.Var("@UpdateCount").GetAsInt(), 2);
         EXPECT_EQ(t.Var("@PCTickCount").GetAsInt(), -16);  // the 32-bit timer, wrapped
       }},
      {"writing 5 to @ScrWidth changes nothing", nullptr,
       [](SystemVarsTest& t) {
         t.Var("@ScrWidth").SetAsInt(5);
         t.Var("@ScrWidth").SetAsString("5");
         EXPECT_EQ(t.Var("@ScrWidth").GetAsInt(), 640);
         EXPECT_EQ(t.Var("@ScrHeight").GetAsInt(), 480);
         EXPECT_EQ(t.project.width, 640);
         EXPECT_EQ(t.Var("@Title").GetAsString(), "Game");
       }},
      {"@Result outside any call reads 0 and ignores writes", nullptr,
       [](SystemVarsTest& t) {
         TCustomParam& result = t.Var("@Result");
         result.SetAsInt(7);
         result.SetAsString("x");
         EXPECT_EQ(result.GetAsInt(), 0);
         EXPECT_EQ(result.GetAsFloat(), 0);
         EXPECT_FALSE(result.GetAsBool());
         EXPECT_EQ(result.GetAsString(), "");
         EXPECT_EQ(result.Count(), 1);
         EXPECT_EQ(result.ParamType(), 0);
       }},
      {"@Temp with an empty name reads 0 with type 0", nullptr,
       [](SystemVarsTest& t) {
         TCustomParam& temp = t.Var("@Temp");
         temp.SetAsInt(3);
         EXPECT_EQ(temp.GetAsInt(), 0);
         EXPECT_EQ(temp.ParamType(), 0);
         EXPECT_EQ(temp.Count(), 1);
         EXPECT_EQ(temp.DimCount(), 1);
         EXPECT_EQ(temp.IndexOf("", true, false), -1);
       }},
      {"@KeyPush elements: keys, then the wheel flags",
       [](SystemVarsTest& t) {
         t.scene_state.key_down[27] = true;
         t.scene_state.wheel_down = true;
       },
       [](SystemVarsTest& t) {
         TCustomParam& keys = t.Var("@KeyPush");
         EXPECT_TRUE(keys.GetBoolAt(27));
         EXPECT_FALSE(keys.GetBoolAt(28));
         EXPECT_EQ(keys.GetBoolAt(256), t.Var("@WheelDown").GetAsBool());
         EXPECT_TRUE(keys.GetBoolAt(256));
         EXPECT_EQ(keys.GetBoolAt(257), t.Var("@WheelUp").GetAsBool());
         EXPECT_FALSE(keys.GetBoolAt(257));
         EXPECT_FALSE(keys.GetBoolAt(300));
         EXPECT_FALSE(keys.GetBoolAt(-1));
         EXPECT_FALSE(keys.GetAsBool());
         EXPECT_EQ(keys.GetIntAt(27), 1);
         EXPECT_EQ(keys.GetStrAt(27), "TRUE");
         EXPECT_EQ(keys.Count(), 258);
         EXPECT_EQ(keys.DimSize(0), 258);
         EXPECT_EQ(keys.DimSize(1), 1);
       }},
      {"@KeyClick and @KeyRepeat read their own flags",
       [](SystemVarsTest& t) {
         t.scene_state.key_click[65] = true;
         t.scene_state.key_push[66] = true;
         t.scene_state.wheel_up = true;
       },
       [](SystemVarsTest& t) {
         EXPECT_TRUE(t.Var("@KeyClick").GetBoolAt(65));
         EXPECT_FALSE(t.Var("@KeyClick").GetBoolAt(66));
         EXPECT_TRUE(t.Var("@KeyRepeat").GetBoolAt(66));
         EXPECT_FALSE(t.Var("@KeyRepeat").GetBoolAt(65));
         EXPECT_TRUE(t.Var("@KeyRepeat").GetBoolAt(257));
         EXPECT_EQ(t.Var("@KeyClick").Count(), 258);
       }},
      {"@ParamStr without arguments", nullptr,
       [](SystemVarsTest& t) {
         EXPECT_EQ(t.Var("@ParamStr").GetStrAt(0), "");
         EXPECT_EQ(t.Var("@ParamCount").GetAsInt(), 0);
         EXPECT_EQ(t.Var("@ParamStr").Count(), 0);
       }},
      {"@ParamStr elements are the call's arguments",
       [](SystemVarsTest& t) {
         t.call_man.Arguments().Add("first");
         t.call_man.Arguments().Add("12");
       },
       [](SystemVarsTest& t) {
         TCustomParam& args = t.Var("@ParamStr");
         EXPECT_EQ(args.GetStrAt(0), "first");
         EXPECT_EQ(args.GetIntAt(1), 12);
         EXPECT_EQ(args.GetStrAt(2), "");
         EXPECT_EQ(args.GetStrAt(-1), "");
         EXPECT_EQ(args.GetAsString(), "");
         EXPECT_EQ(args.Count(), 2);
         EXPECT_EQ(args.IndexOf("12", true, false), 1);
         args.SetStrAt(0, "changed");
         EXPECT_EQ(args.GetStrAt(0), "first");
         EXPECT_EQ(t.Var("@ParamCount").GetAsInt(), 2);
       }},
      {"input state of the active layer",
       [](SystemVarsTest& t) {
         t.scene_state.left_click = true;
         t.scene_state.right_held_free = true;
         t.scene_state.mouse_x = 12;
         t.scene_state.mouse_y = -3;
       },
       [](SystemVarsTest& t) {
         EXPECT_TRUE(t.Var("@LClick").GetAsBool());
         EXPECT_FALSE(t.Var("@RClick").GetAsBool());
         EXPECT_FALSE(t.Var("@LPush").GetAsBool());
         EXPECT_TRUE(t.Var("@RPush").GetAsBool());
         EXPECT_EQ(t.Var("@MouseX").GetAsInt(), 12);
         EXPECT_EQ(t.Var("@MouseY").GetAsString(), "-3");
       }},
      {"scalar variables ignore the index", [](SystemVarsTest& t) { t.scene_state.mouse_x = 44; },
       [](SystemVarsTest& t) {
         EXPECT_EQ(t.Var("@MouseX").GetIntAt(99), 44);
         EXPECT_EQ(t.Var("@Pi").GetIntAt(-5), 3);
         t.Var("@TextDelay").SetIntAt(7, 80);
         EXPECT_EQ(t.Var("@TextDelay").GetIntAt(3), 80);
       }},
      {"shape operations change nothing", nullptr,
       [](SystemVarsTest& t) {
         TCustomParam& delay = t.Var("@TextDelay");
         const std::int32_t extents[] = {3, 4};
         delay.SetDims(extents);
         delay.SetCount(9);
         delay.FillInt(1);
         delay.DropDims();
         TParamInt other;
         delay.CopyMem(other);
         EXPECT_EQ(delay.Count(), 1);
         EXPECT_EQ(delay.DimCount(), 1);
         EXPECT_EQ(delay.DimSize(0), 1);
         EXPECT_EQ(delay.GetAsInt(), kDefaultTextDelay);
       }},
      {"@Sender is empty outside an event", nullptr,
       [](SystemVarsTest& t) { EXPECT_EQ(t.Var("@Sender").GetAsString(), ""); }},
      {"@StackCount counts the frames",
       [](SystemVarsTest& t) {
         t.call_man.Stack().Push();
         t.call_man.Stack().Push();
       },
       [](SystemVarsTest& t) { EXPECT_EQ(t.Var("@StackCount").GetAsInt(), 2); }},
      {"no MIDI, no window", nullptr,
       [](SystemVarsTest& t) {
         SetMidiControl(nullptr);
         SetScreenControl(nullptr);
         EXPECT_EQ(t.Var("@MidiPort").GetAsString(), "");
         EXPECT_EQ(t.Var("@MidiPorts").Count(), 0);
         EXPECT_EQ(t.Var("@MidiPorts").GetAsString(), "");
         EXPECT_FALSE(t.Var("@FullScr").GetAsBool());
         EXPECT_EQ(t.Var("@DisplayModeCount").GetAsInt(), 0);
         EXPECT_EQ(t.Var("@DisplayModeIndex").GetAsInt(), -1);
         t.Var("@FullScr").SetAsBool(true);
         t.Var("@MouseX").SetAsInt(3);
         t.Var("@MidiPort").SetAsString("x");
         EXPECT_FALSE(t.Var("@FullScr").GetAsBool());
         EXPECT_EQ(t.midi.selected, "");
         SetMidiControl(&t.midi);
         SetScreenControl(&t.window.screen);
       }},
      {"MIDI devices",
       [](SystemVarsTest& t) {
         t.midi.devices = {"mapper", "synth"};
         t.midi.selected = "mapper";
       },
       [](SystemVarsTest& t) {
         EXPECT_EQ(t.Var("@MidiPorts").Count(), 2);
         EXPECT_EQ(t.Var("@MidiPorts").GetAsString(), "mapper");
         EXPECT_EQ(t.Var("@MidiPorts").GetStrAt(1), "synth");
         t.Var("@MidiPort").SetAsString("synth");
         EXPECT_EQ(t.midi.selected, "synth");
         EXPECT_EQ(t.Var("@MidiPort").GetAsString(), "synth");
       }},
  };
  return cases;
}

TEST_P(SystemVarCases, Holds) {
  const VariableCase& c = Cases()[static_cast<std::size_t>(GetParam())];
  SCOPED_TRACE(c.what);
  if (c.arrange) c.arrange(*this);
  c.check(*this);
}

INSTANTIATE_TEST_SUITE_P(Variables, SystemVarCases,
                         ::testing::Range(0, static_cast<int>(Cases().size())));

// --- conversions of the setters and getters ---

TEST_F(SystemVarsTest, SettersConvertToTheNativeTypeFirst) {
  TCustomParam& delay = Var("@TextDelay");
  delay.SetAsString("70");
  EXPECT_EQ(TextDelayValue(), 70);
  delay.SetAsString("abc");  // no number: ignored
  delay.SetAsString("1.5");  // no integer text either
  EXPECT_EQ(TextDelayValue(), 70);
  delay.SetAsFloat(-2.9L);
  EXPECT_EQ(TextDelayValue(), -2);
  delay.SetAsBool(true);
  EXPECT_EQ(TextDelayValue(), 1);

  TCustomParam& dither = Var("@CGDither");
  dither.SetAsString("1");
  EXPECT_EQ(scene_state.image_cache_mode, 1);
  dither.SetAsString("TRUE");  // through its integer value: not a number, so false
  EXPECT_EQ(scene_state.image_cache_mode, 0);
  dither.SetAsFloat(0.5L);
  EXPECT_EQ(scene_state.image_cache_mode, 1);
  dither.SetAsInt(0);
  EXPECT_EQ(scene_state.image_cache_mode, 0);

  TCustomParam& cursor = Var("@Cursor");
  cursor.SetAsFloat(1.5L);
  EXPECT_EQ(CursorText(), "1.5");
  cursor.SetAsBool(true);
  EXPECT_EQ(CursorText(), "TRUE");
  cursor.SetAsInt(-4);
  EXPECT_EQ(cursor.GetAsString(), "-4");
}

TEST_F(SystemVarsTest, AStringVariableReadAsFloatTakesTheIntegerValueOfItsText) {
  TCustomParam& cursor = Var("@Cursor");
  cursor.SetAsString("12");
  EXPECT_EQ(cursor.GetAsFloat(), 12);
  cursor.SetAsString("1.5");
  EXPECT_EQ(cursor.GetAsFloat(), 0);
  EXPECT_EQ(cursor.GetAsInt(), 0);
  cursor.SetAsString("TRUE");
  EXPECT_TRUE(cursor.GetAsBool());
}

TEST_F(SystemVarsTest, StoredValuesAreKeptAndResetWithTheGame) {
  Var("@TextDelay").SetAsInt(20);
  Var("@Cursor").SetAsString("arrow");
  Var("@SelStr").SetAsString("chosen");
  Var("@SelIndex").SetAsInt(4);
  EXPECT_EQ(params.SelectedText(), "chosen");
  EXPECT_EQ(params.SelectedIndex(), 4);
  EXPECT_EQ(Var("@SelStr").GetAsString(), "chosen");
  EXPECT_EQ(Var("@Cursor").GetAsString(), "arrow");
  params.ResetGame();
  EXPECT_EQ(Var("@TextDelay").GetAsInt(), kDefaultTextDelay);
  EXPECT_EQ(Var("@Cursor").GetAsString(), "");
}

TEST_F(SystemVarsTest, ANumberOutsideTheTableIsAnInternalError) {
  for (const int number : {-1, 50, 255}) {
    try {
      TParamSystem bad(number);
      ADD_FAILURE() << number;
    } catch (const EScriptError& e) {
      EXPECT_EQ(std::string(e.what()), texts::kInternalError);
    }
  }
}

// --- "@Result" ---

TEST_F(SystemVarsTest, ResultWritesTheReturnValueOfTheInnermostFrame) {
  TStack& frame = EnterCall(PT_FLOAT, true);
  TCustomParam& result = Var("@Result");
  EXPECT_EQ(result.ParamType(), PT_FLOAT);
  result.SetAsString("2.5");
  EXPECT_EQ(frame.return_value->GetAsFloat(), 2.5L);
  EXPECT_EQ(result.GetAsInt(), 2);
  const std::int32_t extents[] = {3};
  result.SetDims(extents);
  EXPECT_EQ(frame.return_value->Count(), 3);
  EXPECT_EQ(result.Count(), 3);
  result.SetFloatAt(2, 4);
  EXPECT_EQ(frame.return_value->GetFloatAt(2), 4);

  // A frame pushed above without a return value (an event handler's) hides it.
  call_man.Stack().Push();
  result.SetAsInt(9);
  EXPECT_EQ(result.GetAsInt(), 0);
  EXPECT_EQ(result.Count(), 1);
  EXPECT_EQ(result.ParamType(), PT_FLOAT);  // still the current page's type
  call_man.Stack().Pop();
  EXPECT_EQ(result.GetFloatAt(2), 4);
}

TEST_F(SystemVarsTest, ResultTypeIsThePagesResultTypeByte) {
  EnterCall(PT_STR, true);
  EXPECT_EQ(Var("@Result").ParamType(), PT_STR);
  Var("@Result").SetAsInt(5);
  EXPECT_EQ(Var("@Result").GetAsString(), "5");
}

// --- "@Temp" ---

TEST_F(SystemVarsTest, TempForwardsToTheNamedVariableLookedUpEachTime) {
  TParamCollectionItem& x = params.AddParam(PT_STR);
  x.SetName("x");
  params.SetTempName("X");
  TCustomParam& temp = Var("@Temp");
  EXPECT_EQ(temp.ParamType(), PT_STR);
  temp.SetAsString("hello");
  EXPECT_EQ(x.GetAsString(), "hello");
  const std::int32_t extents[] = {2, 2};
  temp.SetDims(extents);
  EXPECT_EQ(x.Count(), 4);
  EXPECT_EQ(temp.DimCount(), 2);
  temp.FillStr("f");
  EXPECT_EQ(x.GetStrAt(3), "f");

  // Freed: the next read finds nothing rather than the freed value.
  params.FreeItem(x);
  EXPECT_EQ(temp.GetAsString(), "");
  EXPECT_EQ(temp.ParamType(), 0);
  // A new variable of the name is found anew.
  TParamCollectionItem& again = params.AddParam(PT_INT);
  again.SetName("x");
  again.SetAsInt(8);
  EXPECT_EQ(temp.GetAsInt(), 8);
}

TEST_F(SystemVarsTest, TempBoundToItselfActsAsNoVariable) {
  params.SetTempName("@Temp");
  TCustomParam& temp = Var("@Temp");
  EXPECT_EQ(temp.GetAsInt(), 0);
  temp.SetAsInt(1);
  EXPECT_EQ(temp.ParamType(), 0);
  EXPECT_EQ(temp.Count(), 1);

  // A reference that leads back to "@Temp".
  TParamCollectionItem& ref = params.AddParam(PT_NONE);
  ref.SetName("r");
  ref.Value().AsReference()->SetName("@Temp");
  ref.Value().AsReference()->Resolve();
  params.SetTempName("r");
  EXPECT_EQ(temp.GetAsString(), "");
  temp.SetAsString("x");
  EXPECT_EQ(temp.Count(), 1);
  EXPECT_EQ(ref.GetAsString(), "");
}

// --- writes with effects ---

TEST_F(SystemVarsTest, ClickLatchesAndPointerMoves) {
  Var("@LClick").SetAsBool(true);
  Var("@RClick").SetAsInt(1);
  EXPECT_TRUE(scene_state.left_click);
  EXPECT_TRUE(scene_state.right_click);
  Var("@LClick").SetAsString("0");
  EXPECT_FALSE(scene_state.left_click);

  Var("@MouseX").SetAsInt(10);
  EXPECT_EQ(window.screen.cursor_x, 10);
  EXPECT_EQ(window.screen.warp_calls, 1);
  Var("@MouseY").SetAsFloat(20.7L);
  EXPECT_EQ(window.screen.cursor_y, 20);
  Var("@MouseY").SetAsString("nope");
  EXPECT_EQ(window.screen.warp_calls, 2);
  Var("@LPush").SetAsBool(true);
  Var("@WheelUp").SetAsBool(true);
  EXPECT_FALSE(scene_state.wheel_up);
}

TEST_F(SystemVarsTest, FullScreenSwitchesOnlyOnAChange) {
  window.screen.modes.resize(3);
  window.screen.chosen_mode = 1;
  Var("@FullScr").SetAsBool(false);
  EXPECT_EQ(window.screen.full_screen_calls, 0);
  Var("@FullScr").SetAsBool(true);
  EXPECT_EQ(window.screen.full_screen_calls, 1);
  EXPECT_TRUE(Var("@FullScr").GetAsBool());
  Var("@FullScr").SetAsString("TRUE");  // integer value 0: back to the window
  EXPECT_EQ(window.screen.full_screen_calls, 2);
  EXPECT_FALSE(window.screen.full_screen);
  EXPECT_EQ(Var("@DisplayModeCount").GetAsInt(), 3);
}

TEST_F(SystemVarsTest, DisplayModeIndexReappliesOnlyInFullScreenForANewMode) {
  window.screen.modes.resize(3);
  window.screen.chosen_mode = 0;
  Var("@DisplayModeIndex").SetAsInt(2);  // windowed: stored only
  EXPECT_EQ(window.screen.chosen_mode, 2);
  EXPECT_EQ(window.screen.reapply_calls, 0);
  Var("@FullScr").SetAsBool(true);
  EXPECT_EQ(window.screen.current_mode, 2);
  Var("@DisplayModeIndex").SetAsInt(2);  // the current one
  EXPECT_EQ(window.screen.reapply_calls, 0);
  Var("@DisplayModeIndex").SetAsInt(-1);
  EXPECT_EQ(window.screen.reapply_calls, 0);
  EXPECT_EQ(Var("@DisplayModeIndex").GetAsInt(), -1);
  Var("@DisplayModeIndex").SetAsInt(1);
  EXPECT_EQ(window.screen.reapply_calls, 1);
  EXPECT_EQ(window.screen.current_mode, 1);
}

TEST_F(SystemVarsTest, SoundSwitchCacheModeAndBacklogSize) {
  Var("@SoundON").SetAsBool(false);
  Var("@CGDither").SetAsBool(true);
  EXPECT_EQ(scene_state.calls, (std::vector<std::string>{"sound off", "cache 1"}));
  EXPECT_FALSE(Var("@SoundON").GetAsBool());
  EXPECT_TRUE(Var("@CGDither").GetAsBool());

  // No backlog yet: its size reads 0 and a new maximum goes nowhere.
  Var("@HistoryMaxCount").SetAsInt(300);
  EXPECT_EQ(Var("@HistoryMaxCount").GetAsInt(), 0);
  EXPECT_EQ(Var("@HistoryCount").GetAsInt(), 0);
  {
    testing::TRecordingBacklog backlog;
    backlog.size = 9;
    EXPECT_EQ(Var("@HistoryCount").GetAsInt(), 9);
    Var("@HistoryCount").SetAsInt(1);  // read only
    EXPECT_EQ(backlog.size, 9);
    Var("@HistoryMaxCount").SetAsInt(300);
    EXPECT_EQ(Var("@HistoryMaxCount").GetAsInt(), 300);
    EXPECT_EQ(backlog.log, (std::vector<std::string>{"max 300"}));
  }
}

TEST_F(SystemVarsTest, ActiveCompoMovesTheFocusOnlyToAControlPassingTheThreeTests) {
  auto& button = scene.Add("button");
  scene.AddComponent("sound");
  TCustomParam& active = Var("@ActiveCompo");
  EXPECT_EQ(active.GetAsString(), "");

  active.SetAsString("");  // never the layer
  active.SetAsString("missing");
  active.SetAsString("sound");  // no control
  EXPECT_EQ(scene.find_control_calls, (std::vector<std::string>{"missing", "sound"}));
  EXPECT_TRUE(scene_state.calls.empty());

  scene_state.focus_flag = false;
  active.SetAsString("button");
  EXPECT_EQ(scene_state.calls, (std::vector<std::string>{"refused? button", "shown? button", "flag? button"}));
  scene_state.calls.clear();
  scene_state.focus_flag = true;
  scene_state.refused = true;
  active.SetAsString("button");
  EXPECT_EQ(scene_state.calls, (std::vector<std::string>{"refused? button"}));
  scene_state.calls.clear();
  scene_state.refused = false;
  scene_state.shown = false;
  active.SetAsString("button");
  EXPECT_EQ(scene_state.calls, (std::vector<std::string>{"refused? button", "shown? button"}));
  scene_state.calls.clear();
  scene_state.shown = true;
  active.SetAsString("button");
  EXPECT_EQ(scene_state.calls.back(), "focus button");
  EXPECT_EQ(scene_state.focused, &button);
  EXPECT_EQ(active.GetAsString(), "button");
}

// --- fonts ---

TEST_F(SystemVarsTest, FontsAreSortedJapaneseFacesOnePerLine) {
  platform::FixedFontCatalog catalog({
      {"Zeta Mono", true, true, "", 0, ""},
      {"alpha", true, false, "", 0, ""},
      {"Latin Only", false, false, "", 0, ""},
      {"@Vertical", true, false, "", 0, ""},
      {"Beta", true, true, "", 0, ""},
  });
  platform::SetActiveFontCatalog(&catalog);
  EXPECT_EQ(Var("@Fonts").GetAsString(), "alpha\r\nBeta\r\nZeta Mono");
  EXPECT_EQ(Var("@FixedFonts").GetAsString(), "Beta\r\nZeta Mono");
  platform::FixedFontCatalog none(std::vector<platform::FontFace>{});
  platform::SetActiveFontCatalog(&none);
  EXPECT_EQ(Var("@Fonts").GetAsString(), "");
  platform::SetActiveFontCatalog(nullptr);
}

}  // namespace
}  // namespace vorn

// The scene's input step on memory surfaces: the callbacks' facts go in, the queue is compared
// after each step (target name, code, arguments).

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "engine/engine_values.h"
#include "foundation/vocabulary_codes.h"

namespace vorn {
namespace {

// A control with every mouse and key label set to its own name, a settable pause and a
// right-click cancel that can be armed.
class TInputProbe : public TVornControl {
 public:
  using TVornControl::TVornControl;
  bool GetPaused() const override { return paused; }
  bool GetRClickScrap() const override { return rclick_scrap; }
  bool RightClickCancel() override {
    ++cancel_calls;
    return cancels;
  }
  bool paused = false;
  bool rclick_scrap = false;
  bool cancels = false;
  int cancel_calls = 0;
};

class InputDispatch : public ::testing::Test {
 protected:
  InputDispatch() {
    scene.SetWidth(200);
    scene.SetHeight(200);
    FrameDelta = 10;
  }
  ~InputDispatch() override { FrameDelta = 0; }

  TInputProbe* Add(const std::string& name, TRect bounds, TVornControl* parent = nullptr) {
    auto* probe = CreateObject<TInputProbe>(scene);
    probe->SetName(name);
    probe->SetParent(parent != nullptr ? parent : scene.ActiveLayer());
    probe->SetBounds(bounds.left, bounds.top, bounds.right, bounds.bottom);
    for (auto setter : {&TVornControl::SetOnLBtnDown, &TVornControl::SetOnLBtnUp, &TVornControl::SetOnRBtnDown,
                        &TVornControl::SetOnRBtnUp, &TVornControl::SetOnMouseMove, &TVornControl::SetOnMouseIn,
                        &TVornControl::SetOnMouseOut, &TVornControl::SetOnWheelDown, &TVornControl::SetOnWheelUp,
                        &TVornControl::SetOnKeyDown, &TVornControl::SetOnKeyUp, &TVornControl::SetOnKeyRepeat,
                        &TVornControl::SetOnFocusIn, &TVornControl::SetOnFocusOut}) {
      (probe->*setter)("p:" + name);
    }
    return probe;
  }
  TLayerMouse& Mouse() { return scene.ActiveLayer()->Mouse(); }
  // What the window's callbacks write.
  void Move(int x, int y) {
    scene.GetBase(0)->SetMousePos(x, y);
    scene.GetBase(1)->SetMousePos(x, y);
  }
  void Press(bool left) {
    for (int i = 0; i < 2; ++i) {
      scene.GetBase(i)->Mouse().left_held = left ? 1 : 0;
      scene.GetBase(i)->Mouse().right_held = left ? 0 : 1;
    }
    Mouse().left_press_request = left ? 1 : 0;
    Mouse().right_press_request = left ? 0 : 1;
  }
  void Release() {
    for (int i = 0; i < 2; ++i) scene.GetBase(i)->Mouse().left_held = scene.GetBase(i)->Mouse().right_held = 0;
  }
  // One input step; answers the queue as "name code [args]" and clears it.
  std::vector<std::string> Step() {
    scene.ProcessInput();
    std::vector<std::string> posted;
    for (int i = 0; i < scene.Events().Count(); ++i) {
      const TTimerData& event = *scene.Events().Item(i);
      std::string line = event.GetLabel().substr(2) + " " + std::to_string(event.GetCode());
      for (int a = 0; a < event.GetArguments().Count(); ++a) line += " " + event.GetArguments().Get(a);
      posted.push_back(line);
    }
    scene.Events().Clear();
    return posted;
  }

  TVornBaseList scene;
};

TEST_F(InputDispatch, KeyTimelineAtTenMillisecondFrames) {
  TInputProbe* edit = Add("edit", {0, 0, 10, 10});
  edit->SetHandleKey(true);
  Step();  // the focus choice
  ASSERT_EQ(scene.GetFocusedControl(), edit);
  scene.SetKeyDown(65, true);
  scene.SetKeyClick(65, true);
  std::vector<int> clicked;
  std::vector<int> pushed;
  std::vector<int> repeats;
  for (int step = 1; step <= 43; ++step) {
    const std::vector<std::string> posted = Step();
    if (step == 1) {
      EXPECT_EQ(posted, (std::vector<std::string>{"edit 144", "edit 146"}));
    }
    if (scene.GetKeyClick(65)) clicked.push_back(step);
    if (scene.GetKeyPush(65)) pushed.push_back(step);
    for (const std::string& line : posted) {
      if (line == "edit 146") repeats.push_back(step);
    }
  }
  EXPECT_EQ(clicked, (std::vector<int>{1}));
  EXPECT_EQ(pushed, (std::vector<int>{1, 31, 36, 41}));
  EXPECT_EQ(repeats, (std::vector<int>{1, 31, 36, 41}));
  scene.SetKeyDown(65, false);
  EXPECT_EQ(Step(), (std::vector<std::string>{"edit 145"}));
  EXPECT_FALSE(scene.GetKeyPush(65));

  // Without a step between, a second key-down event is not queued while the first waits.
  scene.SetKeyDown(66, true);
  scene.ProcessInput();
  scene.SetKeyDown(66, false);
  scene.SetKeyDown(66, true);
  scene.ProcessInput();
  int downs = 0;
  for (int i = 0; i < scene.Events().Count(); ++i) downs += scene.Events().Item(i)->GetCode() == PR_ONKEYDOWN;
  EXPECT_EQ(downs, 1);

  for (const int code : {-1, 256, 1 << 20}) {
    scene.SetKeyDown(code, true);
    scene.SetKeyClick(code, true);
    EXPECT_FALSE(scene.GetKeyDown(code));
    EXPECT_FALSE(scene.GetKeyClick(code));
    EXPECT_FALSE(scene.GetKeyPush(code));
  }
}

TEST_F(InputDispatch, HitTestMasksAndVisibility) {
  TInputProbe* parent = Add("parent", {10, 10, 50, 50});
  TInputProbe* child = Add("child", {40, 40, 30, 30}, parent);  // reaches beyond its parent
  TVornBase& layer = *scene.ActiveLayer();
  EXPECT_EQ(layer.HitTest({20, 20}, kHoverMask), parent);
  EXPECT_EQ(layer.HitTest({55, 55}, kHoverMask), child);
  EXPECT_EQ(layer.HitTest({75, 75}, kHoverMask), &layer);  // outside the parent: never asked
  child->SetIgnoreMouse(2);
  EXPECT_EQ(layer.HitTest({55, 55}, kLeftPressMask), parent);
  EXPECT_EQ(layer.HitTest({55, 55}, kHoverMask), child);
  for (const std::uint8_t mode : {5, 7, 8, 31, 32, 200, 255}) {
    child->SetIgnoreMouse(mode);
    EXPECT_EQ(layer.HitTest({55, 55}, kHoverMask), parent) << int{mode};
  }
  parent->SetVisible(false);
  EXPECT_EQ(layer.HitTest({55, 55}, kHoverMask), &layer);
  layer.SetVisible(false);
  EXPECT_EQ(layer.HitTest({55, 55}, kHoverMask), nullptr);
}

// Which control hears a left press, a right press and a move when a control in mode m lies over
// one in mode 0.
TEST_F(InputDispatch, OverlappingControlsByMode) {
  struct Case {
    std::uint8_t mode;
    const char* left;
    const char* right;
    const char* move;
  };
  const Case cases[] = {
      {0, "top", "top", "top"},       {1, "bottom", "bottom", "bottom"}, {2, "bottom", "bottom", "top"},
      {3, "bottom", "top", "top"},    {4, "top", "bottom", "top"},       {7, "bottom", "bottom", "bottom"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int{c.mode});
    struct Action {
      const char* expected;
      int code;
      std::function<void()> act;
    };
    const Action actions[] = {{c.left, PR_ONLBTNDOWN, [this] { Press(true); }},
                              {c.right, PR_ONRBTNDOWN, [this] { Press(false); }},
                              {c.move, PR_ONMOUSEMOVE, [this] { Move(21, 21); }}};
    for (const Action& action : actions) {
      scene.ResetScene();
      Add("bottom", {0, 0, 50, 50});
      Add("top", {10, 10, 20, 20})->SetIgnoreMouse(c.mode);
      Move(20, 20);
      Step();
      action.act();
      bool found = false;
      for (const std::string& line : Step()) {
        if (line.rfind(std::string(action.expected) + " " + std::to_string(action.code), 0) == 0) found = true;
        const std::string other = std::string(action.expected) == "top" ? "bottom" : "top";
        EXPECT_NE(line.rfind(other + " " + std::to_string(action.code), 0), 0u) << line;
      }
      EXPECT_TRUE(found) << action.expected << " " << action.code;
      Release();
    }
  }
}

TEST_F(InputDispatch, CaptureKeepsTheHoverUntilTheStepAfterTheRelease) {
  Add("a", {0, 0, 50, 50});
  Add("b", {100, 100, 50, 50});
  Move(10, 20);
  EXPECT_EQ(Step(), (std::vector<std::string>{"a 103", "a 34 10 20"}));
  Press(true);
  EXPECT_EQ(Step(), (std::vector<std::string>{"a 36 10 20"}));
  EXPECT_EQ(Mouse().left_pressed, 0);  // taken by the control
  Move(120, 110);
  EXPECT_EQ(Step(), (std::vector<std::string>{"a 34 120 110"}));
  EXPECT_FALSE(scene.ActiveLayer()->IsLeftHeldFree());
  Release();
  EXPECT_EQ(Step(), (std::vector<std::string>{"a 37 120 110"}));
  EXPECT_EQ(Step(), (std::vector<std::string>{"a 35", "b 103", "b 34 20 10"}));
}

TEST_F(InputDispatch, APausedControlNeitherPostsNorCaptures) {
  Add("a", {0, 0, 50, 50})->paused = true;
  Move(5, 5);
  Step();
  Press(true);
  EXPECT_EQ(Step(), std::vector<std::string>{});
  EXPECT_EQ(Mouse().capture, 0);
  EXPECT_EQ(Mouse().left_pressed, 0);
  Release();
  EXPECT_EQ(Step(), std::vector<std::string>{});
}

TEST_F(InputDispatch, APressOnTheBareLayerStaysLatchedForTheStep) {
  Move(150, 150);
  Press(true);
  EXPECT_EQ(Step(), std::vector<std::string>{});
  EXPECT_EQ(Mouse().left_pressed, 1);
  EXPECT_EQ(scene.ActiveLayer()->GetHoverObject(), scene.ActiveLayer());
  EXPECT_TRUE(scene.ActiveLayer()->IsLeftHeldFree());
  Release();
  Step();
  EXPECT_EQ(Mouse().left_pressed, 0);
}

TEST_F(InputDispatch, AnOpenMenuTakesTheRightPressFirst) {
  for (const bool cancels : {true, false}) {
    SCOPED_TRACE(cancels);
    scene.ResetScene();
    Add("target", {0, 0, 50, 50});
    TInputProbe* menu = Add("menu", {150, 150, 10, 10});
    menu->rclick_scrap = true;
    menu->cancels = cancels;
    scene.Menus().AddUnique(menu);
    Move(5, 5);
    Step();
    Press(false);
    const std::vector<std::string> posted = Step();
    EXPECT_EQ(menu->cancel_calls, 1);
    if (cancels) {
      EXPECT_EQ(posted, std::vector<std::string>{});
      EXPECT_EQ(Mouse().right_pressed, 0);
    } else {
      EXPECT_EQ(posted, (std::vector<std::string>{"target 38 5 5"}));
    }
    scene.Menus().Remove(menu);
    Release();
  }
}

// The right press arriving while the left is captured ends that capture: the window clears left
// held, so the step posts the left release; the right press was still offered to the menus.
TEST_F(InputDispatch, ARightPressDuringALeftCapture) {
  Add("a", {0, 0, 50, 50});
  TInputProbe* menu = Add("menu", {150, 150, 10, 10});
  menu->rclick_scrap = true;
  scene.Menus().AddUnique(menu);
  Move(5, 5);
  Step();
  Press(true);
  Step();
  Press(false);
  EXPECT_EQ(Step(), (std::vector<std::string>{"a 37 5 5"}));
  EXPECT_EQ(menu->cancel_calls, 1);
  EXPECT_EQ(Mouse().right_pressed, 1);  // "@RClick" still sees it
}

TEST_F(InputDispatch, ALeftPressFocusesAControlThatHandlesKeys) {
  TInputProbe* first = Add("first", {0, 0, 50, 50});
  TInputProbe* second = Add("second", {100, 0, 50, 50});
  first->SetHandleKey(true);
  second->SetHandleKey(true);
  scene.SetFocusedControl(first);
  scene.ClearFocusChoiceRequest();
  scene.Events().Clear();
  Move(110, 10);
  Step();
  Press(true);
  EXPECT_EQ(Step(), (std::vector<std::string>{"second 36 10 10", "first 149", "second 148"}));
  EXPECT_EQ(scene.GetFocusedControl(), second);
}

TEST_F(InputDispatch, TheHoverObjectDeletedWhileCapturing) {
  TInputProbe* a = Add("a", {0, 0, 50, 50});
  Move(5, 5);
  Step();
  Press(true);
  Step();
  a->DeleteObject();
  Release();
  EXPECT_EQ(Step(), std::vector<std::string>{});
  EXPECT_EQ(Mouse().capture, 0);
  EXPECT_EQ(scene.ActiveLayer()->GetHoverObject(), scene.ActiveLayer());
}

TEST_F(InputDispatch, WheelGoesToTheControlUnderTheMouse) {
  Add("a", {0, 0, 50, 50});
  Move(5, 5);
  Step();
  Mouse().wheel_down_request = 1;
  EXPECT_EQ(Step(), (std::vector<std::string>{"a 40"}));
  EXPECT_EQ(Mouse().wheel_down, 1);
  Mouse().wheel_up_request = 1;
  EXPECT_EQ(Step(), (std::vector<std::string>{"a 41"}));
  EXPECT_EQ(Mouse().wheel_down, 0);
}

TEST_F(InputDispatch, PositionsNearTheIntegerLimitsWrapInTheArguments) {
  TInputProbe* a = Add("a", {-5, 0, 100, 50});
  Move(10, 5);
  EXPECT_EQ(Step(), (std::vector<std::string>{"a 103", "a 34 15 5"}));
  Press(true);
  EXPECT_EQ(Step(), (std::vector<std::string>{"a 36 15 5"}));
  // Captured, the control moves to the far left: the difference is taken in 64 bits and narrowed.
  a->SetLeft(INT32_MIN);
  Move(100, 5);
  EXPECT_EQ(Step(), (std::vector<std::string>{"a 34 -2147483548 5"}));
  Release();
  Step();
  Move(INT32_MAX, INT32_MIN);
  EXPECT_EQ(Step(), (std::vector<std::string>{"a 35"}));
  EXPECT_EQ(scene.ActiveLayer()->GetHoverObject(), nullptr);
}

TEST(InputDispatchChain, TenThousandNestedControlsAreHitWithoutRecursion) {
  TVornBaseList scene;
  scene.SetWidth(100);
  scene.SetHeight(100);
  std::vector<TVornControl*> chain;
  for (int i = 0; i < 10000; ++i) {
    auto* control = CreateObject<TVornControl>(scene);
    control->SetBounds(0, 0, 50, 50);
    control->SetHandleKey(i == 9999);
    chain.push_back(control);
  }
  for (std::size_t i = chain.size() - 1; i > 0; --i) chain[i]->SetParent(chain[i - 1]);
  chain.front()->SetParent(scene.ActiveLayer());
  EXPECT_EQ(scene.ActiveLayer()->HitTest({10, 10}, kHoverMask), chain.back());
  scene.ProcessInput();
  EXPECT_EQ(scene.GetFocusedControl(), chain.back());
  scene.Tick();
}

}  // namespace
}  // namespace vorn

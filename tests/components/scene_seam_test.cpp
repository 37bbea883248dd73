#include <gtest/gtest.h>

#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "engine/script_scene.h"

namespace vorn {
namespace {

// PARENT written by name, as the bridge does it over the engine's view of the scene.
void WriteParentByName(TScriptScene& scene, TScriptObject& object, const std::string& name) {
  if (object.IsLayer()) return;
  if (TScriptObject* parent = scene.FindControl(name)) object.SetParentObject(parent);
}

TEST(SceneSeam, ParentByNameGoesThroughFindControl) {
  TVornBaseList scene;
  TScriptScene& engine_view = scene;
  auto* box = CreateObject<TVornControl>(scene);
  auto* frame = CreateObject<TVornControl>(scene);
  auto* timer_like = CreateObject<TVornComponent>(scene);
  frame->SetName("frame");
  timer_like->SetName("timer");

  WriteParentByName(engine_view, *box, "");
  EXPECT_EQ(box->GetParent(), scene.ActiveLayer());
  WriteParentByName(engine_view, *box, "frame");
  EXPECT_EQ(box->GetParentObject(), frame);
  EXPECT_EQ(box->GetParentObject()->GetName(), "frame");
  WriteParentByName(engine_view, *box, "nobody");
  EXPECT_EQ(box->GetParent(), frame);
  WriteParentByName(engine_view, *box, "timer");
  EXPECT_EQ(box->GetParent(), frame);
  // A non-control handed over directly is refused as well.
  box->SetParentObject(timer_like);
  EXPECT_EQ(box->GetParent(), frame);
  // A layer ignores PARENT.
  WriteParentByName(engine_view, *scene.GetBase(1), "frame");
  EXPECT_EQ(scene.GetBase(1)->GetParent(), nullptr);
  // A box named after itself cannot become its own parent.
  box->SetName("box");
  WriteParentByName(engine_view, *box, "box");
  EXPECT_EQ(box->GetParent(), frame);
}

TEST(SceneSeam, InterpreterTakesRunsAndRemovesEventsThroughTheQueueInterface) {
  TVornBaseList scene;
  TScriptScene& engine_view = scene;
  auto* button = CreateObject<TVornControl>(scene);
  button->SetName("btn");
  scene.Events().PostEvent(button, "main.vsb:click", nullptr, 36);
  scene.Events().PostEvent(button, "main.vsb:move", nullptr, 34);

  TScriptEventQueue& queue = engine_view.GetEventQueue();
  TScriptEvent* event = queue.NextEvent();
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(event->GetLabel(), "main.vsb:click");
  event->SetDone(1);
  TScriptObject* sender = event->GetSender().Get();
  ASSERT_EQ(sender, button);
  EXPECT_EQ(engine_view.IndexOfObject(sender), 0);
  EXPECT_EQ(engine_view.FindComponent("btn"), button);
  EXPECT_EQ(queue.NextEvent()->GetLabel(), "main.vsb:move");
  queue.RemoveByFlag(1);
  EXPECT_EQ(scene.Events().Count(), 1);
  queue.Clear();
  EXPECT_EQ(queue.NextEvent(), nullptr);
}

TEST(SceneSeam, ASceneCanBeHandedToTheEngine) {
  TVornBaseList scene;
  SetScriptScene(&scene);
  EXPECT_EQ(GetScriptScene()->FindComponent(""), scene.ActiveLayer());
  SetScriptScene(nullptr);
}

}  // namespace
}  // namespace vorn

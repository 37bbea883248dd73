#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "components/box.h"
#include "components/component_factory.h"
#include "components/vorn_base_list.h"
#include "components/vorn_control.h"

namespace vorn {
namespace {

// Stands for a kind whose class lives above the components (the cinema).
class TSlotControl : public TVornControl {
 public:
  using TVornControl::TVornControl;
  std::uint8_t GetCompoType() const override { return LT_CINEMA; }
};

TVornObject* CreateSlotControl(TVornBaseList& owner) { return CreateObject<TSlotControl>(owner); }

// Fills a slot for the life of a test and puts back what it held.
class FilledSlot {
 public:
  FilledSlot(TComponentKind kind, TComponentCreator creator)
      : kind_(kind), previous_(SetComponentCreator(kind, creator)) {}
  ~FilledSlot() { SetComponentCreator(kind_, previous_); }
  FilledSlot(const FilledSlot&) = delete;
  FilledSlot& operator=(const FilledSlot&) = delete;

 private:
  TComponentKind kind_;
  TComponentCreator previous_;
};

TEST(ComponentFactory, EveryKindByteCreatesItsRowsClassOrNothing) {
  TVornBaseList scene;
  FilledSlot cinema(LT_CINEMA, &CreateSlotControl);
  int made_count = 0;
  for (int kind = 0; kind < 256; ++kind) {
    const int code = kind & 0x7F;
    const int before = scene.GetObjectCount();
    TVornObject* made = CreateComponentByType(scene, static_cast<std::uint8_t>(kind));
    if (code != LT_CINEMA && code != LT_CABINET && code != LT_HTTP && code != LT_BOX && code != LT_TIMER &&
        code != LT_BUTTON && code != LT_IMAGES && code != LT_SLIDER && code != LT_SCROLLBAR && code != LT_GAUGE &&
        code != LT_MENU && code != LT_MAPIMG && code != LT_CGLABEL && code != LT_PROPMOTION) {
      EXPECT_EQ(made, nullptr) << kind;
      EXPECT_EQ(scene.GetObjectCount(), before) << kind;
      continue;
    }
    ASSERT_NE(made, nullptr) << kind;
    ++made_count;
    EXPECT_EQ(made->GetCompoType(), code) << kind;
    EXPECT_EQ(scene.GetObject(before), made) << kind;
    EXPECT_EQ(made->GetName(), "object" + std::to_string(before)) << kind;
    EXPECT_EQ(made->GetParent(), nullptr) << kind;
    EXPECT_EQ(made->GetOwner(), &scene) << kind;
  }
  EXPECT_EQ(made_count, 28);  // 2, 3, 4, 7, 8, 12, 15, 18, 21, 22, 23, 24, 26, 27 and each + 128
}

TEST(ComponentFactory, AnEmptySlotCreatesNothing) {
  TVornBaseList scene;
  EXPECT_EQ(CreateComponentByType(scene, LT_PREVMENU), nullptr);
  {
    FilledSlot cinema(LT_CINEMA, &CreateSlotControl);
    EXPECT_NE(CreateComponentByType(scene, LT_CINEMA), nullptr);
  }
  EXPECT_EQ(CreateComponentByType(scene, LT_CINEMA), nullptr);
  EXPECT_EQ(scene.GetObjectCount(), 1);
}

TEST(ComponentFactory, OnlyTheFilmKindsHaveSlots) {
  for (int kind = 0; kind < kComponentKindRows; ++kind) {
    const auto code = static_cast<TComponentKind>(kind);
    const bool slot = kind == LT_CINEMA || kind == LT_PREVMENU;
    EXPECT_EQ(IsComponentCreatorSlot(code), slot) << kind;
    if (!slot) {
      EXPECT_THROW(SetComponentCreator(code, &CreateSlotControl), std::logic_error) << kind;
    }
  }
  // A refused registration changes nothing: the box row still makes a box.
  TVornBaseList scene;
  EXPECT_NE(dynamic_cast<TVornBox*>(CreateComponentByType(scene, LT_BOX)), nullptr);
}

}  // namespace
}  // namespace vorn

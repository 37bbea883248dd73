#include <gtest/gtest.h>

#include "components/component_factory.h"
#include "components/vorn_base_list.h"
#include "motion/motion_components.h"

namespace vorn {
namespace {

// The registration touches only the factory's slot rows (any other row refuses it) and leaves the
// kinds whose classes are not built creating nothing.
TEST(MotionComponents, RegistrationFillsOnlySlotRows) {
  ASSERT_NO_THROW(RegisterMotionComponents());
  TVornBaseList scene;
  EXPECT_EQ(CreateComponentByType(scene, LT_CINEMA), nullptr);
  EXPECT_EQ(CreateComponentByType(scene, LT_PREVMENU), nullptr);
  EXPECT_NE(CreateComponentByType(scene, LT_CABINET), nullptr);
}

}  // namespace
}  // namespace vorn

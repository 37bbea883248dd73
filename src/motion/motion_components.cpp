#include "motion/motion_components.h"

#include "components/component_factory.h"

namespace vorn {

void RegisterMotionComponents() {
  // Neither class is built yet: their slots stay empty, so scripts that create them get nothing,
  // as for any kind without a class. Each fills its slot here as it lands.
  SetComponentCreator(LT_CINEMA, nullptr);
  SetComponentCreator(LT_PREVMENU, nullptr);
}

}  // namespace vorn

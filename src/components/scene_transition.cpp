#include "components/scene_transition.h"

namespace vorn {

// Screen transitions are not built yet: no kind makes one, so a switch behaves as kind 0.
class TCustomWipe {};

TSceneTransition::TSceneTransition(std::unique_ptr<TCustomWipe> wipe) : wipe_(std::move(wipe)) {}
TSceneTransition::~TSceneTransition() = default;
void TSceneTransition::SetParam(int, std::int32_t) {}
void TSceneTransition::SetText(const std::string&) {}
void TSceneTransition::Start() {}
std::int32_t TSceneTransition::GetTotal() const { return 0; }
void TSceneTransition::SetCurrent(std::int32_t) {}
TRect TSceneTransition::DrawnRect() const { return {}; }
void TSceneTransition::Draw() {}

std::unique_ptr<TSceneTransition> MakeSceneTransition(int, TCustomDIBX&, TCustomDIBX&, TCustomDIBX&, std::int32_t,
                                                      std::uint8_t) {
  return nullptr;
}

}  // namespace vorn

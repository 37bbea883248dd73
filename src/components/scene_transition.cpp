#include "components/scene_transition.h"

#include "transitions/create_wipe.h"

namespace vorn {

TSceneTransition::TSceneTransition(std::unique_ptr<TCustomWipe> wipe) : wipe_(std::move(wipe)) {}

TSceneTransition::~TSceneTransition() = default;

void TSceneTransition::SetParam(int number, std::int32_t value) { wipe_->SetParam(number, value); }

void TSceneTransition::SetText(const std::string& text) { wipe_->SetMaskName(text); }

void TSceneTransition::Start() { wipe_->Prepare(); }

std::int32_t TSceneTransition::GetTotal() const { return wipe_->Total; }

void TSceneTransition::SetCurrent(std::int32_t value) { wipe_->Current = value; }

TRect TSceneTransition::DrawnRect() const { return wipe_->DrawnRect; }

void TSceneTransition::Draw() { wipe_->Draw(); }

std::unique_ptr<TSceneTransition> MakeSceneTransition(int kind, TCustomDIBX& target, TCustomDIBX& from,
                                                      TCustomDIBX& to, std::int32_t total, std::uint8_t direction) {
  if (kind < 0 || kind > 0xFF) return nullptr;
  std::unique_ptr<TCustomWipe> wipe = CreateWipe(static_cast<std::uint8_t>(kind), target, from, to);
  if (!wipe) return nullptr;
  wipe->Total = total;
  wipe->SetDirection(direction);
  return std::make_unique<TSceneTransition>(std::move(wipe));
}

}  // namespace vorn

#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/scene_services.h"
#include "foundation/rect.h"

namespace vorn {

class TCustomDIBX;
class TCustomWipe;

// The scene's running screen transition as the flip command and the films drive it: made by a
// layer switch, given its parameters and mask, then started; valid until the next switch.
class TSceneTransition final : public TScriptTransition {
 public:
  explicit TSceneTransition(std::unique_ptr<TCustomWipe> wipe);
  ~TSceneTransition() override;
  TSceneTransition(const TSceneTransition&) = delete;
  TSceneTransition& operator=(const TSceneTransition&) = delete;

  void SetParam(int number, std::int32_t value) override;
  void SetText(const std::string& text) override;
  void Start() override;

  std::int32_t GetTotal() const;
  void SetCurrent(std::int32_t value);
  // The rectangle of the last drawing step, then one more step onto the target.
  TRect DrawnRect() const;
  void Draw();

  TCustomWipe& Wipe() { return *wipe_; }

 private:
  std::unique_ptr<TCustomWipe> wipe_;
};

// A new transition of that kind between the two layer pictures, drawn onto target; null for a
// kind no effect has.
std::unique_ptr<TSceneTransition> MakeSceneTransition(int kind, TCustomDIBX& target, TCustomDIBX& from,
                                                      TCustomDIBX& to, std::int32_t total, std::uint8_t direction);

}  // namespace vorn

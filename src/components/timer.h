#pragma once

#include <cstdint>
#include <string>

#include "components/vorn_object.h"

namespace vorn {

// Posts its on-notify label every delay milliseconds of game time, at most one notification
// waiting at a time. No parent, never painted or hit.
class TVornTimer : public TVornComponent {
 public:
  using TVornComponent::TVornComponent;

  std::uint8_t GetCompoType() const override { return 15; }

  // The label and delay setters restart the timer; the paused setter only when it changes.
  std::string GetOnNotify() const override { return on_notify_; }
  void SetOnNotify(const std::string& value) override;
  // Milliseconds; 0 notifies at every frame once the previous notification is gone, a negative
  // delay never.
  std::int32_t GetDelay() const override { return delay_; }
  void SetDelay(std::int32_t value) override;
  bool GetPaused() const override { return paused_ != 0; }
  void SetPaused(bool value) override;
  // Notifies once, then asks to be freed when that notification's handler has ended.
  bool GetAutoScrap() const override { return auto_scrap_ != 0; }
  void SetAutoScrap(bool value) override { auto_scrap_ = value ? 1 : 0; }

  std::int32_t LastTime() const { return last_time_; }
  bool HasFired() const { return fired_ != 0; }

  // Waiting notifications are withdrawn and the period starts at the current game clock.
  void Restart();
  bool Tick() override;

 protected:
  void SaveClassFields(TStream& stream) const override;
  void LoadClassFields(TStream& stream, std::int32_t version) override;

 private:
  std::string on_notify_;
  std::int32_t delay_ = 0;
  std::uint8_t paused_ = 0;
  std::uint8_t auto_scrap_ = 0;
  // Game clock (ms) at the start of the running period.
  std::int32_t last_time_ = 0;
  std::uint8_t fired_ = 0;
};

}  // namespace vorn

#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "components/film_seam.h"
#include "components/vorn_control.h"

namespace vorn {

// A filled rectangle with an optional border, drawn opaque, blended or added; a motion film given
// as its source moves it.
class TVornBox : public TVornControl {
 public:
  using TVornControl::TVornControl;
  ~TVornBox() override;

  std::uint8_t GetCompoType() const override { return 2; }

  std::int32_t GetBorderWidth() const override { return border_width_; }
  void SetBorderWidth(std::int32_t value) override;
  std::int32_t GetBorderColor() const override { return border_color_; }
  void SetBorderColor(std::int32_t value) override;
  // 255 opaque; below, blended with that opacity; 256 and above, added at (alpha - 256) / 256.
  std::int32_t GetAlpha() const override { return alpha_; }
  void SetAlpha(std::int32_t value) override;
  std::string GetOnIdle() const override { return on_idle_; }
  void SetOnIdle(const std::string& value) override { on_idle_ = value; }
  std::string GetSource() const override { return source_; }
  // A new text frees the film; a motion file (.vmn) is loaded as the new one.
  void SetSource(const std::string& value) override;
  bool GetRepeat() const override { return repeat_ != 0; }
  // Turning repeat on restarts a film that has ended.
  void SetRepeat(bool value) override;
  bool GetAutoScrap() const override { return auto_scrap_ != 0; }
  void SetAutoScrap(bool value) override { auto_scrap_ = value ? 1 : 0; }
  std::string GetOnPlayEnd() const override { return on_play_end_; }
  void SetOnPlayEnd(const std::string& value) override { on_play_end_ = value; }
  bool GetPaused() const override { return paused_ != 0; }
  void SetPaused(bool value) override { paused_ = value ? 1 : 0; }

  TControlFilm* Film() const { return GetMotion(); }

  // The box's own drawing (when visible and 0 < alpha < 512), then its children.
  void Paint() override;

 protected:
  void SaveClassFields(TStream& stream) const override;
  void LoadClassFields(TStream& stream, std::int32_t version) override;

 private:
  void PaintOwn();

  std::int32_t border_width_ = 0;
  // The box's own default; a negative colour draws no border.
  std::int32_t border_color_ = 0;
  std::int32_t alpha_ = 255;
  std::string on_idle_;
  std::string source_;
  std::uint8_t repeat_ = 0;
  std::uint8_t auto_scrap_ = 0;
  std::string on_play_end_;
  std::uint8_t paused_ = 0;
};

}  // namespace vorn

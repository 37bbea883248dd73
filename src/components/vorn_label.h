#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "components/film_seam.h"
#include "components/vorn_control.h"

namespace vorn {

class TDIBX;

// Plain lines of text in one font and colour, rendered once through the glyph cache into a colour
// surface and an 8-bit alpha surface of the label's own; painting only composites them. It can
// be zoomed, turned, mirrored, moved by a motion film and deleted when the film ends.
class TVornLabel : public TVornControl {
 public:
  explicit TVornLabel(TVornBaseList* owner);
  ~TVornLabel() override;
  void Destroying() override;

  std::uint8_t GetCompoType() const override { return 9; }

  // Lines split at CR LF, CR or LF (a final break adds no line); read back joined by CR LF.
  std::string GetText() const override;
  void SetText(const std::string& value) override;
  std::string GetFontName() const override { return font_name_; }
  void SetFontName(const std::string& value) override;
  std::int32_t GetFontHeight() const override { return font_height_; }
  void SetFontHeight(std::int32_t value) override;
  TFontStyleSet GetFontStyle() const override { return TFontStyleSet::FromBits(font_style_); }
  void SetFontStyle(TFontStyleSet value) override;
  std::int32_t GetLineSpace() const override { return line_space_; }
  void SetLineSpace(std::int32_t value) override;
  std::int32_t GetFontColor() const override { return font_color_; }
  void SetFontColor(std::int32_t value) override;
  std::uint8_t GetHAlign() const override { return h_align_; }
  void SetHAlign(std::uint8_t value) override;
  bool GetAntiAlias() const override { return anti_alias_ != 0; }
  void SetAntiAlias(bool value) override;
  std::int32_t GetAlpha() const override { return alpha_; }
  void SetAlpha(std::int32_t value) override;
  std::int32_t GetZoomX() const override { return zoom_x_; }
  void SetZoomX(std::int32_t value) override;
  std::int32_t GetZoomY() const override { return zoom_y_; }
  void SetZoomY(std::int32_t value) override;
  std::int32_t GetAngle() const override { return angle_; }
  void SetAngle(std::int32_t value) override;
  bool GetFlipH() const override { return flip_h_ != 0; }
  void SetFlipH(bool value) override;
  bool GetFlipV() const override { return flip_v_ != 0; }
  void SetFlipV(bool value) override;
  std::string GetSource() const override { return source_; }
  // A motion file (.vmn) becomes the label's film; any other text only drops the film.
  void SetSource(const std::string& value) override;
  bool GetRepeat() const override { return repeat_ != 0; }
  // Turning repeat on restarts a film that has ended.
  void SetRepeat(bool value) override;
  bool GetAutoScrap() const override { return auto_scrap_ != 0; }
  void SetAutoScrap(bool value) override { auto_scrap_ = value ? 1 : 0; }
  bool GetPaused() const override { return paused_ != 0; }
  void SetPaused(bool value) override { paused_ = value ? 1 : 0; }
  std::string GetOnPlayEnd() const override { return on_play_end_; }
  void SetOnPlayEnd(const std::string& value) override { on_play_end_ = value; }
  std::string GetOnIdle() const override { return on_idle_; }
  void SetOnIdle(const std::string& value) override { on_idle_ = value; }

  bool HasMotion() const override { return film_ != nullptr; }
  bool IsMotionRunning() const override { return film_ != nullptr && !film_->IsEnded(); }
  TControlFilm* Film() const { return film_.get(); }

  // The rendered state.
  const std::vector<std::string>& Lines() const { return lines_; }
  std::int32_t NaturalWidth() const { return natural_width_; }
  std::int32_t NaturalHeight() const { return natural_height_; }
  // Per line: the character advances and their sum.
  const std::vector<std::vector<std::int32_t>>& Advances() const { return advances_; }
  const std::vector<std::int32_t>& LineWidths() const { return line_widths_; }
  // One rectangle (surface pixels) per line that inked anything.
  const std::vector<TRect>& InkRects() const { return ink_; }
  // Null until a layout with a non-empty natural size.
  TCustomDIBX* ColorSurface() const;
  TCustomDIBX* AlphaSurface() const;
  // Layouts run so far (the same text again runs none).
  int LayoutCount() const { return layouts_; }

  // The turned box while the angle's low byte is not 0, else the bounds.
  TRect GetScreenRect() const override;
  void Invalidate() override;
  void Paint() override;
  void ReleaseSurfaces() override;
  void RestoreSurfaces() override;

 protected:
  bool HitsSelf(TPoint point, std::uint32_t mask) const override;
  void SaveClassFields(TStream& stream) const override;
  void LoadClassFields(TStream& stream, std::int32_t version) override;

 private:
  void Layout();
  void Measure();
  void Render();
  void UpdateBounds();
  void PaintOwn();
  // Where the pivot lands on the screen and the pivot in surface pixels, mirrored under the flips.
  void GetDrawOrigin(TPoint& position, TPoint& pivot) const;
  template <typename Field, typename Value>
  void ChangeLayout(Field& field, Value value);

  std::vector<std::string> lines_;
  std::string font_name_;
  std::int32_t font_height_ = 12;
  std::uint8_t font_style_ = 0;
  std::int32_t line_space_ = 0;
  std::int32_t font_color_ = 0;
  std::uint8_t h_align_ = 0;
  std::uint8_t anti_alias_ = 0;
  std::int32_t alpha_ = 255;
  std::int32_t zoom_x_ = 256;
  std::int32_t zoom_y_ = 256;
  std::int32_t angle_ = 0;
  std::uint8_t flip_h_ = 0;
  std::uint8_t flip_v_ = 0;
  std::string source_;
  std::uint8_t repeat_ = 0;
  std::uint8_t auto_scrap_ = 0;
  std::uint8_t paused_ = 0;
  std::string on_play_end_;
  std::string on_idle_;
  std::unique_ptr<TControlFilm> film_;

  std::int32_t natural_width_ = 0;
  std::int32_t natural_height_ = 0;
  std::vector<std::vector<std::int32_t>> advances_;
  std::vector<std::int32_t> line_widths_;
  std::vector<TRect> ink_;
  std::unique_ptr<TDIBX> color_;
  std::unique_ptr<TDIBX> alpha_plane_;
  int layouts_ = 0;
};

}  // namespace vorn

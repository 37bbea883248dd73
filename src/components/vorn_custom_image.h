#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "components/vorn_control.h"

namespace vorn {

class TCustomDIBX;
class TDIBX;

// The base of every picture component: one image (its own surface, or an external one it draws
// but does not own) with an opacity mode, zooms, a turn, flips, an optional 8-bit mask for
// drawing and mask-exact hits, and a size that follows the image while no film drives it.
class TVornCustomImage : public TVornControl {
 public:
  explicit TVornCustomImage(TVornBaseList* owner);
  ~TVornCustomImage() override;
  void Destroying() override;

  // The image: the external surface when set, else the own one (null between a release and a
  // restore).
  TCustomDIBX* GetImage() const;
  TCustomDIBX* GetOwnSurface() const override { return GetImage(); }
  TCustomDIBX* OwnPicture() const { return own_.get(); }
  TCustomDIBX* GetExternalSurface() const { return external_; }
  void SetExternalSurface(TCustomDIBX* surface) { external_ = surface; }
  // The mask: the external one when set, else the own one.
  TCustomDIBX* GetMaskPlane() const { return external_mask_ != nullptr ? external_mask_ : own_mask_; }
  void SetExternalMask(TCustomDIBX* mask) { external_mask_ = mask; }
  void SetOwnMask(TCustomDIBX* mask) { own_mask_ = mask; }
  // RGB colour key of the current image, -1 none.
  std::int32_t GetImageColorKey() const { return color_key_; }
  void SetImageColorKey(std::int32_t color) { color_key_ = color; }

  // Auto size is active while no film drives the control.
  virtual bool AutoSizeEnabled() const { return !HasMotion(); }
  bool IsAutoSizePending() const { return auto_size_pending_; }
  void MarkAutoSizePending() { auto_size_pending_ = true; }
  bool SizesFromPicture() const override { return true; }
  void UpdateAutoWidth() override;
  void UpdateAutoHeight() override;

  // Where the pivot lands and the pivot in image pixels, mirrored under the flips.
  void GetDrawOrigin(TPoint& position, TPoint& pivot) const;
  // The turned box while the angle's low byte is not 0, else the control's rectangle.
  TRect GetScreenRect() const override;
  void Invalidate() override;
  void Paint() override;
  virtual void PaintImage();
  bool Tick() override;
  void ReleaseSurfaces() override;
  void RestoreSurfaces() override;

  std::int32_t GetAlpha() const override { return alpha_; }
  void SetAlpha(std::int32_t value) override;
  std::int32_t GetZoomX() const override { return zoom_x_; }
  void SetZoomX(std::int32_t value) override;
  std::int32_t GetZoomY() const override { return zoom_y_; }
  void SetZoomY(std::int32_t value) override;
  std::int32_t GetAngle() const override { return angle_; }
  void SetAngle(std::int32_t value) override;
  bool GetFlipH() const override { return flip_h_; }
  void SetFlipH(bool value) override;
  bool GetFlipV() const override { return flip_v_; }
  void SetFlipV(bool value) override;
  bool GetCaptureMask() const override { return capture_mask_; }
  void SetCaptureMask(bool value) override { capture_mask_ = value; }
  std::int32_t GetOrigWidth() const override;
  void SetOrigWidth(std::int32_t /*value*/) override {}
  std::int32_t GetOrigHeight() const override;
  void SetOrigHeight(std::int32_t /*value*/) override {}
  void SetPosZoomed(bool value) override;
  void SetWidth(std::int32_t value) override;
  void SetHeight(std::int32_t value) override;

  // Fields stored as they are, without invalidation (records and film frames).
  void StoreAlpha(std::int32_t value) { alpha_ = value; }
  void StoreZoomX(std::int32_t value) { zoom_x_ = value; }
  void StoreZoomY(std::int32_t value) { zoom_y_ = value; }
  void StoreAngle(std::int32_t value) { angle_ = value; }
  void StoreFlipH(bool value) { flip_h_ = value; }
  void StoreFlipV(bool value) { flip_v_ = value; }
  using TVornControl::StoreHeight;
  using TVornControl::StoreWidth;

 protected:
  bool HitsSelf(TPoint point, std::uint32_t mask) const override;
  bool HitBoundsContain(TPoint point, std::int32_t screen_left, std::int32_t screen_top) const override;
  // Marks this image and its POSZOOMED picture children for an auto-size step.
  void MarkPendingWithChildren();
  // Replaces the own surface (restores, still pictures).
  void ResetOwnSurface();
  int AngleByte() const { return angle_ & 0xFF; }

  void SaveClassFields(TStream& stream) const override;
  void LoadClassFields(TStream& stream, std::int32_t version) override;

 private:
  std::int32_t AutoSize(bool vertical) const;

  std::int32_t color_key_ = -1;
  std::unique_ptr<TCustomDIBX> own_;
  TCustomDIBX* external_ = nullptr;
  TCustomDIBX* own_mask_ = nullptr;
  TCustomDIBX* external_mask_ = nullptr;
  std::int32_t alpha_ = 255;
  std::int32_t zoom_x_ = 256;
  std::int32_t zoom_y_ = 256;
  std::int32_t angle_ = 0;
  bool flip_h_ = false;
  bool flip_v_ = false;
  bool capture_mask_ = false;
  bool auto_size_pending_ = false;
};

// The still picture films show on their image tracks: SOURCE through the cache, copied into its
// own surface, darkened by BRIGHTNESS below 255. Never saved with the scene.
class TVornImage : public TVornCustomImage {
 public:
  explicit TVornImage(TVornBaseList* owner);
  ~TVornImage() override;

  std::string GetSource() const override { return source_; }
  void SetSource(const std::string& value) override;
  std::int32_t GetBrightness() const override { return brightness_; }
  void SetBrightness(std::int32_t value) override;
  void RestoreSurfaces() override;
  void LoadSource();

 private:
  std::string source_;
  std::int32_t brightness_ = 255;
  std::unique_ptr<TDIBX> mask_;
};

// What a film's image track pushes into any picture control for one key frame.
struct TImageFrame {
  TVornControl* parent = nullptr;
  TCustomDIBX* surface = nullptr;
  TRect clip{};
  std::int32_t alpha = 255;
  std::int32_t angle = 0;
  std::int32_t zoom_y = 256;
  std::int32_t zoom_x = 256;
  std::int32_t offset_y = 0;
  std::int32_t offset_x = 0;
  std::int32_t top = 0;
  std::int32_t left = 0;
  bool flip_v = false;
  bool flip_h = false;
  std::int32_t priority = 0;
  std::int32_t color_key = -1;
  TCustomDIBX* mask = nullptr;
};
void ApplyImageFrame(TVornCustomImage& control, const TImageFrame& frame);

}  // namespace vorn

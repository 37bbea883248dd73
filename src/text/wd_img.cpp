#include "text/wd_img.h"

#include <algorithm>

#include "graphics/custom_dibx.h"
#include "text/zk_word.h"

namespace vorn {

TWdImg::~TWdImg() = default;

std::unique_ptr<TWdGlyph> TWdImg::NewLike(TZkWord* document) const { return std::make_unique<TWdImg>(document); }

void TWdImg::Measure() {
  frames_.reset();
  width = 0;
  height = 0;
  TWdImageSource* source = WdImageSource();
  if (source == nullptr || file_name_.empty() || !source->Exists(file_name_)) return;
  frames_ = source->Load(file_name_);
  if (frames_ == nullptr) return;
  if (TCustomDIBX* first = frames_->FirstSurface()) {
    width = first->GetWidth();
    height = first->GetHeight();
  }
}

void TWdImg::Animate() {
  if (frames_ != nullptr && frames_->Animate()) Invalidate();
}

void TWdImg::ReleaseSurfaces() {
  if (frames_ != nullptr) frames_->ReleaseAll();
}

void TWdImg::RestoreSurfaces() {
  if (frames_ != nullptr) frames_->RestoreAll();
}

std::int32_t TWdImg::EffectiveOpacity(std::int32_t glyph, std::int32_t document) {
  std::int64_t o = glyph;
  std::int64_t d = document;
  std::int64_t e;
  if (d == 255) {
    e = o;
  } else if (d < 256) {
    e = (o * d) >> 8;
  } else {
    e = ((o * (d - 256)) >> 8) + 256;
  }
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(e, 0, 511));
}

void TWdImg::Draw() {
  if (frames_ == nullptr || document_ == nullptr || document_->Target == nullptr) return;
  TCustomDIBX* surface = frames_->CurrentSurface();
  if (surface == nullptr) return;
  std::int32_t e = EffectiveOpacity(GetOpacity(), document_->Opacity);
  if (e < 1) return;
  TCustomDIBX& target = *document_->Target;
  TCustomDIBX* mask = frames_->CurrentMask();
  TRect src = surface->GetBoundsRect();
  int px = GetScreenX();
  int py = GetScreenY();
  auto opacity = static_cast<std::uint32_t>(e);
  if (mask != nullptr) {
    if (e <= 254) {
      target.DrawMaskOpacity(px, py, *surface, src, false, false, mask, opacity);
    } else if (e == 255) {
      target.DrawMask(px, py, *surface, src, false, false, mask);
    } else {
      target.DrawMaskAdd(px, py, *surface, src, false, false, mask, opacity - 256);
    }
  } else {
    if (e <= 254) {
      target.DrawOpacity(px, py, *surface, src, true, false, false, opacity);
    } else if (e == 255) {
      target.DrawRect(px, py, *surface, src, true, false, false);
    } else {
      target.DrawAdd(px, py, *surface, src, true, false, false, opacity - 256);
    }
  }
}

void TWdImg::Assign(const TWdGlyph& source) {
  TWdReal::Assign(source);
  if (const auto* img = dynamic_cast<const TWdImg*>(&source)) {
    file_name_ = img->file_name_;
    align_ = img->align_;
    no_break_ = img->no_break_;
    ruby_ = img->ruby_;
  }
}

}  // namespace vorn

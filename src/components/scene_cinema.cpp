#include "components/scene_cinema.h"

namespace vorn {
namespace {

std::unique_ptr<TVornBase> MakeCinemaLayer(TVornBaseList& scene) { return std::make_unique<TVornBaseCinema>(&scene); }

}  // namespace

TVornBaseListCinema::TVornBaseListCinema(TVornControl& host, int bit_count)
    : TVornBaseList(bit_count, &MakeCinemaLayer), host_(&host) {}

TVornControl* TVornBaseListCinema::GetHost() const {
  auto* object = dynamic_cast<TVornObject*>(host_.Get());
  return object != nullptr ? object->AsControl() : nullptr;
}

TVornControl* TVornBaseCinema::Host() const {
  // Only a cinema scene makes these layers; its host may be gone already.
  const auto* scene = static_cast<const TVornBaseListCinema*>(GetOwner());
  return scene != nullptr ? scene->GetHost() : nullptr;
}

TCustomDIBX* TVornBaseCinema::GetSurface() const {
  const TVornControl* host = Host();
  return host != nullptr ? host->GetSurface() : nullptr;
}

std::int32_t TVornBaseCinema::GetScreenLeft() const {
  const TVornControl* host = Host();
  return host != nullptr ? host->GetScreenLeft() : 0;
}

std::int32_t TVornBaseCinema::GetScreenTop() const {
  const TVornControl* host = Host();
  return host != nullptr ? host->GetScreenTop() : 0;
}

TRect TVornBaseCinema::GetClipRect() const {
  const TVornControl* host = Host();
  if (host == nullptr) return {};
  TRect area = host->GetScreenRect();
  if (const TRect clip = host->GetClipRect(); !RectIsEmpty(clip)) {
    if (RectIsEmpty(area) || !RectsOverlap(area, clip)) return TRect{0, 0, 0, 0};
    area = ClipRectTo(area, clip);
  }
  return area;
}

void TVornBaseCinema::InvalidateRect(const TRect& rect) {
  TVornControl* host = Host();
  if (host == nullptr) return;
  const TRect area = GetClipRect();
  if (RectIsEmpty(rect) || RectIsEmpty(area) || !RectsOverlap(rect, area)) return;
  const TRect narrowed = ClipRectTo(rect, area);
  DirtyRects().AddRect(narrowed);
  if (TVornBase* host_layer = host->GetBase()) host_layer->InvalidateRect(narrowed);
}

}  // namespace vorn

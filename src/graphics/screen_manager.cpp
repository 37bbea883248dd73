#include "graphics/screen_manager.h"

#include <algorithm>
#include <limits>

#include "foundation/system_texts.h"
#include "graphics/surface_service.h"

namespace vorn {

TScreenManager* ScreenManager = nullptr;

namespace {

std::int32_t Scaled(std::int32_t value, int zoom) {
  const std::int64_t scaled = static_cast<std::int64_t>(value) * zoom / 100;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(scaled, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

platform::Rect ToPlatform(const TRect& r) { return platform::Rect{r.left, r.top, r.Width(), r.Height()}; }

}  // namespace

TScreenManager::TScreenManager(platform::Window& view, platform::Panel& panel, const TScreenSizes& sizes,
                               platform::DisplayService* display)
    : view_(view), panel_(panel), sizes_(sizes), display_(display) {
  if (display_ != nullptr) {
    std::unique_ptr<platform::DisplayConnection> probe = display_->Open(view_);
    if (!probe) throw EScreenManagerError(std::string(texts::kDirectDrawInitFailed));
    platform::DisplayMode desktop;
    if (probe->CurrentMode(desktop) && desktop.bitsPerPixel > 0) desktop_depth_ = desktop.bitsPerPixel;
    std::vector<platform::DisplayMode> offered;
    // A list that cannot be had is no error: no modes, windowed only.
    if (probe->EnumerateModes(offered)) {
      for (const platform::DisplayMode& mode : offered) ConsiderMode(mode);
    }
  }
  current_ = kReleased;
  SetMode(kWindowed);
}

TScreenManager::~TScreenManager() {
  panel_.ReleaseTarget();
  surface_.reset();
  DropConnection();
}

void TScreenManager::InstallSurfaceService() {
  if (!connection_) return;
  std::unique_ptr<platform::SurfaceService> service = connection_->CreateSurfaceService();
  SetScreenSurfaceService(service.get());
  surface_service_ = std::move(service);
}

void TScreenManager::DropConnection() {
  if (surface_service_ && GetScreenSurfaceService() == surface_service_.get()) SetScreenSurfaceService(nullptr);
  surface_service_.reset();
  connection_.reset();
}

void TScreenManager::ConsiderMode(const platform::DisplayMode& mode) {
  if (mode.width < sizes_.MinWidth || mode.height < sizes_.MinHeight || mode.bitsPerPixel < 16) return;
  // A mode of no size cannot hold the screen even when the minimum is 0.
  if (mode.width <= 0 || mode.height <= 0) return;
  modes_.push_back(TDisplayModeRecord{mode.width, mode.height, mode.bitsPerPixel, mode.refreshRate});
  const int index = GetModeCount() - 1;
  if (chosen_ < 0) {
    chosen_ = index;
    return;
  }
  const TDisplayModeRecord& added = modes_.back();
  const TDisplayModeRecord& current = modes_[static_cast<std::size_t>(chosen_)];
  auto preferred = [this](const TDisplayModeRecord& m) {
    return m.Width == sizes_.PreferredWidth && m.Height == sizes_.PreferredHeight;
  };
  if (!preferred(added)) return;
  if (!preferred(current)) {
    chosen_ = index;
    return;
  }
  const bool added_desktop = added.BitsPerPixel == desktop_depth_;
  const bool current_desktop = current.BitsPerPixel == desktop_depth_;
  if (added_desktop && !current_desktop) {
    chosen_ = index;
  } else if (added_desktop && current_desktop && added.RefreshRate < current.RefreshRate) {
    chosen_ = index;
  }
}

TDisplayModeRecord TScreenManager::GetMode(int index) const {
  if (index < 0 || index >= GetModeCount()) return TDisplayModeRecord{};
  return modes_[static_cast<std::size_t>(index)];
}

void TScreenManager::SetMode(int index) {
  if (index == current_) return;
  if (index < kWindowed || index >= GetModeCount()) return;
  ReleaseDC();
  if ((index < 0) != (current_ < 0) && connection_) {
    surface_.reset();
    DropConnection();
  }
  current_ = index;
  SetUpScreen();
  if (index >= 0 && !connection_) {
    current_ = kWindowed;
    SetUpScreen();
  }
}

void TScreenManager::SetUpScreen() {
  full_screen_ = false;
  surface_.reset();
  if (!connection_ && display_ != nullptr) connection_ = display_->Open(view_);
  if (!connection_) {
    NewSurface(16);
    return;
  }
  if (current_ < 0) {
    platform::DisplayMode mode;
    connection_->CurrentMode(mode);
    const bool is555 = mode.bitsPerPixel == 16 && platform::Is555(mode);
    NewSurface(is555 ? 15 : mode.bitsPerPixel > 16 ? 32 : 16);
    InstallSurfaceService();
    return;
  }
  const TDisplayModeRecord& record = modes_[static_cast<std::size_t>(current_)];
  platform::DisplayMode wanted;
  wanted.width = record.Width;
  wanted.height = record.Height;
  wanted.bitsPerPixel = record.BitsPerPixel;
  wanted.refreshRate = record.RefreshRate;
  if (!connection_->EnterFullScreen(wanted)) {
    DropConnection();
    return;
  }
  platform::DisplayMode mode;
  connection_->CurrentMode(mode);
  int bits = 32;
  if (mode.bitsPerPixel < 16 || platform::Is555(mode)) {
    bits = 15;
  } else if (mode.bitsPerPixel == 16) {
    bits = 16;
  }
  NewSurface(bits);
  InstallSurfaceService();
  full_screen_ = true;
}

void TScreenManager::NewSurface(int bits) {
  auto surface = std::make_unique<TDIBX>();
  surface->SetSize(sizes_.MinWidth, sizes_.MinHeight, bits);
  surface_ = std::move(surface);
}

void TScreenManager::GetDC() { panel_.AcquireTarget(); }

void TScreenManager::ReleaseDC() { panel_.ReleaseTarget(); }

void TScreenManager::Release() {
  ReleaseDC();
  surface_.reset();
  DropConnection();
  current_ = kReleased;
}

void TScreenManager::PresentRect(const platform::SourcePixels& pixels, const TRect& source, int zoom,
                                 const TRect& bounds) {
  const TRect clipped = ClipRectTo(source, bounds);
  if (RectIsEmpty(clipped)) return;
  TRect dest = clipped;
  if (zoom != 100) {
    dest = TRect{Scaled(clipped.left, zoom), Scaled(clipped.top, zoom), Scaled(clipped.right, zoom),
                 Scaled(clipped.bottom, zoom)};
    if (RectIsEmpty(dest)) return;
  }
  panel_.Blit(pixels, ToPlatform(clipped), ToPlatform(dest));
}

void TScreenManager::Present(const TScenePresentation* scene) {
  if (scene == nullptr || scene->Surface == nullptr) return;
  struct ClearLists {
    const TScenePresentation& scene;
    ~ClearLists() {
      for (TClipList* list : scene.LayerDirty) {
        if (list != nullptr) list->Clear();
      }
    }
  } clear_lists{*scene};
  GetDC();
  struct Release {
    TScreenManager& manager;
    ~Release() { manager.ReleaseDC(); }
  } release{*this};

  TCustomDIBX& surface = *scene->Surface;
  platform::SourcePixels pixels;
  switch (surface.GetBitCount()) {
    case 15:
      pixels.format = platform::SourceFormat::kRgb555;
      break;
    case 16:
      pixels.format = surface.GetGreenMask() == platform::kGreen555Mask ? platform::SourceFormat::kRgb555
                                                                        : platform::SourceFormat::kRgb565;
      break;
    case 32:
      pixels.format = platform::SourceFormat::kXrgb8888;
      break;
    default:
      return;  // the screen surface is only ever made at 15, 16 or 32 bits
  }
  pixels.top = surface.Lock(0, 0);
  pixels.pitch = surface.GetPitch();
  pixels.width = surface.GetWidth();
  pixels.height = surface.GetHeight();
  surface.Unlock();
  if (pixels.top == nullptr || pixels.width <= 0 || pixels.height <= 0) return;
  const TRect bounds{0, 0, pixels.width, pixels.height};
  const int zoom = scene->Zoom;

  if (zoom % 100 != 0) {
    const TRect dest{0, 0, Scaled(pixels.width, zoom), Scaled(pixels.height, zoom)};
    if (!RectIsEmpty(dest)) panel_.Blit(pixels, ToPlatform(bounds), ToPlatform(dest));
    return;
  }
  if (!RectIsEmpty(scene->OwnDirty)) {
    PresentRect(pixels, scene->OwnDirty, zoom, bounds);
    return;
  }
  TClipList* active = scene->LayerDirty[scene->ActiveLayer & 1];
  if (active == nullptr) return;
  for (const TRect& rect : active->Rects()) {
    if (!RectIsEmpty(rect)) PresentRect(pixels, rect, zoom, bounds);
  }
}

}  // namespace vorn

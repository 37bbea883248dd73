#include "components/scene_standin.h"

#include <algorithm>
#include <climits>
#include <iterator>

#include "components/layer_surfaces.h"
#include "components/vorn_base_list.h"
#include "engine/engine_values.h"
#include "foundation/vocabulary_codes.h"
#include "foundation/standin_trace.h"
#include "graphics/screen_manager.h"

namespace vorn {

TVornBaseListStandIn* Bases = nullptr;

namespace {

constexpr int kBarWidth = 80;
constexpr int kSquareSize = 16;
constexpr int kSquareTop = 8;
constexpr std::uint32_t kBarColours[8] = {0x000000, 0x0000FF, 0xFF0000, 0xFF00FF,
                                          0x00FF00, 0x00FFFF, 0xFFFF00, 0xFFFFFF};
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::int32_t kFirstRepeatMs = 300;
constexpr std::int32_t kRepeatMs = 50;

// The surface's pixel for a 0x00RRGGBB colour, at whatever depth the screen has.
std::uint32_t PixelOf(TCustomDIBX& surface, std::uint32_t rgb) {
  const std::uint32_t bgr = ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
  return static_cast<std::uint32_t>(surface.ColorToPixel(static_cast<std::int32_t>(bgr)));
}

void DrawBars(TCustomDIBX& surface, const TRect& area) {
  const TRect clipped = ClipRectTo(area, surface.GetBoundsRect());
  if (RectIsEmpty(clipped)) return;
  for (int bar = 0; bar < 8; ++bar) {
    const int right = bar == 7 ? clipped.right : (bar + 1) * kBarWidth;
    const TRect part = ClipRectTo(TRect{bar * kBarWidth, clipped.top, right, clipped.bottom}, clipped);
    if (!RectIsEmpty(part)) surface.FillRect(part, PixelOf(surface, kBarColours[bar]));
  }
}

}  // namespace

void TVornBaseStandIn::ClearDirty() {
  StandInCall(index == 0 ? "TVornBase.ClearDirty 0" : "TVornBase.ClearDirty 1");
  dirty_.Clear();
}

void TVornBaseStandIn::LatchMouse() {
  left_pressed = left_click;
  right_pressed = right_click;
  wheel_down_latched = wheel_down;
  wheel_up_latched = wheel_up;
  left_click = right_click = wheel_down = wheel_up = false;
}

TVornBaseListStandIn::TVornBaseListStandIn() {
  layers_[0].index = 0;
  layers_[1].index = 1;
  StandInCall("TVornBaseList.Create");
}

TVornBaseListStandIn::~TVornBaseListStandIn() { StandInCall("TVornBaseList.Free"); }

void TVornBaseListStandIn::AttachScene(TVornBaseList* scene, TLayerSurfaces* surfaces) {
  scene_ = scene;
  surfaces_ = surfaces;
}

void TVornBaseListStandIn::SetWidth(std::int32_t width) {
  width_ = width;
  if (scene_ != nullptr) scene_->SetWidth(width);
  if (surfaces_ != nullptr) surfaces_->Size();
}

void TVornBaseListStandIn::SetHeight(std::int32_t height) {
  height_ = height;
  if (scene_ != nullptr) scene_->SetHeight(height);
  if (surfaces_ != nullptr) surfaces_->Size();
}

int TVornBaseListStandIn::active_layer() const {
  return scene_ != nullptr ? scene_->GetActiveLayerIndex() : active_layer_;
}

void TVornBaseListStandIn::set_active_layer(int index) {
  active_layer_ = index & 1;
  if (scene_ != nullptr) scene_->SetActiveLayerIndex(active_layer_);
}

void TVornBaseListStandIn::SetKeyDown(int code, bool down) {
  if (code < 0 || code >= 256 || key_down_[code] == down) return;
  key_down_[code] = down;
  key_push_request_[code] = down;
  if (down) {
    key_timer_[code] = kFirstRepeatMs;
    key_down_flag_ = true;
    key_repeat_flag_ = true;
  } else {
    key_up_flag_ = true;
  }
}

void TVornBaseListStandIn::SetKeyClick(int code, bool click) {
  if (code >= 0 && code < 256) key_click_[code] = click;
}

void TVornBaseListStandIn::ClearKeys() {
  StandInCall("TVornBaseList.ClearKeys");
  std::fill(std::begin(key_down_), std::end(key_down_), false);
  std::fill(std::begin(key_click_), std::end(key_click_), false);
  std::fill(std::begin(key_push_request_), std::end(key_push_request_), false);
  std::fill(std::begin(key_timer_), std::end(key_timer_), 0);
  key_down_flag_ = key_up_flag_ = key_repeat_flag_ = false;
}

void TVornBaseListStandIn::ReleaseSurfaces() {
  StandInCall("TVornBaseList.ReleaseSurfaces");
  if (surfaces_ != nullptr) surfaces_->Release();
}

void TVornBaseListStandIn::RestoreSurfaces() {
  StandInCall("TVornBaseList.RestoreSurfaces");
  if (surfaces_ != nullptr) surfaces_->Restore();
  // The new screen surface starts black: everything is drawn again.
  painted_once_ = false;
  square_.reset();
}

void TVornBaseListStandIn::ProcessInput() {
  StandInCall("TVornBaseList.ProcessInput");
  if (scene_ != nullptr && scene_->IsFocusChoiceRequested()) {
    scene_->SetFocusedControl(scene_->ActiveLayer()->FindFocusable());
    scene_->ClearFocusChoiceRequest();
  }
  std::copy(std::begin(key_click_), std::end(key_click_), std::begin(key_clicked_));
  std::fill(std::begin(key_click_), std::end(key_click_), false);
  std::copy(std::begin(key_push_request_), std::end(key_push_request_), std::begin(key_pushed_));
  ActiveLayer().LatchMouse();
  if (TVornControl* focused = scene_ != nullptr ? scene_->GetFocusedControl() : nullptr;
      focused != nullptr && focused->GetHandleKey()) {
    // The events carry no key code: scripts read the key tables.
    auto post = [this, focused](const std::string& label, std::uint8_t code) {
      if (CanPostEvent(scene_->Events(), *focused, label, code, TPostKind::kInput)) {
        scene_->Events().PostEvent(focused, label, nullptr, code);
      }
    };
    if (key_down_flag_) post(focused->GetOnKeyDown(), PR_ONKEYDOWN);
    if (key_repeat_flag_) post(focused->GetOnKeyRepeat(), PR_ONKEYREPEAT);
    if (key_up_flag_) post(focused->GetOnKeyUp(), PR_ONKEYUP);
  }
  key_down_flag_ = key_up_flag_ = key_repeat_flag_ = false;
  const std::int64_t elapsed = FrameDelta;
  for (int code = 0; code < 256; ++code) {
    if (!key_down_[code]) continue;
    // 64 bits and a floor: a huge elapsed time must not wrap the timer to a large positive value.
    std::int64_t timer = static_cast<std::int64_t>(key_timer_[code]) - elapsed;
    key_push_request_[code] = timer <= 0;
    if (timer <= 0) {
      timer += kRepeatMs;
      key_repeat_flag_ = true;
    }
    key_timer_[code] = static_cast<std::int32_t>(std::max<std::int64_t>(timer, INT32_MIN + std::int64_t{kRepeatMs}));
  }
}

void TVornBaseListStandIn::Tick() { StandInCall("TVornBaseList.Tick"); }

void TVornBaseListStandIn::Paint() {
  StandInCall("TVornBaseList.Paint");
  if (scene_ != nullptr) {
    if (surfaces_ != nullptr) surfaces_->Attach();
    for (int i = 0; i < 2; ++i) {
      TVornBase& real = *scene_->GetBase(i);
      PaintLayer(real);
      // What the layers painted is presented with the pattern's rectangles.
      for (const TRect& rect : real.DirtyRects().Rects()) layers_[i].AddDirty(rect);
      real.DirtyRects().Clear();
    }
  }
  // Asked anew every frame: a screen switch replaces the surface.
  TDIBX* surface = ScreenManager != nullptr ? ScreenManager->GetSurface() : nullptr;
  if (surface == nullptr) return;
  TVornBaseStandIn& layer = GetBase(active_layer());
  const TRect all = surface->GetBoundsRect();
  if (!painted_once_) {
    DrawBars(*surface, all);
    layer.AddDirty(all);
    painted_once_ = true;
  }
  if (square_) {
    DrawBars(*surface, *square_);
    layer.AddDirty(*square_);
  }
  const std::int64_t span = all.right - kSquareSize;
  const std::int64_t clock = static_cast<std::uint32_t>(GameClock);  // wraps like the clock itself
  const int left = span > 0 ? static_cast<int>((clock / 16) % span) : 0;
  const TRect square{left, kSquareTop, left + kSquareSize, kSquareTop + kSquareSize};
  const TRect drawn = ClipRectTo(square, all);
  if (!RectIsEmpty(drawn)) surface->FillRect(drawn, PixelOf(*surface, kWhite));
  layer.AddDirty(square);
  square_ = square;
}

TBasePanelStandIn::TBasePanelStandIn(platform::Panel& panel) : panel_(panel) { StandInCall("TBasePanel.Create"); }

std::unique_ptr<SceneGlobalsStandIn> TBasePanelStandIn::CreateScene() {
  StandInCall("TBasePanel.CreateScene");
  auto globals = std::make_unique<SceneGlobalsStandIn>();
  globals->scene = std::make_unique<TVornBaseList>();
  globals->surfaces = std::make_unique<TLayerSurfaces>(*globals->scene);
  globals->bases = std::make_unique<TVornBaseListStandIn>();
  globals->bases->AttachScene(globals->scene.get(), globals->surfaces.get());
  Bases = globals->bases.get();
  return globals;
}

SceneGlobalsStandIn::SceneGlobalsStandIn() = default;
SceneGlobalsStandIn::~SceneGlobalsStandIn() = default;

void BuildGreyTables() { StandInCall("BuildGreyTables"); }

void FreeSceneGlobals(std::unique_ptr<SceneGlobalsStandIn>& globals) {
  if (globals) StandInCall("FreeSceneGlobals");
  Bases = nullptr;
  globals.reset();
}

}  // namespace vorn

#include "components/scene_standin.h"

#include <algorithm>

#include "engine/engine_values.h"
#include "foundation/standin_trace.h"
#include "graphics/screen_manager_standin.h"

namespace vorn {

TVornBaseListStandIn* Bases = nullptr;

namespace {

constexpr int kBarWidth = 80;
constexpr int kSquareSize = 16;
constexpr int kSquareTop = 8;
constexpr std::uint32_t kBarColours[8] = {0x000000, 0x0000FF, 0xFF0000, 0xFF00FF,
                                          0x00FF00, 0x00FFFF, 0xFFFF00, 0xFFFFFF};
constexpr std::uint32_t kWhite = 0xFFFFFF;

void DrawBars(platform::Framebuffer& pixels, const TRect& area) {
  const TRect clipped = ClipRectTo(area, TRect{0, 0, pixels.width(), pixels.height()});
  if (RectIsEmpty(clipped)) return;
  for (int y = clipped.top; y < clipped.bottom; ++y) {
    std::uint32_t* row = pixels.row(y);
    for (int x = clipped.left; x < clipped.right; ++x) row[x] = kBarColours[std::min(x / kBarWidth, 7)];
  }
}

}  // namespace

void TVornBaseStandIn::ClearDirty() {
  StandInCall(index == 0 ? "TVornBase.ClearDirty 0" : "TVornBase.ClearDirty 1");
  dirty_.Clear();
}

TVornBaseListStandIn::TVornBaseListStandIn() {
  layers_[0].index = 0;
  layers_[1].index = 1;
  StandInCall("TVornBaseList.Create");
}

TVornBaseListStandIn::~TVornBaseListStandIn() { StandInCall("TVornBaseList.Free"); }

void TVornBaseListStandIn::ProcessInput() { StandInCall("TVornBaseList.ProcessInput"); }

void TVornBaseListStandIn::Tick() { StandInCall("TVornBaseList.Tick"); }

void TVornBaseListStandIn::Paint() {
  StandInCall("TVornBaseList.Paint");
  if (ScreenManager == nullptr) return;
  platform::Framebuffer& pixels = ScreenManager->Surface().pixels();
  TVornBaseStandIn& layer = GetBase(active_layer_);
  if (!painted_once_) {
    const TRect all{0, 0, pixels.width(), pixels.height()};
    DrawBars(pixels, all);
    layer.AddDirty(all);
    painted_once_ = true;
  }
  if (square_) {
    DrawBars(pixels, *square_);
    layer.AddDirty(*square_);
  }
  const std::int64_t span = pixels.width() - kSquareSize;
  const std::int64_t clock = static_cast<std::uint32_t>(GameClock);  // wraps like the clock itself
  const int left = span > 0 ? static_cast<int>((clock / 16) % span) : 0;
  const TRect square{left, kSquareTop, left + kSquareSize, kSquareTop + kSquareSize};
  const TRect drawn = ClipRectTo(square, TRect{0, 0, pixels.width(), pixels.height()});
  for (int y = drawn.top; y < drawn.bottom; ++y) std::fill(pixels.row(y) + drawn.left, pixels.row(y) + drawn.right, kWhite);
  layer.AddDirty(square);
  square_ = square;
}

TBasePanelStandIn::TBasePanelStandIn(platform::Panel& panel) : panel_(panel) { StandInCall("TBasePanel.Create"); }

std::unique_ptr<SceneGlobalsStandIn> TBasePanelStandIn::CreateScene() {
  StandInCall("TBasePanel.CreateScene");
  auto globals = std::make_unique<SceneGlobalsStandIn>();
  globals->bases = std::make_unique<TVornBaseListStandIn>();
  Bases = globals->bases.get();
  return globals;
}

void TBasePanelStandIn::Paint() {
  if (ScreenManager == nullptr) return;
  TScreenSurfaceStandIn& surface = ScreenManager->Surface();
  panel_.StretchDraw(surface.view(), platform::Rect{0, 0, surface.width(), surface.height()});
}

void BuildGreyTables() { StandInCall("BuildGreyTables"); }

void FreeSceneGlobals(std::unique_ptr<SceneGlobalsStandIn>& globals) {
  if (globals) StandInCall("FreeSceneGlobals");
  Bases = nullptr;
  globals.reset();
}

}  // namespace vorn

#include "components/scene_globals.h"

#include "components/pelk_collection.h"
#include "components/vorn_base_list.h"
#include "foundation/debug_trace.h"
#include "graphics/memory_dibx.h"

namespace vorn {

TVornBaseList* Bases = nullptr;
TCustomDIBX* SelRectDIB = nullptr;
TCustomDIBX* TransBGDIB = nullptr;
TClipList* ClipMan = nullptr;

namespace {

constexpr int kCheckerSize = 32;
constexpr int kCheckerSquare = 16;
constexpr std::int32_t kCheckerDark = 0x808080;
constexpr std::int32_t kCheckerLight = 0xC0C0C0;

struct TSceneGlobals {
  std::unique_ptr<TVornBaseList> scene;
  std::unique_ptr<TClipList> clip_man;
  std::unique_ptr<TCustomDIBX> sel_rect;
  std::unique_ptr<TCustomDIBX> trans_bg;
  std::unique_ptr<TPelkCollection> pelk_man;
};

TSceneGlobals& Globals() {
  static TSceneGlobals globals;
  return globals;
}

std::unique_ptr<TCustomDIBX> MakeSelectionPattern() {
  auto pattern = std::make_unique<TMemoryDIBX>(2, 2, 32);
  const auto white = static_cast<std::uint32_t>(pattern->ColorToPixel(0xFFFFFF));
  const auto black = static_cast<std::uint32_t>(pattern->ColorToPixel(0x000000));
  pattern->SetPixel(0, 0, white);
  pattern->SetPixel(1, 1, white);
  pattern->SetPixel(1, 0, black);
  pattern->SetPixel(0, 1, black);
  return pattern;
}

std::unique_ptr<TCustomDIBX> MakeCheckerboard() {
  auto board = std::make_unique<TMemoryDIBX>(kCheckerSize, kCheckerSize, 32);
  board->FillRect(board->GetBoundsRect(), static_cast<std::uint32_t>(board->ColorToPixel(kCheckerDark)));
  const auto light = static_cast<std::uint32_t>(board->ColorToPixel(kCheckerLight));
  board->FillRect(TRect{0, 0, kCheckerSquare, kCheckerSquare}, light);
  board->FillRect(TRect{kCheckerSquare, kCheckerSquare, kCheckerSize, kCheckerSize}, light);
  return board;
}

}  // namespace

void CreateSceneGlobals(TSceneScreen& screen) {
  TSceneGlobals& g = Globals();
  g.scene = std::make_unique<TVornBaseList>();
  g.scene->SetScreen(&screen);
  Bases = g.scene.get();
  g.clip_man = std::make_unique<TClipList>();
  ClipMan = g.clip_man.get();
  g.sel_rect = MakeSelectionPattern();
  SelRectDIB = g.sel_rect.get();
  Bases->SetSelRectDIB(SelRectDIB);
  g.trans_bg = MakeCheckerboard();
  TransBGDIB = g.trans_bg.get();
  g.pelk_man = std::make_unique<TPelkCollection>(Bases);
  PelkMan = g.pelk_man.get();
}

void FreeSceneGlobals() {
  TSceneGlobals& g = Globals();
  if (g.scene) {
    DebugTrace("Bases.Free");
    Bases = nullptr;
    g.scene.reset();
  }
  if (g.sel_rect) {
    DebugTrace("SelRectDIB.Free");
    SelRectDIB = nullptr;
    g.sel_rect.reset();
  }
  if (g.trans_bg) {
    DebugTrace("TransBGDIB.Free");
    TransBGDIB = nullptr;
    g.trans_bg.reset();
  }
  // After the scene: its pictures give their cached frames back when they are freed.
  if (g.pelk_man) {
    DebugTrace("PelkMan.Free");
    PelkMan = nullptr;
    g.pelk_man.reset();
  }
  if (g.clip_man) {
    DebugTrace("ClipMan.Free");
    ClipMan = nullptr;
    g.clip_man.reset();
  }
}

}  // namespace vorn

#pragma once

// The scene's process-wide objects: made by the drawing panel at the engine start, freed in a
// fixed order at shutdown.

#include <memory>

#include "foundation/clip_list.h"

namespace vorn {

class TCustomDIBX;
class TSceneScreen;
class TVornBaseList;

// The global scene, null outside the engine's life.
extern TVornBaseList* Bases;
// The 2x2 pattern of the highlight frame (white at (0, 0) and (1, 1), black between).
extern TCustomDIBX* SelRectDIB;
// A 32x32 grey checkerboard of 16x16 squares behind transparent pictures.
extern TCustomDIBX* TransBGDIB;
// The layered-image cache (components/pelk_collection.h) is made last, after the scene.
// An empty list nothing fills or reads; kept so the start-up and shutdown stay whole.
extern TClipList* ClipMan;

// Makes the globals in their order; the scene draws on `screen` (which must outlive it).
void CreateSceneGlobals(TSceneScreen& screen);
// Frees them in the shutdown order, naming each step to the trace.
void FreeSceneGlobals();

}  // namespace vorn

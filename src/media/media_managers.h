#pragma once

// The media managers: one global of each kind, made by MediaInit and freed by MediaFinal, null
// outside that time.

#include "media/media_manager.h"
#include "media/ogg_items.h"

namespace vorn {

extern TVideoManager* VideoManager;
extern TWmpManager* WmpManager;
extern TOggManager* OggManager;
extern TCddaManager* CddaManager;
extern TMidiManager* MidiManager;

}  // namespace vorn

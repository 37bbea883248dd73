#include "engine/engine_seams.h"

#include <utility>

namespace vorn {
namespace {

TSceneSystemState* g_scene_state = nullptr;
TScreenControl* g_screen_control = nullptr;
TMidiControl* g_midi_control = nullptr;
TProjectFacts* g_project_facts = nullptr;

}  // namespace

TSceneSystemState* GetSceneSystemState() { return g_scene_state; }
TSceneSystemState* SetSceneSystemState(TSceneSystemState* state) { return std::exchange(g_scene_state, state); }

TScreenControl* GetScreenControl() { return g_screen_control; }
TScreenControl* SetScreenControl(TScreenControl* control) { return std::exchange(g_screen_control, control); }

TMidiControl* GetMidiControl() { return g_midi_control; }
TMidiControl* SetMidiControl(TMidiControl* control) { return std::exchange(g_midi_control, control); }

TProjectFacts* GetProjectFacts() { return g_project_facts; }
TProjectFacts* SetProjectFacts(TProjectFacts* facts) { return std::exchange(g_project_facts, facts); }

}  // namespace vorn

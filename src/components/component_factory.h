#pragma once

// The factory of component kinds: one row per kind code (the LT_ codes of the vocabulary). A row
// either names a class of this library, is empty (kinds without a class, and classes not built
// yet), or is a slot: the class lives in a library above this one (films), which fills the slot
// at start-up through SetComponentCreator before any project runs.

#include <cstdint>

#include "foundation/vocabulary_codes.h"

namespace vorn {

class TVornBaseList;
class TVornObject;

// Makes one object of a kind in the scene (through CreateObject, so the scene owns it, it is
// auto-named and its creation steps have run) and hands it back.
using TComponentCreator = TVornObject* (*)(TVornBaseList& owner);

// Rows 0..127: the kind byte's top bit is ignored.
inline constexpr int kComponentKindRows = 128;

// A new object of the kind's class in the scene, or nullptr for a kind without a class or whose
// slot is still empty.
TVornObject* CreateComponentByType(TVornBaseList& owner, std::uint8_t kind);

// Whether the kind's row is a slot that a higher library fills.
bool IsComponentCreatorSlot(TComponentKind kind);

// Fills the kind's slot and answers the creator it held (nullptr when empty), so that a caller
// can put it back. nullptr empties the slot. Throws std::logic_error for a row that is no slot:
// those rows belong to this library's table.
TComponentCreator SetComponentCreator(TComponentKind kind, TComponentCreator creator);

}  // namespace vorn

#pragma once

// The fixed vocabulary of the script language. Every code a compiled page, a saved game or a
// component stores is a position in one of these tables, so their order is part of every stored
// format: never reorder or insert. Names and display names are CP932 bytes; a display name that
// is shown on two lines holds CR LF. The tables themselves are generated (vocabulary_tables.cpp).

#include <array>
#include <cstdint>
#include <string_view>

#include "foundation/vocabulary_codes.h"

namespace vorn::vocabulary {

struct TVocabularyEntry {
  std::string_view name;
  std::string_view display;  // empty where the entry has no display name
};

struct TPropertyEntry {
  std::string_view name;
  std::string_view display;
  std::uint8_t type;  // TParamType: 1 integer, 2 real, 3 boolean, 4 string
};

inline constexpr int kCommandCount = 61;
inline constexpr int kPropertyCount = 162;
inline constexpr int kSysFuncCount = 143;
inline constexpr int kSysVarCount = 50;
inline constexpr int kOperationCount = 21;
inline constexpr int kComponentKindCount = 28;
inline constexpr int kTransitionCount = 39;

extern const std::array<TVocabularyEntry, kCommandCount> kCommands;
extern const std::array<TPropertyEntry, kPropertyCount> kProperties;
// The order in which properties set together on one component are applied.
extern const std::array<std::uint8_t, kPropertyCount> kPropertyApplyOrder;

extern const std::array<std::string_view, kSysFuncCount> kSysFuncNames;
// Allowed argument counts per function; a negative count leaves that side unbounded.
extern const std::array<std::int32_t, kSysFuncCount> kSysFuncMinArgs;
extern const std::array<std::int32_t, kSysFuncCount> kSysFuncMaxArgs;
extern const std::array<std::uint8_t, kSysFuncCount> kSysFuncResultTypes;  // TParamType

extern const std::array<std::string_view, kSysVarCount> kSysVarNames;
extern const std::array<std::string_view, kOperationCount> kOperationNames;
extern const std::array<TVocabularyEntry, kComponentKindCount> kComponentKinds;
extern const std::array<TVocabularyEntry, kTransitionCount> kTransitions;

extern const std::array<TVocabularyEntry, 4> kFontStyles;
extern const std::array<TVocabularyEntry, 2> kFlipModes;
extern const std::array<TVocabularyEntry, 3> kHorizontalAlignments;
extern const std::array<TVocabularyEntry, 3> kVerticalAlignments;
extern const std::array<TVocabularyEntry, 4> kSoundPlayModes;
extern const std::array<TVocabularyEntry, 5> kParticleMotions;
extern const std::array<TVocabularyEntry, 5> kMouseIgnoreModes;
// CHANGEMEDIA (disc-change prompt, %d = disc number) and EXIT (quit confirmation).
extern const std::array<TVocabularyEntry, 2> kProjectMessageKeys;
extern const std::array<TVocabularyEntry, 2> kOrientations;
extern const std::array<TVocabularyEntry, 3> kMotionEasings;
extern const std::array<TVocabularyEntry, 5> kVariableTypes;

extern const std::array<std::string_view, 3> kWallpaperStyleNames;
extern const std::array<std::string_view, 4> kVariableScopeNames;
extern const std::array<std::string_view, 12> kObjectKindNames;
extern const std::array<std::string_view, 52> kKeyNames;
extern const std::array<std::string_view, 70> kKeyIdentifiers;

// Magics of the stored cinema, property-motion and preview-menu files.
inline constexpr std::string_view kCinemaMagic = "VornCinema108";
inline constexpr std::string_view kMotionMagic = "VornMotion108";
inline constexpr std::string_view kPrevMenuMagic = "VornPrevMenu103";

inline constexpr int kNotFound = -1;

// Index of a system function by its exact, case-sensitive name; kNotFound when there is none.
int FindSysFuncIndex(std::string_view name);

}  // namespace vorn::vocabulary

#pragma once

// Test utility: reads or writes any of the 162 properties of a script object by index, with the
// value as text, straight through the accessors (no bridge rules beyond the index -> accessor
// mapping of the catalogue).

#include <array>
#include <cstdint>
#include <sstream>
#include <string>

#include "engine/script_object.h"

namespace vorn::testing {

inline constexpr int kPropertyCount = 162;

inline std::string PropertyText(const TScriptObject& o, int index) {
  auto num = [](long long v) { return std::to_string(v); };
  switch (index) {
    case 0: return o.GetName();
    case 1: return o.GetParentObject() != nullptr ? o.GetParentObject()->GetName() : std::string();
    case 12: return num(o.GetPriority());
    case 151: return o.GetTag();
    case 78: return num(o.GetCaretPoint().x);
    case 79: return num(o.GetCaretPoint().y);
    case 92:
    case 93: return "0";
    case 138: return o.GetPlaying() ? "true" : "false";
    case 140: return num(o.GetCompoType());
    case 161: return num(o.GetCaretHeight());
    case 95:
    case 96:
    case 102: {
      std::ostringstream text;
      text << o.GetParticleParam(index == 95 ? 0 : index == 96 ? 1 : 2);
      return text.str();
    }
    default: break;
  }
  if (index >= 54 && index <= 62) return o.GetBorderSource(index - 54);
  if (index >= 63 && index <= 65) return num(o.GetBorderHAlign(3 * (index - 63) + 1));
  if (index >= 66 && index <= 68) return num(o.GetBorderVAlign(index - 63));
#define VORN_DUMP_STRING(i, Name, d) \
  if (index == i) return o.Get##Name();
#define VORN_DUMP_INT(i, Name, d) \
  if (index == i) return num(o.Get##Name());
#define VORN_DUMP_STYLE(i, Name, d) \
  if (index == i) return num(o.Get##Name().ToBits());
#define VORN_DUMP_BOOL(i, Name, d) \
  if (index == i) return o.Get##Name() ? "true" : "false";
  VORN_STRING_PROPERTIES(VORN_DUMP_STRING)
  VORN_EVENT_PROPERTIES(VORN_DUMP_STRING)
  VORN_INT_PROPERTIES(VORN_DUMP_INT)
  VORN_STYLE_PROPERTIES(VORN_DUMP_STYLE)
  VORN_BYTE_PROPERTIES(VORN_DUMP_INT)
  VORN_BOOL_PROPERTIES(VORN_DUMP_BOOL)
#undef VORN_DUMP_STRING
#undef VORN_DUMP_INT
#undef VORN_DUMP_STYLE
#undef VORN_DUMP_BOOL
  return "<no property " + num(index) + ">";
}

// Writes a fixed odd value of the property's type: "probe" for texts, 77 for numbers (style 5,
// float 0.5), true for booleans. NAME, PARENT, PRIORITY and TAG are left alone.
inline void WriteProbe(TScriptObject& o, int index) {
  if (index >= 54 && index <= 62) return o.SetBorderSource(index - 54, "probe");
  if (index >= 63 && index <= 65) return o.SetBorderHAlign(3 * (index - 63) + 1, 77);
  if (index >= 66 && index <= 68) return o.SetBorderVAlign(index - 63, 77);
  if (index == 95 || index == 96 || index == 102) {
    return o.SetParticleParam(index == 95 ? 0 : index == 96 ? 1 : 2, 0.5L);
  }
#define VORN_PROBE_STRING(i, Name, d) \
  if (index == i) return o.Set##Name("probe");
#define VORN_PROBE_INT(i, Name, d) \
  if (index == i) return o.Set##Name(77);
#define VORN_PROBE_STYLE(i, Name, d) \
  if (index == i) return o.Set##Name(TFontStyleSet::FromBits(5));
#define VORN_PROBE_BOOL(i, Name, d) \
  if (index == i) return o.Set##Name(true);
  VORN_STRING_PROPERTIES(VORN_PROBE_STRING)
  VORN_EVENT_PROPERTIES(VORN_PROBE_STRING)
  VORN_INT_PROPERTIES(VORN_PROBE_INT)
  VORN_STYLE_PROPERTIES(VORN_PROBE_STYLE)
  VORN_BYTE_PROPERTIES(VORN_PROBE_INT)
  VORN_BOOL_PROPERTIES(VORN_PROBE_BOOL)
#undef VORN_PROBE_STRING
#undef VORN_PROBE_INT
#undef VORN_PROBE_STYLE
#undef VORN_PROBE_BOOL
}

inline std::array<std::string, kPropertyCount> DumpProperties(const TScriptObject& o) {
  std::array<std::string, kPropertyCount> values;
  for (int i = 0; i < kPropertyCount; ++i) values[static_cast<std::size_t>(i)] = PropertyText(o, i);
  return values;
}

}  // namespace vorn::testing

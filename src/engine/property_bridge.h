#pragma once

// Scripts address component properties by number (the position of the property's name in the
// property-name table). These two routines are the only way from such a number to the object's
// accessors: the GetProp/SetProp commands and functions, property motion and the property listing
// all go through them.

#include <cstdint>

namespace vorn {

class TCustomParam;
class TParamCollectionItem;
class TScriptObject;

inline constexpr int kPropertyCount = 162;

// How a property's value crosses between a variable and the object.
enum class TPropertyKind : std::uint8_t {
  kNone,     // no property behind the number (APPEARX, APPEARY, 162..255)
  kString,   // SetAsString / GetAsString
  kInteger,  // SetAsInt / GetAsInt
  kByte,     // read as 0..255, written with GetAsInt keeping the low 8 bits
  kBoolean,  // SetAsBool / GetAsBool
  kFloat,    // SetAsFloat / GetAsFloat
};

// Only the low 8 bits of a script's property number count: 256 + p is p, -1 is 255.
constexpr std::uint8_t PropertyIndexOf(std::int32_t script_value) {
  return static_cast<std::uint8_t>(static_cast<std::uint32_t>(script_value) & 0xFFu);
}

TPropertyKind PropertyKind(std::uint8_t index);
// CARETX, CARETY, CARETHEIGHT, PLAYING and COMPOTYPE: writes do nothing.
bool IsReadOnlyProperty(std::uint8_t index);

// Stores property `prop` (low byte) of the object into the target. Above 161 raises
// "GetPropエラー" and leaves the target as it was.
void GetObjectProp(TParamCollectionItem& target, const TScriptObject& object, std::int32_t prop);

// Writes the value into property `prop` (low byte). APPEARX, APPEARY and above 161 raise
// "SetPropエラー"; read-only properties ignore the write. The object is unchanged on a raise.
void SetObjectProp(TScriptObject& object, std::int32_t prop, const TCustomParam& value);

}  // namespace vorn

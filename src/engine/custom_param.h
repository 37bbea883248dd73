#pragma once

// Every value a script handles is a TCustomParam: a one-dimensional array of elements of one
// type, optionally shaped by a list of extents. Script code reaches values only through the virtual
// operations below, so any value can stand wherever another is expected.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/extended_float.h"
#include "foundation/stream.h"
#include "foundation/vocabulary_codes.h"

namespace vorn {

class TParamVar;

// Largest element count a value may take. Extents are multiplied in 64 bits and checked against it,
// so a product that would wrap (65536 x 65536) or could not be allocated is refused up front.
inline constexpr std::int64_t kMaxParamElements = std::int64_t{1} << 24;

class TCustomParam {
 public:
  TCustomParam() = default;
  TCustomParam(const TCustomParam&) = delete;
  TCustomParam& operator=(const TCustomParam&) = delete;
  virtual ~TCustomParam() = default;

  virtual std::int32_t Count() const { return 1; }
  virtual void SetCount(std::int32_t) {}
  virtual std::uint8_t ParamType() const { return PT_INT; }
  virtual bool GetAsBool() const { return false; }
  virtual TExtended GetAsFloat() const { return 0; }
  virtual std::int32_t GetAsInt() const { return 0; }
  virtual std::string GetAsString() const { return {}; }
  virtual void SetAsBool(bool) {}
  virtual void SetAsFloat(TExtended) {}
  virtual void SetAsInt(std::int32_t) {}
  virtual void SetAsString(std::string_view) {}
  virtual std::int32_t GetIntAt(std::int32_t) const { return 0; }
  virtual void SetIntAt(std::int32_t, std::int32_t) {}
  virtual TExtended GetFloatAt(std::int32_t) const { return 0; }
  virtual void SetFloatAt(std::int32_t, TExtended) {}
  virtual bool GetBoolAt(std::int32_t) const { return false; }
  virtual void SetBoolAt(std::int32_t, bool) {}
  virtual std::string GetStrAt(std::int32_t) const { return {}; }
  virtual void SetStrAt(std::int32_t, std::string_view) {}
  virtual std::int32_t DimCount() const;
  virtual std::int32_t DimSize(std::int32_t d) const;
  // Copies the other's extents (element classes: and all its elements when it is of their class).
  virtual void Assign(const TCustomParam& other);
  // Raises "配列の要素数[...]が不正です" for an extent <= 0 (or a product too large) before
  // anything changes; then SetCount with the product.
  virtual void SetDims(std::span<const std::int32_t> extents);
  virtual void FillInt(std::int32_t) {}
  virtual void FillFloat(TExtended) {}
  virtual void FillBool(bool) {}
  virtual void FillStr(std::string_view) {}
  virtual void CopyMem(const TCustomParam&) {}
  virtual void SaveToStream(TStream& stream) const;
  virtual void LoadFromStream(TStream& stream);
  virtual void DropDims() {}
  // First element (as text) that matches: partial = contains; else exact when case-sensitive,
  // else equal ignoring case. -1 when none does.
  virtual std::int32_t IndexOf(std::string_view text, bool case_sensitive, bool partial) const;

  // The value as a reference to another variable's element, or null for the element classes.
  virtual TParamVar* AsReference() { return nullptr; }
  const TParamVar* AsReference() const { return const_cast<TCustomParam*>(this)->AsReference(); }

  // Takes the other's shape, then converts every element into this value's type.
  void ConvertFrom(const TCustomParam& other);

  const std::vector<std::int32_t>& Extents() const { return dims_; }

 protected:
  void WriteExtents(TStream& stream) const;
  void ReadExtents(TStream& stream);
  // Checks the extents and returns their product; raises the extent error.
  static std::int32_t CheckedProduct(std::span<const std::int32_t> extents);

  std::vector<std::int32_t> dims_;
};

// Code's low seven bits: 0 reference, 1 integer, 2 float, 3 boolean, 4 string; others give null.
std::unique_ptr<TCustomParam> CreateParamByType(std::uint8_t code);

// The extent error text for extents joined by ",".
std::string ExtentErrorText(std::span<const std::int32_t> extents);

}  // namespace vorn

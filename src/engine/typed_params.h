#pragma once

// The four element classes of script values: integers, extended floats, booleans and strings.
// Each converts on the fly between its element type and the type an operation asks for.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/custom_param.h"
#include "engine/number_text.h"

namespace vorn {

namespace param_detail {

struct IntElement {
  using Type = std::int32_t;
  static constexpr std::uint8_t kCode = PT_INT;
  static std::int32_t ToInt(Type v) { return v; }
  static TExtended ToFloat(Type v) { return v; }
  static bool ToBool(Type v) { return v != 0; }
  static std::string ToStr(Type v) { return IntToText(v); }
  static Type FromInt(std::int32_t v) { return v; }
  static Type FromFloat(TExtended x) { return FloatToInt(x); }
  static Type FromBool(bool b) { return b ? 1 : 0; }
  static Type FromStr(std::string_view s) { return TextToIntOrZero(s); }
  static constexpr std::int64_t kMinStoredBytes = 4;
  static void Write(TStream& stream, const Type& v);
  static Type Read(TStream& stream);
};

struct FloatElement {
  using Type = TExtended;
  static constexpr std::uint8_t kCode = PT_FLOAT;
  static std::int32_t ToInt(Type v) { return FloatToInt(v); }
  static TExtended ToFloat(Type v) { return v; }
  static bool ToBool(Type v) { return v != 0; }
  static std::string ToStr(Type v) { return FloatToText(v); }
  static Type FromInt(std::int32_t v) { return v; }
  static Type FromFloat(TExtended x) { return x; }
  static Type FromBool(bool b) { return b ? 1 : 0; }
  static Type FromStr(std::string_view s) { return TextToFloatOrZero(s); }
  static constexpr std::int64_t kMinStoredBytes = kExtendedBytes;
  static void Write(TStream& stream, const Type& v);
  static Type Read(TStream& stream);
};

struct FlagElement {
  using Type = std::uint8_t;  // 0 or 1
  static constexpr std::uint8_t kCode = PT_BOOL;
  static std::int32_t ToInt(Type v) { return v != 0 ? 1 : 0; }
  static TExtended ToFloat(Type v) { return v != 0 ? 1 : 0; }
  static bool ToBool(Type v) { return v != 0; }
  static std::string ToStr(Type v) { return v != 0 ? "TRUE" : "FALSE"; }
  static Type FromInt(std::int32_t v) { return v != 0; }
  static Type FromFloat(TExtended x) { return x != 0; }
  static Type FromBool(bool b) { return b; }
  static Type FromStr(std::string_view s) { return s == "TRUE"; }
  static constexpr std::int64_t kMinStoredBytes = 1;
  static void Write(TStream& stream, const Type& v);
  static Type Read(TStream& stream);
};

struct StrElement {
  using Type = std::string;
  static constexpr std::uint8_t kCode = PT_STR;
  static std::int32_t ToInt(const Type& v) { return TextToIntOrZero(v); }
  static TExtended ToFloat(const Type& v) { return TextToFloatOrZero(v); }
  static bool ToBool(const Type& v) { return v == "TRUE"; }
  static std::string ToStr(const Type& v) { return v; }
  static Type FromInt(std::int32_t v) { return IntToText(v); }
  static Type FromFloat(TExtended x) { return FloatToText(x); }
  static Type FromBool(bool b) { return b ? "TRUE" : "FALSE"; }
  static Type FromStr(std::string_view s) { return std::string(s); }
  static constexpr std::int64_t kMinStoredBytes = 4;
  static void Write(TStream& stream, const Type& v);
  static Type Read(TStream& stream);
};

// Raises "配列の添字が不正です".
[[noreturn]] void ThrowBadIndex();

}  // namespace param_detail

template <typename Element>
class TTypedParam : public TCustomParam {
 public:
  using Type = typename Element::Type;

  TTypedParam() : items_(1) {}

  std::int32_t Count() const override { return static_cast<std::int32_t>(items_.size()); }
  void SetCount(std::int32_t n) override;
  std::uint8_t ParamType() const override { return Element::kCode; }

  bool GetAsBool() const override { return items_.empty() ? false : Element::ToBool(items_[0]); }
  TExtended GetAsFloat() const override { return items_.empty() ? 0 : Element::ToFloat(items_[0]); }
  std::int32_t GetAsInt() const override { return items_.empty() ? 0 : Element::ToInt(items_[0]); }
  std::string GetAsString() const override { return items_.empty() ? std::string() : Element::ToStr(items_[0]); }
  void SetAsBool(bool b) override { First() = Element::FromBool(b); }
  void SetAsFloat(TExtended x) override { First() = Element::FromFloat(x); }
  void SetAsInt(std::int32_t v) override { First() = Element::FromInt(v); }
  void SetAsString(std::string_view s) override { First() = Element::FromStr(s); }

  std::int32_t GetIntAt(std::int32_t i) const override { return Element::ToInt(items_[Checked(i)]); }
  void SetIntAt(std::int32_t i, std::int32_t v) override { items_[Checked(i)] = Element::FromInt(v); }
  TExtended GetFloatAt(std::int32_t i) const override { return Element::ToFloat(items_[Checked(i)]); }
  void SetFloatAt(std::int32_t i, TExtended x) override { items_[Checked(i)] = Element::FromFloat(x); }
  bool GetBoolAt(std::int32_t i) const override { return Element::ToBool(items_[Checked(i)]); }
  void SetBoolAt(std::int32_t i, bool b) override { items_[Checked(i)] = Element::FromBool(b); }
  std::string GetStrAt(std::int32_t i) const override { return Element::ToStr(items_[Checked(i)]); }
  void SetStrAt(std::int32_t i, std::string_view s) override { items_[Checked(i)] = Element::FromStr(s); }

  void Assign(const TCustomParam& other) override;
  void CopyMem(const TCustomParam& other) override;
  void SaveToStream(TStream& stream) const override;
  void LoadFromStream(TStream& stream) override;
  void DropDims() override;

  const std::vector<Type>& Items() const { return items_; }
  std::vector<Type>& Items() { return items_; }

 protected:
  std::size_t Checked(std::int32_t i) const {
    if (i < 0 || static_cast<std::size_t>(i) >= items_.size()) param_detail::ThrowBadIndex();
    return static_cast<std::size_t>(i);
  }
  // Element 0 for a scalar write: the value loses its shape first.
  Type& First() {
    DropDims();
    if (items_.empty()) items_.resize(1);
    return items_[0];
  }

  std::vector<Type> items_;
};

extern template class TTypedParam<param_detail::IntElement>;
extern template class TTypedParam<param_detail::FloatElement>;
extern template class TTypedParam<param_detail::FlagElement>;
extern template class TTypedParam<param_detail::StrElement>;

class TParamInt final : public TTypedParam<param_detail::IntElement> {
 public:
  void FillInt(std::int32_t v) override;
};

class TParamFloat final : public TTypedParam<param_detail::FloatElement> {
 public:
  void FillFloat(TExtended x) override;
};

class TParamFlag final : public TTypedParam<param_detail::FlagElement> {
 public:
  void FillBool(bool b) override;
};

class TParamStr final : public TTypedParam<param_detail::StrElement> {
 public:
  void FillStr(std::string_view s) override;
};

}  // namespace vorn

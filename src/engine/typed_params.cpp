#include "engine/typed_params.h"

#include <typeinfo>

#include "engine/script_error.h"
#include "foundation/errors.h"
#include "foundation/stream_encoding.h"
#include "foundation/system_texts.h"

namespace vorn {
namespace param_detail {

void ThrowBadIndex() { throw EScriptError(std::string(texts::kArrayIndexInvalid)); }

void IntElement::Write(TStream& stream, const Type& v) { WriteIntToStream(stream, v); }
IntElement::Type IntElement::Read(TStream& stream) { return ReadIntFromStream(stream); }
void FloatElement::Write(TStream& stream, const Type& v) { WriteExtendedToStream(stream, v); }
FloatElement::Type FloatElement::Read(TStream& stream) { return ReadExtendedFromStream(stream); }
void FlagElement::Write(TStream& stream, const Type& v) { WriteByteToStream(stream, v != 0 ? 1 : 0); }
// Any non-zero byte is true; kept as 0/1 so element reads stay canonical.
FlagElement::Type FlagElement::Read(TStream& stream) { return ReadByteFromStream(stream) != 0 ? 1 : 0; }
void StrElement::Write(TStream& stream, const Type& v) { WriteStrToStream(stream, v); }
StrElement::Type StrElement::Read(TStream& stream) { return ReadStrFromStream(stream); }

}  // namespace param_detail

template <typename Element>
void TTypedParam<Element>::SetCount(std::int32_t n) {
  if (n < 0 || n > kMaxParamElements) {
    const std::int32_t extents[] = {n};
    throw EScriptError(ExtentErrorText(extents));
  }
  items_.resize(static_cast<std::size_t>(n));
}

template <typename Element>
void TTypedParam<Element>::Assign(const TCustomParam& other) {
  TCustomParam::Assign(other);
  if (const auto* same = dynamic_cast<const TTypedParam<Element>*>(&other)) items_ = same->items_;
}

template <typename Element>
void TTypedParam<Element>::CopyMem(const TCustomParam& other) {
  const auto* same = dynamic_cast<const TTypedParam<Element>*>(&other);
  if (same == nullptr) throw EScriptError(std::string(texts::kCopyMemTypeMismatch));
  if (same == this) return;
  std::vector<std::int32_t> extents(static_cast<std::size_t>(other.DimCount()));
  for (std::size_t d = 0; d < extents.size(); ++d) extents[d] = other.DimSize(static_cast<std::int32_t>(d));
  items_ = same->items_;
  dims_ = std::move(extents);
}

template <typename Element>
void TTypedParam<Element>::SaveToStream(TStream& stream) const {
  WriteExtents(stream);
  WriteIntToStream(stream, static_cast<std::int32_t>(items_.size()));
  for (const auto& item : items_) Element::Write(stream, item);
}

template <typename Element>
void TTypedParam<Element>::LoadFromStream(TStream& stream) {
  ReadExtents(stream);
  const std::int32_t count = ReadIntFromStream(stream);
  // Never empty: scalar reads take element 0. A count that disagrees with the extents is taken
  // as it stands.
  if (count < 1 || count > kMaxParamElements || count * Element::kMinStoredBytes > stream.Remaining()) {
    throw EReadError("bad element count in a value");
  }
  std::vector<Type> items(static_cast<std::size_t>(count));
  for (auto& item : items) item = Element::Read(stream);
  items_ = std::move(items);
}

template <typename Element>
void TTypedParam<Element>::DropDims() {
  if (dims_.empty()) return;
  dims_.clear();
  items_.resize(1);
}

template class TTypedParam<param_detail::IntElement>;
template class TTypedParam<param_detail::FloatElement>;
template class TTypedParam<param_detail::FlagElement>;
template class TTypedParam<param_detail::StrElement>;

void TParamInt::FillInt(std::int32_t v) { std::fill(items_.begin(), items_.end(), v); }
void TParamFloat::FillFloat(TExtended x) { std::fill(items_.begin(), items_.end(), x); }
void TParamFlag::FillBool(bool b) { std::fill(items_.begin(), items_.end(), b ? 1 : 0); }
void TParamStr::FillStr(std::string_view s) {
  for (auto& item : items_) item.assign(s);
}

}  // namespace vorn

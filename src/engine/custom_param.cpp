#include "engine/custom_param.h"

#include "engine/param_var.h"
#include "engine/script_error.h"
#include "engine/typed_params.h"
#include "foundation/errors.h"
#include "foundation/stream_encoding.h"
#include "foundation/system_texts.h"

namespace vorn {

std::string ExtentErrorText(std::span<const std::int32_t> extents) {
  std::string joined;
  for (std::size_t i = 0; i < extents.size(); ++i) {
    if (i > 0) joined += ',';
    joined += IntToText(extents[i]);
  }
  return FormatText(texts::kArrayExtentInvalidFormat, joined);
}

std::int32_t TCustomParam::CheckedProduct(std::span<const std::int32_t> extents) {
  std::int64_t product = 1;
  for (const std::int32_t extent : extents) {
    if (extent <= 0) throw EScriptError(ExtentErrorText(extents));
    product *= extent;
    if (product > kMaxParamElements) throw EScriptError(ExtentErrorText(extents));
  }
  return static_cast<std::int32_t>(product);
}

std::int32_t TCustomParam::DimCount() const {
  return dims_.empty() ? 1 : static_cast<std::int32_t>(dims_.size());
}

std::int32_t TCustomParam::DimSize(std::int32_t d) const {
  if (d >= 0 && static_cast<std::size_t>(d) < dims_.size()) return dims_[static_cast<std::size_t>(d)];
  return 1;
}

void TCustomParam::Assign(const TCustomParam& other) { dims_ = other.dims_; }

void TCustomParam::SetDims(std::span<const std::int32_t> extents) {
  const std::int32_t product = CheckedProduct(extents);
  dims_.assign(extents.begin(), extents.end());
  SetCount(product);
}

void TCustomParam::WriteExtents(TStream& stream) const {
  WriteIntToStream(stream, static_cast<std::int32_t>(dims_.size()));
  for (const std::int32_t extent : dims_) WriteIntToStream(stream, extent);
}

void TCustomParam::ReadExtents(TStream& stream) {
  const std::int32_t count = ReadIntFromStream(stream);
  if (count < 0 || std::int64_t{count} * 4 > stream.Remaining()) throw EReadError("bad extent count in a value");
  std::vector<std::int32_t> extents(static_cast<std::size_t>(count));
  for (auto& extent : extents) {
    extent = ReadIntFromStream(stream);
    if (extent <= 0) throw EReadError("bad extent in a value");
  }
  dims_ = std::move(extents);
}

void TCustomParam::SaveToStream(TStream& stream) const { WriteExtents(stream); }

void TCustomParam::LoadFromStream(TStream& stream) { ReadExtents(stream); }

void TCustomParam::ConvertFrom(const TCustomParam& other) {
  std::vector<std::int32_t> extents(static_cast<std::size_t>(other.DimCount()));
  for (std::size_t d = 0; d < extents.size(); ++d) extents[d] = other.DimSize(static_cast<std::int32_t>(d));
  SetDims(extents);
  const std::int32_t count = other.Count();
  switch (ParamType()) {
    case PT_INT:
      for (std::int32_t i = 0; i < count; ++i) SetIntAt(i, other.GetIntAt(i));
      break;
    case PT_FLOAT:
      for (std::int32_t i = 0; i < count; ++i) SetFloatAt(i, other.GetFloatAt(i));
      break;
    case PT_BOOL:
      for (std::int32_t i = 0; i < count; ++i) SetBoolAt(i, other.GetBoolAt(i));
      break;
    case PT_STR:
      for (std::int32_t i = 0; i < count; ++i) SetStrAt(i, other.GetStrAt(i));
      break;
    default:
      break;
  }
}

std::unique_ptr<TCustomParam> CreateParamByType(std::uint8_t code) {
  switch (code & 0x7F) {
    case PT_NONE:
      return std::make_unique<TParamVar>();
    case PT_INT:
      return std::make_unique<TParamInt>();
    case PT_FLOAT:
      return std::make_unique<TParamFloat>();
    case PT_BOOL:
      return std::make_unique<TParamFlag>();
    case PT_STR:
      return std::make_unique<TParamStr>();
    default:
      return nullptr;
  }
}

}  // namespace vorn

#include "engine/param_var.h"

#include "engine/script_error.h"
#include "foundation/hash_collection.h"
#include "foundation/sjis.h"
#include "foundation/stream_encoding.h"
#include "foundation/system_texts.h"

namespace vorn {
namespace {

TReferenceResolver* g_resolver = nullptr;

// References may point at references; a chain that loops (possible from a hostile save) must
// not recurse forever, so a chain deeper than this reads as unresolved.
constexpr int kMaxReferenceDepth = 16;
thread_local int t_reference_depth = 0;

struct DepthGuard {
  DepthGuard() { ++t_reference_depth; }
  ~DepthGuard() { --t_reference_depth; }
  bool TooDeep() const { return t_reference_depth > kMaxReferenceDepth; }
};

}  // namespace

TValueHolder::~TValueHolder() {
  if (anchor_) anchor_->holder = nullptr;
}

const std::shared_ptr<TValueAnchor>& TValueHolder::Anchor() {
  if (!anchor_) {
    anchor_ = std::make_shared<TValueAnchor>();
    anchor_->holder = this;
  }
  return anchor_;
}

void TValueHolder::DetachAnchor() {
  if (anchor_ && anchor_.use_count() > 1) {
    anchor_->holder = nullptr;
    anchor_.reset();
  }
}

TReferenceResolver* SetReferenceResolver(TReferenceResolver* resolver) {
  TReferenceResolver* previous = g_resolver;
  g_resolver = resolver;
  return previous;
}

TReferenceResolver* CurrentReferenceResolver() { return g_resolver; }

void TParamVar::Link(TValueHolder* holder) {
  pending_target_.clear();
  if (holder == nullptr) {
    anchor_.reset();
  } else {
    anchor_ = holder->Anchor();
  }
}

TFoldedName MakeFoldedName(std::string_view name) {
  TFoldedName folded;
  folded.text = Cp932LowerCase(name);
  std::uint32_t hash = 2166136261u;
  for (const char c : folded.text) hash = (hash ^ static_cast<std::uint8_t>(c)) * 16777619u;
  folded.hash = hash;
  folded.bucket = HashName(folded.text);
  return folded;
}

const TFoldedName& TParamVar::FoldedName() const {
  if (!folded_valid_) {
    folded_ = MakeFoldedName(name_);
    folded_valid_ = true;
  }
  return folded_;
}

void TParamVar::Resolve() {
  TValueHolder* holder = g_resolver ? g_resolver->FindForReference(name_) : nullptr;
  if (holder == nullptr) throw EScriptError(FormatText(texts::kVariableMissingFormat, name_));
  LinkResolved(holder);
}

void TParamVar::LinkResolved(TValueHolder* holder) {
  Link(holder);
  if (const TCustomParam* value = holder->HeldValue()) {
    if (const TParamVar* other = value->AsReference()) index_ = other->index_;
  }
}

template <typename R, typename F>
R TParamVar::Forward(R none, F&& f) const {
  const TValueHolder* holder = Target();
  if (holder == nullptr) return none;
  TCustomParam* value = holder->HeldValue();
  if (value == nullptr) return none;
  DepthGuard guard;
  if (guard.TooDeep()) return none;
  return f(*value);
}

std::int32_t TParamVar::Count() const {
  return Forward<std::int32_t>(1, [](TCustomParam& v) { return v.Count(); });
}
void TParamVar::SetCount(std::int32_t n) {
  Forward<int>(0, [n](TCustomParam& v) { return v.SetCount(n), 0; });
}
std::uint8_t TParamVar::ParamType() const {
  return Forward<std::uint8_t>(PT_NONE, [](TCustomParam& v) { return v.ParamType(); });
}
bool TParamVar::GetAsBool() const {
  return Forward<bool>(false, [this](TCustomParam& v) { return v.GetBoolAt(index_); });
}
TExtended TParamVar::GetAsFloat() const {
  return Forward<TExtended>(0, [this](TCustomParam& v) { return v.GetFloatAt(index_); });
}
std::int32_t TParamVar::GetAsInt() const {
  return Forward<std::int32_t>(0, [this](TCustomParam& v) { return v.GetIntAt(index_); });
}
std::string TParamVar::GetAsString() const {
  return Forward<std::string>({}, [this](TCustomParam& v) { return v.GetStrAt(index_); });
}
void TParamVar::SetAsBool(bool b) {
  Forward<int>(0, [&](TCustomParam& v) { return v.SetBoolAt(index_, b), 0; });
}
void TParamVar::SetAsFloat(TExtended x) {
  Forward<int>(0, [&](TCustomParam& v) { return v.SetFloatAt(index_, x), 0; });
}
void TParamVar::SetAsInt(std::int32_t n) {
  Forward<int>(0, [&](TCustomParam& v) { return v.SetIntAt(index_, n), 0; });
}
void TParamVar::SetAsString(std::string_view s) {
  Forward<int>(0, [&](TCustomParam& v) { return v.SetStrAt(index_, s), 0; });
}
std::int32_t TParamVar::GetIntAt(std::int32_t i) const {
  return Forward<std::int32_t>(0, [i](TCustomParam& v) { return v.GetIntAt(i); });
}
void TParamVar::SetIntAt(std::int32_t i, std::int32_t n) {
  Forward<int>(0, [&](TCustomParam& v) { return v.SetIntAt(i, n), 0; });
}
TExtended TParamVar::GetFloatAt(std::int32_t i) const {
  return Forward<TExtended>(0, [i](TCustomParam& v) { return v.GetFloatAt(i); });
}
void TParamVar::SetFloatAt(std::int32_t i, TExtended x) {
  Forward<int>(0, [&](TCustomParam& v) { return v.SetFloatAt(i, x), 0; });
}
bool TParamVar::GetBoolAt(std::int32_t i) const {
  return Forward<bool>(false, [i](TCustomParam& v) { return v.GetBoolAt(i); });
}
void TParamVar::SetBoolAt(std::int32_t i, bool b) {
  Forward<int>(0, [&](TCustomParam& v) { return v.SetBoolAt(i, b), 0; });
}
std::string TParamVar::GetStrAt(std::int32_t i) const {
  return Forward<std::string>({}, [i](TCustomParam& v) { return v.GetStrAt(i); });
}
void TParamVar::SetStrAt(std::int32_t i, std::string_view s) {
  Forward<int>(0, [&](TCustomParam& v) { return v.SetStrAt(i, s), 0; });
}
std::int32_t TParamVar::DimCount() const {
  return Forward<std::int32_t>(1, [](TCustomParam& v) { return v.DimCount(); });
}
std::int32_t TParamVar::DimSize(std::int32_t d) const {
  return Forward<std::int32_t>(1, [d](TCustomParam& v) { return v.DimSize(d); });
}
void TParamVar::SetDims(std::span<const std::int32_t> extents) {
  Forward<int>(0, [&](TCustomParam& v) { return v.SetDims(extents), 0; });
}
void TParamVar::FillInt(std::int32_t n) {
  Forward<int>(0, [&](TCustomParam& v) { return v.FillInt(n), 0; });
}
void TParamVar::FillFloat(TExtended x) {
  Forward<int>(0, [&](TCustomParam& v) { return v.FillFloat(x), 0; });
}
void TParamVar::FillBool(bool b) {
  Forward<int>(0, [&](TCustomParam& v) { return v.FillBool(b), 0; });
}
void TParamVar::FillStr(std::string_view s) {
  Forward<int>(0, [&](TCustomParam& v) { return v.FillStr(s), 0; });
}
void TParamVar::CopyMem(const TCustomParam& other) {
  Forward<int>(0, [&](TCustomParam& v) { return v.CopyMem(other), 0; });
}
void TParamVar::DropDims() {
  Forward<int>(0, [](TCustomParam& v) { return v.DropDims(), 0; });
}
std::int32_t TParamVar::IndexOf(std::string_view text, bool case_sensitive, bool partial) const {
  return Forward<std::int32_t>(-1, [&](TCustomParam& v) { return v.IndexOf(text, case_sensitive, partial); });
}

void TParamVar::SaveToStream(TStream& stream) const {
  WriteExtents(stream);
  WriteStrToStream(stream, name_);
  const TValueHolder* holder = Target();
  WriteStrToStream(stream, holder ? holder->HeldName() : std::string_view());
  WriteByteToStream(stream, flag_);
  WriteIntToStream(stream, index_);
}

void TParamVar::LoadFromStream(TStream& stream) {
  ReadExtents(stream);
  name_ = ReadStrFromStream(stream);
  const std::string target = ReadStrFromStream(stream);
  flag_ = ReadByteFromStream(stream);
  index_ = ReadIntFromStream(stream);
  anchor_.reset();
  pending_target_.clear();
  if (target.empty()) return;
  TValueHolder* holder = g_resolver != nullptr ? g_resolver->FindForReference(target) : nullptr;
  if (holder != nullptr) {
    Link(holder);
  } else {
    pending_target_ = target;
  }
}

void TParamVar::LinkPending() {
  if (pending_target_.empty()) return;
  if (TValueHolder* holder = g_resolver != nullptr ? g_resolver->FindForReference(pending_target_) : nullptr) {
    Link(holder);
  }
  pending_target_.clear();
}

}  // namespace vorn

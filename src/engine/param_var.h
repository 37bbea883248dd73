#pragma once

// TParamVar: a reference to one element of another variable. It never owns its target, and the
// target may be freed while the reference lives (variable deletion, frame ends, game loads), so
// it holds the target through an anchor that the target clears when it dies: a freed target reads
// as unresolved (0, empty, false; writes ignored) instead of dangling.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/custom_param.h"

namespace vorn {

class TValueHolder;

// A variable name prepared for lookups: its case fold, bucket and a hash of the fold, so a lookup
// neither re-folds nor compares the bytes of names that cannot match.
struct TFoldedName {
  std::string text;
  std::uint32_t hash = 0;
  std::uint8_t bucket = 0;
};
TFoldedName MakeFoldedName(std::string_view name);

struct TValueAnchor {
  TValueHolder* holder = nullptr;
};

// Something that owns a value a reference can point at: a variable item.
class TValueHolder {
 public:
  TValueHolder() = default;
  TValueHolder(const TValueHolder&) = delete;
  TValueHolder& operator=(const TValueHolder&) = delete;
  virtual ~TValueHolder();

  virtual TCustomParam* HeldValue() const = 0;
  virtual std::string_view HeldName() const = 0;

  const std::shared_ptr<TValueAnchor>& Anchor();
  // Makes every reference held so far see this holder as gone (it leaves the variable set but
  // lives on for reuse). The anchor is kept when nobody else holds it.
  void DetachAnchor();

 private:
  std::shared_ptr<TValueAnchor> anchor_;
};

// How references find their targets by name: the process's variable set installs itself.
class TReferenceResolver {
 public:
  virtual ~TReferenceResolver() = default;
  virtual TValueHolder* FindForReference(std::string_view name) = 0;
};

// Installs the resolver (null removes it); returns the previous one.
TReferenceResolver* SetReferenceResolver(TReferenceResolver* resolver);
TReferenceResolver* CurrentReferenceResolver();

class TParamVar final : public TCustomParam {
 public:
  TParamVar() = default;
  explicit TParamVar(std::string name) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }
  void SetName(std::string name) {
    name_ = std::move(name);
    folded_valid_ = false;
  }
  // The name in the collection's case fold, computed once: lookups by an operand then neither
  // re-fold nor re-hash it.
  const TFoldedName& FoldedName() const;
  TParamVar* AsReference() override { return this; }
  std::uint8_t Flag() const { return flag_; }
  void SetFlag(std::uint8_t flag) { flag_ = flag; }
  std::int32_t ElementIndex() const { return index_; }
  void SetElementIndex(std::int32_t index) { index_ = index; }

  void Link(TValueHolder* holder);
  void Unlink() { anchor_.reset(); }
  TValueHolder* Target() const { return anchor_ ? anchor_->holder : nullptr; }
  // A target named by a loaded record that did not exist yet when the record was read; the
  // variable loader links these once all records are in.
  const std::string& PendingTarget() const { return pending_target_; }
  void LinkPending();
  // Looks the name up among all variables and links it; when the named variable is itself a
  // reference, takes over its element index. Raises "\"%s\" 変数がありません" when missing.
  void Resolve();
  // Links an item found by the caller, taking over its element index as Resolve does.
  void LinkResolved(TValueHolder* holder);

  std::int32_t Count() const override;
  void SetCount(std::int32_t n) override;
  std::uint8_t ParamType() const override;
  bool GetAsBool() const override;
  TExtended GetAsFloat() const override;
  std::int32_t GetAsInt() const override;
  std::string GetAsString() const override;
  void SetAsBool(bool b) override;
  void SetAsFloat(TExtended x) override;
  void SetAsInt(std::int32_t v) override;
  void SetAsString(std::string_view s) override;
  std::int32_t GetIntAt(std::int32_t i) const override;
  void SetIntAt(std::int32_t i, std::int32_t v) override;
  TExtended GetFloatAt(std::int32_t i) const override;
  void SetFloatAt(std::int32_t i, TExtended x) override;
  bool GetBoolAt(std::int32_t i) const override;
  void SetBoolAt(std::int32_t i, bool b) override;
  std::string GetStrAt(std::int32_t i) const override;
  void SetStrAt(std::int32_t i, std::string_view s) override;
  std::int32_t DimCount() const override;
  std::int32_t DimSize(std::int32_t d) const override;
  void SetDims(std::span<const std::int32_t> extents) override;
  void FillInt(std::int32_t v) override;
  void FillFloat(TExtended x) override;
  void FillBool(bool b) override;
  void FillStr(std::string_view s) override;
  void CopyMem(const TCustomParam& other) override;
  void SaveToStream(TStream& stream) const override;
  void LoadFromStream(TStream& stream) override;
  void DropDims() override;
  std::int32_t IndexOf(std::string_view text, bool case_sensitive, bool partial) const override;

 private:
  template <typename R, typename F>
  R Forward(R none, F&& f) const;

  std::string name_;
  mutable TFoldedName folded_;
  mutable bool folded_valid_ = false;
  std::shared_ptr<TValueAnchor> anchor_;
  std::string pending_target_;
  std::uint8_t flag_ = 0;
  std::int32_t index_ = 0;
};

}  // namespace vorn

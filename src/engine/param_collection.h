#pragma once

// The one set of script variables: the 50 system variables, the variables scripts declare in four
// scopes, and the temporaries of running expressions. Names are looked up ignoring case through
// the hash buckets; locals of the current call depth hide other variables of the same name.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "engine/custom_param.h"
#include "engine/param_var.h"
#include "foundation/hash_collection.h"
#include "foundation/stream.h"

namespace vorn {

class TParamCollection;

enum class TVarScope : std::uint8_t { kGlobal = 0, kAutoFree = 1, kLocal = 2, kStatus = 3 };

class TParamCollectionItem : public THashCollectionItem, public TValueHolder {
 public:
  TParamCollectionItem() = default;

  // Rejects an empty name, a half-width space and a leading digit with "\"%s\"：変数名が不正です".
  void SetName(std::string_view name);

  TCustomParam& Value() const { return *value_; }
  void SetValue(std::unique_ptr<TCustomParam> value) { value_ = std::move(value); }
  // Replaces the value with a fresh one of the type code; an unknown code raises.
  void SetType(std::uint8_t code);
  // Turns the item into system variable `number`, named from the vocabulary.
  void MakeSystem(int number);
  bool IsSystem() const { return system_number_ >= 0; }
  int SystemNumber() const { return system_number_; }

  std::uint8_t Reserved() const { return reserved_; }
  void SetReserved(std::uint8_t value) { reserved_ = value; }
  bool IsStatus() const { return status_ != 0; }
  std::uint8_t StatusFlag() const { return status_; }
  void SetStatusFlag(std::uint8_t value) { status_ = value; }
  std::int32_t FrameId() const { return frame_id_; }
  void SetFrameId(std::int32_t value) { frame_id_ = value; }
  bool IsLocal() const { return local_ != 0; }
  std::uint8_t LocalFlag() const { return local_; }
  void SetLocalFlag(std::uint8_t value) { local_ = value; }
  // Makes a detached item like a fresh one of value class `code` again; false when its value is
  // of another class.
  bool ResetForReuse(std::uint8_t code);
  // Sets frame id, local and status flags as a declaration of that scope at the current depth does.
  void ApplyScope(TVarScope scope, std::int32_t current_frame);

  virtual std::int32_t GetAsInt() const { return value_->GetAsInt(); }
  virtual void SetAsInt(std::int32_t v) { value_->SetAsInt(v); }
  std::uint8_t ParamType() const { return value_->ParamType(); }
  TExtended GetAsFloat() const { return value_->GetAsFloat(); }
  void SetAsFloat(TExtended x) { value_->SetAsFloat(x); }
  bool GetAsBool() const { return value_->GetAsBool(); }
  void SetAsBool(bool b) { value_->SetAsBool(b); }
  std::string GetAsString() const { return value_->GetAsString(); }
  void SetAsString(std::string_view s) { value_->SetAsString(s); }
  std::int32_t GetIntAt(std::int32_t i) const { return value_->GetIntAt(i); }
  void SetIntAt(std::int32_t i, std::int32_t v) { value_->SetIntAt(i, v); }
  TExtended GetFloatAt(std::int32_t i) const { return value_->GetFloatAt(i); }
  void SetFloatAt(std::int32_t i, TExtended x) { value_->SetFloatAt(i, x); }
  bool GetBoolAt(std::int32_t i) const { return value_->GetBoolAt(i); }
  void SetBoolAt(std::int32_t i, bool b) { value_->SetBoolAt(i, b); }
  std::string GetStrAt(std::int32_t i) const { return value_->GetStrAt(i); }
  void SetStrAt(std::int32_t i, std::string_view s) { value_->SetStrAt(i, s); }
  std::int32_t Count() const { return value_->Count(); }
  void SetCount(std::int32_t n) { value_->SetCount(n); }
  std::int32_t DimCount() const { return value_->DimCount(); }
  std::int32_t DimSize(std::int32_t d) const { return value_->DimSize(d); }
  void SetDims(std::span<const std::int32_t> extents) { value_->SetDims(extents); }
  void FillInt(std::int32_t v) { value_->FillInt(v); }
  void FillFloat(TExtended x) { value_->FillFloat(x); }
  void FillBool(bool b) { value_->FillBool(b); }
  void FillStr(std::string_view s) { value_->FillStr(s); }
  void CopyMem(const TCustomParam& other) { value_->CopyMem(other); }
  std::int32_t IndexOf(std::string_view text, bool case_sensitive, bool partial) const {
    return value_->IndexOf(text, case_sensitive, partial);
  }
  void ConvertFrom(const TCustomParam& other) { value_->ConvertFrom(other); }

  // One variable record: type byte, name, value, status flag, reserved byte, frame id, local flag.
  void SaveToStream(TStream& stream) const;

  // The name in the case fold, kept so lookups compare bytes instead of folding every candidate.
  const std::string& FoldedName() const { return folded_.text; }

  TCustomParam* HeldValue() const override { return value_.get(); }
  std::string_view HeldName() const override { return Name(); }

 private:
  friend class TParamCollection;
  std::unique_ptr<TCustomParam> value_ = CreateParamByType(PT_INT);
  TFoldedName folded_;
  std::uint8_t reserved_ = 0;
  std::uint8_t status_ = 0;
  std::int32_t frame_id_ = -1;
  std::uint8_t local_ = 0;
  int system_number_ = -1;
};

// Makes the value of system variable `number`: by default the system variables' own behaviour
// (CreateSystemParam); tests may put plain values in their place.
using TSystemParamFactory = std::function<std::unique_ptr<TCustomParam>(int number)>;
void SetSystemParamFactory(TSystemParamFactory factory);

inline constexpr int kHistoryFormatCount = 6;
inline constexpr std::int32_t kDefaultTextDelay = 50;

class TParamCollection : public THashCollection, public TReferenceResolver {
 public:
  // Creates the 50 system variables as items 0..49 and becomes the current variable set.
  TParamCollection();
  ~TParamCollection() override;

  TParamCollectionItem& GetItem(int index) const { return ItemAs<TParamCollectionItem>(index); }
  // A new item whose value has the type code; the caller names it.
  TParamCollectionItem& AddParam(std::uint8_t code);
  // Frees the item (never one of the system variables).
  void FreeItem(TParamCollectionItem& item);
  // Takes a (non-system) item out of the set without freeing it: references to it go unresolved
  // and lookups no longer find it. AdoptItem puts such an item back at the end.
  std::unique_ptr<TParamCollectionItem> ExtractItem(TParamCollectionItem& item);
  TParamCollectionItem& AdoptItem(std::unique_ptr<TParamCollectionItem> item);
  // Whether the item is currently one of this set's items.
  bool Holds(const TParamCollectionItem& item) const {
    return item.Index() >= 0 && item.Index() < Count() && &Item(item.Index()) == &item;
  }

  // The variable a script means by name: a local of the current depth at once, else the
  // non-local item linked first; locals of other depths never.
  TParamCollectionItem* FindParam(std::string_view name) const;
  // FindParam for a name already in the case fold (Cp932LowerCase).
  TParamCollectionItem* FindParamFolded(const TFoldedName& folded) const;
  // The first item of that name that is a local of the current depth (local) or not local.
  TParamCollectionItem* FindScoped(std::string_view name, bool local) const;
  // A copy of the variable's value (the caller owns it); null when missing; raises
  // "%s:不正な変数です" for a reference.
  std::unique_ptr<TCustomParam> CopyParam(std::string_view name) const;
  void FreeFrame(std::int32_t id);

  std::int32_t CurrentFrameId() const { return current_frame_id_; }
  void SetCurrentFrameId(std::int32_t id) {
    current_frame_id_ = id;
    Touch();
  }

  const std::string& SelectedText() const { return selected_text_; }
  void SetSelectedText(std::string text) { selected_text_ = std::move(text); }
  std::int32_t SelectedIndex() const { return selected_index_; }
  void SetSelectedIndex(std::int32_t index) { selected_index_ = index; }
  // The six history format values set by FormatHist and used by the backlog.
  std::array<std::int32_t, kHistoryFormatCount>& HistoryFormat() { return history_format_; }
  // The name of the variable "@Temp" stands for (AssignTemp).
  const std::string& TempName() const { return temp_name_; }
  void SetTempName(std::string name) { temp_name_ = std::move(name); }

  void SaveGame(TStream& stream) const;
  void LoadGame(TStream& stream, std::int32_t version);
  void SaveStatus(TStream& stream) const;
  void LoadStatus(TStream& stream, std::int32_t version);
  void ResetGame();

  TValueHolder* FindForReference(std::string_view name) override { return FindParam(name); }

  // Bumped whenever an item is added, freed or renamed, or the frame id changes; lookups cached
  // against it stay valid while it is unchanged.
  std::uint64_t Generation() const { return generation_; }
  void Touch() { ++generation_; }

 protected:
  std::unique_ptr<THashCollectionItem> CreateItem() override;

 private:
  void FreeWhere(const std::function<bool(const TParamCollectionItem&)>& doomed);
  void FreeGameVariables();
  void WriteRecords(TStream& stream, std::vector<const TParamCollectionItem*> items) const;
  void ReadRecords(TStream& stream);
  TParamCollectionItem* System(int number) const;

  std::int32_t current_frame_id_ = 0;
  std::string selected_text_;
  std::int32_t selected_index_ = 0;
  std::array<std::int32_t, kHistoryFormatCount> history_format_{};
  std::string temp_name_;
  std::uint64_t generation_ = 0;
  TReferenceResolver* previous_resolver_ = nullptr;
  TParamCollection* previous_current_ = nullptr;
};

// The variable set scripts run against (the one created last and not yet destroyed).
TParamCollection* CurrentParams();

}  // namespace vorn

#include "engine/param_collection.h"

#include <algorithm>

#include "engine/script_error.h"
#include "engine/system_vars.h"
#include "engine/typed_params.h"
#include "foundation/errors.h"
#include "foundation/sjis.h"
#include "foundation/stream_encoding.h"
#include "foundation/system_texts.h"
#include "foundation/vocabulary.h"

namespace vorn {
namespace {

TParamCollection* g_current = nullptr;

TSystemParamFactory& SystemFactory() {
  static TSystemParamFactory factory = CreateSystemParam;
  return factory;
}

constexpr int kTextDelayNumber = 7;
constexpr int kCursorNumber = 27;
// type byte and name length: a record with an empty name ends there.
constexpr std::int64_t kMinRecordBytes = 1 + 4;

}  // namespace

void SetSystemParamFactory(TSystemParamFactory factory) {
  SystemFactory() = factory ? std::move(factory) : TSystemParamFactory(CreateSystemParam);
}

TParamCollection* CurrentParams() { return g_current; }

void TParamCollectionItem::SetName(std::string_view name) {
  const bool bad = name.empty() || name.find(' ') != std::string_view::npos || (name[0] >= '0' && name[0] <= '9');
  if (bad) throw EScriptError(FormatText(texts::kVariableNameInvalidFormat, name));
  if (name == Name() && !folded_.text.empty()) return;
  THashCollectionItem::SetName(name);
  folded_ = MakeFoldedName(name);
  static_cast<TParamCollection&>(Collection()).Touch();
}

void TParamCollectionItem::SetType(std::uint8_t code) {
  auto value = CreateParamByType(code);
  if (!value) throw EReadError("unknown variable type " + std::to_string(code));
  value_ = std::move(value);
}

void TParamCollectionItem::MakeSystem(int number) {
  value_ = SystemFactory()(number);
  system_number_ = number;
  THashCollectionItem::SetName(vocabulary::kSysVarNames[static_cast<std::size_t>(number)]);
  folded_ = MakeFoldedName(Name());
}

bool TParamCollectionItem::ResetForReuse(std::uint8_t code) {
  TCustomParam& value = *value_;
  if (TParamVar* reference = value.AsReference()) {
    if (code != PT_NONE) return false;
    reference->Unlink();
    reference->SetName("");
    reference->SetFlag(0);
    reference->SetElementIndex(0);
  } else {
    if (value.ParamType() != code) return false;
    value.DropDims();
    value.SetCount(1);
    switch (code) {
      case PT_INT:
        value.SetAsInt(0);
        break;
      case PT_FLOAT:
        value.SetAsFloat(0);
        break;
      case PT_BOOL:
        value.SetAsBool(false);
        break;
      default:
        value.SetAsString("");
        break;
    }
  }
  reserved_ = 0;
  status_ = 0;
  frame_id_ = -1;
  local_ = 0;
  return true;
}

void TParamCollectionItem::ApplyScope(TVarScope scope, std::int32_t current_frame) {
  frame_id_ = (scope == TVarScope::kAutoFree || scope == TVarScope::kLocal) ? current_frame : -1;
  local_ = scope == TVarScope::kLocal ? 1 : 0;
  status_ = scope == TVarScope::kStatus ? 1 : 0;
}

void TParamCollectionItem::SaveToStream(TStream& stream) const {
  // The class code: a reference is 0 whatever type its target has.
  WriteByteToStream(stream, value_->AsReference() != nullptr ? std::uint8_t{PT_NONE} : value_->ParamType());
  WriteStrToStream(stream, Name());
  value_->SaveToStream(stream);
  WriteByteToStream(stream, status_);
  WriteByteToStream(stream, reserved_);
  WriteIntToStream(stream, frame_id_);
  WriteByteToStream(stream, local_);
}

TParamCollection::TParamCollection() {
  for (int number = 0; number < vocabulary::kSysVarCount; ++number) {
    Emplace<TParamCollectionItem>().MakeSystem(number);
  }
  ResetGame();
  previous_resolver_ = SetReferenceResolver(this);
  previous_current_ = g_current;
  g_current = this;
}

TParamCollection::~TParamCollection() {
  if (CurrentReferenceResolver() == this) SetReferenceResolver(previous_resolver_);
  if (g_current == this) g_current = previous_current_;
  // Items die before the buckets they are chained in.
  Clear();
}

std::unique_ptr<THashCollectionItem> TParamCollection::CreateItem() {
  return std::make_unique<TParamCollectionItem>();
}

TParamCollectionItem& TParamCollection::AddParam(std::uint8_t code) {
  auto value = CreateParamByType(code);
  if (!value) throw EReadError("unknown variable type " + std::to_string(code));
  auto& item = Emplace<TParamCollectionItem>();
  item.value_ = std::move(value);
  Touch();
  return item;
}

void TParamCollection::FreeItem(TParamCollectionItem& item) {
  if (item.IsSystem()) return;
  Delete(item.Index());
  Touch();
}

std::unique_ptr<TParamCollectionItem> TParamCollection::ExtractItem(TParamCollectionItem& item) {
  item.DetachAnchor();
  auto owned = Extract(item.Index());
  Touch();
  return std::unique_ptr<TParamCollectionItem>(static_cast<TParamCollectionItem*>(owned.release()));
}

TParamCollectionItem& TParamCollection::AdoptItem(std::unique_ptr<TParamCollectionItem> item) {
  TParamCollectionItem& ref = *item;
  Adopt(std::move(item));
  Touch();
  return ref;
}

TParamCollectionItem* TParamCollection::FindParam(std::string_view name) const {
  return FindParamFolded(MakeFoldedName(name));
}

TParamCollectionItem* TParamCollection::FindParamFolded(const TFoldedName& folded) const {
  TParamCollectionItem* found = nullptr;
  for (THashCollectionItem* raw = BucketHead(folded.bucket); raw != nullptr; raw = raw->NextInBucket()) {
    auto* item = static_cast<TParamCollectionItem*>(raw);
    if (item->folded_.hash != folded.hash || item->folded_.text != folded.text) continue;
    if (item->IsLocal()) {
      if (item->frame_id_ == current_frame_id_) return item;
    } else {
      found = item;
    }
  }
  return found;
}

TParamCollectionItem* TParamCollection::FindScoped(std::string_view name, bool local) const {
  for (THashCollectionItem* raw = BucketHead(HashName(name)); raw != nullptr; raw = raw->NextInBucket()) {
    if (!Cp932SameText(raw->Name(), name)) continue;
    auto* item = static_cast<TParamCollectionItem*>(raw);
    if (local ? (item->IsLocal() && item->frame_id_ == current_frame_id_) : !item->IsLocal()) return item;
  }
  return nullptr;
}

std::unique_ptr<TCustomParam> TParamCollection::CopyParam(std::string_view name) const {
  const TParamCollectionItem* item = FindParam(name);
  if (item == nullptr) return nullptr;
  const std::uint8_t type = item->ParamType();
  if (type < PT_INT || type > PT_STR) throw EScriptError(FormatText(texts::kVariableInvalidFormat, name));
  auto copy = CreateParamByType(type);
  if (item->Value().AsReference() != nullptr) {
    copy->ConvertFrom(item->Value());
  } else {
    copy->Assign(item->Value());
  }
  return copy;
}

void TParamCollection::FreeWhere(const std::function<bool(const TParamCollectionItem&)>& doomed) {
  for (int i = Count() - 1; i >= 0; --i) {
    const auto& item = GetItem(i);
    if (!item.IsSystem() && doomed(item)) Delete(i);
  }
  Touch();
}

void TParamCollection::FreeFrame(std::int32_t id) {
  FreeWhere([id](const TParamCollectionItem& item) { return item.frame_id_ == id; });
}

void TParamCollection::FreeGameVariables() {
  FreeWhere([](const TParamCollectionItem& item) { return !item.IsStatus(); });
}

TParamCollectionItem* TParamCollection::System(int number) const { return &GetItem(number); }

void TParamCollection::WriteRecords(TStream& stream, std::vector<const TParamCollectionItem*> items) const {
  WriteIntToStream(stream, static_cast<std::int32_t>(items.size()));
  std::vector<std::string_view> written;
  const auto was_written = [&written](std::string_view name) {
    return std::any_of(written.begin(), written.end(), [name](std::string_view w) { return Cp932SameText(w, name); });
  };
  // A reference to a reference goes after its target so that loading can link it. When a pass
  // places nothing (the target is not being written, or references form a cycle) the rest goes
  // out as it stands; on load those resolve or stay unresolved.
  while (!items.empty()) {
    bool wrote_any = false;
    for (std::size_t k = items.size(); k-- > 0;) {
      const TParamCollectionItem* item = items[k];
      if (const TParamVar* ref = item->Value().AsReference()) {
        const TValueHolder* target = ref->Target();
        if (target != nullptr && target->HeldValue() != nullptr && target->HeldValue()->AsReference() != nullptr &&
            !was_written(target->HeldName())) {
          continue;
        }
      }
      item->SaveToStream(stream);
      written.push_back(item->Name());
      items.erase(items.begin() + static_cast<std::ptrdiff_t>(k));
      wrote_any = true;
    }
    if (!wrote_any) {
      for (std::size_t k = items.size(); k-- > 0;) items[k]->SaveToStream(stream);
      break;
    }
  }
}

void TParamCollection::ReadRecords(TStream& stream) {
  const std::int32_t count = ReadIntFromStream(stream);
  if (count < 0 || count * kMinRecordBytes > stream.Remaining()) {
    throw EReadError("bad variable count " + std::to_string(count));
  }
  const int first_new = Count();
  for (std::int32_t i = 0; i < count; ++i) {
    const std::uint8_t type = ReadByteFromStream(stream);
    auto& item = AddParam(type);
    std::string name;
    try {
      name = ReadStrFromStream(stream);
      if (name.empty()) {
        FreeItem(item);
        continue;
      }
      item.SetName(name);
      item.value_->LoadFromStream(stream);
      item.status_ = ReadByteFromStream(stream);
      item.reserved_ = ReadByteFromStream(stream);
      item.frame_id_ = ReadIntFromStream(stream);
      item.local_ = ReadByteFromStream(stream);
    } catch (const EReadError& e) {
      FreeItem(item);
      throw EReadError("broken variable record \"" + name + "\": " + e.what());
    } catch (...) {
      FreeItem(item);
      throw;
    }
  }
  // Records are written from the last variable to the first, so a reference usually comes before
  // the plain variable it points at; link those now that every record is in.
  for (int i = first_new; i < Count(); ++i) {
    if (TParamVar* reference = GetItem(i).Value().AsReference()) reference->LinkPending();
  }
  Touch();
}

void TParamCollection::SaveGame(TStream& stream) const {
  std::vector<const TParamCollectionItem*> items;
  for (int i = 0; i < Count(); ++i) {
    const auto& item = GetItem(i);
    if (!item.IsSystem() && !item.IsStatus()) items.push_back(&item);
  }
  WriteRecords(stream, std::move(items));
  WriteIntToStream(stream, System(kTextDelayNumber)->GetAsInt());
  WriteStrToStream(stream, System(kCursorNumber)->GetAsString());
  WriteStrToStream(stream, selected_text_);
  WriteIntToStream(stream, selected_index_);
  for (const std::int32_t value : history_format_) WriteIntToStream(stream, value);
  WriteStrToStream(stream, temp_name_);
}

void TParamCollection::LoadGame(TStream& stream, std::int32_t version) {
  FreeGameVariables();
  ReadRecords(stream);
  System(kTextDelayNumber)->SetAsInt(ReadIntFromStream(stream));
  System(kCursorNumber)->SetAsString(ReadStrFromStream(stream));
  if (version > 102) {
    selected_text_ = ReadStrFromStream(stream);
    selected_index_ = ReadIntFromStream(stream);
  }
  if (version > 112) {
    for (std::int32_t& value : history_format_) value = ReadIntFromStream(stream);
  }
  if (version > 120) temp_name_ = ReadStrFromStream(stream);
}

void TParamCollection::SaveStatus(TStream& stream) const {
  std::vector<const TParamCollectionItem*> items;
  for (int i = 0; i < Count(); ++i) {
    const auto& item = GetItem(i);
    if (!item.IsSystem() && item.IsStatus()) items.push_back(&item);
  }
  WriteRecords(stream, std::move(items));
}

void TParamCollection::LoadStatus(TStream& stream, std::int32_t /*version*/) { ReadRecords(stream); }

void TParamCollection::ResetGame() {
  FreeGameVariables();
  System(kTextDelayNumber)->SetAsInt(kDefaultTextDelay);
  System(kCursorNumber)->SetAsString("");
  history_format_.fill(0);
}

}  // namespace vorn

#include <algorithm>

#include "engine/db_table.h"
#include "foundation/sjis.h"
#include "foundation/stream_encoding.h"

namespace vorn {

int TDBManager::IndexOfTable(std::string_view name) const {
  for (std::size_t i = 0; i < tables_.size(); ++i) {
    if (Cp932SameText(tables_[i]->Name(), name)) return static_cast<int>(i);
  }
  return -1;
}

int TDBManager::CreateTable(std::string_view name, std::int32_t status) {
  if (name.empty() || IndexOfTable(name) >= 0) return -1;
  tables_.push_back(std::make_unique<TDBTable>(std::string(name), static_cast<std::uint8_t>(status & 0xFF)));
  current_ = Count() - 1;
  return current_;
}

bool TDBManager::DeleteTable(std::string_view name) {
  const std::string remembered = current_ >= 0 ? Table(current_).Name() : std::string();
  const int i = IndexOfTable(name);
  if (i >= 0) tables_.erase(tables_.begin() + i);
  current_ = remembered.empty() ? -1 : IndexOfTable(remembered);
  return i >= 0;
}

TDBTable* TDBManager::CurrentTable() { return current_ < 0 ? nullptr : &Table(current_); }

bool TDBManager::SelectTable(std::string_view name) {
  const int i = IndexOfTable(name);
  if (i < 0) return false;
  current_ = i;
  return true;
}

bool TDBManager::Locate(std::string_view table, const TCustomParam* names, bool partial, bool ignore_case,
                        const TCustomParam* values, std::string_view result_field, TDBTable*& found, int& record,
                        int& field) {
  const int t = IndexOfTable(table);
  if (t < 0) return false;
  TDBTable& tb = Table(t);
  TIntList result;
  tb.Find(result, names, partial, ignore_case, values);
  if (result.Count() == 0) return false;
  field = tb.Fields().IndexOfField(result_field);
  if (field < 0) return false;
  found = &tb;
  record = result.GetItem(0);
  return true;
}

#define VORN_DB_LOCATE                                                                    \
  TDBTable* tb = nullptr;                                                                 \
  int r = -1;                                                                             \
  int f = -1;                                                                             \
  const bool located = Locate(table, names, partial, ignore_case, values, field, tb, r, f)

std::int32_t TDBManager::LookupInt(std::string_view table, const TCustomParam* names, bool partial, bool ignore_case,
                                   const TCustomParam* values, std::string_view field, std::int32_t fallback) {
  VORN_DB_LOCATE;
  std::int32_t v = 0;
  return located && tb->GetIntAt(r, f, v) ? v : fallback;
}

TExtended TDBManager::LookupFloat(std::string_view table, const TCustomParam* names, bool partial, bool ignore_case,
                                  const TCustomParam* values, std::string_view field, TExtended fallback) {
  VORN_DB_LOCATE;
  TExtended x = 0;
  return located && tb->GetFloatAt(r, f, x) ? x : fallback;
}

bool TDBManager::LookupBool(std::string_view table, const TCustomParam* names, bool partial, bool ignore_case,
                            const TCustomParam* values, std::string_view field, bool fallback) {
  VORN_DB_LOCATE;
  bool b = false;
  return located && tb->GetBoolAt(r, f, b) ? b : fallback;
}

std::string TDBManager::LookupStr(std::string_view table, const TCustomParam* names, bool partial, bool ignore_case,
                                  const TCustomParam* values, std::string_view field, std::string_view fallback) {
  VORN_DB_LOCATE;
  std::string s;
  return located && tb->GetStrAt(r, f, s) ? s : std::string(fallback);
}

bool TDBManager::LookupSetInt(std::string_view table, const TCustomParam* names, bool partial, bool ignore_case,
                              const TCustomParam* values, std::string_view field, std::int32_t v) {
  VORN_DB_LOCATE;
  return located && tb->SetIntAt(r, f, v);
}

bool TDBManager::LookupSetFloat(std::string_view table, const TCustomParam* names, bool partial, bool ignore_case,
                                const TCustomParam* values, std::string_view field, TExtended x) {
  VORN_DB_LOCATE;
  return located && tb->SetFloatAt(r, f, x);
}

bool TDBManager::LookupSetBool(std::string_view table, const TCustomParam* names, bool partial, bool ignore_case,
                               const TCustomParam* values, std::string_view field, bool b) {
  VORN_DB_LOCATE;
  return located && tb->SetBoolAt(r, f, b);
}

bool TDBManager::LookupSetStr(std::string_view table, const TCustomParam* names, bool partial, bool ignore_case,
                              const TCustomParam* values, std::string_view field, std::string_view s) {
  VORN_DB_LOCATE;
  return located && tb->SetStrAt(r, f, s);
}

#undef VORN_DB_LOCATE

bool TDBManager::CopyRecordsTo(std::string_view destination, std::span<const std::int32_t> indices) {
  TDBTable* source = CurrentTable();
  const int d = IndexOfTable(destination);
  if (source == nullptr || d < 0 || d == current_) return false;
  TDBTable& dest = Table(d);
  dest.Clear();
  dest.Fields().Assign(source->Fields());
  const auto size = static_cast<std::size_t>(source->Fields().RecordSize());
  for (std::int32_t i : indices) {
    const std::uint8_t* from = source->Record(i);
    if (from == nullptr) continue;
    dest.Append();
    if (size > 0) std::copy_n(from, size, dest.CurrentRecord());
  }
  return true;
}

bool TDBManager::AppendRecordsFrom(std::string_view source, std::span<const std::int32_t> indices) {
  TDBTable* dest = CurrentTable();
  const int s = IndexOfTable(source);
  if (dest == nullptr || s < 0) return false;
  TDBTable& src = Table(s);
  if (!dest->Fields().SameStructure(src.Fields())) return false;
  const auto size = static_cast<std::size_t>(src.Fields().RecordSize());
  std::vector<std::uint8_t> bytes(size);
  for (std::int32_t i : indices) {
    const std::uint8_t* from = src.Record(i);
    if (from == nullptr) continue;
    // Through a copy: the source may be this very table, whose rows move when it grows.
    std::copy_n(from, size, bytes.data());
    dest->Append();
    if (size > 0) std::copy_n(bytes.data(), size, dest->CurrentRecord());
  }
  return true;
}

void TDBManager::ClearGameTables() {
  current_ = -1;
  std::erase_if(tables_, [](const std::unique_ptr<TDBTable>& t) { return t->Status() == 0; });
}

void TDBManager::Clear() {
  tables_.clear();
  current_ = -1;
}

void TDBManager::SaveToStream(TStream& stream, std::uint8_t status) const {
  WriteIntToStream(stream, 100);
  const auto n = std::count_if(tables_.begin(), tables_.end(),
                               [status](const std::unique_ptr<TDBTable>& t) { return t->Status() == status; });
  WriteIntToStream(stream, static_cast<std::int32_t>(n));
  for (const auto& t : tables_) {
    if (t->Status() != status) continue;
    WriteByteToStream(stream, t->GetKind());
    t->SaveToStream(stream);
  }
  if (status == 0) WriteStrToStream(stream, current_ >= 0 ? tables_[static_cast<std::size_t>(current_)]->Name() : "");
}

void TDBManager::LoadFromStream(TStream& stream, std::uint8_t status) {
  const std::int32_t version = ReadIntFromStream(stream);
  const std::int32_t n = ReadIntFromStream(stream);
  // A table takes at least 18 bytes with its kind byte: an empty name, no fields and no records.
  if (n < 0 || n > stream.Remaining() / 18) throw EDBError("Table data is damaged: bad table count");
  std::vector<std::unique_ptr<TDBTable>> loaded;
  loaded.reserve(static_cast<std::size_t>(n));
  for (std::int32_t i = 0; i < n; ++i) {
    (void)ReadByteFromStream(stream);
    auto table = std::make_unique<TDBTable>();
    table->LoadFromStream(stream, version);
    loaded.push_back(std::move(table));
  }
  std::string current_name;
  if (status == 0) current_name = ReadStrFromStream(stream);

  std::erase_if(tables_, [status](const std::unique_ptr<TDBTable>& t) { return t->Status() == status; });
  for (auto& t : loaded) tables_.push_back(std::move(t));
  current_ = loaded.empty() ? -1 : Count() - 1;
  if (status == 0) current_ = IndexOfTable(current_name);
}

}  // namespace vorn

#include "engine/db_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/custom_param.h"
#include "engine/number_text.h"
#include "foundation/sjis.h"
#include "foundation/stream_encoding.h"
#include "foundation/tab_strings.h"
#include "foundation/unescape_string.h"

namespace vorn {

namespace {

std::int32_t StoredSize(std::uint8_t field_type, std::int32_t size) {
  switch (field_type) {
    case kDBFieldInt: return 4;
    case kDBFieldFloat: return static_cast<std::int32_t>(kExtendedBytes);
    case kDBFieldBool: return 1;
    case kDBFieldStr: return size < 0 || size >= kMaxDBRecordSize ? -1 : size + 1;
    default: return -1;
  }
}

std::int32_t RoundToInt(TExtended x) { return FloatToInt(std::nearbyintl(x)); }

std::int32_t LoadInt(const std::uint8_t* p) {
  const std::uint32_t u = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                          (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  return static_cast<std::int32_t>(u);
}

void StoreInt(std::uint8_t* p, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  p[0] = static_cast<std::uint8_t>(u);
  p[1] = static_cast<std::uint8_t>(u >> 8);
  p[2] = static_cast<std::uint8_t>(u >> 16);
  p[3] = static_cast<std::uint8_t>(u >> 24);
}

// A string field holds at most its declared size; a stored one without terminator (damaged save)
// is read no further than that.
std::string_view LoadStr(const std::uint8_t* p, const TDBField& field) {
  const auto limit = static_cast<std::size_t>(field.size - 1);
  const void* end = std::memchr(p, 0, limit);
  const std::size_t n = end ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(end) - p) : limit;
  return {reinterpret_cast<const char*>(p), n};
}

void StoreStr(std::uint8_t* p, const TDBField& field, std::string_view s) {
  const std::size_t n = std::min(s.size(), static_cast<std::size_t>(field.size - 1));
  if (n > 0) std::memcpy(p, s.data(), n);
  p[n] = 0;
}

std::int32_t ReadAsInt(const std::uint8_t* p, const TDBField& field) {
  switch (field.field_type) {
    case kDBFieldInt: return LoadInt(p);
    case kDBFieldFloat: return RoundToInt(UnpackExtended(p));
    case kDBFieldBool: return p[0] != 0 ? 1 : 0;
    default: return TextToIntOrZero(LoadStr(p, field));
  }
}

TExtended ReadAsFloat(const std::uint8_t* p, const TDBField& field) {
  switch (field.field_type) {
    case kDBFieldInt: return LoadInt(p);
    case kDBFieldFloat: return UnpackExtended(p);
    case kDBFieldBool: return p[0] != 0 ? 1 : 0;
    default: return TextToFloatOrZero(LoadStr(p, field));
  }
}

bool ReadAsBool(const std::uint8_t* p, const TDBField& field) {
  switch (field.field_type) {
    case kDBFieldInt: return LoadInt(p) != 0;
    case kDBFieldFloat: return UnpackExtended(p) != 0;
    case kDBFieldBool: return p[0] != 0;
    default: return LoadStr(p, field) == "TRUE";
  }
}

std::string ReadAsStr(const std::uint8_t* p, const TDBField& field) {
  switch (field.field_type) {
    case kDBFieldInt: return IntToText(LoadInt(p));
    case kDBFieldFloat: return FloatToText(UnpackExtended(p));
    case kDBFieldBool: return p[0] != 0 ? "TRUE" : "FALSE";
    default: return std::string(LoadStr(p, field));
  }
}

void WriteInt(std::uint8_t* p, const TDBField& field, std::int32_t v) {
  switch (field.field_type) {
    case kDBFieldInt: StoreInt(p, v); break;
    case kDBFieldFloat: PackExtended(v, p); break;
    case kDBFieldBool: p[0] = v != 0 ? 1 : 0; break;
    default: StoreStr(p, field, IntToText(v)); break;
  }
}

void WriteFloat(std::uint8_t* p, const TDBField& field, TExtended x) {
  switch (field.field_type) {
    case kDBFieldInt: StoreInt(p, RoundToInt(x)); break;
    case kDBFieldFloat: PackExtended(x, p); break;
    case kDBFieldBool: p[0] = x != 0 ? 1 : 0; break;
    default: StoreStr(p, field, FloatToText(x)); break;
  }
}

void WriteBool(std::uint8_t* p, const TDBField& field, bool b) {
  switch (field.field_type) {
    case kDBFieldInt: StoreInt(p, b ? 1 : 0); break;
    case kDBFieldFloat: PackExtended(b ? 1 : 0, p); break;
    case kDBFieldBool: p[0] = b ? 1 : 0; break;
    default: StoreStr(p, field, b ? "TRUE" : "FALSE"); break;
  }
}

void WriteStr(std::uint8_t* p, const TDBField& field, std::string_view s) {
  switch (field.field_type) {
    case kDBFieldInt: StoreInt(p, TextToIntOrZero(s)); break;
    case kDBFieldFloat: PackExtended(TextToFloatOrZero(s), p); break;
    case kDBFieldBool: p[0] = s == "TRUE" ? 1 : 0; break;
    default: StoreStr(p, field, s); break;
  }
}

}  // namespace

// ---- TDBFieldList ----

void TDBFieldList::Append(TDBField field) {
  offsets_.push_back(record_size_);
  record_size_ += field.size;
  fields_.push_back(std::move(field));
}

int TDBFieldList::AddField(std::string_view name, std::uint8_t field_type, std::int32_t size) {
  const std::int32_t stored = StoredSize(field_type, size);
  if (stored < 0 || stored > kMaxDBRecordSize - record_size_) return -1;
  if (owner_ != nullptr) owner_->ColumnAdded(field_type, stored);
  Append(TDBField{stored, std::string(name), field_type});
  return Count() - 1;
}

int TDBFieldList::IndexOfField(std::string_view name) const {
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (Cp932SameText(fields_[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

void TDBFieldList::Clear() {
  if (owner_ != nullptr) owner_->FieldsCleared();
  fields_.clear();
  offsets_.clear();
  record_size_ = 0;
}

void TDBFieldList::Assign(const TDBFieldList& other) {
  if (&other == this) return;
  Clear();
  for (const TDBField& f : other.fields_) {
    AddField(f.name, f.field_type, f.field_type == kDBFieldStr ? f.size - 1 : f.size);
  }
}

bool TDBFieldList::SameStructure(const TDBFieldList& other) const {
  if (fields_.size() != other.fields_.size()) return false;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const TDBField& a = fields_[i];
    const TDBField& b = other.fields_[i];
    if (a.name != b.name || a.field_type != b.field_type || a.size != b.size) return false;
  }
  return true;
}

void TDBFieldList::SaveToStream(TStream& stream) const {
  WriteIntToStream(stream, Count());
  for (const TDBField& f : fields_) {
    WriteIntToStream(stream, f.size);
    WriteStrToStream(stream, f.name);
    WriteByteToStream(stream, f.field_type);
  }
}

void TDBFieldList::LoadFromStream(TStream& stream) {
  Clear();
  const std::int32_t count = ReadIntFromStream(stream);
  // Each field takes at least 9 bytes (size, empty name, type).
  if (count < 0 || count > stream.Remaining() / 9) throw EDBError("Table data is damaged: bad field count");
  std::vector<TDBField> fields;
  fields.reserve(static_cast<std::size_t>(count));
  std::int64_t total = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    TDBField f;
    f.size = ReadIntFromStream(stream);
    f.name = ReadStrFromStream(stream);
    f.field_type = ReadByteFromStream(stream);
    const bool fits = f.field_type == kDBFieldStr ? f.size >= 1
                                                  : f.field_type >= kDBFieldInt && f.field_type <= kDBFieldBool &&
                                                        f.size == StoredSize(f.field_type, 0);
    if (!fits) throw EDBError("Table data is damaged: field \"" + f.name + "\" has a bad type or size");
    total += f.size;
    if (total > kMaxDBRecordSize) throw EDBError("Table data is damaged: record too large");
    fields.push_back(std::move(f));
  }
  for (TDBField& f : fields) Append(std::move(f));
}

// ---- TDBTable ----

std::uint8_t* TDBTable::CurrentRecord() { return current_ < 0 ? nullptr : Record(current_); }

std::uint8_t* TDBTable::Record(int i) {
  if (i < 0 || i >= RecordCount()) return nullptr;
  return records_[static_cast<std::size_t>(i)].data();
}

const std::uint8_t* TDBTable::Record(int i) const {
  if (i < 0 || i >= RecordCount()) return nullptr;
  return records_[static_cast<std::size_t>(i)].data();
}

void TDBTable::ColumnAdded(std::uint8_t, std::int32_t size) {
  for (auto& r : records_) r.resize(r.size() + static_cast<std::size_t>(size), 0);
}

void TDBTable::ColumnDeleted(int i) {
  if (i < 0 || i >= fields_.Count()) return;
  const auto offset = static_cast<std::ptrdiff_t>(fields_.FieldOffset(i));
  const auto size = static_cast<std::ptrdiff_t>(fields_.Field(i).size);
  for (auto& r : records_) r.erase(r.begin() + offset, r.begin() + offset + size);
}

void TDBTable::FieldsCleared() {
  for (auto& r : records_) r.clear();
}

bool TDBTable::Append() {
  records_.emplace_back(static_cast<std::size_t>(fields_.RecordSize()), std::uint8_t{0});
  current_ = RecordCount() - 1;
  return true;
}

bool TDBTable::Delete() {
  if (current_ < 0) return false;
  records_.erase(records_.begin() + current_);
  if (current_ >= RecordCount()) current_ = RecordCount() - 1;
  return true;
}

bool TDBTable::First() {
  if (records_.empty()) return false;
  current_ = 0;
  return true;
}

bool TDBTable::Last() {
  if (records_.empty()) return false;
  current_ = RecordCount() - 1;
  return true;
}

bool TDBTable::Next() {
  if (current_ < 0 || current_ >= RecordCount() - 1) return false;
  ++current_;
  return true;
}

bool TDBTable::Prior() {
  if (current_ <= 0) return false;
  --current_;
  return true;
}

bool TDBTable::SetRecNo(int i) {
  if (i >= RecordCount()) return false;
  current_ = i < 0 ? -1 : i;
  return true;
}

bool TDBTable::Valid(int r, int f) const {
  return r >= 0 && r < RecordCount() && f >= 0 && f < fields_.Count();
}

#define VORN_DB_AT(r, f) (records_[static_cast<std::size_t>(r)].data() + fields_.FieldOffset(f))

bool TDBTable::GetIntAt(int r, int f, std::int32_t& v) const {
  if (!Valid(r, f)) return false;
  v = ReadAsInt(VORN_DB_AT(r, f), fields_.Field(f));
  return true;
}
bool TDBTable::SetIntAt(int r, int f, std::int32_t v) {
  if (!Valid(r, f)) return false;
  WriteInt(VORN_DB_AT(r, f), fields_.Field(f), v);
  return true;
}
bool TDBTable::GetFloatAt(int r, int f, TExtended& x) const {
  if (!Valid(r, f)) return false;
  x = ReadAsFloat(VORN_DB_AT(r, f), fields_.Field(f));
  return true;
}
bool TDBTable::SetFloatAt(int r, int f, TExtended x) {
  if (!Valid(r, f)) return false;
  WriteFloat(VORN_DB_AT(r, f), fields_.Field(f), x);
  return true;
}
bool TDBTable::GetBoolAt(int r, int f, bool& b) const {
  if (!Valid(r, f)) return false;
  b = ReadAsBool(VORN_DB_AT(r, f), fields_.Field(f));
  return true;
}
bool TDBTable::SetBoolAt(int r, int f, bool b) {
  if (!Valid(r, f)) return false;
  WriteBool(VORN_DB_AT(r, f), fields_.Field(f), b);
  return true;
}
bool TDBTable::GetStrAt(int r, int f, std::string& s) const {
  if (!Valid(r, f)) return false;
  s = ReadAsStr(VORN_DB_AT(r, f), fields_.Field(f));
  return true;
}
bool TDBTable::SetStrAt(int r, int f, std::string_view s) {
  if (!Valid(r, f)) return false;
  WriteStr(VORN_DB_AT(r, f), fields_.Field(f), s);
  return true;
}

#undef VORN_DB_AT

bool TDBTable::GetInt(std::string_view name, std::int32_t& v) const { return GetIntAt(current_, fields_.IndexOfField(name), v); }
bool TDBTable::SetInt(std::string_view name, std::int32_t v) { return SetIntAt(current_, fields_.IndexOfField(name), v); }
bool TDBTable::GetFloat(std::string_view name, TExtended& x) const { return GetFloatAt(current_, fields_.IndexOfField(name), x); }
bool TDBTable::SetFloat(std::string_view name, TExtended x) { return SetFloatAt(current_, fields_.IndexOfField(name), x); }
bool TDBTable::GetBool(std::string_view name, bool& b) const { return GetBoolAt(current_, fields_.IndexOfField(name), b); }
bool TDBTable::SetBool(std::string_view name, bool b) { return SetBoolAt(current_, fields_.IndexOfField(name), b); }
bool TDBTable::GetStr(std::string_view name, std::string& s) const { return GetStrAt(current_, fields_.IndexOfField(name), s); }
bool TDBTable::SetStr(std::string_view name, std::string_view s) { return SetStrAt(current_, fields_.IndexOfField(name), s); }

void TDBTable::Find(TIntList& result, const TCustomParam* names, bool partial, bool ignore_case,
                    const TCustomParam* values) const {
  if (names == nullptr || values == nullptr) {
    for (int r = 0; r < RecordCount(); ++r) result.Add(r);
    return;
  }
  // Field names and searched values are resolved once per search, not per record.
  struct Criterion {
    int field = -1;
    std::uint8_t kind = 0;
    std::int32_t i = 0;
    TExtended x = 0;
    bool b = false;
    std::string s;
  };
  const std::uint8_t kind = values->ParamType();
  const std::int32_t n = std::min(names->Count(), values->Count());
  std::vector<Criterion> criteria;
  criteria.reserve(static_cast<std::size_t>(std::max(n, 0)));
  for (std::int32_t k = 0; k < n; ++k) {
    Criterion c;
    c.field = fields_.IndexOfField(names->GetStrAt(k));
    c.kind = kind;
    if (c.field < 0) return;
    switch (kind) {
      case PT_INT: c.i = values->GetIntAt(k); break;
      case PT_FLOAT: c.x = values->GetFloatAt(k); break;
      case PT_BOOL: c.b = values->GetBoolAt(k); break;
      default:
        c.s = values->GetStrAt(k);
        if (partial && ignore_case) c.s = Cp932UpperCase(c.s);
        break;
    }
    criteria.push_back(std::move(c));
  }
  // The common search, integers against integer fields, compares the stored values directly.
  const bool plain_ints = kind == PT_INT && std::all_of(criteria.begin(), criteria.end(), [this](const Criterion& c) {
    return fields_.Field(c.field).field_type == kDBFieldInt;
  });
  if (plain_ints && criteria.size() == 1) {
    const std::int32_t offset = fields_.FieldOffset(criteria[0].field);
    const std::int32_t wanted = criteria[0].i;
    for (int r = 0; r < RecordCount(); ++r) {
      if (LoadInt(records_[static_cast<std::size_t>(r)].data() + offset) == wanted) result.Add(r);
    }
    return;
  }
  std::string upper;
  for (int r = 0; r < RecordCount(); ++r) {
    const std::uint8_t* rec = records_[static_cast<std::size_t>(r)].data();
    bool match = true;
    for (const Criterion& c : criteria) {
      const TDBField& field = fields_.Field(c.field);
      const std::uint8_t* p = rec + fields_.FieldOffset(c.field);
      switch (c.kind) {
        case PT_INT: match = ReadAsInt(p, field) == c.i; break;
        case PT_FLOAT: match = ReadAsFloat(p, field) == c.x; break;
        case PT_BOOL: match = ReadAsBool(p, field) == c.b; break;
        default: {
          const std::string text = ReadAsStr(p, field);
          if (partial) {
            if (text.empty()) {
              match = false;
            } else if (ignore_case) {
              upper = Cp932UpperCase(text);
              match = c.s.find(upper) != std::string::npos;
            } else {
              match = c.s.find(text) != std::string::npos;
            }
          } else {
            match = ignore_case ? Cp932SameText(text, c.s) : text == c.s;
          }
          break;
        }
      }
      if (!match) break;
    }
    if (match) result.Add(r);
  }
}

bool TDBTable::LoadTsv(const std::vector<std::string>& lines) {
  Clear();
  if (lines.empty()) return false;
  std::vector<std::string_view> cells;
  SplitTabFields(lines[0], cells);
  for (const std::string_view cell : cells) {
    std::string rest(cell);
    const std::string name = JTrim(JFetchToken(rest, " "));
    if (name.empty()) {
      fields_.Clear();
      return false;
    }
    rest = JTrim(rest);
    const std::string word = JTrim(JFetchToken(rest, " "));
    const std::string size_text = JTrim(rest);
    std::uint8_t type = kDBFieldStr;
    if (word == "int") {
      type = kDBFieldInt;
    } else if (word == "float") {
      type = kDBFieldFloat;
    } else if (word == "bool") {
      type = kDBFieldBool;
    }
    std::int32_t size = 80;
    if (!TryTextToInt(size_text, size)) size = 80;
    if (fields_.AddField(name, type, size) < 0) {
      // A string size that cannot be stored: refuse the file rather than misplace every column.
      fields_.Clear();
      return false;
    }
  }
  const auto rows = std::count_if(lines.begin() + 1, lines.end(), [](const std::string& l) { return !l.empty(); });
  if (static_cast<std::int64_t>(rows) * fields_.RecordSize() > kMaxDBTsvTableBytes) {
    fields_.Clear();
    return false;
  }
  records_.reserve(static_cast<std::size_t>(rows));
  std::string unescaped;
  for (std::size_t l = 1; l < lines.size(); ++l) {
    if (lines[l].empty()) continue;
    // Most rows hold no escape at all; they need no unescaped copy.
    if (lines[l].find('\\') == std::string::npos) {
      SplitTabFields(lines[l], cells);
    } else {
      unescaped = UnescapeString(lines[l]);
      SplitTabFields(unescaped, cells);
    }
    Append();
    const int n = std::min(static_cast<int>(cells.size()), fields_.Count());
    for (int f = 0; f < n; ++f) SetStrAt(current_, f, cells[static_cast<std::size_t>(f)]);
  }
  return true;
}

void TDBTable::Clear() {
  records_.clear();
  fields_.Clear();
  current_ = -1;
}

void TDBTable::ClearRecords() {
  records_.clear();
  current_ = -1;
}

void TDBTable::SaveToStream(TStream& stream) const {
  WriteStrToStream(stream, name_);
  WriteByteToStream(stream, status_);
  fields_.SaveToStream(stream);
  WriteIntToStream(stream, RecordCount());
  for (const auto& r : records_) {
    if (!r.empty()) stream.WriteBuffer(r.data(), static_cast<std::int64_t>(r.size()));
  }
  WriteIntToStream(stream, current_);
}

void TDBTable::LoadFromStream(TStream& stream, std::int32_t) {
  Clear();
  name_ = ReadStrFromStream(stream);
  status_ = ReadByteFromStream(stream);
  fields_.LoadFromStream(stream);
  const std::int32_t count = ReadIntFromStream(stream);
  const std::int64_t size = fields_.RecordSize();
  // Rows without fields take no bytes; their number still needs a bound.
  constexpr std::int64_t kMaxEmptyRows = 1 << 20;
  const bool fits = size == 0 ? count <= kMaxEmptyRows : count <= (stream.Remaining() - 4) / size;
  if (count < 0 || !fits) throw EDBError("Table data is damaged: bad record count in \"" + name_ + "\"");
  records_.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    std::vector<std::uint8_t> r(static_cast<std::size_t>(size));
    if (size > 0) stream.ReadBuffer(r.data(), size);
    records_.push_back(std::move(r));
  }
  const std::int32_t current = ReadIntFromStream(stream);
  if (current < -1 || current >= count) throw EDBError("Table data is damaged: bad current record in \"" + name_ + "\"");
  current_ = current;
}

void TDBTable::Sort(const TCustomParam* names, const TCustomParam* descending) {
  if (names == nullptr || descending == nullptr) return;
  struct Key {
    std::int32_t offset;
    const TDBField* field;
    bool descending;
  };
  std::vector<Key> keys;
  const std::int32_t n = std::min(names->Count(), descending->Count());
  for (std::int32_t k = 0; k < n; ++k) {
    const int f = fields_.IndexOfField(names->GetStrAt(k));
    if (f < 0) continue;
    keys.push_back(Key{fields_.FieldOffset(f), &fields_.Field(f), descending->GetBoolAt(k)});
  }
  if (keys.empty() || records_.size() < 2) return;
  auto compare = [&keys](const std::vector<std::uint8_t>& ra, const std::vector<std::uint8_t>& rb) {
    for (const Key& key : keys) {
      const std::uint8_t* a = ra.data() + key.offset;
      const std::uint8_t* b = rb.data() + key.offset;
      int c = 0;
      switch (key.field->field_type) {
        case kDBFieldInt: {
          // 64-bit so that the difference of far-apart values keeps its sign.
          const std::int64_t d = std::int64_t{LoadInt(a)} - LoadInt(b);
          c = d < 0 ? -1 : d > 0 ? 1 : 0;
          break;
        }
        case kDBFieldFloat: {
          const TExtended x = UnpackExtended(a);
          const TExtended y = UnpackExtended(b);
          // A NaN (from stored bytes) has no sign against anything; it goes after every number,
          // or the order would not be one and the sort could run past the records.
          const bool x_nan = std::isnan(x);
          const bool y_nan = std::isnan(y);
          if (x_nan || y_nan) {
            c = x_nan == y_nan ? 0 : x_nan ? 1 : -1;
            break;
          }
          const TExtended d = x - y;
          c = d < 0 ? -1 : d > 0 ? 1 : 0;
          break;
        }
        case kDBFieldBool: c = (a[0] != 0 ? 1 : 0) - (b[0] != 0 ? 1 : 0); break;
        default: {
          const std::string_view sa = LoadStr(a, *key.field);
          const std::string_view sb = LoadStr(b, *key.field);
          const int m = sa.compare(sb);  // char_traits<char> compares as unsigned bytes
          c = m < 0 ? -1 : m > 0 ? 1 : 0;
          break;
        }
      }
      if (c != 0) return key.descending ? c > 0 : c < 0;
    }
    return false;
  };
  std::vector<std::uint32_t> order(records_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint32_t>(i);
  std::sort(order.begin(), order.end(), [&](std::uint32_t x, std::uint32_t y) { return compare(records_[x], records_[y]); });
  std::vector<std::vector<std::uint8_t>> sorted;
  sorted.reserve(records_.size());
  for (std::uint32_t i : order) sorted.push_back(std::move(records_[i]));
  records_ = std::move(sorted);
}

}  // namespace vorn

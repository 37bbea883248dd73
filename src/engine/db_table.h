#pragma once

// Script tables: named in-memory tables of typed columns and fixed-size rows. Status tables (flag 1)
// live in the status entry of the saved games, game tables (flag 0) in each saved game.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/extended_float.h"
#include "foundation/errors.h"
#include "foundation/int_list.h"
#include "foundation/stream.h"

namespace vorn {

class TCustomParam;

inline constexpr std::uint8_t kDBFieldInt = 1;
inline constexpr std::uint8_t kDBFieldFloat = 2;
inline constexpr std::uint8_t kDBFieldBool = 3;
inline constexpr std::uint8_t kDBFieldStr = 4;

// A record may not grow beyond this: keeps the offset arithmetic in 32 bits and stops a hostile
// saved game (or a script with a huge string size) from making every row a huge allocation.
inline constexpr std::int32_t kMaxDBRecordSize = 16 * 1024 * 1024;

// The record bytes a table file may fill: a few kilobytes of rows under a header with huge string
// sizes must not claim gigabytes. A larger table could not be kept in a saved game either.
inline constexpr std::int64_t kMaxDBTsvTableBytes = 256 * 1024 * 1024;

// Table bytes in a saved game that break the table format.
class EDBError : public EReadError {
 public:
  using EReadError::EReadError;
};

struct TDBField {
  std::int32_t size = 0;  // bytes in a record (declared size + 1 for strings)
  std::string name;
  std::uint8_t field_type = 0;
};

class TDBTable;

class TDBFieldList {
 public:
  explicit TDBFieldList(TDBTable* owner = nullptr) : owner_(owner) {}

  // Returns the new field's index; -1 for an unknown type, a string size below 0 or a record that
  // would outgrow kMaxDBRecordSize. Existing records of the owning table grow with zero bytes.
  int AddField(std::string_view name, std::uint8_t field_type, std::int32_t size);
  int IndexOfField(std::string_view name) const;
  std::int32_t FieldOffset(int i) const { return offsets_[static_cast<std::size_t>(i)]; }
  std::int32_t RecordSize() const { return record_size_; }
  int Count() const { return static_cast<int>(fields_.size()); }
  const TDBField& Field(int i) const { return fields_[static_cast<std::size_t>(i)]; }
  void Clear();
  void Assign(const TDBFieldList& other);
  // Names compare case-sensitively here, unlike lookups.
  bool SameStructure(const TDBFieldList& other) const;
  void SaveToStream(TStream& stream) const;
  // Raises EDBError for a type outside 1..4, a size that does not fit its type or a record too large.
  void LoadFromStream(TStream& stream);

 private:
  void Append(TDBField field);

  TDBTable* owner_;
  std::vector<TDBField> fields_;
  std::vector<std::int32_t> offsets_;
  std::int32_t record_size_ = 0;
};

class TDBTable {
 public:
  TDBTable() = default;
  TDBTable(std::string name, std::uint8_t status) : name_(std::move(name)), status_(status) {}
  TDBTable(const TDBTable&) = delete;
  TDBTable& operator=(const TDBTable&) = delete;

  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  std::uint8_t Status() const { return status_; }
  void SetStatus(std::uint8_t status) { status_ = status; }
  TDBFieldList& Fields() { return fields_; }
  const TDBFieldList& Fields() const { return fields_; }

  std::uint8_t GetKind() const { return 0; }
  int RecordCount() const { return static_cast<int>(records_.size()); }
  int RecNo() const { return current_; }
  std::uint8_t* CurrentRecord();
  std::uint8_t* Record(int i);
  const std::uint8_t* Record(int i) const;

  void ColumnAdded(std::uint8_t field_type, std::int32_t size);
  // Call before the field leaves the list: the bytes at its offset are removed from every record.
  void ColumnDeleted(int i);
  void FieldsCleared();

  bool Append();
  bool Delete();
  bool First();
  bool Last();
  bool Next();
  bool Prior();
  bool SetRecNo(int i);

  bool GetInt(std::string_view name, std::int32_t& v) const;
  bool SetInt(std::string_view name, std::int32_t v);
  bool GetFloat(std::string_view name, TExtended& x) const;
  bool SetFloat(std::string_view name, TExtended x);
  bool GetBool(std::string_view name, bool& b) const;
  bool SetBool(std::string_view name, bool b);
  bool GetStr(std::string_view name, std::string& s) const;
  bool SetStr(std::string_view name, std::string_view s);

  bool GetIntAt(int r, int f, std::int32_t& v) const;
  bool SetIntAt(int r, int f, std::int32_t v);
  bool GetFloatAt(int r, int f, TExtended& x) const;
  bool SetFloatAt(int r, int f, TExtended x);
  bool GetBoolAt(int r, int f, bool& b) const;
  bool SetBoolAt(int r, int f, bool b);
  bool GetStrAt(int r, int f, std::string& s) const;
  bool SetStrAt(int r, int f, std::string_view s);

  // Appends the indices of matching records to result. names: a string array; values: a typed
  // array whose element type picks the comparison. Either absent lists every record.
  void Find(TIntList& result, const TCustomParam* names, bool partial, bool ignore_case,
            const TCustomParam* values) const;
  bool LoadTsv(const std::vector<std::string>& lines);
  void Clear();
  void ClearRecords();
  void SaveToStream(TStream& stream) const;
  void LoadFromStream(TStream& stream, std::int32_t version);
  // names: a string array; descending: a boolean array.
  void Sort(const TCustomParam* names, const TCustomParam* descending);

 private:
  bool Valid(int r, int f) const;

  std::string name_;
  std::uint8_t status_ = 0;
  TDBFieldList fields_{this};
  std::vector<std::vector<std::uint8_t>> records_;
  int current_ = -1;
};

class TDBManager {
 public:
  int Count() const { return static_cast<int>(tables_.size()); }
  TDBTable& Table(int i) { return *tables_[static_cast<std::size_t>(i)]; }
  int CurrentIndex() const { return current_; }

  int CreateTable(std::string_view name, std::int32_t status);
  bool DeleteTable(std::string_view name);
  int IndexOfTable(std::string_view name) const;
  TDBTable* CurrentTable();
  bool SelectTable(std::string_view name);

  // The first record of the named table that Find matches and the index of result_field there.
  bool Locate(std::string_view table, const TCustomParam* names, bool partial, bool ignore_case,
              const TCustomParam* values, std::string_view result_field, TDBTable*& found, int& record,
              int& field);

  std::int32_t LookupInt(std::string_view table, const TCustomParam* names, bool partial, bool ignore_case,
                         const TCustomParam* values, std::string_view field, std::int32_t fallback);
  TExtended LookupFloat(std::string_view table, const TCustomParam* names, bool partial, bool ignore_case,
                        const TCustomParam* values, std::string_view field, TExtended fallback);
  bool LookupBool(std::string_view table, const TCustomParam* names, bool partial, bool ignore_case,
                  const TCustomParam* values, std::string_view field, bool fallback);
  std::string LookupStr(std::string_view table, const TCustomParam* names, bool partial, bool ignore_case,
                        const TCustomParam* values, std::string_view field, std::string_view fallback);
  bool LookupSetInt(std::string_view table, const TCustomParam* names, bool partial, bool ignore_case,
                    const TCustomParam* values, std::string_view field, std::int32_t v);
  bool LookupSetFloat(std::string_view table, const TCustomParam* names, bool partial, bool ignore_case,
                      const TCustomParam* values, std::string_view field, TExtended x);
  bool LookupSetBool(std::string_view table, const TCustomParam* names, bool partial, bool ignore_case,
                     const TCustomParam* values, std::string_view field, bool b);
  bool LookupSetStr(std::string_view table, const TCustomParam* names, bool partial, bool ignore_case,
                    const TCustomParam* values, std::string_view field, std::string_view s);

  // Indices outside the source table are skipped.
  bool CopyRecordsTo(std::string_view destination, std::span<const std::int32_t> indices);
  bool AppendRecordsFrom(std::string_view source, std::span<const std::int32_t> indices);

  void ClearGameTables();
  void Clear();

  void SaveToStream(TStream& stream, std::uint8_t status) const;
  // Everything is read before any table is replaced: a damaged stream raises EDBError/EReadError
  // and leaves the tables as they were.
  void LoadFromStream(TStream& stream, std::uint8_t status);

 private:
  std::vector<std::unique_ptr<TDBTable>> tables_;
  int current_ = -1;
};

}  // namespace vorn

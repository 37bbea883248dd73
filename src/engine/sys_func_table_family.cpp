// The script-table functions. They work on the process's table manager: one active table with a
// current record. Every failure is answered through the result (false, -1 or the default); only
// argument conversions and the file reading of DBLoadTsvFile raise.

#include <algorithm>
#include <string>
#include <vector>

#include "engine/custom_param.h"
#include "engine/db_manager_global.h"
#include "engine/param_collection.h"
#include "engine/project.h"
#include "engine/script_files.h"
#include "engine/script_text.h"
#include "engine/sys_func_families.h"
#include "foundation/int_list.h"
#include "foundation/vocabulary_codes.h"

namespace vorn {
namespace {

using Call = const TSysFuncCall&;

TDBManager& Tables() { return GlobalDBManager(); }

void SetBool(Call call, bool value) { call.Result().SetAsBool(value); }
void SetInt(Call call, std::int32_t value) { call.Result().SetAsInt(value); }

// The active table, or null after answering false.
TDBTable* ActiveOrFalse(Call call) {
  TDBTable* table = Tables().CurrentTable();
  if (table == nullptr) SetBool(call, false);
  return table;
}

// The active table when it has a current record, or null after answering false.
TDBTable* CurrentRecordOrFalse(Call call) {
  TDBTable* table = Tables().CurrentTable();
  if (table == nullptr || table->CurrentRecord() == nullptr) {
    SetBool(call, false);
    return nullptr;
  }
  return table;
}

const TCustomParam* Optional(Call call, std::size_t i) { return call.Has(i) ? &call.Arg(i) : nullptr; }
bool OptionalBool(Call call, std::size_t i) { return call.Has(i) && call.Bool(i); }

// The records of `table` selected by the field names at `first`, the values after them, then the
// ignore-case and partial flags; absent arguments select every record and leave the flags false.
TIntList Select(Call call, const TDBTable& table, std::size_t first) {
  const TCustomParam* names = Optional(call, first);
  const TCustomParam* values = Optional(call, first + 1);
  const bool ignore_case = OptionalBool(call, first + 2);
  const bool partial = OptionalBool(call, first + 3);
  TIntList found;
  table.Find(found, names, partial, ignore_case, values);
  return found;
}

void DBCreateTable(Call call) {
  const std::string name = call.Str(0);
  SetBool(call, Tables().CreateTable(name, call.Bool(1) ? 1 : 0) >= 0);
}

void DBSetActive(Call call) { SetBool(call, Tables().SelectTable(call.Str(0))); }

void DBAddField(Call call) {
  TDBTable* table = ActiveOrFalse(call);
  if (table == nullptr) return;
  const std::string name = call.Str(0);
  const std::int32_t type = call.Int(1);
  const std::int32_t size = call.Has(2) ? call.Int(2) : 0;
  // Checked before narrowing, so 257 is not taken for an integer field.
  if (type < kDBFieldInt || type > kDBFieldStr) return SetBool(call, false);
  SetBool(call, table->Fields().AddField(name, static_cast<std::uint8_t>(type), size) >= 0);
}

void DBSetRecNo(Call call) {
  if (TDBTable* table = ActiveOrFalse(call)) SetBool(call, table->SetRecNo(call.Int(0)));
}

void DBInsert(Call call) {
  TDBTable* table = ActiveOrFalse(call);
  if (table == nullptr) return;
  table->Append();
  const int record = table->RecNo();
  for (std::size_t i = 0; i < call.ArgCount(); ++i) {
    if (!call.Has(i)) continue;
    const TCustomParam& value = call.Arg(i);
    const int field = static_cast<int>(i);
    switch (value.ParamType()) {
      case PT_INT: table->SetIntAt(record, field, value.GetAsInt()); break;
      case PT_FLOAT: table->SetFloatAt(record, field, value.GetAsFloat()); break;
      case PT_BOOL: table->SetBoolAt(record, field, value.GetAsBool()); break;
      default: table->SetStrAt(record, field, value.GetAsString()); break;
    }
  }
  SetBool(call, true);
}

void DBDelete(Call call) {
  if (TDBTable* table = CurrentRecordOrFalse(call)) {
    table->Delete();
    SetBool(call, true);
  }
}

void DBGetInt(Call call) {
  std::int32_t v = 0;
  TDBTable* table = Tables().CurrentTable();
  if (table == nullptr || !table->GetInt(call.Str(0), v)) v = 0;
  SetInt(call, v);
}

void DBSetInt(Call call) {
  if (TDBTable* table = CurrentRecordOrFalse(call)) SetBool(call, table->SetInt(call.Str(0), call.Int(1)));
}

void DBGetFloat(Call call) {
  TExtended x = 0;
  TDBTable* table = Tables().CurrentTable();
  if (table == nullptr || !table->GetFloat(call.Str(0), x)) x = 0;
  call.Result().SetAsFloat(x);
}

void DBSetFloat(Call call) {
  if (TDBTable* table = CurrentRecordOrFalse(call)) SetBool(call, table->SetFloat(call.Str(0), call.Float(1)));
}

void DBGetBool(Call call) {
  bool b = false;
  TDBTable* table = Tables().CurrentTable();
  if (table == nullptr || !table->GetBool(call.Str(0), b)) b = false;
  SetBool(call, b);
}

void DBSetBool(Call call) {
  if (TDBTable* table = CurrentRecordOrFalse(call)) SetBool(call, table->SetBool(call.Str(0), call.Bool(1)));
}

void DBGetStr(Call call) {
  std::string s;
  TDBTable* table = Tables().CurrentTable();
  if (table == nullptr || !table->GetStr(call.Str(0), s)) s.clear();
  call.Result().SetAsString(s);
}

void DBSetStr(Call call) {
  if (TDBTable* table = CurrentRecordOrFalse(call)) SetBool(call, table->SetStr(call.Str(0), call.Str(1)));
}

void DBRecordCount(Call call) {
  TDBManager& tables = Tables();
  const int i = call.Has(0) ? tables.IndexOfTable(call.Str(0)) : tables.CurrentIndex();
  SetInt(call, i < 0 ? -1 : tables.Table(i).RecordCount());
}

void DBFindFirst(Call call) {
  if (TDBTable* table = ActiveOrFalse(call)) SetBool(call, table->First());
}
void DBFindLast(Call call) {
  if (TDBTable* table = ActiveOrFalse(call)) SetBool(call, table->Last());
}
void DBFindNext(Call call) {
  if (TDBTable* table = ActiveOrFalse(call)) SetBool(call, table->Next());
}
void DBFindPrior(Call call) {
  if (TDBTable* table = ActiveOrFalse(call)) SetBool(call, table->Prior());
}

void DBLocate(Call call) {
  TDBTable* table = ActiveOrFalse(call);
  if (table == nullptr) return;
  const TIntList found = Select(call, *table, 0);
  if (found.Count() == 0) return SetBool(call, false);
  SetBool(call, table->SetRecNo(found.GetItem(0)));
}

// The project's check of a data file name (a file on a disc not inserted is not read).
bool TableFileAllowed(const std::string& name) { return ProjectCheckFile(name); }

void DBLoadTsvFile(Call call) {
  TDBTable* table = ActiveOrFalse(call);
  if (table == nullptr) return;
  const std::string name = call.Str(0);
  if (!TableFileAllowed(name)) return SetBool(call, false);
  const std::vector<std::string> lines = script_text::SplitLines(GetScriptFiles().ReadFile(name));
  SetBool(call, !lines.empty() && table->LoadTsv(lines));
}

// The direct functions: table a0, field names a1, values a2, ignore case a3, partial a4, field a5
// and the default or new value a6.
struct Direct {
  explicit Direct(Call call)
      : table(call.Str(0)), names(&call.Arg(1)), values(&call.Arg(2)), ignore_case(call.Bool(3)),
        partial(call.Bool(4)), field(call.Str(5)) {}
  std::string table;
  const TCustomParam* names;
  const TCustomParam* values;
  bool ignore_case;
  bool partial;
  std::string field;
};

void DBDirectGetInt(Call call) {
  const Direct d(call);
  SetInt(call, Tables().LookupInt(d.table, d.names, d.partial, d.ignore_case, d.values, d.field, call.Int(6)));
}
void DBDirectSetInt(Call call) {
  const Direct d(call);
  SetBool(call, Tables().LookupSetInt(d.table, d.names, d.partial, d.ignore_case, d.values, d.field, call.Int(6)));
}
void DBDirectGetFloat(Call call) {
  const Direct d(call);
  call.Result().SetAsFloat(
      Tables().LookupFloat(d.table, d.names, d.partial, d.ignore_case, d.values, d.field, call.Float(6)));
}
void DBDirectSetFloat(Call call) {
  const Direct d(call);
  SetBool(call,
          Tables().LookupSetFloat(d.table, d.names, d.partial, d.ignore_case, d.values, d.field, call.Float(6)));
}
void DBDirectGetBool(Call call) {
  const Direct d(call);
  SetBool(call, Tables().LookupBool(d.table, d.names, d.partial, d.ignore_case, d.values, d.field, call.Bool(6)));
}
void DBDirectSetBool(Call call) {
  const Direct d(call);
  SetBool(call, Tables().LookupSetBool(d.table, d.names, d.partial, d.ignore_case, d.values, d.field, call.Bool(6)));
}
void DBDirectGetStr(Call call) {
  const Direct d(call);
  call.Result().SetAsString(
      Tables().LookupStr(d.table, d.names, d.partial, d.ignore_case, d.values, d.field, call.Str(6)));
}
void DBDirectSetStr(Call call) {
  const Direct d(call);
  SetBool(call, Tables().LookupSetStr(d.table, d.names, d.partial, d.ignore_case, d.values, d.field, call.Str(6)));
}

void DBCopyTable(Call call) {
  TDBTable* table = ActiveOrFalse(call);
  if (table == nullptr) return;
  const TIntList found = Select(call, *table, 1);
  SetBool(call, Tables().CopyRecordsTo(call.Str(0), found.Items()));
}

void DBDeleteTable(Call call) {
  TDBManager& tables = Tables();
  std::string name;
  if (call.Has(0)) {
    name = call.Str(0);
  } else {
    TDBTable* active = tables.CurrentTable();
    if (active == nullptr) return SetBool(call, false);
    name = active->Name();
  }
  SetBool(call, tables.DeleteTable(name));
}

void DBInsertTable(Call call) {
  TDBTable* table = ActiveOrFalse(call);
  if (table == nullptr) return;
  TDBManager& tables = Tables();
  const std::string source = call.Str(0);
  const int s = tables.IndexOfTable(source);
  if (s < 0) return SetBool(call, false);
  const TIntList found = Select(call, tables.Table(s), 1);
  SetBool(call, tables.AppendRecordsFrom(source, found.Items()));
}

void DBCopy(Call call) {
  TDBTable* table = CurrentRecordOrFalse(call);
  if (table == nullptr) return;
  TDBManager& tables = Tables();
  const int d = tables.IndexOfTable(call.Str(0));
  if (d < 0) return SetBool(call, false);
  TDBTable& dest = tables.Table(d);
  if (!dest.Fields().SameStructure(table->Fields())) return SetBool(call, false);
  // Through a copy: the destination may be the active table itself, whose rows move as it grows.
  const std::uint8_t* from = table->CurrentRecord();
  const std::vector<std::uint8_t> bytes(from, from + table->Fields().RecordSize());
  dest.Append();
  std::copy(bytes.begin(), bytes.end(), dest.CurrentRecord());
  SetBool(call, true);
}

void DBClearTable(Call) { Tables().Clear(); }

void DBSort(Call call) {
  TDBTable* table = ActiveOrFalse(call);
  if (table == nullptr) return;
  table->Sort(&call.Arg(0), &call.Arg(1));
  SetBool(call, true);
}

void DBGetActive(Call call) {
  const TDBTable* table = Tables().CurrentTable();
  call.Result().SetAsString(table == nullptr ? std::string() : table->Name());
}

void DBGetRecNo(Call call) {
  const TDBTable* table = Tables().CurrentTable();
  SetInt(call, table == nullptr ? -1 : table->RecNo());
}

void DBClearRecord(Call call) {
  TDBManager& tables = Tables();
  const int i = call.Has(0) ? tables.IndexOfTable(call.Str(0)) : tables.CurrentIndex();
  if (i < 0) return SetBool(call, false);
  tables.Table(i).ClearRecords();
  SetBool(call, true);
}

constexpr TSysFuncSlot kSlots[] = {
    {TSysFunc::DBCreateTable, DBCreateTable},
    {TSysFunc::DBSetActive, DBSetActive},
    {TSysFunc::DBAddField, DBAddField},
    {TSysFunc::DBSetRecNo, DBSetRecNo},
    {TSysFunc::DBInsert, DBInsert},
    {TSysFunc::DBDelete, DBDelete},
    {TSysFunc::DBGetInt, DBGetInt},
    {TSysFunc::DBSetInt, DBSetInt},
    {TSysFunc::DBGetFloat, DBGetFloat},
    {TSysFunc::DBSetFloat, DBSetFloat},
    {TSysFunc::DBGetBool, DBGetBool},
    {TSysFunc::DBSetBool, DBSetBool},
    {TSysFunc::DBGetStr, DBGetStr},
    {TSysFunc::DBSetStr, DBSetStr},
    {TSysFunc::DBRecordCount, DBRecordCount},
    {TSysFunc::DBFindFirst, DBFindFirst},
    {TSysFunc::DBFindLast, DBFindLast},
    {TSysFunc::DBFindNext, DBFindNext},
    {TSysFunc::DBFindPrior, DBFindPrior},
    {TSysFunc::DBLocate, DBLocate},
    {TSysFunc::DBLoadTsvFile, DBLoadTsvFile},
    {TSysFunc::DBDirectGetInt, DBDirectGetInt},
    {TSysFunc::DBDirectSetInt, DBDirectSetInt},
    {TSysFunc::DBDirectGetFloat, DBDirectGetFloat},
    {TSysFunc::DBDirectSetFloat, DBDirectSetFloat},
    {TSysFunc::DBDirectGetBool, DBDirectGetBool},
    {TSysFunc::DBDirectSetBool, DBDirectSetBool},
    {TSysFunc::DBDirectGetStr, DBDirectGetStr},
    {TSysFunc::DBDirectSetStr, DBDirectSetStr},
    {TSysFunc::DBCopyTable, DBCopyTable},
    {TSysFunc::DBDeleteTable, DBDeleteTable},
    {TSysFunc::DBInsertTable, DBInsertTable},
    {TSysFunc::DBCopy, DBCopy},
    {TSysFunc::DBClearTable, DBClearTable},
    {TSysFunc::DBSort, DBSort},
    {TSysFunc::DBGetActive, DBGetActive},
    {TSysFunc::DBGetRecNo, DBGetRecNo},
    {TSysFunc::DBClearRecord, DBClearRecord},
};

}  // namespace

std::span<const TSysFuncSlot> TableFunctions() { return kSlots; }

}  // namespace vorn

// The script-table functions, called from compiled expressions as scripts call them. One table of
// steps runs in order against the process's tables, so each step sees what the earlier ones left.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "engine/build_vorn_parser.h"
#include "engine/db_manager_global.h"
#include "engine/param_collection.h"
#include "engine/script_files.h"
#include "engine/sys_func_man.h"
#include "engine/vorn_parser.h"
#include "foundation/stream.h"
#include "foundation/vocabulary_codes.h"
#include "support/script_expression.h"

namespace {

using namespace vorn;

class TableFunctions : public ::testing::Test {
 protected:
  TableFunctions() {
    GlobalDBManager().Clear();
    previous_files_ = SetScriptFiles(&files_);
    Strings("nameKey", {"name"});
    Strings("numKey", {"n"});
    Strings("zed", {"zed"});
    Strings("yyy", {"a yyy b"});
    Strings("sortKeys", {"name"});
    Ints("three", {3});
    Ints("missing", {99});
    Bools("down", {true});
  }
  ~TableFunctions() override {
    SetScriptFiles(previous_files_);
    GlobalDBManager().Clear();
  }

  TParamCollectionItem& Declare(std::string_view name, std::uint8_t type, std::int32_t count) {
    auto& item = params_.AddParam(type);
    item.SetName(name);
    const std::int32_t extents[] = {count};
    item.Value().SetDims(extents);
    return item;
  }
  void Strings(std::string_view name, std::initializer_list<const char*> values) {
    auto& item = Declare(name, PT_STR, static_cast<std::int32_t>(values.size()));
    std::int32_t i = 0;
    for (const char* v : values) item.Value().SetStrAt(i++, v);
  }
  void Ints(std::string_view name, std::initializer_list<std::int32_t> values) {
    auto& item = Declare(name, PT_INT, static_cast<std::int32_t>(values.size()));
    std::int32_t i = 0;
    for (std::int32_t v : values) item.Value().SetIntAt(i++, v);
  }
  void Bools(std::string_view name, std::initializer_list<bool> values) {
    auto& item = Declare(name, PT_BOOL, static_cast<std::int32_t>(values.size()));
    std::int32_t i = 0;
    for (bool v : values) item.Value().SetBoolAt(i++, v);
  }

  std::string Evaluate(std::string_view text) {
    return vorn::testing::EvaluateScriptText(text);
  }

  struct Step {
    const char* expression;
    const char* expected;
  };
  void RunSteps(const std::vector<Step>& steps) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
      // No expectation: a function that stores no result.
      if (steps[i].expected == nullptr) {
        Evaluate(steps[i].expression);
        continue;
      }
      EXPECT_EQ(Evaluate(steps[i].expression), steps[i].expected) << "step " << i << ": " << steps[i].expression;
    }
  }

  TParamCollection params_;
  TSysFuncMan man_;
  TMemoryScriptFiles files_;
  TScriptFiles* previous_files_ = nullptr;
};

TEST_F(TableFunctions, ScriptSession) {
  RunSteps({
      // Nothing active yet: every guarded function answers false, the readers their defaults.
      {"DBGetActive()", ""},
      {"DBRecordCount()", "-1"},
      {"DBGetRecNo()", "-1"},
      {"DBAddField(\"n\", 1)", "FALSE"},
      {"DBInsert(1)", "FALSE"},
      {"DBFindFirst()", "FALSE"},
      {"DBGetInt(\"n\")", "0"},
      {"DBGetStr(\"n\")", ""},
      {"DBSetInt(\"n\", 1)", "FALSE"},
      {"DBDeleteTable()", "FALSE"},
      {"DBClearRecord()", "FALSE"},
      {"DBSort(sortKeys, down)", "FALSE"},
      // Creation, and a second table of the same name (any case) leaves the active one active.
      {"DBCreateTable(\"people\", FALSE)", "TRUE"},
      {"DBCreateTable(\"\", FALSE)", "FALSE"},
      {"DBAddField(\"n\", 1)", "TRUE"},
      {"DBAddField(\"name\", 4, 10)", "TRUE"},
      {"DBAddField(\"bad\", 9)", "FALSE"},
      {"DBAddField(\"bad\", 257)", "FALSE"},
      {"DBCreateTable(\"other\", TRUE)", "TRUE"},
      {"DBGetActive()", "other"},
      {"DBSetActive(\"nope\")", "FALSE"},
      {"DBGetActive()", "other"},
      {"DBSetActive(\"PEOPLE\")", "TRUE"},
      {"DBCreateTable(\"People\", FALSE)", "FALSE"},
      {"DBGetActive()", "people"},
      // Records.
      {"DBDelete()", "FALSE"},
      {"DBSetInt(\"n\", 1)", "FALSE"},
      {"DBInsert(1, \"x\")", "TRUE"},
      {"DBGetRecNo()", "0"},
      {"DBGetInt(\"n\")", "1"},
      {"DBGetStr(\"name\")", "x"},
      {"DBInsert(2, \"yyy\")", "TRUE"},
      {"DBInsert(3, \"Zed\")", "TRUE"},
      {"DBRecordCount()", "3"},
      {"DBGetRecNo()", "2"},
      {"DBFindNext()", "FALSE"},
      {"DBGetRecNo()", "2"},
      {"DBFindFirst()", "TRUE"},
      {"DBFindPrior()", "FALSE"},
      {"DBGetRecNo()", "0"},
      {"DBFindNext()", "TRUE"},
      {"DBGetRecNo()", "1"},
      {"DBFindLast()", "TRUE"},
      {"DBGetRecNo(77)", "2"},
      {"DBSetRecNo(3)", "FALSE"},
      {"DBGetRecNo()", "2"},
      {"DBSetRecNo(-1)", "TRUE"},
      {"DBGetRecNo()", "-1"},
      {"DBSetInt(\"n\", 5)", "FALSE"},
      {"DBSetStr(\"name\", \"q\")", "FALSE"},
      {"DBGetInt(\"n\")", "0"},
      {"DBGetStr(\"name\")", ""},
      {"DBDelete()", "FALSE"},
      {"DBSetRecNo(1)", "TRUE"},
      {"DBGetInt(\"missing\")", "0"},
      {"DBGetFloat(\"missing\")", "0"},
      {"DBGetBool(\"missing\")", "FALSE"},
      {"DBSetInt(\"missing\", 1)", "FALSE"},
      {"DBSetInt(\"N\", 20)", "TRUE"},
      {"DBGetInt(\"n\")", "20"},
      {"DBSetInt(\"n\", 2)", "TRUE"},
      // Locate: the ignore-case flag comes before the partial flag.
      {"DBLocate(nameKey, zed)", "FALSE"},
      {"DBGetRecNo()", "1"},
      {"DBLocate(nameKey, zed, TRUE)", "TRUE"},
      {"DBGetRecNo()", "2"},
      {"DBLocate(nameKey, yyy, FALSE, TRUE)", "TRUE"},
      {"DBGetRecNo()", "1"},
      {"DBLocate(nameKey, zed, FALSE, TRUE)", "FALSE"},
      {"DBGetRecNo()", "1"},
      // Direct access by selection.
      {"DBDirectGetStr(\"people\", numKey, three, FALSE, FALSE, \"name\", \"none\")", "Zed"},
      {"DBDirectGetStr(\"people\", numKey, missing, FALSE, FALSE, \"name\", \"none\")", "none"},
      {"DBDirectGetStr(\"nope\", numKey, three, FALSE, FALSE, \"name\", \"none\")", "none"},
      {"DBDirectGetStr(\"people\", numKey, three, FALSE, FALSE, \"zz\", \"none\")", "none"},
      {"DBDirectGetInt(\"PEOPLE\", nameKey, zed, TRUE, FALSE, \"n\", -1)", "3"},
      {"DBDirectSetInt(\"people\", numKey, missing, FALSE, FALSE, \"n\", 4)", "FALSE"},
      {"DBDirectSetInt(\"people\", numKey, three, FALSE, FALSE, \"zz\", 4)", "FALSE"},
      {"DBDirectSetInt(\"people\", numKey, three, FALSE, FALSE, \"n\", 30)", "TRUE"},
      {"DBDirectGetInt(\"people\", numKey, three, FALSE, FALSE, \"n\", -1)", "-1"},
      {"DBDirectGetInt(\"people\", nameKey, zed, TRUE, FALSE, \"n\", -1)", "30"},
      {"DBDirectSetStr(\"people\", nameKey, zed, TRUE, FALSE, \"name\", \"Zoe\")", "TRUE"},
      {"DBDirectGetBool(\"people\", nameKey, zed, TRUE, FALSE, \"n\", TRUE)", "TRUE"},
      {"DBDirectGetFloat(\"people\", nameKey, zed, TRUE, FALSE, \"n\", 1.5)", "1.5"},
      // Counting and copying between tables.
      {"DBRecordCount(\"nope\")", "-1"},
      {"DBRecordCount(\"other\")", "0"},
      {"DBCopyTable(\"people\")", "FALSE"},
      {"DBCopyTable(\"nope\")", "FALSE"},
      {"DBCopyTable(\"other\")", "TRUE"},
      {"DBRecordCount(\"other\")", "3"},
      {"DBCopyTable(\"other\", numKey, three)", "TRUE"},
      {"DBRecordCount(\"other\")", "0"},
      {"DBCopyTable(\"other\", nameKey, yyy, FALSE, TRUE)", "TRUE"},
      {"DBRecordCount(\"other\")", "1"},
      {"DBDirectGetInt(\"other\", numKey, missing, FALSE, FALSE, \"n\", 0)", "0"},
      {"DBCopy(\"nope\")", "FALSE"},
      {"DBSetRecNo(0)", "TRUE"},
      {"DBCopy(\"other\")", "TRUE"},
      {"DBRecordCount(\"other\")", "2"},
      {"DBGetRecNo()", "0"},
      {"DBInsertTable(\"nope\")", "FALSE"},
      {"DBInsertTable(\"other\", nameKey, zed)", "TRUE"},
      {"DBRecordCount()", "3"},
      {"DBInsertTable(\"other\")", "TRUE"},
      {"DBRecordCount()", "5"},
      {"DBGetRecNo()", "4"},
      {"DBGetStr(\"name\")", "x"},
      {"DBCopy(\"people\")", "TRUE"},
      {"DBRecordCount()", "6"},
      {"DBGetRecNo()", "5"},
      {"DBGetStr(\"name\")", "x"},
      // Sorting by name, descending, in byte order.
      {"DBSort(sortKeys, down)", "TRUE"},
      {"DBFindFirst()", "TRUE"},
      {"DBGetStr(\"name\")", "yyy"},
      {"DBFindLast()", "TRUE"},
      {"DBGetStr(\"name\")", "Zoe"},
      // Deleting.
      {"DBDelete()", "TRUE"},
      {"DBRecordCount()", "5"},
      {"DBDeleteTable(\"nope\")", "FALSE"},
      {"DBDeleteTable(\"other\")", "TRUE"},
      {"DBGetActive()", "people"},
      {"DBClearRecord(\"nope\")", "FALSE"},
      {"DBClearRecord()", "TRUE"},
      {"DBRecordCount()", "0"},
      {"DBGetRecNo()", "-1"},
      {"DBCreateTable(\"second\", FALSE)", "TRUE"},
      {"DBDeleteTable()", "TRUE"},
      {"DBGetActive()", ""},
      {"DBRecordCount(\"people\")", "0"},
      {"DBCreateTable(\"third\", TRUE)", "TRUE"},
      {"DBClearTable()", nullptr},
  });
  // Status tables go too.
  EXPECT_EQ(GlobalDBManager().Count(), 0);
  RunSteps({
      {"DBGetActive()", ""},
      {"DBRecordCount(\"people\")", "-1"},
      {"DBGetRecNo()", "-1"},
  });
}

}  // namespace

namespace {

TEST_F(TableFunctions, LoadTsvFileAndTypedInsert) {
  // Header cells "id int", "label", "rate float"; CR, LF and CR LF all end lines.
  const std::string tsv = "id int\tlabel\trate float\r\n1\tone\t0.5\r2\ttwo\t1.25\n3\tthree\t2\r\n";
  files_.files["t.tsv"] = std::vector<std::uint8_t>(tsv.begin(), tsv.end());
  files_.files["empty.tsv"] = {};
  RunSteps({
      {"DBLoadTsvFile(\"t.tsv\")", "FALSE"},  // no active table
      {"DBCreateTable(\"t\", FALSE)", "TRUE"},
      {"DBLoadTsvFile(\"absent.tsv\")", "FALSE"},
      {"DBLoadTsvFile(\"empty.tsv\")", "FALSE"},
      {"DBLoadTsvFile(\"t.tsv\")", "TRUE"},
      {"DBRecordCount()", "3"},
      {"DBSetRecNo(1)", "TRUE"},
      {"DBGetStr(\"label\")", "two"},
      {"DBGetFloat(\"rate\")", "1.25"},
      {"DBSetRecNo(2)", "TRUE"},
      {"DBGetInt(\"id\")", "3"},
      // Each argument's own type picks the setter; arguments beyond the fields are ignored.
      {"DBInsert(7, \"seven\", 3.5, \"extra\", TRUE)", "TRUE"},
      {"DBGetRecNo()", "3"},
      {"DBGetInt(\"id\")", "7"},
      {"DBGetStr(\"label\")", "seven"},
      {"DBGetFloat(\"rate\")", "3.5"},
      {"DBInsert(\"12\", 5)", "TRUE"},
      {"DBGetInt(\"id\")", "12"},
      {"DBGetStr(\"label\")", "5"},
      {"DBGetFloat(\"rate\")", "0"},
      {"DBInsert()", "TRUE"},
      {"DBRecordCount()", "6"},
      {"DBGetStr(\"label\")", ""},
  });
}

}  // namespace

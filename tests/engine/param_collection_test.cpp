#include "engine/param_collection.h"

#include <gtest/gtest.h>

#include "engine/script_error.h"
#include "engine/typed_params.h"
#include "foundation/errors.h"
#include "foundation/stream_encoding.h"
#include "foundation/system_texts.h"
#include "foundation/vocabulary.h"

namespace {

using namespace vorn;

TParamCollectionItem& Declare(TParamCollection& params, std::string_view name, std::uint8_t type,
                              TVarScope scope = TVarScope::kGlobal) {
  auto& item = params.AddParam(type);
  item.SetName(name);
  item.ApplyScope(scope, params.CurrentFrameId());
  return item;
}

std::string NameError(std::string_view name) {
  TParamCollection params;
  auto& item = params.AddParam(PT_INT);
  try {
    item.SetName(name);
  } catch (const EScriptError& e) {
    return e.what();
  }
  return "(accepted)";
}

TEST(ParamCollection, SystemVariablesComeFirst) {
  TParamCollection params;
  ASSERT_EQ(params.Count(), 50);
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(params.GetItem(i).Name(), vocabulary::kSysVarNames[static_cast<std::size_t>(i)]);
    EXPECT_TRUE(params.GetItem(i).IsSystem());
  }
  EXPECT_EQ(params.FindParam("@result"), &params.GetItem(0));
  EXPECT_EQ(params.FindParam("@TEXTDELAY")->GetAsInt(), 50);
  EXPECT_EQ(CurrentParams(), &params);
}

TEST(ParamCollection, NamesAreChecked) {
  struct Case {
    std::string_view name;
    bool accepted;
  };
  const Case cases[] = {
      {"x", true}, {"@x", true}, {"____x", true}, {"a1", true}, {"\x83\x70\x83\x8f\x81\x5b", true},
      {"", false}, {"a b", false}, {" a", false}, {"5x", false}, {"0", false},
  };
  for (const auto& c : cases) {
    const std::string error = NameError(c.name);
    if (c.accepted) {
      EXPECT_EQ(error, "(accepted)") << c.name;
    } else {
      EXPECT_EQ(error, FormatText(texts::kVariableNameInvalidFormat, c.name)) << c.name;
    }
  }
  // "a b"：変数名が不正です with the full-width colon.
  EXPECT_EQ(NameError("a b"), "\x22\x61\x20\x62\x22\x81\x46\x95\xcf\x90\x94\x96\xbc\x82\xaa\x95\x73\x90\xb3\x82\xc5\x82\xb7");
}

TEST(ParamCollection, NamesMatchIgnoringCaseButNeverFoldATrailByte) {
  TParamCollection params;
  auto& lower = Declare(params, "Score", PT_INT);
  EXPECT_EQ(params.FindParam("SCORE"), &lower);
  // ア (83 41) and ヂ (83 61) differ only by an ASCII-case trail byte: two variables.
  auto& a = Declare(params, "\x83\x41", PT_INT);
  auto& di = Declare(params, "\x83\x61", PT_INT);
  EXPECT_EQ(params.FindParam("\x83\x41"), &a);
  EXPECT_EQ(params.FindParam("\x83\x61"), &di);
}

TEST(ParamCollection, LocalsHideOnlyAtTheirDepthAndDieWithTheFrame) {
  TParamCollection params;
  auto& global = Declare(params, "x", PT_INT);
  global.SetAsInt(1);
  params.SetCurrentFrameId(2);
  auto& local = Declare(params, "x", PT_INT, TVarScope::kLocal);
  local.SetAsInt(2);
  EXPECT_EQ(params.FindParam("x"), &local);
  EXPECT_EQ(params.FindScoped("x", true), &local);
  EXPECT_EQ(params.FindScoped("x", false), &global);
  params.SetCurrentFrameId(1);
  EXPECT_EQ(params.FindParam("x"), &global);
  EXPECT_EQ(params.FindScoped("x", true), nullptr);
  params.SetCurrentFrameId(3);
  EXPECT_EQ(params.FindParam("x"), &global);
  params.SetCurrentFrameId(2);
  params.FreeFrame(2);
  EXPECT_EQ(params.FindParam("x"), &global);
  EXPECT_EQ(params.FindParam("x")->GetAsInt(), 1);
}

TEST(ParamCollection, AutoFreeIsVisibleEverywhereUntilItsFrameEnds) {
  TParamCollection params;
  params.SetCurrentFrameId(1);
  auto& item = Declare(params, "t", PT_STR, TVarScope::kAutoFree);
  params.SetCurrentFrameId(4);
  EXPECT_EQ(params.FindParam("t"), &item);
  params.FreeFrame(1);
  EXPECT_EQ(params.FindParam("t"), nullptr);
}

TEST(ParamCollection, AmongEqualNamesTheFirstLinkedNonLocalWins) {
  TParamCollection params;
  auto& first = Declare(params, "v", PT_INT);
  Declare(params, "V", PT_INT);
  EXPECT_EQ(params.FindParam("v"), &first);
}

TEST(ParamCollection, CopyParamCopiesShapeAndElements) {
  TParamCollection params;
  auto& array = Declare(params, "arr", PT_STR);
  const std::int32_t dims[] = {2};
  array.SetDims(dims);
  array.SetStrAt(1, "b");
  auto copy = params.CopyParam("arr");
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->ParamType(), PT_STR);
  EXPECT_EQ(copy->DimSize(0), 2);
  EXPECT_EQ(copy->GetStrAt(1), "b");
  EXPECT_EQ(params.CopyParam("missing"), nullptr);
  Declare(params, "ref", PT_NONE);
  try {
    params.CopyParam("ref");
    ADD_FAILURE();
  } catch (const EScriptError& e) {
    EXPECT_EQ(std::string(e.what()), FormatText(texts::kVariableInvalidFormat, "ref"));
  }
}

std::vector<std::uint8_t> GameBytes(const TParamCollection& params) {
  TMemoryStream stream;
  params.SaveGame(stream);
  return stream.Bytes();
}

TEST(ParamCollection, SaveGameLayoutByHand) {
  TParamCollection params;
  Declare(params, "a", PT_INT).SetAsInt(5);
  Declare(params, "keep", PT_INT, TVarScope::kStatus).SetAsInt(9);  // never in a game save
  params.SetSelectedText("s");
  params.SetSelectedIndex(2);
  params.HistoryFormat()[5] = 7;
  params.SetTempName("t");
  const std::vector<std::uint8_t> expected = {
      1, 0, 0, 0,                    // one record
      1,                             // integer
      1, 0, 0, 0, 'a',               // name
      0, 0, 0, 0,                    // no extents
      1, 0, 0, 0, 5, 0, 0, 0,        // one element: 5
      0, 0,                          // status flag, reserved byte
      0xFF, 0xFF, 0xFF, 0xFF,        // frame id -1
      0,                             // local flag
      50, 0, 0, 0,                   // @TextDelay
      0, 0, 0, 0,                    // @Cursor ""
      1, 0, 0, 0, 's', 2, 0, 0, 0,   // selected text and index
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7, 0, 0, 0,  // history format
      1, 0, 0, 0, 't',               // @Temp name
  };
  EXPECT_EQ(GameBytes(params), expected);
}

TEST(ParamCollection, LoadGameKeepsStatusAndGatesFieldsByVersion) {
  TParamCollection source;
  Declare(source, "g", PT_FLOAT).SetAsFloat(2.5L);
  source.SetCurrentFrameId(3);
  Declare(source, "l", PT_INT, TVarScope::kLocal).SetAsInt(4);
  source.SetSelectedText("sel");
  source.HistoryFormat().fill(3);
  source.SetTempName("tmp");
  const auto bytes = GameBytes(source);

  struct Case {
    std::int32_t version;
    std::size_t cut;  // bytes of the newer fields missing from an older save
    bool has_selection, has_history, has_temp;
  };
  const std::size_t temp_bytes = 4 + 3, history_bytes = 24, selection_bytes = 4 + 3 + 4;
  const Case cases[] = {
      {121, 0, true, true, true},
      {120, temp_bytes, true, true, false},
      {110, temp_bytes + history_bytes, true, false, false},
      {102, temp_bytes + history_bytes + selection_bytes, false, false, false},
  };
  for (const auto& c : cases) {
    TParamCollection params;
    Declare(params, "keep", PT_INT, TVarScope::kStatus).SetAsInt(8);
    Declare(params, "old", PT_INT);
    TMemoryStream stream(std::vector<std::uint8_t>(bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(c.cut)));
    params.LoadGame(stream, c.version);
    EXPECT_EQ(stream.Remaining(), 0) << c.version;
    EXPECT_EQ(params.FindParam("old"), nullptr) << c.version;
    ASSERT_NE(params.FindParam("keep"), nullptr) << c.version;
    EXPECT_EQ(params.FindParam("keep")->GetAsInt(), 8);
    EXPECT_EQ(params.FindParam("g")->GetAsFloat(), 2.5L);
    params.SetCurrentFrameId(3);
    ASSERT_NE(params.FindParam("l"), nullptr);
    EXPECT_EQ(params.FindParam("l")->GetAsInt(), 4);
    EXPECT_EQ(params.SelectedText(), c.has_selection ? "sel" : "");
    EXPECT_EQ(params.HistoryFormat()[0], c.has_history ? 3 : 0);
    EXPECT_EQ(params.TempName(), c.has_temp ? "tmp" : "");
  }
}

TEST(ParamCollection, StatusEntryHoldsOnlyStatusVariables) {
  TParamCollection source;
  Declare(source, "g", PT_INT).SetAsInt(1);
  Declare(source, "s", PT_STR, TVarScope::kStatus).SetAsString("kept");
  TMemoryStream stream;
  source.SaveStatus(stream);
  stream.SetPosition(0);
  TParamCollection params;
  params.LoadStatus(stream, 121);
  EXPECT_EQ(params.FindParam("g"), nullptr);
  ASSERT_NE(params.FindParam("s"), nullptr);
  EXPECT_TRUE(params.FindParam("s")->IsStatus());
  EXPECT_EQ(params.FindParam("s")->GetAsString(), "kept");
}

TEST(ParamCollection, ResetGameKeepsSystemAndStatus) {
  TParamCollection params;
  Declare(params, "g", PT_INT);
  Declare(params, "s", PT_INT, TVarScope::kStatus);
  params.FindParam("@TextDelay")->SetAsInt(10);
  params.HistoryFormat()[2] = 5;
  params.ResetGame();
  EXPECT_EQ(params.FindParam("g"), nullptr);
  EXPECT_NE(params.FindParam("s"), nullptr);
  EXPECT_EQ(params.Count(), 51);
  EXPECT_EQ(params.FindParam("@TextDelay")->GetAsInt(), 50);
  EXPECT_EQ(params.HistoryFormat()[2], 0);
}

TEST(ParamCollection, ReferencesToReferencesAreWrittenAfterTheirTargets) {
  TParamCollection source;
  Declare(source, "x", PT_INT).SetAsInt(6);
  auto& r1 = Declare(source, "r1", PT_NONE);
  static_cast<TParamVar&>(r1.Value()).Link(source.FindParam("x"));
  auto& r2 = Declare(source, "r2", PT_NONE);
  static_cast<TParamVar&>(r2.Value()).Link(&r1);
  TMemoryStream stream;
  source.SaveGame(stream);
  // Records go from the last variable to the first, except that r2 waits for r1.
  std::vector<std::string> order;
  stream.SetPosition(4);
  for (int i = 0; i < 3; ++i) {
    const std::uint8_t type = ReadByteFromStream(stream);
    order.push_back(ReadStrFromStream(stream));
    CreateParamByType(type)->LoadFromStream(stream);
    stream.Seek(7, SeekOrigin::kCurrent);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"r1", "x", "r2"}));
  stream.SetPosition(0);
  TParamCollection params;
  params.LoadGame(stream, 121);
  auto* loaded = dynamic_cast<TParamVar*>(&params.FindParam("r2")->Value());
  ASSERT_NE(loaded, nullptr);
  ASSERT_NE(loaded->Target(), nullptr);
  EXPECT_EQ(loaded->Target()->HeldName(), "r1");
  // r1 came before x, yet links to it once all records are read.
  EXPECT_EQ(loaded->GetAsInt(), 6);
  EXPECT_EQ(params.FindParam("r1")->GetAsInt(), 6);
}

TEST(ParamCollection, ReferenceCyclesAndOutsideTargetsStillGetWritten) {
  TParamCollection source;
  auto& status_ref = Declare(source, "sr", PT_NONE, TVarScope::kStatus);
  auto& a = Declare(source, "a", PT_NONE);
  auto& b = Declare(source, "b", PT_NONE);
  static_cast<TParamVar&>(a.Value()).Link(&b);
  static_cast<TParamVar&>(b.Value()).Link(&a);
  auto& c = Declare(source, "c", PT_NONE);
  static_cast<TParamVar&>(c.Value()).Link(&status_ref);
  TMemoryStream stream;
  source.SaveGame(stream);  // must end
  stream.SetPosition(0);
  TParamCollection params;
  params.LoadGame(stream, 121);
  EXPECT_NE(params.FindParam("a"), nullptr);
  EXPECT_NE(params.FindParam("b"), nullptr);
  EXPECT_NE(params.FindParam("c"), nullptr);
  EXPECT_EQ(params.FindParam("a")->GetAsInt(), 0);
}

TEST(ParamCollection, FreedVariableLeavesReferencesUnresolved) {
  TParamCollection params;
  auto& x = Declare(params, "x", PT_INT);
  x.SetAsInt(3);
  auto& r = Declare(params, "r", PT_NONE);
  static_cast<TParamVar&>(r.Value()).Link(&x);
  EXPECT_EQ(params.FindParam("r")->GetAsInt(), 3);
  params.FreeItem(x);
  EXPECT_EQ(params.FindParam("r")->GetAsInt(), 0);
  params.FindParam("r")->SetAsInt(1);
}

TEST(ParamCollection, BrokenRecordsFailNamingTheEntry) {
  TParamCollection params;
  const std::vector<std::vector<std::uint8_t>> broken = {
      {0xFF, 0xFF, 0, 0},                                        // count beyond the data
      {0xFF, 0xFF, 0xFF, 0xFF},                                  // negative count
      {1, 0, 0, 0, 9, 1, 0, 0, 0, 'a', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // unknown type
      {1, 0, 0, 0, 1, 1, 0, 0, 0, 'a', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // no elements
      {1, 0, 0, 0, 1, 1, 0, 0, 0, '5', 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // bad name
  };
  for (std::size_t i = 0; i < broken.size(); ++i) {
    TMemoryStream stream(broken[i]);
    EXPECT_THROW(params.LoadStatus(stream, 121), Exception) << i;
    EXPECT_EQ(params.Count(), 50) << i;
  }
  TMemoryStream stream(broken[3]);
  try {
    params.LoadStatus(stream, 121);
  } catch (const EReadError& e) {
    EXPECT_NE(std::string(e.what()).find("\"a\""), std::string::npos) << e.what();
  }
}

TEST(ParamCollection, RecordWithEmptyNameIsSkipped) {
  TParamCollection params;
  TMemoryStream stream(std::vector<std::uint8_t>{1, 0, 0, 0, 1, 0, 0, 0, 0});
  params.LoadStatus(stream, 121);
  EXPECT_EQ(params.Count(), 50);
}

}  // namespace

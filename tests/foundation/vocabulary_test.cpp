#include "foundation/vocabulary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace {

using namespace vorn::vocabulary;
using std::string_view;

template <typename Table>
std::set<string_view> NamesOf(const Table& table) {
  std::set<string_view> names;
  for (const auto& entry : table) names.insert(entry.name);
  return names;
}

TEST(Vocabulary, TablesHaveTheirFixedSizesAndUniqueNames) {
  EXPECT_EQ(kCommands.size(), 61u);
  EXPECT_EQ(kProperties.size(), 162u);
  EXPECT_EQ(kSysFuncNames.size(), 143u);
  EXPECT_EQ(kSysVarNames.size(), 50u);
  EXPECT_EQ(kOperationNames.size(), 21u);
  EXPECT_EQ(kComponentKinds.size(), 28u);
  EXPECT_EQ(kTransitions.size(), 39u);
  EXPECT_EQ(kKeyNames.size(), 52u);
  EXPECT_EQ(kKeyIdentifiers.size(), 70u);

  EXPECT_EQ(NamesOf(kCommands).size(), kCommands.size());
  EXPECT_EQ(NamesOf(kProperties).size(), kProperties.size());
  EXPECT_EQ(NamesOf(kComponentKinds).size(), kComponentKinds.size());
  EXPECT_EQ(NamesOf(kTransitions).size(), kTransitions.size());
  EXPECT_EQ(std::set<string_view>(kSysFuncNames.begin(), kSysFuncNames.end()).size(), 143u);
  EXPECT_EQ(std::set<string_view>(kSysVarNames.begin(), kSysVarNames.end()).size(), 50u);
  EXPECT_EQ(std::set<string_view>(kKeyIdentifiers.begin(), kKeyIdentifiers.end()).size(), 70u);
}

TEST(Vocabulary, CommandSpotEntries) {
  struct Case {
    int code;
    string_view name;
    string_view display;
  };
  const Case cases[] = {
      {0, "If", "IF"},
      {1, "Elseif", "ELSE IF"},
      {3, "Label", "\x83\x89\x83\x78\x83\x8b"},  // ラベル
      {27, "Comment", "\x83\x52\x83\x81\x83\x93\x83\x67"},  // コメント
      {46, "DoEvent", "DoEvent"},
      {60, "LoadCabinet", "\x83\x4c\x83\x83\x83\x72\x83\x6c\x83\x62\x83\x67\x95\x9c\x8b\x41"},  // キャビネット復帰
  };
  for (const auto& c : cases) {
    EXPECT_EQ(kCommands[c.code].name, c.name) << c.code;
    EXPECT_EQ(kCommands[c.code].display, c.display) << c.code;
  }
  EXPECT_EQ(static_cast<int>(vorn::TCommandCode::Call), 5);
  EXPECT_EQ(static_cast<int>(vorn::TCommandCode::LoadCabinet), 60);
}

TEST(Vocabulary, PropertySpotEntries) {
  struct Case {
    int index;
    string_view name;
    int type;
  };
  const Case cases[] = {
      {0, "PR_NAME", 4},        {3, "PR_LEFT", 1},          {25, "PR_ANTIALIAS", 3},
      {95, "PR_PARAM1", 2},     {102, "PR_PARAM3", 2},      {140, "PR_COMPOTYPE", 1},
      {151, "PR_TAG", 4},       {158, "PR_MUTEONLOAD", 3},  {161, "PR_CARETHEIGHT", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(kProperties[c.index].name, c.name) << c.index;
    EXPECT_EQ(kProperties[c.index].type, c.type) << c.index;
  }
  for (const auto& p : kProperties) EXPECT_TRUE(p.type >= 1 && p.type <= 4) << p.name;
  EXPECT_EQ(vorn::PR_CARETHEIGHT, 161);
  EXPECT_EQ(vorn::PR_ZOOMY, 132);
  // 名前
  EXPECT_EQ(kProperties[0].display, "\x96\xbc\x91\x4f");
  // マウス判定を¶リンク文字のみ: the two lines are joined by CR LF.
  EXPECT_EQ(kProperties[152].display,
            "\x83\x7d\x83\x45\x83\x58\x94\xbb\x92\xe8\x82\xf0\x0d\x0a"
            "\x83\x8a\x83\x93\x83\x4e\x95\xb6\x8e\x9a\x82\xcc\x82\xdd");
  // １個の幅 (full-width digit)
  EXPECT_EQ(kProperties[130].display, "\x82\x50\x8c\xc2\x82\xcc\x95\x9d");
}

TEST(Vocabulary, ApplyOrderIsAPermutationWithFixedEnds) {
  std::array<bool, 162> seen{};
  for (auto index : kPropertyApplyOrder) {
    ASSERT_LT(index, 162);
    EXPECT_FALSE(seen[index]) << int(index);
    seen[index] = true;
  }
  const int head[] = {0, 1, 2, 7, 132, 100, 5, 6, 3, 4, 8, 157};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(kPropertyApplyOrder[i], head[i]) << i;
  EXPECT_EQ(kPropertyApplyOrder[161], 158);
  // 161 (caret height) comes right after 79 (caret Y).
  const auto at79 = std::find(kPropertyApplyOrder.begin(), kPropertyApplyOrder.end(), 79);
  EXPECT_EQ(*(at79 + 1), 161);
}

TEST(Vocabulary, SystemFunctionSignatures) {
  struct Case {
    int index;
    string_view name;
    int min, max, type;
  };
  const Case cases[] = {
      {0, "IntToStr", 1, 2, 4},      {2, "GetProp", 2, 2, 4},        {21, "SetArray", 2, -1, 1},
      {30, "IndexOfStr", 2, 4, 1},   {38, "Float", 1, 1, 2},         {65, "GetDisplayMode", 5, 5, 3},
      {83, "StringReplace", 3, 5, 4}, {91, "DBInsert", 0, -1, 3},    {92, "DBDelete", 0, 0, 3},
      {101, "DBRecordCount", 0, 1, 1}, {134, "ListSaveCaption", 0, 2, 1}, {136, "Calc", 1, 1, 4},
      {139, "StrToFloatDef", 2, 2, 2}, {142, "DeleteStack", 1, 1, 3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(kSysFuncNames[c.index], c.name) << c.index;
    EXPECT_EQ(kSysFuncMinArgs[c.index], c.min) << c.name;
    EXPECT_EQ(kSysFuncMaxArgs[c.index], c.max) << c.name;
    EXPECT_EQ(kSysFuncResultTypes[c.index], c.type) << c.name;
  }
  for (int i = 108; i <= 115; ++i) {
    EXPECT_EQ(kSysFuncMinArgs[i], 7) << kSysFuncNames[i];
    EXPECT_EQ(kSysFuncMaxArgs[i], 7) << kSysFuncNames[i];
  }
  EXPECT_EQ(kSysFuncNames[108], "DBDirectGetInt");
  EXPECT_EQ(kSysFuncNames[115], "DBDirectSetStr");
  EXPECT_EQ(static_cast<int>(vorn::TSysFunc::Calc), 136);
}

TEST(Vocabulary, FindSysFuncIndexIsExactAndCaseSensitive) {
  EXPECT_EQ(FindSysFuncIndex("IntToStr"), 0);
  EXPECT_EQ(FindSysFuncIndex("DeleteStack"), 142);
  EXPECT_EQ(FindSysFuncIndex("Calc"), 136);
  EXPECT_EQ(FindSysFuncIndex("inttostr"), kNotFound);
  EXPECT_EQ(FindSysFuncIndex("IntToStr "), kNotFound);
  EXPECT_EQ(FindSysFuncIndex(""), kNotFound);
  for (int i = 0; i < kSysFuncCount; ++i) EXPECT_EQ(FindSysFuncIndex(kSysFuncNames[i]), i);
}

TEST(Vocabulary, SystemVariablesAndOperations) {
  EXPECT_EQ(kSysVarNames[0], "@Result");
  EXPECT_EQ(kSysVarNames[7], "@TextDelay");
  EXPECT_EQ(kSysVarNames[32], "@1Hour");
  EXPECT_EQ(kSysVarNames[44], "@Temp");
  EXPECT_EQ(kSysVarNames[49], "@StackCount");
  EXPECT_EQ(kOperationNames[0], "ocNone");
  EXPECT_EQ(kOperationNames[11], "ocFunc");
  EXPECT_EQ(kOperationNames[20], "ocNEqual");
  EXPECT_EQ(vorn::ocComboStr, 19);
}

TEST(Vocabulary, KindsTransitionsAndEnumerations) {
  EXPECT_EQ(kComponentKinds[0].name, "LT_NONE");
  EXPECT_EQ(kComponentKinds[7].display, "HTTP");
  EXPECT_EQ(kComponentKinds[27].name, "LT_CABINET");
  EXPECT_EQ(kComponentKinds[27].display, "\x83\x4c\x83\x83\x83\x72\x83\x6c\x83\x62\x83\x67");
  EXPECT_EQ(vorn::LT_PROPMOTION, 26);
  EXPECT_EQ(kTransitions[0].name, "WP_NONE");
  EXPECT_EQ(kTransitions[19].name, "WP_MASKFADE");
  EXPECT_EQ(kTransitions[38].name, "WP_BLOCKRANDOM");
  // ブロック(ランダム): ASCII parentheses between double-byte characters.
  EXPECT_EQ(kTransitions[38].display, "\x83\x75\x83\x8d\x83\x62\x83\x4e\x28\x83\x89\x83\x93\x83\x5f\x83\x80\x29");
  EXPECT_EQ(vorn::WP_BLOCKRANDOM, 38);

  EXPECT_EQ(kFontStyles[3].name, "FS_STRIKEOUT");
  EXPECT_EQ(kFlipModes[1].name, "FL_STAY");
  EXPECT_EQ(kHorizontalAlignments[2].name, "HA_RIGHT");
  EXPECT_EQ(kVerticalAlignments[1].name, "VA_CENTER");
  EXPECT_EQ(kSoundPlayModes[3].name, "LP_STOPFADE");
  EXPECT_TRUE(kSoundPlayModes[3].display.empty());
  EXPECT_EQ(kParticleMotions[4].name, "PM_TWISTER");
  EXPECT_EQ(kMouseIgnoreModes[4].name, "IM_RCLICK");
  EXPECT_EQ(kProjectMessageKeys[0].name, "CHANGEMEDIA");
  EXPECT_NE(kProjectMessageKeys[0].display.find("%d"), string_view::npos);
  EXPECT_EQ(kOrientations[1].name, "OT_VERTICAL");
  EXPECT_EQ(kMotionEasings[2].name, "MT_DEC");
  EXPECT_EQ(kVariableTypes[0].name, "PT_NONE");
  EXPECT_EQ(kVariableTypes[4].name, "PT_STR");
  EXPECT_EQ(vorn::PT_FLOAT, 2);
}

TEST(Vocabulary, DisplayOnlyListsKeysAndMagics) {
  EXPECT_EQ(kObjectKindNames[11], "HTTP");
  EXPECT_EQ(kVariableScopeNames.size(), 4u);
  EXPECT_EQ(kKeyNames[0], "(\x82\xc8\x82\xb5)");  // (なし)
  EXPECT_EQ(kKeyNames[1], "0");
  EXPECT_EQ(kKeyNames[46], "\x81\xa9");  // ←
  EXPECT_EQ(kKeyNames[51], "Delete");
  EXPECT_EQ(kKeyIdentifiers[0], "VkmBACK");
  EXPECT_EQ(kKeyIdentifiers[20], "Vkm0");
  EXPECT_EQ(kKeyIdentifiers[69], "VkmWheelUp");
  EXPECT_EQ(kCinemaMagic, "VornCinema108");
  EXPECT_EQ(kMotionMagic, "VornMotion108");
  EXPECT_EQ(kPrevMenuMagic, "VornPrevMenu103");
}

}  // namespace

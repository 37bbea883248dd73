#include "foundation/font_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/desktop.h"
#include "foundation/sjis.h"
#include "platform/headless_application.h"

namespace vorn {
namespace {

const std::string kMsGothic = "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E";  // ＭＳ ゴシック
const std::string kMsPGothic = "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";

TEST(FontList, HeadlessCatalogueListsJapaneseFacesAndAliases) {
  platform::FixedFontCatalog catalog;
  std::vector<std::string> list = {"stale"};
  GetFontList(catalog, list, true, true, false);
  EXPECT_NE(std::find(list.begin(), list.end(), "IPAGothic"), list.end());
  EXPECT_NE(std::find(list.begin(), list.end(), kMsGothic), list.end());
  EXPECT_NE(std::find(list.begin(), list.end(), kMsPGothic), list.end());
  EXPECT_EQ(std::find(list.begin(), list.end(), "DejaVu Sans"), list.end());  // no Japanese
  EXPECT_EQ(std::find(list.begin(), list.end(), "stale"), list.end());
  EXPECT_TRUE(std::is_sorted(list.begin(), list.end(),
                             [](const std::string& a, const std::string& b) { return Cp932CompareText(a, b) < 0; }));
  for (const std::string& face : list) EXPECT_NE(face[0], '@');

  GetFontList(catalog, list, false, false, true);
  EXPECT_NE(std::find(list.begin(), list.end(), "IPAGothic"), list.end());
  EXPECT_EQ(std::find(list.begin(), list.end(), "IPAPGothic"), list.end());  // proportional
}

TEST(FontList, FindFontLogFontFillsTheRecordOrZeroesIt) {
  platform::FixedFontCatalog catalog;
  TLogFont record;
  ASSERT_TRUE(FindFontLogFont(catalog, kMsGothic, record));
  EXPECT_EQ(record.FaceName(), kMsGothic);
  EXPECT_EQ(record.lfCharSet, kShiftJisCharset);
  EXPECT_EQ(record.lfPitchAndFamily & 3, 1);  // fixed pitch

  // Case matters, and a miss clears the whole record.
  EXPECT_FALSE(FindFontLogFont(catalog, "ipagothic", record));
  const TLogFont zero{};
  EXPECT_EQ(std::memcmp(&record, &zero, sizeof record), 0);

  // A long face is cut to 31 bytes without splitting a character.
  std::string longer = "A";
  for (int i = 0; i < 20; ++i) longer += "\x83\x41";
  platform::FixedFontCatalog custom({{longer, true, false, "", 0, ""}});
  ASSERT_TRUE(FindFontLogFont(custom, longer, record));
  EXPECT_EQ(record.FaceName(), longer.substr(0, 31));
  EXPECT_EQ(record.lfFaceName[31], 0);
  ASSERT_TRUE(FindFontLogFont(custom, longer.substr(1), record) == false);
}

TEST(FontList, AliasesFallBackToTheFirstJapaneseFace) {
  std::vector<platform::FontFace> faces = {{"Latin", false, false, "l.ttf", 0, ""},
                                           {"Noto Sans CJK JP", true, false, "n.ttc", 2, ""}};
  platform::AddWindowsFaceAliases(faces);
  platform::FixedFontCatalog catalog(faces);
  TLogFont record;
  EXPECT_TRUE(FindFontLogFont(catalog, kMsGothic, record));
  bool found = false;
  for (const auto& face : catalog.Faces()) {
    if (face.family == kMsGothic) {
      EXPECT_EQ(face.file, "n.ttc");
      EXPECT_EQ(face.index, 2);
      found = true;
    }
  }
  EXPECT_TRUE(found);
}

TEST(FontList, FontconfigCatalogueAnswersTheGothicAlias) {
  platform::FontconfigCatalog catalog;
  bool has_ipa = false;
  for (const auto& face : catalog.Faces()) has_ipa = has_ipa || face.family == "IPAGothic";
  if (!has_ipa) GTEST_SKIP() << "IPA Gothic is not installed";
  TLogFont record;
  EXPECT_TRUE(FindFontLogFont(catalog, kMsGothic, record));
  EXPECT_TRUE(FindFontLogFont(catalog, "IPAGothic", record));
  EXPECT_EQ(record.lfCharSet, kShiftJisCharset);
  std::vector<std::string> list;
  GetFontList(catalog, list, true, false, false);
  EXPECT_NE(std::find(list.begin(), list.end(), "IPAGothic"), list.end());
}

TEST(FontList, FontconfigAndTheFixedTableAgreeOnPitch) {
  platform::FontconfigCatalog catalog;
  platform::FixedFontCatalog fixed;
  int compared = 0;
  for (const char* family : {"IPAGothic", "IPAPGothic"}) {
    TLogFont host;
    TLogFont table;
    if (!FindFontLogFont(catalog, family, host) || !FindFontLogFont(fixed, family, table)) continue;
    EXPECT_EQ(host.lfPitchAndFamily, table.lfPitchAndFamily) << family;
    ++compared;
  }
  if (compared == 0) GTEST_SKIP() << "IPA Gothic is not installed";
}

TEST(Desktop, WorkAreaAndWallpaper) {
  platform::HeadlessApplication application;
  application.set_work_area(platform::Rect{0, 24, 1920, 1056});
  EXPECT_EQ(GetDesktopWorkArea(application), (TRect{0, 24, 1920, 1080}));

  platform::RecordingWallpaper wallpaper;
  EXPECT_FALSE(SetWallPaper(wallpaper, "/tmp/a b.bmp", 2));
  wallpaper.set_answer(true);
  EXPECT_TRUE(SetWallPaper(wallpaper, "/tmp/c.bmp", 1));
  ASSERT_EQ(wallpaper.calls().size(), 2u);
  EXPECT_EQ(wallpaper.calls()[0].path, "/tmp/a b.bmp");
  EXPECT_EQ(wallpaper.calls()[1].style, 1);
  EXPECT_EQ(platform::FileUri("/tmp/a b%.bmp"), "file:///tmp/a%20b%25.bmp");
  // Relative paths are refused without running anything.
  platform::GsettingsWallpaper real;
  EXPECT_FALSE(real.Set("relative.bmp", 0));
}

}  // namespace
}  // namespace vorn

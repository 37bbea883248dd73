#include <gtest/gtest.h>

#include <string>

#include "foundation/scoped_seam.h"
#include "graphics/memory_dibx.h"
#include "support/text/fake_image_source.h"
#include "text/wd_img.h"
#include "text/wd_row.h"
#include "text/zk_word.h"

namespace vorn {
namespace {

class LaidOutPage : public ::testing::Test {
 protected:
  LaidOutPage() {
    pictures_.Add("p", {4, 4, {0x00FFFFFF}});
    seam_.Install(&pictures_);
    doc_.VisibleWidth = 36;
    doc_.VisibleHeight = 1000;
    doc_.Left = 100;
    doc_.Top = 50;
  }

  TWdPage& Lay(const std::string& markup) {
    doc_.SetText({markup});
    pages_.clear();
    doc_.Layout(pages_, 0, -1);
    return *pages_.at(0);
  }

  test::FakeImageSource pictures_;
  ScopedSeam<TWdImageSource> seam_{SetWdImageSource};
  TZkWord doc_;
  TWdPageList pages_;
};

TEST_F(LaidOutPage, ScreenAndSurfacePositionsAddUpFromThePage) {
  TWdPage& page = Lay("abc<BR>de");
  TWdGlyph& e = *doc_.GetGlyph(5);
  EXPECT_EQ(e.GetPage(), &page);
  EXPECT_EQ(e.GetScreenX(), 112);
  EXPECT_EQ(e.GetScreenY(), 62);
  EXPECT_EQ(e.GetSurfaceX(), 12);
  EXPECT_EQ(e.GetSurfaceY(), 12);
  page.ScrollOffset = 10;
  EXPECT_EQ(e.GetScreenY(), 62);
  doc_.Paging = 0;
  EXPECT_EQ(e.GetScreenY(), 52);
  EXPECT_EQ(e.GetSurfaceY(), 12);
}

TEST_F(LaidOutPage, RowHitTestFindsTheFirstFullyShownChildAtThePoint) {
  TWdPage& page = Lay("abc<BR>de");
  TWdGlyph& second_row = *page.GetChild(1);
  EXPECT_EQ(second_row.HitTest(13, 12), doc_.GetGlyph(5));
  EXPECT_EQ(second_row.HitTest(0, 23), doc_.GetGlyph(4));
  EXPECT_EQ(second_row.HitTest(0, 24), nullptr);
  EXPECT_EQ(second_row.HitTest(0, 11), nullptr);
  doc_.GetGlyph(4)->SetOpacity(254);
  EXPECT_EQ(second_row.HitTest(0, 12), nullptr);
}

TEST_F(LaidOutPage, UnitGlyphsOfCompositesComeFromTheirChildren) {
  TWdPage& page = Lay("ab<BR>c");
  EXPECT_EQ(page.FirstUnitGlyph(), doc_.GetGlyph(0));
  EXPECT_EQ(page.LastUnitGlyph(), doc_.GetGlyph(3));
  EXPECT_EQ(page.GetChild(0)->LastUnitGlyph(), doc_.GetGlyph(2));
}

TEST_F(LaidOutPage, RowsOutsideTheClipRectangleAreNotDrawn) {
  TWdPage& page = Lay("<IMG SRC=p><BR><IMG SRC=p>");
  TMemoryDIBX target(200, 200, 32);
  doc_.Target = &target;
  doc_.ClipRect = TRect{0, 0, 200, 54};  // holds the first row (50..54) only
  page.Draw();
  doc_.Target = nullptr;
  EXPECT_EQ(target.GetPixel(100, 50), 0x00FFFFFFu);
  EXPECT_EQ(target.GetPixel(100, 54), 0u);
}

TEST_F(LaidOutPage, HideAndSetOpacityAllReachEveryChild) {
  TWdPage& page = Lay("ab<BR>c");
  page.SetOpacityAll(100);
  EXPECT_EQ(doc_.GetGlyph(3)->GetOpacity(), 100);
  EXPECT_EQ(page.GetShownText(), "ab\r\nc");
  page.Hide();
  EXPECT_EQ(doc_.GetGlyph(0)->GetOpacity(), 0);
  EXPECT_EQ(page.GetShownText(), "");
}

}  // namespace
}  // namespace vorn

#pragma once

#include <cstdint>
#include <memory>

#include "text/text_values.h"
#include "text/wd_glyph.h"

namespace vorn {

// One laid-out line: its children share a bottom line, with room above and below for images
// aligned otherwise. Floating (LEFT or RIGHT) children stay where the layout put them and take no
// part in the row's heights.
class TWdRow : public TWdComposite {
 public:
  using TWdComposite::TWdComposite;
  std::unique_ptr<TWdGlyph> NewLike(TZkWord* document) const override;

  std::uint8_t GetAlign() const override { return align_; }
  void SetAlign(std::uint8_t align) override { align_ = align; }
  std::int32_t GetLeftLimit() const override { return left_limit_; }
  void SetLeftLimit(std::int32_t value) override { left_limit_ = value; }
  std::int32_t GetRightLimit() const override { return right_limit_; }
  void SetRightLimit(std::int32_t value) override { right_limit_ = value; }

  std::int32_t Above() const { return above_; }
  std::int32_t Base() const { return base_; }
  std::int32_t Below() const { return below_; }

  void AddChild(TWdGlyph* child) override;
  void DeleteChild(int index) override;
  void ClearChildren() override;
  // Places the children from the row's alignment and gives each its y on the shared bottom line.
  void Arrange() override;
  void Draw() override;
  // The first fully shown child holding the point (y relative to the page).
  TWdGlyph* HitTest(std::int32_t px, std::int32_t py) override;

 private:
  void ResetHeights();
  void Count(const TWdGlyph* child);
  void UpdateHeights();

  std::int32_t left_limit_ = 0;
  std::int32_t right_limit_ = 0;
  std::uint8_t align_ = kAlignLeft;
  std::int32_t above_ = 0;
  std::int32_t base_ = 0;
  std::int32_t below_ = 0;
  // The tallest child of each vertical kind; the three heights follow from them, so adding a
  // child and arranging the row agree.
  std::int32_t tallest_base_ = 0;
  std::int32_t tallest_center_ = -1;
  std::int32_t tallest_top_ = -1;
  std::int32_t tallest_bottom_ = -1;
};

// One page of rows; it owns them.
class TWdPage : public TWdComposite {
 public:
  using TWdComposite::TWdComposite;
  std::unique_ptr<TWdGlyph> NewLike(TZkWord* document) const override;

  TWdPage* GetPage() override { return this; }
  std::int32_t GetScreenX() const override;
  std::int32_t GetScreenY() const override;
  std::int32_t GetSurfaceX() const override { return 0; }
  std::int32_t GetSurfaceY() const override { return 0; }
  // Arranges every row; the page is as high as its lowest row bottom.
  void Arrange() override;

  TWdRow* AddRow(std::unique_ptr<TWdRow> row);
  // Takes the row out of the page and frees it.
  void RemoveRow(TWdRow* row);

  // How far a page that grows (paging off) is scrolled up.
  std::int32_t ScrollOffset = 0;
};

}  // namespace vorn

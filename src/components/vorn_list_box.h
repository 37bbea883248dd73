#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "components/tile_paint.h"
#include "components/vorn_control.h"
#include "text/zk_label_list.h"

namespace vorn {

class TVornImageList;

// A drawn list of text items, one per line of TEXT, each pre-rendered as a label in a normal and
// a hover style, inside a frame of nine border pictures, with an optional scroll strip, check
// marks, a hover bar and keyboard navigation. The menu builds on it.
class TVornCustomListBox : public TVornControl {
 public:
  // Mouse states: idle, dragging the thumb, arrows held, track above or below the thumb held, a
  // press on the items.
  enum TMouseState : std::int32_t {
    kIdle = -1, kThumb = 0, kUpArrow = 1, kDownArrow = 2, kTrackUp = 3, kTrackDown = 4, kItems = 5
  };
  // The parts of the scroll strip under a point.
  enum class TScrollPart { kNone, kThumb, kUpArrow, kDownArrow, kTrackUp, kTrackDown };
  static constexpr int kCells = 9;

  explicit TVornCustomListBox(TVornBaseList* owner);
  ~TVornCustomListBox() override;

  // Text and items.
  std::string GetText() const override { return text_; }
  void SetText(const std::string& value) override;
  std::int32_t GetCount() const override { return ItemCount(); }
  int ItemCount() const { return static_cast<int>(items_.size()); }
  const std::string& Item(int index) const { return items_[static_cast<std::size_t>(index)]; }
  std::int32_t GetIndex() const override { return index_; }
  void SetIndex(std::int32_t value) override { index_ = value; }
  std::int32_t GetTopIndex() const override { return top_index_; }
  void SetTopIndex(std::int32_t value) override;
  std::int32_t GetRowCount() const override { return row_count_; }
  void SetRowCount(std::int32_t value) override;
  std::int32_t GetLineSpace() const override { return line_space_; }
  void SetLineSpace(std::int32_t value) override;
  std::int32_t GetMarginX() const override { return margin_x_; }
  void SetMarginX(std::int32_t value) override;
  std::int32_t GetMarginY() const override { return margin_y_; }
  void SetMarginY(std::int32_t value) override;
  std::int32_t GetBorderWidth() const override { return border_width_; }
  void SetBorderWidth(std::int32_t value) override;
  std::int32_t GetBorderColor() const override { return border_color_; }
  void SetBorderColor(std::int32_t value) override;
  std::int32_t GetAlpha() const override { return alpha_; }
  void SetAlpha(std::int32_t value) override;
  std::uint8_t GetHAlign() const override { return h_align_; }
  void SetHAlign(std::uint8_t value) override;
  std::string GetBorderSource(int cell) const override;
  void SetBorderSource(int cell, const std::string& value) override;
  std::uint8_t GetBorderHAlign(int cell) const override;
  void SetBorderHAlign(int cell, std::uint8_t value) override;
  std::uint8_t GetBorderVAlign(int cell) const override;
  void SetBorderVAlign(int cell, std::uint8_t value) override;
  std::string GetScrollSource() const override { return scroll_source_; }
  void SetScrollSource(const std::string& value) override;
  std::string GetCheckSource() const override { return check_source_; }
  void SetCheckSource(const std::string& value) override;
  bool GetPaused() const override { return paused_ != 0; }
  void SetPaused(bool value) override;

  // Label styles: the font of both, the rest of the normal or the hover one.
  std::string GetFontName() const override { return normal_.face; }
  void SetFontName(const std::string& value) override;
  std::int32_t GetFontHeight() const override { return normal_.font_size; }
  void SetFontHeight(std::int32_t value) override;
  bool GetAntiAlias() const override { return normal_.quality != 0; }
  void SetAntiAlias(bool value) override;
  std::int32_t GetFontColor() const override { return normal_.text_color; }
  void SetFontColor(std::int32_t value) override { SetStyleColor(normal_, normal_.text_color, value); }
  TFontStyleSet GetFontStyle() const override { return TFontStyleSet::FromBits(normal_.flags); }
  void SetFontStyle(TFontStyleSet value) override;
  std::int32_t GetFontBorder() const override { return normal_.border_width; }
  void SetFontBorder(std::int32_t value) override { SetStyleSize(normal_.border_width, value); }
  std::int32_t GetFontShadow() const override { return normal_.shadow_offset; }
  void SetFontShadow(std::int32_t value) override { SetStyleSize(normal_.shadow_offset, value); }
  std::int32_t GetFontBorderColor() const override { return normal_.border_color; }
  void SetFontBorderColor(std::int32_t value) override { SetStyleColor(normal_, normal_.border_color, value); }
  std::int32_t GetFontShadowColor() const override { return normal_.shadow_color; }
  void SetFontShadowColor(std::int32_t value) override { SetStyleColor(normal_, normal_.shadow_color, value); }
  std::int32_t GetFontHoverBorder() const override { return hover_.border_width; }
  void SetFontHoverBorder(std::int32_t value) override { SetStyleSize(hover_.border_width, value); }
  std::int32_t GetFontHoverShadow() const override { return hover_.shadow_offset; }
  void SetFontHoverShadow(std::int32_t value) override { SetStyleSize(hover_.shadow_offset, value); }
  std::int32_t GetFontHoverBorderColor() const override { return hover_.border_color; }
  void SetFontHoverBorderColor(std::int32_t value) override { SetStyleColor(hover_, hover_.border_color, value); }
  std::int32_t GetFontHoverShadowColor() const override { return hover_.shadow_color; }
  void SetFontHoverShadowColor(std::int32_t value) override { SetStyleColor(hover_, hover_.shadow_color, value); }

#define VORN_LIST_LABEL(Name, field)                                   \
  std::string Get##Name() const override { return field; }            \
  void Set##Name(const std::string& value) override { field = value; }
  VORN_LIST_LABEL(OnSelect, on_select_)
  VORN_LIST_LABEL(OnMapIn, on_map_in_)
  VORN_LIST_LABEL(OnMapOut, on_map_out_)
  VORN_LIST_LABEL(OnIdle, on_idle_)
#undef VORN_LIST_LABEL

  // Check marks per item; outside the items they read false and ignore writes.
  bool GetItemChecked(int item) const override;
  void SetItemChecked(int item, bool checked) override;

  // State for the menu and for tests.
  std::int32_t Hover() const { return hover_index_; }
  std::int32_t MouseState() const { return mouse_state_; }
  std::int32_t OpenState() const { return open_state_; }
  bool IsSizeDirty() const { return dirty_; }
  TZkLabelList& NormalLabels() { return normal_; }
  TZkLabelList& HoverLabels() { return hover_; }
  bool Scrolling() const { return ItemCount() > row_count_; }

  // Geometry on the screen.
  struct TBorders {
    std::int64_t left = 0, right = 0, top = 0, bottom = 0;
  };
  TBorders BorderSizes() const;
  // The bounds deflated by BORDERWIDTH.
  TRect64 FrameRect() const;
  TRect64 CellRect(int cell) const;
  // The tile origin of an alignment along one axis (0 start, 1 centre, 2 far side).
  static std::int64_t TileOrigin(std::uint8_t align, std::int64_t cell, std::int64_t image);
  std::int64_t RowHeight() const;
  std::int64_t ScrollWidth() const;
  std::int64_t ScrollHeight() const;
  std::int64_t CheckWidth() const;
  std::int64_t CheckHeight() const;
  // Screen top of the scroll thumb.
  std::int64_t ThumbTop() const;
  // Left of the first item's label column and the width it has.
  std::int64_t ItemLeft() const;
  std::int64_t ItemWidth() const;
  std::int64_t ItemTop() const;
  // The item under a screen point, -1 for none.
  int ItemAt(std::int64_t x, std::int64_t y) const;
  TScrollPart ScrollPartAt(std::int64_t x, std::int64_t y) const;

  // Measures both label lists and sets WIDTH and HEIGHT from them.
  void UpdateSize();

  bool Tick() override;
  void Paint() override;
  void ReleaseSurfaces() override;
  void RestoreSurfaces() override;
  void LBtnDown() override;
  void LBtnUp() override;
  void MouseMove() override;
  void MouseOut(TVornObject* next) override;
  void MouseStepEnd() override;
  void KeyRepeat() override;

 protected:
  void SaveClassFields(TStream& stream) const override;
  void LoadClassFields(TStream& stream, std::int32_t version) override;

  void SetOpenState(std::int32_t state) { open_state_ = state; }
  void MarkSizeDirty() { dirty_ = true; }
  // Invalidates the border cells whose pictures advanced a frame (unless ANIPAUSED).
  void AnimateBorders();
  // The hover moves, with its leave and enter events.
  void SetHover(int index);
  // INDEX, @SelStr, @SelIndex and ONSELECT for the item; then AfterSelect.
  void Select(int index);
  virtual void AfterSelect() {}
  // The list box's own key handling (without the control's key-repeat step).
  void HandleListKeys();
  void PostItemEvent(const std::string& label, std::uint8_t code, const std::string& text, std::int32_t number);

  TZkLabelList normal_;
  TZkLabelList hover_;

 private:
  void SetStyleColor(TZkLabelList& list, std::int32_t& field, std::int32_t value);
  void SetStyleSize(std::int32_t& field, std::int32_t value);
  void SetStrip(std::unique_ptr<TVornImageList>& list, std::string& name, const std::string& value);
  bool PointerOnPressedPart() const;
  void ScrollStep();
  void DragThumb(std::int64_t y);
  TPoint Pointer() const;
  void PaintOwn(TCustomDIBX& surface);
  void PaintCells(TCustomDIBX& surface);
  void PaintScrollBar(TCustomDIBX& surface);
  void PaintItems(TCustomDIBX& surface);

  std::string text_;
  std::vector<std::string> items_;
  std::vector<std::uint8_t> checks_;
  std::int32_t index_ = 0;
  std::int32_t top_index_ = 0;
  std::int32_t row_count_ = 0;
  std::int32_t line_space_ = 0;
  std::int32_t margin_x_ = 0;
  std::int32_t margin_y_ = 0;
  std::int32_t border_width_ = 0;
  std::int32_t border_color_ = 0;
  std::int32_t alpha_ = 0;
  std::uint8_t h_align_ = 0;
  std::array<std::string, kCells> border_sources_;
  std::array<std::unique_ptr<TVornImageList>, kCells> borders_;
  std::array<std::uint8_t, kCells> border_h_align_{};
  std::array<std::uint8_t, kCells> border_v_align_{};
  std::string scroll_source_;
  std::string check_source_;
  std::unique_ptr<TVornImageList> scroll_;
  std::unique_ptr<TVornImageList> check_;
  std::uint8_t paused_ = 0;
  std::string on_select_;
  std::string on_map_in_;
  std::string on_map_out_;
  std::string on_idle_;

  std::int32_t hover_index_ = -1;
  std::int32_t mouse_state_ = kIdle;
  bool on_pressed_part_ = false;
  std::int32_t countdown_ = 0;
  std::int64_t drag_offset_ = 0;
  bool dirty_ = false;
  std::int32_t open_state_ = 0;
};

}  // namespace vorn

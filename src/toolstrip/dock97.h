#pragma once

#include <string>
#include <vector>

#include "toolstrip/strip_control.h"

namespace vorn {

class TCustomToolWindow97;

enum class TDockPosition { dpTop, dpBottom, dpLeft, dpRight };

// The lines a dock may draw on its edges, as bits of a set.
enum TDockBoundLinesValues : unsigned { blTop = 1, blBottom = 2, blLeft = 4, blRight = 8 };

// A strip along one edge of the form that lays its docked tool windows out in rows and takes the
// thickness they need (0, or 1 with FixAlign, while none shows).
class TDock97 final : public TStripControl {
 public:
  TDock97();
  ~TDock97() override;

  TDockPosition Position() const { return position_; }
  // Raises while the dock holds controls, unless the value does not change.
  void SetPosition(TDockPosition position);
  bool AllowDrag() const { return allow_drag_; }
  void SetAllowDrag(bool allow);
  unsigned BoundLines() const { return bound_lines_; }
  void SetBoundLines(unsigned lines);
  bool FixAlign() const { return fix_align_; }
  void SetFixAlign(bool fix);
  bool LimitToOneRow() const { return limit_to_one_row_; }
  void SetLimitToOneRow(bool limit);
  // Kept for the property list; the dock draws no background bitmap.
  bool BackgroundOnToolbars = true;
  bool BackgroundTransparent = false;
  static std::string Version();

  bool Horizontal() const { return position_ == TDockPosition::dpTop || position_ == TDockPosition::dpBottom; }
  const std::vector<TCustomToolWindow97*>& DockList() const { return dock_list_; }
  // The thickness of each row after the last arrangement (0 for an empty row).
  const std::vector<int>& RowSizes() const { return row_sizes_; }

  // Lays the rows out again and sizes the dock; deferred while the arrangement is locked.
  void ArrangeToolbars();
  // The same, storing the clipped positions back as the tool windows' DockPos.
  void ArrangeToolbarsClipped();
  void BeginUpdate() { ++lock_count_; }
  void EndUpdate();

  platform::Rect ClientRect() const override;

  // What the tool windows tell their dock.
  void ToolWindowInserted(TCustomToolWindow97* window);
  void ToolWindowRemoved(TCustomToolWindow97* window);

 protected:
  void Paint(TStripPainter& painter) override;
  void CheckParent(TStripControl* parent) override;
  void ParentChanged(TStripControl* old_parent) override;
  void BoundsChanged(const platform::Rect& old_bounds) override;
  void ParentResized() override { AlignToParent(); }

 private:
  void Arrange(bool clip_positions);
  // Sets the thickness across the dock, keeping the edge it is aligned to.
  void SetThickness(int thickness);
  int NonClientAcross() const;
  int NonClientAlong() const;
  // Fills the parent's edge: full width or height of the parent's client area.
  void AlignToParent();

  TDockPosition position_ = TDockPosition::dpTop;
  bool allow_drag_ = true;
  unsigned bound_lines_ = 0;
  bool fix_align_ = false;
  bool limit_to_one_row_ = false;
  std::vector<TCustomToolWindow97*> dock_list_;
  std::vector<int> row_sizes_;
  int lock_count_ = 0;
  bool arrange_needed_ = false;
  bool arranging_ = false;
};

}  // namespace vorn

#pragma once

#include <functional>

#include "toolstrip/dock97.h"
#include "toolstrip/strip_control.h"

namespace vorn {

enum class TBorderStyle { bsNone, bsSingle };
enum class TDockMode { dmCanFloat, dmCannotFloat, dmCannotFloatOrChangeDocks };
enum class TFloatingMode { fmOnTopOfParentForm, fmOnTopOfAllForms };
// Which dock positions accept a tool window, as bits of a set.
enum TDockableTo : unsigned { dtTop = 1, dtBottom = 2, dtLeft = 4, dtRight = 8, dtAll = 15 };

// A tool window docked in a TDock97 (or placed straight on the form): a frame of 2 pixels on each
// side, a drag handle on the leading side while the dock lets its windows be dragged, and the
// docked thickness and length its dock lays out with. Floating is not built.
class TCustomToolWindow97 : public TStripControl {
 public:
  TCustomToolWindow97();
  ~TCustomToolWindow97() override;

  TDock97* DockedTo() const { return dock_; }
  // Docks the window in the dock, as making the dock its parent does.
  void SetDockedTo(TDock97* dock) { SetParent(dock); }
  int DockRow() const { return dock_row_; }
  void SetDockRow(int row);
  int DockPos() const { return dock_pos_; }
  void SetDockPos(int pos);
  bool FullSize() const { return full_size_; }
  void SetFullSize(bool full);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle style);
  int DragHandleStyle() const { return drag_handle_style_; }
  void SetDragHandleStyle(int style);
  bool CloseButtonWhenDocked() const { return close_button_when_docked_; }
  void SetCloseButtonWhenDocked(bool on);

  // Kept with their defaults; they only matter to floating and dragging, which are not built.
  TDock97* DefaultDock = nullptr;
  TDock97* LastDock = nullptr;
  bool UseLastDock = true;
  unsigned DockableTo = dtAll;
  TDockMode DockMode = TDockMode::dmCanFloat;
  TFloatingMode FloatingMode = TFloatingMode::fmOnTopOfParentForm;
  bool CloseButton = true;
  bool ShowCaption = true;
  bool HideWhenInactive = true;
  bool ActivateParent = true;

  std::function<void()> OnVisibleChanged;
  std::function<void()> OnDockChanging;
  std::function<void(TDock97* new_dock)> OnDockChangingEx;
  std::function<void()> OnDockChangingHidden;
  std::function<void()> OnRecreating;
  std::function<void()> OnRecreated;
  std::function<void()> OnDockChanged;

  // The drag handle's width on the leading side (0 unless the dock allows dragging).
  int DragHandleSize() const;
  // Across and along the dock, frame included in the length, not in the thickness.
  virtual int DockedThickness(bool horizontal) const = 0;
  virtual int DockedLength(bool horizontal) const = 0;
  // The frame changed (handle, border, dock): size and lay out again, and repaint.
  void RecalcFrame();

  platform::Rect ClientRect() const override;
  // Along a horizontal dock (or on the form).
  bool Horizontal() const { return dock_ == nullptr || dock_->Horizontal(); }

 protected:
  void Paint(TStripPainter& painter) override;
  void CheckParent(TStripControl* parent) override;
  void ParentChanged(TStripControl* old_parent) override;
  void VisibleChanged() override;
  void BoundsChanged(const platform::Rect& old_bounds) override;
  // Lays the children out in the client area and, off a dock, sizes the window itself.
  virtual void ArrangeChildren() {}
  void DockRearrange();

 private:
  TDock97* dock_ = nullptr;
  int dock_row_ = 0;
  int dock_pos_ = -1;
  bool full_size_ = false;
  TBorderStyle border_style_ = TBorderStyle::bsSingle;
  int drag_handle_style_ = 0;
  bool close_button_when_docked_ = false;

  friend class TDock97;
};

// A tool window whose children (buttons and separators) sit side by side in one row.
class TCustomToolbar97 : public TCustomToolWindow97 {
 public:
  int DockedThickness(bool horizontal) const override;
  int DockedLength(bool horizontal) const override;

 protected:
  void ArrangeChildren() override;
  void ChildrenChanged() override;
  void ChildChanged(TStripControl* child) override;

 private:
  bool arranging_ = false;
};

class TToolbar97 final : public TCustomToolbar97 {};

// A gap between toolbar buttons, with an etched line in its middle unless Blank.
class TToolbarSep97 final : public TStripControl {
 public:
  TToolbarSep97();
  int SizeHorz() const { return size_horz_; }
  void SetSizeHorz(int size);
  int SizeVert() const { return size_vert_; }
  void SetSizeVert(int size);
  bool Blank() const { return blank_; }
  void SetBlank(bool blank);

 protected:
  void Paint(TStripPainter& painter) override;
  void CheckParent(TStripControl* parent) override;

 private:
  void SizeChanged();

  int size_horz_ = 6;
  int size_vert_ = 6;
  bool blank_ = false;
};

}  // namespace vorn

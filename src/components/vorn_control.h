#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "components/film_seam.h"
#include "components/vorn_object.h"

namespace vorn {

struct TPaintFrame;

// A visual component: a rectangle in its parent's space with an anchor, a parent and ordered
// children, a clip rectangle, visibility, mouse and key event labels and a cursor. Parent and
// child links do not own: the scene's object list owns every control.
class TVornControl : public TVornComponent {
 public:
  explicit TVornControl(TVornBaseList* owner);
  ~TVornControl() override;

  // Adds the focus-choice request of a new control when nothing has the focus.
  void Create(std::unique_ptr<TVornObject> self) override;
  // Drops the focus when this control or a descendant had it, forgets the hover references.
  void Destroying() override;

  TVornControl* AsControl() override { return this; }
  const TVornControl* AsControl() const override { return this; }

  // Renames another bearer of the name (a_3 -> a_4, a -> a_2) instead of scrapping it.
  void SetName(const std::string& name) override;

  // Parent and children.
  TVornControl* GetParent() const override { return parent_; }
  void SetParent(TVornControl* parent) override;
  int GetChildCount() const override { return static_cast<int>(children_.size()); }
  TVornControl* GetChild(int index) const override;
  const std::vector<TVornControl*>& Children() const { return children_; }
  TVornBase* GetBase() const override;
  bool IsAncestorOf(const TVornObject* object) const override;
  bool InCabinet() const override;
  void AddChild(TVornControl* child);
  void RemoveChild(TVornControl* child);
  void SortChildren();
  // A child's name changed: the order may be stale until the next sort.
  void ChildRenamed() { children_sorted_ = false; }
  // Strict weak order of siblings: screen copy last, system names first, then priority plus
  // sub-priority, then the names' bytes.
  static bool ChildBefore(const TVornControl* a, const TVornControl* b);

  // Geometry.
  std::int32_t GetScreenLeft() const override;
  std::int32_t GetScreenTop() const override;
  std::int32_t GetDrawLeft() const override;
  std::int32_t GetDrawTop() const override;
  TPoint GetScreenAnchor() const override;
  TRect GetClipRect() const override;
  TPoint ClientToScreen(TPoint point) const override;
  TPoint ScreenToClient(TPoint point) const override;
  void SetBounds(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);
  TRect GetSpareRect() const { return spare_rect_; }
  void SetSpareRect(const TRect& rect) { spare_rect_ = rect; }
  std::int32_t GetMotionLeft() const { return motion_left_; }
  std::int32_t GetMotionTop() const { return motion_top_; }
  void SetMotionLeft(std::int32_t value) { motion_left_ = value; }
  void SetMotionTop(std::int32_t value) { motion_top_ = value; }
  // The film driving the control, or none. A control holds one of its own (LoadMotion); picture
  // components that keep one film per state answer the current state's instead.
  virtual TControlFilm* GetMotion() const { return motion_.get(); }
  // While a motion is attached its position replaces left and top.
  virtual bool HasMotion() const { return GetMotion() != nullptr; }
  virtual bool IsMotionRunning() const {
    const TControlFilm* motion = GetMotion();
    return motion != nullptr && !motion->IsEnded();
  }
  // Replaces the control's own film with one loaded from the motion file. A file that cannot be
  // loaded raises its error and leaves the control without a film.
  void LoadMotion(const std::string& file_name);
  // Rewinds the control's own film.
  void RestartMotion();
  // Frees the control's own film: the control gets its own position and order back.
  void FreeMotion();

  // Steps the film; when the step reports its end, a control with auto scrap asks to be freed and
  // any other posts its play-end event.
  bool Tick() override;

  // Visibility and painting.
  bool GetVisibleFlag() const { return visible_ != 0; }
  bool IsShowing() const override;
  void Invalidate() override;
  void Paint() override;
  bool GetHighlight() const override { return highlight_; }
  void SetHighlight(bool flag) override;
  // A video never shows the highlight frame.
  virtual bool IsVideo() const { return false; }

  // Run after the scene's tick for the controls in its text-field list, ticked or not.
  virtual void AfterSceneTick() {}

  // Notifications that walk the whole subtree.
  void PositionChanged();
  void ClipChanged();

  // Focus search: visible children last to first, depth first, then the control itself.
  TVornControl* FindFocusable();
  // The control under the point: none when this control is hidden or the point lies outside its
  // screen rectangle; else the children last to first (the first answer wins), else this control
  // when HitsSelf accepts. Walks without recursion, so any depth of nesting is safe.
  virtual TVornControl* HitTest(TPoint point, std::uint32_t mask);

  // Properties.
  std::int32_t GetLeft() const override { return left_; }
  void SetLeft(std::int32_t value) override;
  std::int32_t GetTop() const override { return top_; }
  void SetTop(std::int32_t value) override;
  std::int32_t GetWidth() const override { return width_; }
  void SetWidth(std::int32_t value) override;
  std::int32_t GetHeight() const override { return height_; }
  void SetHeight(std::int32_t value) override;
  std::int32_t GetColor() const override { return color_; }
  void SetColor(std::int32_t value) override;
  std::int32_t GetOffsetX() const override { return offset_x_; }
  void SetOffsetX(std::int32_t value) override;
  std::int32_t GetOffsetY() const override { return offset_y_; }
  void SetOffsetY(std::int32_t value) override;
  bool GetVisible() const override;
  void SetVisible(bool value) override;
  std::uint8_t GetIgnoreMouse() const override { return ignore_mouse_; }
  void SetIgnoreMouse(std::uint8_t value) override { ignore_mouse_ = value; }
  std::string GetCursor() const override { return cursor_; }
  void SetCursor(const std::string& value) override { cursor_ = value; }
  bool GetPosZoomed() const override { return pos_zoomed_ != 0; }
  void SetPosZoomed(bool value) override;
  std::int32_t GetClipLeft() const override { return clip_left_; }
  void SetClipLeft(std::int32_t value) override;
  std::int32_t GetClipTop() const override { return clip_top_; }
  void SetClipTop(std::int32_t value) override;
  std::int32_t GetClipWidth() const override { return clip_width_; }
  void SetClipWidth(std::int32_t value) override;
  std::int32_t GetClipHeight() const override { return clip_height_; }
  void SetClipHeight(std::int32_t value) override;
  std::int32_t GetPlusX() const override { return plus_x_; }
  void SetPlusX(std::int32_t value) override;
  std::int32_t GetPlusY() const override { return plus_y_; }
  void SetPlusY(std::int32_t value) override;
  bool GetAniPaused() const override;
  void SetAniPaused(bool value) override { ani_paused_ = value ? 1 : 0; }
  bool GetPlaying() const override;
  bool GetHandleKey() const override { return handle_key_ != 0; }
  void SetHandleKey(bool value) override;

#define VORN_CONTROL_LABEL(Name, field)                                   \
  std::string Get##Name() const override { return field; }               \
  void Set##Name(const std::string& value) override { field = value; }
  VORN_CONTROL_LABEL(OnMouseMove, on_mouse_move_)
  VORN_CONTROL_LABEL(OnMouseIn, on_mouse_in_)
  VORN_CONTROL_LABEL(OnMouseOut, on_mouse_out_)
  VORN_CONTROL_LABEL(OnLBtnDown, on_lbtn_down_)
  VORN_CONTROL_LABEL(OnLBtnUp, on_lbtn_up_)
  VORN_CONTROL_LABEL(OnRBtnDown, on_rbtn_down_)
  VORN_CONTROL_LABEL(OnRBtnUp, on_rbtn_up_)
  VORN_CONTROL_LABEL(OnWheelDown, on_wheel_down_)
  VORN_CONTROL_LABEL(OnWheelUp, on_wheel_up_)
  VORN_CONTROL_LABEL(OnKeyDown, on_key_down_)
  VORN_CONTROL_LABEL(OnKeyUp, on_key_up_)
  VORN_CONTROL_LABEL(OnKeyRepeat, on_key_repeat_)
  VORN_CONTROL_LABEL(OnFocusIn, on_focus_in_)
  VORN_CONTROL_LABEL(OnFocusOut, on_focus_out_)
#undef VORN_CONTROL_LABEL

  TScriptObject* GetParentObject() const override;

 protected:
  // How the control's own flag decides its visibility; GetVisible walks the parents with it.
  enum class TOwnVisibility { kHidden, kNeedsParent, kShownAsRoot };
  virtual TOwnVisibility OwnVisibility() const {
    return visible_ != 0 ? TOwnVisibility::kNeedsParent : TOwnVisibility::kHidden;
  }
  // What this control adds to its parent's screen left (top): position, anchor, the parent's
  // scroll and plus x (y). A root's part is its whole screen position.
  virtual std::int64_t LocalScreenLeft() const;
  virtual std::int64_t LocalScreenTop() const;
  // Per-control hooks of PositionChanged and ClipChanged (native text windows move there).
  virtual void OnPositionChanged() {}
  virtual void OnClipChanged() {}
  // Drops the focus silently when this control or a descendant holds it.
  void ForgetFocus();
  // Whether the control itself takes a point its children left: bit `mode` of the mask (bit n
  // stands for mouse-ignore mode n; modes of 8 and above are never hit). Pictures test their
  // pixels here.
  virtual bool HitsSelf(TPoint point, std::uint32_t mask) const;
  // Whether the point lies on the control's screen area, given its screen corner as the hit walk
  // summed it (right and bottom edges excluded). Turned pictures answer with their turned box.
  virtual bool HitBoundsContain(TPoint point, std::int32_t screen_left, std::int32_t screen_top) const;
  // The film's end, reported by a step: true asks the scene to free the control.
  virtual bool MotionEnded();
  // Posts the play-end event (code of PR_ONPLAYEND) unless nobody listens or one waits already.
  void PostPlayEnd();

  // Size stored without invalidation or notification (pictures sizing themselves).
  void StoreWidth(std::int32_t value) { width_ = value; }
  void StoreHeight(std::int32_t value) { height_ = value; }

  std::uint8_t visible_ = 1;

 private:
  friend class TVornBaseList;
  friend class TVornObject;

  // The control fields of the record, between the object fields and the child count.
  void SaveControlFields(TStream& stream) const;
  void LoadControlFields(TStream& stream, std::int32_t version);
  // A child read from a saved scene: linked at the end without a sort (the loader sorts once
  // after the last child) and without the repaint and focus steps of SetParent, which the scene
  // loader does once for the whole scene.
  void AdoptLoadedChild(TVornControl* child);

  // Anchor contribution and position of steps 1 and 2, per axis.
  std::int64_t AnchorX() const;
  std::int64_t AnchorY() const;
  std::int64_t PositionX() const;
  std::int64_t PositionY() const;
  // Step 4: the parent's own surface maps positions through its 16.16 scale.
  bool UsesParentSurfaceScale(bool vertical) const;
  std::int64_t ScaledScreenOffset(bool vertical) const;
  // Paint's walk over the children: begin with the drawing rectangle the caller set, end by
  // restoring it and drawing the highlight frame.
  TPaintFrame StartPaintFrame();
  void FinishPaintFrame(const TPaintFrame& frame);
  // Invalidate before and after a change of a geometric or visual field.
  template <typename Field, typename Value>
  bool ChangeVisual(Field& field, Value value);

  std::int32_t left_ = 0;
  std::int32_t top_ = 0;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t offset_x_ = 0;
  std::int32_t offset_y_ = 0;
  TVornControl* parent_ = nullptr;
  std::int32_t color_ = 0;
  std::vector<TVornControl*> children_;
  // False once a child's name changed after the last sort (a rename does not re-sort).
  bool children_sorted_ = true;
  TRect spare_rect_{0, 0, 1, 1};
  std::string on_mouse_move_;
  std::string on_mouse_in_;
  std::string on_mouse_out_;
  std::string on_lbtn_down_;
  std::string on_lbtn_up_;
  std::string on_rbtn_down_;
  std::string on_rbtn_up_;
  std::string on_wheel_down_;
  std::string on_wheel_up_;
  std::uint8_t ignore_mouse_ = 0;
  std::string cursor_;
  std::uint8_t pos_zoomed_ = 0;
  bool highlight_ = false;
  std::int32_t clip_left_ = 0;
  std::int32_t clip_top_ = 0;
  std::int32_t clip_width_ = 0;
  std::int32_t clip_height_ = 0;
  std::int32_t motion_left_ = 0;
  std::int32_t motion_top_ = 0;
  std::int32_t plus_x_ = 0;
  std::int32_t plus_y_ = 0;
  std::uint8_t ani_paused_ = 0;
  std::uint8_t handle_key_ = 0;
  std::string on_key_down_;
  std::string on_key_up_;
  std::string on_key_repeat_;
  std::unique_ptr<TControlFilm> motion_;
  std::string on_focus_in_;
  std::string on_focus_out_;
};

// An invisible container: nothing inside it is shown, painted, hit or ticked.
class TVornCabinet : public TVornControl {
 public:
  using TVornControl::TVornControl;
  std::uint8_t GetCompoType() const override { return 27; }
  void Paint() override {}

 protected:
  TOwnVisibility OwnVisibility() const override { return TOwnVisibility::kHidden; }
};

}  // namespace vorn

#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "components/timer_list.h"
#include "components/vorn_control.h"
#include "engine/script_scene.h"
#include "foundation/clip_list.h"

namespace vorn {

// Layer names: the byte 0x01 followed by BASE0 or BASE1.
inline constexpr char kLayer0Name[] = "\x01" "BASE0";
inline constexpr char kLayer1Name[] = "\x01" "BASE1";
inline constexpr char kOtherLayerName[] = "\x01";

// A screen layer: a root control with its own dirty rectangles. Scripts put controls on it by
// making it their parent.
class TVornBase : public TVornControl {
 public:
  explicit TVornBase(TVornBaseList* owner);

  bool IsLayer() const override { return true; }
  TVornBase* GetBase() const override { return const_cast<TVornBase*>(this); }
  bool WantsAutoName() const override { return false; }

  // Clips the rectangle to the layer and adds what is left to the dirty rectangles.
  void InvalidateRect(const TRect& rect);
  TClipList& DirtyRects() { return dirty_rects_; }

  // The layer's picture: set by the scene once surfaces exist.
  TCustomDIBX* GetSurface() const override { return surface_; }
  TCustomDIBX* GetOwnSurface() const override { return surface_; }
  TCustomDIBX* ChildSurface() const override { return surface_; }
  void SetSurface(TCustomDIBX* surface) { surface_ = surface; }

  // The control under the mouse; resolves to nothing once that control is gone.
  TVornControl* GetHoverObject() const;
  void SetHoverObject(TVornControl* control) { hover_ = TObjectHandle(control); }

 protected:
  TOwnVisibility OwnVisibility() const override {
    return visible_ != 0 ? TOwnVisibility::kShownAsRoot : TOwnVisibility::kHidden;
  }

 private:
  TClipList dirty_rects_;
  TCustomDIBX* surface_ = nullptr;
  TObjectHandle hover_;
};

// The scene: owns every script object, holds the two layers, the event queue and the key focus.
class TVornBaseList : public TVornComponent, public TScriptScene {
 public:
  TVornBaseList();
  ~TVornBaseList() override;

  bool WantsAutoName() const override { return false; }

  // Object list. The list owns its objects; layers are not in it.
  int GetObjectCount() const { return static_cast<int>(objects_.size()); }
  TVornObject* GetObject(int index) const;
  void AddObject(std::unique_ptr<TVornObject> object);
  // Takes the object out of the list and hands it back.
  std::unique_ptr<TVornObject> RemoveObject(TVornObject* object);
  int IndexOfObject(const TScriptObject* object) const override;
  // Index of the first object of exactly that name, -1 when none (scrapped objects included).
  int IndexOfName(std::string_view name) const;
  // The first free prefix0, prefix1, ...
  std::string MakeUniqueName(std::string_view prefix);
  // Gives another bearer of the name (not `except`) a free name made from its own: a_3 -> a_4,
  // a -> a_2, a_1 -> a_1_2.
  void RenameClashingBearer(const std::string& name, const TVornObject* except);
  // Whether some object of the list bears exactly that name.
  bool IsNameTaken(std::string_view name) const;

  TVornObject* FindComponent(std::string_view name) override;
  TVornControl* FindControl(std::string_view name) override;
  TTimerList& GetEventQueue() override { return events_; }
  TTimerList& Events() { return events_; }

  // Deletion: scrapped objects wait in the pending set until FreePendingDeletes.
  bool IsPendingDelete(const TVornObject* object) const;
  void MarkPendingDelete(TVornObject* object);
  void FreePendingDeletes();
  // Frees the object and its whole subtree at once, children first.
  void DeleteObject(TVornObject* object);

  // Appends the names of the listed objects of that kind (0: every kind) in list order: every
  // object when parent is null or the scene itself, else those whose direct parent is parent.
  // Objects waiting for deletion are still listed (their names are already empty).
  int ListNames(std::vector<std::string>& names, std::uint8_t kind, const TScriptObject* parent) override;

  // Layers.
  using TVornComponent::GetBase;
  TVornBase* GetBase(int index) const { return layers_[index & 1].get(); }
  int GetActiveLayerIndex() const override { return active_layer_; }
  TScriptObject* GetLayer(int index) override;
  void SetActiveLayerIndex(int index) { active_layer_ = index & 1; }
  TVornBase* ActiveLayer() const { return GetBase(active_layer_); }
  TVornBase* OtherLayer() const { return GetBase(active_layer_ ^ 1); }

  // Key focus.
  TVornControl* GetFocusedControl() const;
  // Moves the focus, posting focus-out of the old and focus-in of the new control.
  void SetFocusedControl(TVornControl* control);
  // Drops the focus without events (a dying control posts nothing).
  void DropFocusSilently();
  bool IsFocusChoiceRequested() const { return focus_choice_requested_; }
  void RequestFocusChoice() { focus_choice_requested_ = true; }
  void ClearFocusChoiceRequest() { focus_choice_requested_ = false; }

  // The 2x2 pattern of the highlight frame: white at (0, 0) and (1, 1), black between.
  TCustomDIBX* SelRectDIB() const { return sel_rect_dib_; }
  void SetSelRectDIB(TCustomDIBX* pattern) { sel_rect_dib_ = pattern; }

  // Scene size; the setters size both layers.
  std::int32_t GetWidth() const override { return width_; }
  void SetWidth(std::int32_t value) override;
  std::int32_t GetHeight() const override { return height_; }
  void SetHeight(std::int32_t value) override;
  std::int32_t GetSceneWidth() const override { return width_; }
  std::int32_t GetSceneHeight() const override { return height_; }

 private:
  friend class TVornObject;

  // Name index: only objects of the list with a non-empty name.
  void IndexName(TVornObject* object);
  void UnindexName(TVornObject* object);
  TVornObject* FirstBearer(std::string_view name, const TVornObject* except) const;
  void FreeObjects(std::vector<TVornObject*> doomed);

  std::unique_ptr<TVornBase> layers_[2];
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  int active_layer_ = 0;
  TTimerList events_;
  std::vector<std::unique_ptr<TVornObject>> objects_;
  std::unordered_map<std::string, std::vector<TVornObject*>> names_;
  // Lowest number of each automatic-name prefix below which every name is known to be taken.
  std::unordered_map<std::string, std::int64_t> free_name_hints_;
  std::vector<TObjectHandle> pending_deletes_;
  std::unordered_set<TObjectId> pending_ids_;
  TObjectHandle focused_;
  bool focus_choice_requested_ = false;
  std::unique_ptr<TCustomDIBX> own_sel_rect_dib_;
  TCustomDIBX* sel_rect_dib_ = nullptr;
};

}  // namespace vorn

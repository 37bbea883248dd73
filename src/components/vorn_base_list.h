#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "components/scene_transition.h"
#include "components/timer_list.h"
#include "components/vorn_control.h"
#include "engine/scene_services.h"
#include "engine/script_scene.h"
#include "foundation/clip_list.h"
#include "platform/cursors.h"

namespace vorn::platform {
class TextFieldHost;
}

namespace vorn {

// Layer names: the byte 0x01 followed by BASE0 or BASE1.
inline constexpr char kLayer0Name[] = "\x01" "BASE0";
inline constexpr char kLayer1Name[] = "\x01" "BASE1";
inline constexpr char kOtherLayerName[] = "\x01";

// Colour whose pixel value is the layer's second surface's colour key.
inline constexpr std::int32_t kLayerSecondSurfaceKeyColor = 0x800080;

// Hit-test masks: bit n stands for mouse-ignore mode n.
inline constexpr std::uint32_t kLeftPressMask = 17;   // modes 0 and 4
inline constexpr std::uint32_t kRightPressMask = 9;   // modes 0 and 3
inline constexpr std::uint32_t kHoverMask = 29;       // modes 0, 2, 3 and 4

// Capture bits of a layer's mouse state.
inline constexpr std::uint8_t kLeftCapture = 4;
inline constexpr std::uint8_t kRightCapture = 8;

// Where a scene draws. The global scene draws on the screen, whose surface, depth and full-screen
// state change with every screen switch, so they are asked at every use. A nested scene has none
// and draws on its own composite surface.
class TSceneScreen {
 public:
  virtual ~TSceneScreen() = default;
  // Null while the screen has no surface (between a release and a restore).
  virtual TCustomDIBX* GetSurface() const = 0;
  virtual int GetBitCount() const = 0;
  virtual bool IsFullScreen() const = 0;
};

// The raw mouse facts the window records on a layer and what the input step latches from them.
struct TLayerMouse {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::uint8_t left_press_request = 0;
  std::uint8_t left_pressed = 0;
  std::uint8_t right_press_request = 0;
  std::uint8_t right_pressed = 0;
  std::uint8_t left_held = 0;
  std::uint8_t right_held = 0;
  std::uint8_t moved = 0;
  std::uint8_t capture = 0;  // kLeftCapture | kRightCapture
  std::uint8_t wheel_down_request = 0;
  std::uint8_t wheel_down = 0;
  std::uint8_t wheel_up_request = 0;
  std::uint8_t wheel_up = 0;
  // The last custom cursor file loaded for this layer.
  std::string cursor_name;
  // That file could not be shown: it is not tried again until the name changes.
  bool cursor_failed = false;
};

// A screen layer: a root control with its own surfaces, dirty rectangles and mouse state. Scripts
// put controls on it by making it their parent.
class TVornBase : public TVornControl {
 public:
  explicit TVornBase(TVornBaseList* owner);
  ~TVornBase() override;

  bool IsLayer() const override { return true; }
  TVornBase* GetBase() const override { return const_cast<TVornBase*>(this); }
  bool WantsAutoName() const override { return false; }

  // Clips the rectangle to the layer and adds what is left to the dirty rectangles.
  virtual void InvalidateRect(const TRect& rect);
  void InvalidateAll() { InvalidateRect(TRect{0, 0, GetWidth(), GetHeight()}); }
  TClipList& DirtyRects() { return dirty_rects_; }

  // Where the layer draws now: the scene's surface while it is the active layer and no transition
  // needs its picture apart, else its own surface.
  TCustomDIBX* GetSurface() const override;
  TCustomDIBX* GetOwnSurface() const override { return GetSurface(); }
  TCustomDIBX* ChildSurface() const override { return GetSurface(); }
  // The layer's own picture and the second surface beside it (null while unsized or released).
  TCustomDIBX* LayerSurface() const { return own_.get(); }
  TCustomDIBX* SecondSurface() const { return second_.get(); }

  void SetWidth(std::int32_t value) override;
  void SetHeight(std::int32_t value) override;
  void ReleaseSurfaces() override;
  void RestoreSurfaces() override;

  // For each dirty rectangle: the layer's colour (unless negative) over its bounds, then its
  // children. Nothing while hidden or without a surface.
  void Paint() override;

  // Mouse.
  TLayerMouse& Mouse() { return mouse_; }
  const TLayerMouse& Mouse() const { return mouse_; }
  // Stores the point; moved only when it changed.
  void SetMousePos(std::int32_t x, std::int32_t y);
  // The object under the mouse (or holding its capture) at the last dispatch; resolves to nothing
  // once that object is gone.
  TVornObject* GetHoverObject() const;
  void SetHoverObject(TVornObject* object) { hover_ = TObjectHandle(object); }
  // The input step's mouse dispatch: latches the requests, offers a right press to open menus,
  // then serves the capturing object or the object under the mouse.
  void DispatchMouse();
  // Held and not captured by the hover object.
  bool IsLeftHeldFree() const;
  bool IsRightHeldFree() const;

 protected:
  TOwnVisibility OwnVisibility() const override {
    return visible_ != 0 ? TOwnVisibility::kShownAsRoot : TOwnVisibility::kHidden;
  }

 private:
  void SizeSurfaces();
  // The cursor of the object under the mouse.
  void UpdateCursor(const TVornObject& target);

  TClipList dirty_rects_;
  std::unique_ptr<TCustomDIBX> own_;
  std::unique_ptr<TCustomDIBX> second_;
  TLayerMouse mouse_;
  TObjectHandle hover_;
};

// Makes the two layers of a scene; a nested scene makes layers that draw into their host.
using TLayerMaker = std::unique_ptr<TVornBase> (*)(TVornBaseList& scene);

// The controls offered a right press before anything else (menus and image maps). Holds no
// ownership: members add themselves on creation and leave on destruction.
class TVornList {
 public:
  void AddUnique(TVornControl* control);
  void Remove(TVornControl* control);
  int Count() const { return static_cast<int>(members_.size()); }
  TVornControl* Get(int index) const;

 private:
  std::vector<TObjectHandle> members_;
};

// The scene: owns every script object, holds the two layers, the event queue, the key and focus
// state and the running screen transition.
class TVornBaseList : public TVornComponent, public TScriptScene, public TScriptSceneServices {
 public:
  // A scene of its own composite surface at that depth; the global scene is then given the screen
  // (SetScreen).
  explicit TVornBaseList(int bit_count = 32);
  ~TVornBaseList() override;

  bool WantsAutoName() const override { return false; }

  // Where the scene draws: the screen when one is given (not owned), else the composite surface.
  void SetScreen(TSceneScreen* screen) { screen_ = screen; }
  TCustomDIBX* GetSceneSurface() const;
  TCustomDIBX* CompositeSurface() const { return composite_.get(); }
  int GetScreenBitCount() const;
  // Layer pictures live in display memory only while the screen runs full screen.
  bool UsesDisplayMemory() const;

  // Object list. The list owns its objects; layers are not in it.
  int GetObjectCount() const { return static_cast<int>(objects_.size()); }
  TVornObject* GetObject(int index) const;
  void AddObject(std::unique_ptr<TVornObject> object);
  // Takes the object out of the list and hands it back.
  std::unique_ptr<TVornObject> RemoveObject(TVornObject* object);
  int IndexOfObject(const TScriptObject* object) const override;
  // A layer of this scene or an object in its list (scrapped ones included).
  bool IsInScene(const TVornObject* object) const;
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
  // A new object of the kind (its top bit ignored), auto-named, parentless; null for kinds
  // without a class.
  TVornObject* CreateComponentByType(std::uint8_t kind);
  TScriptObject* CreateComponent(std::uint8_t kind) override;

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
  TVornList& Menus() { return menus_; }
  // The edits and memos, whose fields are checked after every tick.
  TVornList& TextFieldControls() { return text_field_controls_; }
  // The host text fields are made by: the drawing panel's (not owned), else one without a window
  // that keeps the fields' state and draws nothing.
  platform::TextFieldHost& TextFields();
  void SetTextFields(platform::TextFieldHost* host) { text_fields_ = host; }

  // Key focus.
  TVornControl* GetFocusedControl() const;
  // Moves the focus, posting focus-out of the old and focus-in of the new control.
  void SetFocusedControl(TVornControl* control);
  // Drops the focus without events (a dying control posts nothing).
  void DropFocusSilently();
  bool IsFocusChoiceRequested() const { return focus_choice_requested_; }
  void RequestFocusChoice() { focus_choice_requested_ = true; }
  void ClearFocusChoiceRequest() { focus_choice_requested_ = false; }

  // Keys, by virtual-key code 0..255 (others read false and are ignored). Held; clicked in the
  // last input step; went down or repeated in the last input step.
  bool GetKeyDown(int code) const;
  void SetKeyDown(int code, bool down);
  bool GetKeyClick(int code) const;
  void SetKeyClick(int code, bool click);
  bool GetKeyPush(int code) const;
  // Held keys, requests, timers and flags; the latched tables keep this step's values.
  void ClearKeys();

  // The frame: input step, then (after the interpreter) the tick, then on painted frames paint.
  void ProcessInput();
  bool Tick() override;  // always false: nothing frees the scene
  void Paint() override;

  // The running transition's last drawn rectangle (empty when none ran this frame); the
  // presentation shows it instead of the dirty rectangles.
  const TRect& TransitionRect() const { return transition_rect_; }
  bool IsTransitionDrawing() const { return transition_drawing_; }
  // Percent; the presentation scales rectangles by it.
  std::int32_t GetDisplayScale() const { return display_scale_; }
  void SetDisplayScale(std::int32_t percent) { display_scale_ = percent; }

  // Makes the layer active; forced, or a kind while no transition runs, replaces the transition
  // (none for kind 0 or a kind no effect has). Answers the new transition, not yet started.
  TSceneTransition* SwitchLayer(int index, int kind, std::uint8_t direction, bool force, std::int32_t current,
                                std::int32_t total) override;
  std::int32_t GetTransitionParam() const override;
  void SetTransitionParam(std::int32_t value) override;

  // Frees everything but the size and makes two fresh layers.
  void ResetScene() override;

  // The scene record of a saved game: size, active layer, both layers with their trees, the
  // top-level components, the event queue and the focused control's name. Saving refuses a scene
  // larger than kMaxSavedScenePixels (EWriteError). Loading replaces the whole scene and posts
  // no event; a damaged record raises ESavedSceneError, after which the scene can still be reset.
  void SaveToStream(TStream& stream) const override;
  void LoadFromStream(TStream& stream, std::int32_t version) override;
  void ReleaseSurfaces() override;
  void RestoreSurfaces() override;

  // The layered-image cache's depth flag (0 without a cache).
  std::uint8_t GetImageCacheMode() const;
  // Sets the cache's flag, then redraws both layers wholly.
  void SetImageCacheMode(std::uint8_t mode);
  bool GetSoundOn() const { return sound_on_ != 0; }
  // A change pauses or resumes every sound manager's items.
  void SetSoundOn(bool on);

  // The mouse cursors of the window the scene is shown in (not owned; null: none to set).
  platform::Cursors* GetCursors() const { return cursors_; }
  void SetCursors(platform::Cursors* cursors) { cursors_ = cursors; }

  // The 2x2 pattern of the highlight frame: white at (0, 0) and (1, 1), black between.
  TCustomDIBX* SelRectDIB() const { return sel_rect_dib_; }
  void SetSelRectDIB(TCustomDIBX* pattern) { sel_rect_dib_ = pattern; }

  // Scene size; the setters size the composite surface and both layers.
  std::int32_t GetWidth() const override { return width_; }
  void SetWidth(std::int32_t value) override;
  std::int32_t GetHeight() const override { return height_; }
  void SetHeight(std::int32_t value) override;
  void SetColor(std::int32_t value) override;
  std::int32_t GetSceneWidth() const override { return width_; }
  std::int32_t GetSceneHeight() const override { return height_; }

  // What the commands ask of the scene.
  int GetChildCount(const TScriptObject& parent) const override;
  TScriptObject* GetChild(const TScriptObject& parent, int index) const override;
  void MarkDeleted(TScriptObject& object) override;
  bool IsCabinet(const TScriptObject& object) const override;
  void Replay(TScriptObject& object) override;
  // A picture component named kScreenCopyName holding a copy of the active layer's picture.
  TScreenCopy CreateScreenCopy() override;
  using TVornComponent::GetChildCount;
  using TVornComponent::GetChild;
  using TVornComponent::MarkDeleted;
  using TVornComponent::Replay;

 protected:
  // For scenes whose layers are of another class (a nested scene's).
  TVornBaseList(int bit_count, TLayerMaker make_layer);

 private:
  friend class TVornObject;

  // Name index: only objects of the list with a non-empty name.
  void IndexName(TVornObject* object);
  void UnindexName(TVornObject* object);
  // A name left the index: a prefix's hint above its number comes down to it.
  void LowerNameHint(const std::string& freed);
  TVornObject* FirstBearer(std::string_view name, const TVornObject* except) const;
  void FreeObjects(std::vector<TVornObject*> doomed);
  void MakeLayers(TLayerMaker make_layer);
  void FreeTransition();
  void SizeComposite();
  void LoadSceneRecord(TStream& stream, std::int32_t version);
  // Input step parts.
  void LatchKeys();
  void SendKeyEvents();
  void AdvanceKeyRepeat(std::int64_t elapsed_ms);

  std::unique_ptr<TVornBase> layers_[2];
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  int bit_count_;
  TSceneScreen* screen_ = nullptr;
  std::unique_ptr<TCustomDIBX> composite_;
  bool transition_drawing_ = false;
  std::unique_ptr<TSceneTransition> transition_;
  TRect transition_rect_{};
  int active_layer_ = 0;
  TTimerList events_;
  std::vector<std::unique_ptr<TVornObject>> objects_;
  std::unordered_map<std::string, std::vector<TVornObject*>> names_;
  // Lowest number of each automatic-name prefix below which every name is known to be taken.
  std::unordered_map<std::string, std::int64_t> free_name_hints_;
  std::vector<TObjectHandle> pending_deletes_;
  std::unordered_set<TObjectId> pending_ids_;
  std::int32_t display_scale_ = 100;
  TVornList menus_;
  TVornList text_field_controls_;
  platform::TextFieldHost* text_fields_ = nullptr;
  std::unique_ptr<platform::TextFieldHost> own_text_fields_;
  std::array<std::uint8_t, 256> key_down_{};
  std::array<std::uint8_t, 256> key_click_request_{};
  std::array<std::uint8_t, 256> key_click_{};
  std::array<std::uint8_t, 256> key_push_request_{};
  std::array<std::uint8_t, 256> key_push_{};
  std::array<std::int32_t, 256> key_timer_{};
  bool key_down_flag_ = false;
  bool key_up_flag_ = false;
  bool key_repeat_flag_ = false;
  std::uint8_t sound_on_ = 1;
  TObjectHandle focused_;
  bool focus_choice_requested_ = false;
  TCustomDIBX* sel_rect_dib_ = nullptr;
  platform::Cursors* cursors_ = nullptr;
  // Marks the objects the running tick has already stepped.
  std::uint64_t tick_stamp_ = 0;
};

}  // namespace vorn

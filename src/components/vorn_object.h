#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/script_object.h"
#include "foundation/rect.h"

namespace vorn {

class TCustomDIBX;
class TStream;
class TVornBase;
class TVornBaseList;
class TVornControl;

// Name of the screen copy that a flip leaves on top of everything.
inline constexpr char kScreenCopyName[] = "\x01\x01";
// Kind word of the automatic names object0, object1, ...
inline constexpr char kAutoNamePrefix[] = "object";

// A system object (its name begins with the byte 0x01) is never saved and sorts before its
// ordinary siblings.
inline bool IsSystemName(const std::string& name) { return !name.empty() && name[0] == '\x01'; }

// Every object a script can name, change, delete or hear from. Construction only stores the owner;
// the creation steps that call virtual operations run from Create, after construction.
class TVornObject : public TScriptObject {
 public:
  explicit TVornObject(TVornBaseList* owner) : owner_(owner) {}
  ~TVornObject() override;

  // Creation steps: the automatic name (when WantsAutoName) and entry into the owner's object
  // list, which takes `self` over. Without an owner nothing takes it: the caller must keep the
  // object alive some other way, so use CreateObject.
  virtual void Create(std::unique_ptr<TVornObject> self);
  // Destruction steps, run by the scene before the object is freed (a C++ destructor can no
  // longer reach the subclass). A dying object posts no events.
  virtual void Destroying() {}

  TVornBaseList* GetOwner() const { return owner_; }

  const std::string& GetName() const override { return name_; }
  // An equal name changes nothing; another bearer in the owner's list is scrapped.
  void SetName(const std::string& name) override;
  const std::string& GetTag() const override { return tag_; }
  void SetTag(const std::string& tag) override { tag_ = tag; }
  std::int32_t GetPriority() const override { return priority_; }
  void SetPriority(std::int32_t value) override;
  std::int32_t GetSubPriority() const { return sub_priority_; }
  void SetSubPriority(std::int32_t value);
  // Ordering value among siblings, summed without overflow.
  std::int64_t GetOrderValue() const {
    return static_cast<std::int64_t>(priority_) + static_cast<std::int64_t>(sub_priority_);
  }

  // Waiting for deletion at the end of the scene's step.
  bool IsDeleted() const;
  // Queues the object for deletion at the end of the step and clears its name at once.
  void MarkDeleted();
  // Frees the object and its subtree at once.
  void DeleteObject();

  TScriptObject* GetParentObject() const override;
  void SetParentObject(TScriptObject* parent) override;
  virtual TVornControl* GetParent() const { return nullptr; }
  virtual void SetParent(TVornControl* /*parent*/) {}
  virtual int GetChildCount() const { return 0; }
  virtual TVornControl* GetChild(int /*index*/) const { return nullptr; }
  // The layer the object sits on; a layer answers itself.
  virtual TVornBase* GetBase() const { return nullptr; }
  TScriptObject* GetLayerObject() const override;
  virtual TVornControl* AsControl() { return nullptr; }
  virtual const TVornControl* AsControl() const { return nullptr; }

  virtual bool GetHighlight() const { return false; }
  virtual void SetHighlight(bool /*flag*/) {}
  // A blocked object posts no event at all.
  virtual bool IsEventBlocked() const { return false; }

  // Geometry. Rectangles are half-open (right and bottom excluded).
  TRect GetBoundsRect() const;
  virtual std::int32_t GetScreenLeft() const;
  virtual std::int32_t GetScreenTop() const;
  virtual std::int32_t GetDrawLeft() const { return GetLeft(); }
  virtual std::int32_t GetDrawTop() const { return GetTop(); }
  virtual TPoint GetScreenAnchor() const { return {GetScreenLeft(), GetScreenTop()}; }
  TRect GetScreenRect() const;
  // Empty when the object has no clip.
  virtual TRect GetClipRect() const { return {}; }
  // Narrows rect to the object's screen rectangle; false when nothing is left.
  virtual bool ClipToClient(TRect& rect) const;
  // Lets this object and each parent in turn widen a rectangle about to be repainted.
  void AdjustInvalidRect(TRect& rect) const;

  // Surfaces: the one to draw on (the layer's) and an object's own picture.
  virtual TCustomDIBX* GetSurface() const;
  virtual TCustomDIBX* GetOwnSurface() const { return nullptr; }
  // The surface this object gives its children, or nullptr to pass the question on to its parent.
  virtual TCustomDIBX* ChildSurface() const { return nullptr; }

  // Adds text at the end of TEXT (the message window appends to its pages instead).
  virtual void AppendText(const std::string& text) { SetText(GetText() + text); }
  // The cursor file shown while the mouse is over the object (CURSOR).
  std::string GetCursorName() const { return GetCursor(); }

  virtual void Paint() {}
  // One frame step; true asks the scene to free the object.
  virtual bool Tick() { return false; }
  virtual bool WantsAutoName() const { return true; }
  virtual bool IsAncestorOf(const TVornObject* /*object*/) const { return false; }
  virtual bool IsShowing() const { return false; }
  virtual void FocusGained() {}
  virtual void CabinetEnter() {}
  virtual void CabinetLeave() {}

  // Device surfaces go before the display changes and are rebuilt after it.
  virtual void ReleaseSurfaces() {}
  virtual void RestoreSurfaces() {}
  // Sound and video start again from the beginning; nothing else has anything to replay.
  virtual void Replay() {}

  // What the input step tells the object under (or holding) the mouse. Each posts its event with
  // the queue's rules; the button-down ones also take the layer's capture.
  virtual void LBtnDown();
  virtual void LBtnUp();
  virtual void RBtnDown();
  virtual void RBtnUp();
  virtual void MouseMove();
  virtual void MouseIn(TVornObject* previous);
  virtual void MouseOut(TVornObject* next);
  // End of the step's dispatch to a captured object (components that track a press override it).
  virtual void MouseStepEnd() {}
  // A right press offered to open menus and image maps first: true when it closed something.
  virtual bool RightClickCancel() { return false; }
  // Key events of the focused control; they carry no key code.
  void KeyDown();
  void KeyUp();
  void KeyRepeat();

  // The object's record in a saved scene: the object fields, for a control its control fields and
  // saved children, then what each class appends (SaveClassFields). Both walk the subtree with a
  // stack of their own, so a tree of any depth neither exhausts the call stack nor nests calls.
  // Loading reads each field only from the version that introduced it; children are created
  // through the scene's factory. Raises EReadError (a clear message) on a damaged record.
  virtual void SaveToStream(TStream& stream) const;
  virtual void LoadFromStream(TStream& stream, std::int32_t version);
  // Whether the scene saves the object: not waiting for deletion, of a kind other than 0 and not a
  // system object.
  bool IsSavedInScene() const;

 protected:
  // The fields this class appends after its base's record (after a control's children). An
  // override writes (reads) its base's part first, then its own; the loader reads a field only
  // from the version that introduced it.
  virtual void SaveClassFields(TStream& /*stream*/) const {}
  virtual void LoadClassFields(TStream& /*stream*/, std::int32_t /*version*/) {}

  // The one place that writes the name field: it keeps the owner's name index current.
  void StoreName(std::string name);
  // Re-sorts the parent's children after an ordering change and repaints.
  void OrderChanged();
  // Per-object part of AdjustInvalidRect (the wave widens its rectangle here).
  virtual void WidenInvalidRect(TRect& /*rect*/) const {}

 private:
  friend class TVornBaseList;

  // The object record: name (straight into the name field), priority, sub-priority, tag.
  void SaveObjectFields(TStream& stream) const;
  void LoadObjectFields(TStream& stream, std::int32_t version);

  TVornBaseList* owner_;
  std::string name_;
  std::string tag_;
  std::int32_t priority_ = 0;
  std::int32_t sub_priority_ = 0;
  // Set while the object is in its owner's object list (and so in its name index).
  bool listed_ = false;
  // The owner's tick that stepped the object last.
  std::uint64_t tick_stamp_ = 0;
};

// An object the scene can hold in its object list and delete later.
class TVornComponent : public TVornObject {
 public:
  using TVornObject::TVornObject;
  // Forgets the component's waiting events and the target of its running ones.
  void Destroying() override;
};

// Constructs an object and runs its creation steps; the owner's object list owns the result.
template <typename T, typename... Args>
T* CreateObject(TVornBaseList& owner, Args&&... args) {
  auto object = std::make_unique<T>(&owner, std::forward<Args>(args)...);
  T* created = object.get();
  created->Create(std::move(object));
  return created;
}

// Truncates a 64-bit intermediate to 32 bits the way two's-complement hardware does.
inline std::int32_t Wrap32(std::int64_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

}  // namespace vorn

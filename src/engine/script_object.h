#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "engine/script_properties.h"
#include "foundation/rect.h"

namespace vorn {

class TScriptObject;
class TVornParser;

// Expressions an object keeps for itself and evaluates while it runs: an image's frame delay and
// a particle emitter's appear position and delay. The creating commands hand over copies.
enum class TObjectExpression : std::uint8_t { kImageDelay, kParticleAppearX, kParticleAppearY, kParticleDelay };

// Every script object gets an id that is never reused, so an event or a call frame that outlives
// its object finds nothing rather than a newcomer at the same address.
using TObjectId = std::uint64_t;

// A reference to a script object that may outlive it: Get() answers the object while it exists and
// nullptr once it has been freed. Main thread only, like every script object.
class TObjectHandle {
 public:
  TObjectHandle() = default;
  explicit TObjectHandle(const TScriptObject* object);

  TScriptObject* Get() const;
  TObjectId Id() const { return id_; }
  bool IsNone() const { return id_ == 0; }
  void Reset() { id_ = 0; }

  friend bool operator==(const TObjectHandle&, const TObjectHandle&) = default;

 private:
  TObjectId id_ = 0;
};

// A font style as a set of four flags. Scripts see it as an integer with the bits 1 bold,
// 2 italic, 4 underline and 8 strike-out; other bits mean nothing.
struct TFontStyleSet {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike_out = false;

  static TFontStyleSet FromBits(std::int32_t bits) {
    return {(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0, (bits & 8) != 0};
  }
  std::int32_t ToBits() const {
    return (bold ? 1 : 0) | (italic ? 2 : 0) | (underline ? 4 : 0) | (strike_out ? 8 : 0);
  }
  friend bool operator==(const TFontStyleSet&, const TFontStyleSet&) = default;
};

// The caret position a message window reports (CARETX, CARETY).
struct TCaretPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// How the engine sees an object of the scene: its name, tag and priority, its parent, its kind and
// one accessor pair per script property. The components implement it; the engine never sees their
// classes. The accessors answer the neutral value of an object that lacks the property and ignore
// writes; a class gives a property meaning by overriding its pair.
class TScriptObject {
 public:
  TScriptObject();
  virtual ~TScriptObject();
  TScriptObject(const TScriptObject&) = delete;
  TScriptObject& operator=(const TScriptObject&) = delete;

  TObjectId GetId() const { return id_; }
  TObjectHandle Handle() const { return TObjectHandle(this); }

  // NAME: the rename rules belong to the object's class.
  virtual const std::string& GetName() const = 0;
  virtual void SetName(const std::string& name) = 0;
  // TAG: free text, read and replaced as it stands.
  virtual const std::string& GetTag() const = 0;
  virtual void SetTag(const std::string& tag) = 0;
  // PRIORITY: read as stored; SetPriority re-sorts the siblings and repaints.
  virtual std::int32_t GetPriority() const = 0;
  virtual void SetPriority(std::int32_t value) = 0;

  // PARENT as objects; the bridge turns names into objects with the scene's FindControl.
  virtual TScriptObject* GetParentObject() const { return nullptr; }
  virtual void SetParentObject(TScriptObject* /*parent*/) {}
  // A screen layer ignores PARENT writes.
  virtual bool IsLayer() const { return false; }

  // Kind code (COMPOTYPE); 0 for objects that are no component kind.
  virtual std::uint8_t GetCompoType() const { return 0; }
  // Queues the object's screen rectangle for repainting.
  virtual void Invalidate() {}
  // Play state of sounds, videos, menus and films (LP_PLAY 0 .. LP_STOPFADE 3).
  virtual std::int32_t GetPlayState() const { return 0; }
  virtual void SetPlayState(std::int32_t /*state*/) {}

#define VORN_DECLARE_STRING_ACCESSOR(index, Name, fallback) \
  virtual std::string Get##Name() const { return fallback; } \
  virtual void Set##Name(const std::string& /*value*/) {}
#define VORN_DECLARE_INT_ACCESSOR(index, Name, fallback)     \
  virtual std::int32_t Get##Name() const { return fallback; } \
  virtual void Set##Name(std::int32_t /*value*/) {}
#define VORN_DECLARE_STYLE_ACCESSOR(index, Name, fallback)    \
  virtual TFontStyleSet Get##Name() const { return fallback; } \
  virtual void Set##Name(TFontStyleSet /*value*/) {}
#define VORN_DECLARE_BYTE_ACCESSOR(index, Name, fallback)    \
  virtual std::uint8_t Get##Name() const { return fallback; } \
  virtual void Set##Name(std::uint8_t /*value*/) {}
#define VORN_DECLARE_BOOL_ACCESSOR(index, Name, fallback) \
  virtual bool Get##Name() const { return fallback; }      \
  virtual void Set##Name(bool /*value*/) {}

  VORN_STRING_PROPERTIES(VORN_DECLARE_STRING_ACCESSOR)
  VORN_EVENT_PROPERTIES(VORN_DECLARE_STRING_ACCESSOR)
  VORN_INT_PROPERTIES(VORN_DECLARE_INT_ACCESSOR)
  VORN_STYLE_PROPERTIES(VORN_DECLARE_STYLE_ACCESSOR)
  VORN_BYTE_PROPERTIES(VORN_DECLARE_BYTE_ACCESSOR)
  VORN_BOOL_PROPERTIES(VORN_DECLARE_BOOL_ACCESSOR)

#undef VORN_DECLARE_STRING_ACCESSOR
#undef VORN_DECLARE_INT_ACCESSOR
#undef VORN_DECLARE_STYLE_ACCESSOR
#undef VORN_DECLARE_BYTE_ACCESSOR
#undef VORN_DECLARE_BOOL_ACCESSOR

  // Nine border-picture cells 0..8, row by row (BORDERSOURCETL .. BORDERSOURCEBR).
  virtual std::string GetBorderSource(int /*cell*/) const { return {}; }
  virtual void SetBorderSource(int /*cell*/, const std::string& /*value*/) {}
  // Alignment of a border cell (BORDERHALIGNT/C/B: cells 1, 4, 7; BORDERVALIGNL/C/R: 3, 4, 5).
  virtual std::uint8_t GetBorderHAlign(int /*cell*/) const { return 0; }
  virtual void SetBorderHAlign(int /*cell*/, std::uint8_t /*value*/) {}
  virtual std::uint8_t GetBorderVAlign(int /*cell*/) const { return 0; }
  virtual void SetBorderVAlign(int /*cell*/, std::uint8_t /*value*/) {}
  // Particle parameters 0..2 (PARAM1, PARAM2, PARAM3), kept at extended precision.
  virtual long double GetParticleParam(int /*number*/) const { return 0.0L; }
  virtual void SetParticleParam(int /*number*/, long double /*value*/) {}

  // A message window remembers whether its text came from a text command (and so counts as read
  // once shown); text written through the TEXT property never does.
  virtual bool IsMessageWindow() const { return false; }
  virtual void ClearTextOrigin() {}

  // Images that size themselves from their picture recompute their size before LEFT is applied.
  virtual bool SizesFromPicture() const { return false; }
  virtual void UpdateAutoWidth() {}
  virtual void UpdateAutoHeight() {}

  // Takes a deep copy of the expression; objects without that expression ignore it.
  virtual void AssignExpression(TObjectExpression /*which*/, const TVornParser& /*source*/) {}

  // Per-item state of list boxes, menus and preview menus, by item index. Components without such
  // items answer no check mark and enabled and visible items, and ignore writes.
  virtual bool GetItemChecked(int /*item*/) const { return false; }
  virtual void SetItemChecked(int /*item*/, bool /*checked*/) {}
  virtual bool GetItemEnabled(int /*item*/) const { return true; }
  virtual void SetItemEnabled(int /*item*/, bool /*enabled*/) {}
  virtual bool GetItemVisible(int /*item*/) const { return true; }
  virtual void SetItemVisible(int /*item*/, bool /*visible*/) {}
  // The index of the first item whose item string equals text exactly, -1 when none.
  virtual int IndexOfItem(const std::string& /*text*/) const { return -1; }

  // Point conversions between the screen and the object's client coordinates; an object that is
  // not drawn answers the point unchanged.
  virtual TPoint ClientToScreen(TPoint point) const { return point; }
  virtual TPoint ScreenToClient(TPoint point) const { return point; }
  // The layer the object sits on (a layer answers itself), or null when it is on none.
  virtual TScriptObject* GetLayerObject() const { return nullptr; }
  // Whether some ancestor is a cabinet: nothing inside one is shown, hit or ticked.
  virtual bool InCabinet() const { return false; }

  // Read only: CARETX/CARETY, CARETHEIGHT, PLAYING.
  virtual TCaretPoint GetCaretPoint() const { return {}; }
  virtual std::int32_t GetCaretHeight() const { return 0; }
  virtual bool GetPlaying() const { return false; }

 private:
  TObjectId id_;
};

}  // namespace vorn

#pragma once

// What the waiting, flip, media, object, cabinet and message commands ask of the scene beyond
// name lookups: the layers and their children, deletion marks, the layer switch and its running
// transition, media replay, message windows, the backlog and the already-read registry. The
// components implement these interfaces next to their own classes; the engine never sees those.

#include <cstdint>
#include <string>

#include "engine/script_object.h"

namespace vorn {

// A screen transition that SwitchLayer has made and that has not been started yet.
class TScriptTransition {
 public:
  virtual ~TScriptTransition() = default;
  // number 0 or 1; each transition kind reads them its own way.
  virtual void SetParam(int number, std::int32_t value) = 0;
  virtual void SetText(const std::string& text) = 0;
  virtual void Start() = 0;
};

// The picture a flip freezes while the layers change: an image component named 0x01 0x01, already
// in the scene, holding a copy of the current layer's picture, and the size of its surface.
struct TScreenCopy {
  TScriptObject* image = nullptr;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// Scene operations of the commands. The scene that offers them derives from this interface as well
// as from TScriptScene; GetSceneServices finds it there.
class TScriptSceneServices {
 public:
  virtual ~TScriptSceneServices() = default;

  virtual int GetChildCount(const TScriptObject& parent) const = 0;
  virtual TScriptObject* GetChild(const TScriptObject& parent, int index) const = 0;
  // Queues the object for deletion at the next scene tick and clears its name.
  virtual void MarkDeleted(TScriptObject& object) = 0;
  virtual bool IsCabinet(const TScriptObject& object) const = 0;
  // Sound and video restart from the beginning (fading in over DELAY when above 0); other
  // components do nothing.
  virtual void Replay(TScriptObject& object) = 0;

  // Paints both layers onto their surfaces.
  virtual void Paint() = 0;
  // Makes the frozen picture of a flip: a surface of the scene's size at the screen's depth (32
  // without a screen) holding the current layer's picture, colour key none. The image is null
  // when none can be made.
  virtual TScreenCopy CreateScreenCopy() = 0;
  // Makes the layer current (an index outside 0..1 changes nothing). Forced, or a kind other than 0
  // while no transition runs, frees the running transition; a kind other than 0 makes a new one
  // (not yet started) with the duration and direction (0 or 1), and returns it. Kind 0, or a kind
  // no effect has, returns null. A running transition's elapsed time becomes `current`.
  virtual TScriptTransition* SwitchLayer(int layer, int kind, std::uint8_t direction, bool force,
                                         std::int32_t current, std::int32_t total) = 0;
  // The running transition's duration in ms, 0 when none runs.
  virtual std::int32_t GetTransitionParam() const = 0;
  // The running transition's elapsed time; nothing when none runs.
  virtual void SetTransitionParam(std::int32_t elapsed) = 0;
  // Frees every object and makes two new empty layers of the same size.
  virtual void ResetScene() = 0;
};

// The installed script scene's services, or null when the scene offers none.
TScriptSceneServices* GetSceneServices();

// The fields of a property motion (component kind 26) that the PropMotion command sets.
class TScriptPropMotion {
 public:
  virtual ~TScriptPropMotion() = default;
  virtual void SetTargetName(const std::string& name) = 0;
  virtual void SetPropertyIndex(std::uint8_t index) = 0;
  virtual void SetTargetValue(long double value) = 0;
  virtual void SetMotionDuration(std::int32_t ms) = 0;
  virtual void SetEasingMode(std::uint8_t mode) = 0;
};

// A message window as the text commands drive it. The window reads a text command's document by
// (page name, command index) through FindTextDocument.
class TScriptMessageWindow {
 public:
  virtual ~TScriptMessageWindow() = default;
  // Whether the shown text counts towards the already-read registry (the window's source kind).
  virtual void SetReadTracking(bool flag) = 0;
  // The text command whose message is shown, for the already-read registry.
  virtual void SetReadSource(const std::string& page_name, std::int32_t command_index) = 0;
  // The two page-building values (the pack flag and the start offset).
  virtual void SetPageMode(std::uint8_t mode) = 0;
  virtual void SetPageStart(std::int32_t start) = 0;
  // The window's message data.
  virtual void ClearHistData() = 0;
  // Adds the message of that text command; the entry's other values start as none, 0, -1, 0.
  virtual void AddHistEntry(const std::string& page_name, std::int32_t command_index) = 0;
  // Lays out and shows the next page set.
  virtual void NextPage() = 0;
};

// The object as a message window, or null.
inline TScriptMessageWindow* AsMessageWindow(TScriptObject* object) {
  return dynamic_cast<TScriptMessageWindow*>(object);
}

// The message backlog.
class TScriptBacklog {
 public:
  virtual ~TScriptBacklog() = default;
  virtual void Clear() = 0;
  virtual std::int32_t TotalSize() const = 0;
  // Fills the window with entries first .. first + count - 1.
  virtual void ShowInWindow(std::int32_t first, std::int32_t count, TScriptObject& window) = 0;
  virtual std::int32_t GetMaxCount() const = 0;
  virtual void SetMaxCount(std::int32_t count) = 0;
};

// The registry of already-read text.
class TScriptReadList {
 public:
  virtual ~TScriptReadList() = default;
  virtual void Clear() = 0;
};

// Installed by the scene at start-up; null until then. Each setter returns the one set before.
TScriptBacklog* GetScriptBacklog();
TScriptBacklog* SetScriptBacklog(TScriptBacklog* backlog);
TScriptReadList* GetScriptReadList();
TScriptReadList* SetScriptReadList(TScriptReadList* list);

}  // namespace vorn

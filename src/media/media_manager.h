#pragma once

// A manager owns the items of one kind and pauses and resumes them together: around window
// deactivation, menus and moves, and when the scene switches sound off and on.

#include <memory>
#include <vector>

#include "media/media_item.h"
#include "media/vorn_library.h"

namespace vorn {

class TMediaManager {
 public:
  virtual ~TMediaManager();
  TMediaManager(const TMediaManager&) = delete;
  TMediaManager& operator=(const TMediaManager&) = delete;

  // Appends an item this manager owns and answers it.
  TDMediaItem* Append(std::unique_ptr<TDMediaItem> item);
  // Frees the item when it is in the list; anything else is left alone.
  void Remove(TDMediaItem* item);
  void PauseAll();
  void ResumeAll();
  void SetActive(bool active);

  bool active() const { return active_; }
  bool paused_all() const { return paused_all_; }
  const std::vector<std::unique_ptr<TDMediaItem>>& items() const { return items_; }
  bool Contains(const TDMediaItem* item) const;

 protected:
  // has_active_switch false: the video manager, which pauses and resumes whatever its state.
  explicit TMediaManager(bool has_active_switch = true) : has_active_switch_(has_active_switch) {}
  void FreeItems();

 private:
  bool Switched() const { return !has_active_switch_ || active_; }

  const bool has_active_switch_;
  bool active_ = true;
  bool paused_all_ = false;
  std::vector<std::unique_ptr<TDMediaItem>> items_;
};

// The managers whose items land with later work: their Add gives no item yet.
class TVideoManager final : public TMediaManager {
 public:
  TVideoManager() : TMediaManager(false) {}
  ~TVideoManager() override { FreeItems(); }
};

class TWmpManager final : public TMediaManager {
 public:
  explicit TWmpManager(TVornLibrary& library) : library_(library) {}
  ~TWmpManager() override { FreeItems(); }
  void Restore() { library_.vornWmpmanRestore(); }

 private:
  TVornLibrary& library_;
};

class TCddaManager final : public TMediaManager {
 public:
  ~TCddaManager() override { FreeItems(); }
  // The CD mixer line's volume around deactivation; nothing while no CD line is known.
  void ApplyVolume() {}
  void ReadVolume() {}
};

class TMidiManager final : public TMediaManager {
 public:
  ~TMidiManager() override { FreeItems(); }
};

// Items of MIDI music exist as a kind so fades and the sound component can tell them apart.
class TMidiItem : public TDMediaItem {
 public:
  using TDMediaItem::TDMediaItem;
};

}  // namespace vorn

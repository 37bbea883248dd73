#pragma once

// The virtual file manager's two helpers: a cache of recently loaded files (most recently used
// first, bounded to 4 MiB when a name is added) and the locks of members extracted to temporary
// files, which name those files and queue them for deletion when they are freed.

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/stream.h"

namespace vorn {

struct TVrCache {
  std::string name;  // upper-cased
  TMemoryStream data;
};

class TVrCacheList {
 public:
  static constexpr std::int64_t kCapacityBytes = 0x400000;

  // The entry of the name (folded to upper case), moved to the front; else a new empty entry at
  // the front, after which the oldest entries are freed while more than one is left and the
  // total is above the capacity.
  TVrCache& Find(std::string_view name);
  void Drop(TVrCache& entry);
  void Remove(std::string_view name);
  std::int64_t TotalSize() const;
  int Count() const { return static_cast<int>(entries_.size()); }
  // Entries from the most recently used on.
  const std::list<TVrCache>& Entries() const { return entries_; }
  void Clear() { entries_.clear(); }

 private:
  std::list<TVrCache> entries_;
};

struct TVrLockData {
  std::string name;
  int id = 0;
  int lock_count = 1;
  int hold_time = 0;  // milliseconds left before a released lock is freed
  std::string temp_dir;

  // temp_dir + "~vo" + id as 8 upper-case hex digits + the member's extension with its dot.
  std::string TempFileName() const;
};

class TVrLockList {
 public:
  // Receives the temporary file name of every lock that is freed.
  using FreedEvent = std::function<void(const std::string& temp_file_name)>;

  explicit TVrLockList(FreedEvent on_freed = {}) : on_freed_(std::move(on_freed)) {}
  ~TVrLockList() { Clear(); }
  TVrLockList(const TVrLockList&) = delete;
  TVrLockList& operator=(const TVrLockList&) = delete;

  void SetTempDir(std::string dir) { temp_dir_ = std::move(dir); }
  const std::string& TempDir() const { return temp_dir_; }

  TVrLockData& NewLock(std::string_view name);
  // The active lock of that member name, compared case-sensitively; -1 when none.
  int IndexOfName(std::string_view name) const;
  TVrLockData* GetLock(int index) const;
  int Count() const { return static_cast<int>(active_.size()); }
  int ReleasedCount() const { return static_cast<int>(released_.size()); }

  // Moves an active lock to the released list; it is freed after hold_ms of frames. Nothing in
  // the player releases a lock today: extracted files stay until exit.
  void Release(int index, int hold_ms);
  // Drops an active lock at once (a failed extraction), without queueing its file.
  void Abandon(int index);
  // Counts the released locks down by the last frame's duration and frees those run out.
  void Tick(int frame_ms);
  void Clear();

 private:
  void Free(std::unique_ptr<TVrLockData> lock);

  FreedEvent on_freed_;
  std::string temp_dir_;
  std::vector<std::unique_ptr<TVrLockData>> active_;
  std::vector<std::unique_ptr<TVrLockData>> released_;
  int next_id_ = 0;
};

}  // namespace vorn

#pragma once

#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace vorn::platform {

// Held for the program's life; releasing it lets the next player on the same key start.
class InstanceLock {
 public:
  virtual ~InstanceLock() = default;
};

enum class LockOutcome { kAcquired, kHeldElsewhere, kNotCreatable };

struct LockResult {
  LockOutcome outcome = LockOutcome::kNotCreatable;
  std::unique_ptr<InstanceLock> lock;  // set only when acquired
  std::string diagnostic;              // why it could not be created
};

// Named instance locks: at most one holder per key across processes.
class InstanceLocks {
 public:
  virtual ~InstanceLocks() = default;
  virtual LockResult Acquire(const std::string& key) = 0;
};

// The file name that stands for a key: bytes outside [A-Za-z0-9._-] as %XX; a key too long for a
// file name is replaced by a hash of it, so every key still gets a lock.
std::string LockFileName(const std::string& key);

// open + flock(LOCK_EX | LOCK_NB) on <dir>/vornplayer-<key>.lock. The flock is atomic, so of two
// players started at the same moment exactly one wins.
class FileInstanceLocks final : public InstanceLocks {
 public:
  // dir empty: $XDG_RUNTIME_DIR, else /tmp/vornplayer-<uid> (created 0700; a shared /tmp folder
  // would let another user's file lock us out).
  explicit FileInstanceLocks(std::string dir = std::string());
  LockResult Acquire(const std::string& key) override;

 private:
  std::string dir_;
};

// Headless: a process-wide set of held names.
class HeadlessInstanceLocks final : public InstanceLocks {
 public:
  LockResult Acquire(const std::string& key) override;
};

}  // namespace vorn::platform

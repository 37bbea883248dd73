#include "platform/instance_lock.h"

#include <cstdint>
#include <cstdio>

namespace vorn::platform {
namespace {

constexpr std::size_t kMaxFileNameBytes = 255;
constexpr const char* kLockPrefix = "vornplayer-";
constexpr const char* kLockSuffix = ".lock";

bool KeptAsIs(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '_' || c == '-';
}

std::uint64_t Fnv1a64(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

std::mutex& HeadlessMutex() {
  static std::mutex mutex;
  return mutex;
}

std::set<std::string>& HeadlessNames() {
  static std::set<std::string> names;
  return names;
}

class HeadlessLock final : public InstanceLock {
 public:
  explicit HeadlessLock(std::string key) : key_(std::move(key)) {}
  ~HeadlessLock() override {
    std::lock_guard<std::mutex> guard(HeadlessMutex());
    HeadlessNames().erase(key_);
  }

 private:
  std::string key_;
};

}  // namespace

std::string LockFileName(const std::string& key) {
  std::string encoded;
  for (unsigned char c : key) {
    if (KeptAsIs(c)) {
      encoded += static_cast<char>(c);
    } else {
      char escape[4];
      std::snprintf(escape, sizeof escape, "%%%02X", c);
      encoded += escape;
    }
  }
  std::string name = kLockPrefix + encoded + kLockSuffix;
  if (name.size() > kMaxFileNameBytes || key.empty()) {
    char hashed[32];
    std::snprintf(hashed, sizeof hashed, "h%016llx", static_cast<unsigned long long>(Fnv1a64(key)));
    name = kLockPrefix + std::string(hashed) + kLockSuffix;
  }
  return name;
}

LockResult HeadlessInstanceLocks::Acquire(const std::string& key) {
  std::lock_guard<std::mutex> guard(HeadlessMutex());
  LockResult result;
  if (!HeadlessNames().insert(key).second) {
    result.outcome = LockOutcome::kHeldElsewhere;
    return result;
  }
  result.outcome = LockOutcome::kAcquired;
  result.lock = std::make_unique<HeadlessLock>(key);
  return result;
}

}  // namespace vorn::platform

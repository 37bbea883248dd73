#pragma once

#include <string>
#include <vector>

namespace vorn::platform {

// Opens a web or FTP address in the desktop's chosen program. Nothing reports whether the page
// was shown: the browser starts on its own time and may ask the user first.
class UrlOpener {
 public:
  virtual ~UrlOpener() = default;
  // The address as UTF-8.
  virtual void Open(const std::string& url) = 0;
};

// The desktop's xdg-open, found on PATH and started as a program of its own with the address as
// its only argument (never through a shell, so quotes and ";" stay part of the address). It is
// not waited for, since xdg-open may stay until the browser closes; children that have ended are
// collected at each later call and when the opener goes. Without a display (neither DISPLAY nor
// WAYLAND_DISPLAY set) nothing is started.
class XdgUrlOpener final : public UrlOpener {
 public:
  XdgUrlOpener() = default;
  ~XdgUrlOpener() override;
  XdgUrlOpener(const XdgUrlOpener&) = delete;
  XdgUrlOpener& operator=(const XdgUrlOpener&) = delete;

  void Open(const std::string& url) override;
  // Collects the started children that have ended; answers how many are still running.
  std::size_t Reap();

 private:
  std::vector<int> running_;
};

// Headless: records each address and opens nothing.
class RecordingUrlOpener final : public UrlOpener {
 public:
  void Open(const std::string& url) override { urls.push_back(url); }
  std::vector<std::string> urls;
};

}  // namespace vorn::platform

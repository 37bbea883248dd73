#pragma once

#include <string>
#include <vector>

namespace vorn::platform {

// The desktop wallpaper. Style 0 centred, 1 tiled, anything else stretched. Answers whether the
// picture really became the wallpaper: never true for a call that had no effect.
class Wallpaper {
 public:
  virtual ~Wallpaper() = default;
  virtual bool Set(const std::string& host_path, int style) = 0;
  // Where the player keeps the bitmap it makes the wallpaper (host path); empty when there is no
  // such place, and then no wallpaper is set.
  virtual std::string PicturePath() const;
};

// "vornwall.bmp" in the user's data directory: $XDG_DATA_HOME when it is an absolute path, else
// $HOME/.local/share; empty without either.
std::string DefaultWallpaperPath();

// GNOME's settings through the gsettings tool (picture URI, its dark-mode twin and the picture
// options); false when the tool or the GNOME schema is not there.
class GsettingsWallpaper final : public Wallpaper {
 public:
  bool Set(const std::string& host_path, int style) override;
  // Whether the gsettings tool knows the GNOME background schema.
  static bool Available();
};

// The feh image viewer's root-window background (window managers without a desktop of their
// own); false when feh is missing or fails.
class FehWallpaper final : public Wallpaper {
 public:
  bool Set(const std::string& host_path, int style) override;
};

// The real desktop: GNOME's settings when its schema exists, else feh. Without a display (neither
// DISPLAY nor WAYLAND_DISPLAY set) there is no desktop and nothing is tried. Desktops that offer
// neither (KDE Plasma, Xfce, most Wayland compositors) answer false.
class DesktopWallpaper final : public Wallpaper {
 public:
  bool Set(const std::string& host_path, int style) override;
};

// Headless: records each call and answers as told. It has no picture path until a test gives it
// one, so a headless run writes no file into the user's data directory.
class RecordingWallpaper final : public Wallpaper {
 public:
  struct Call {
    std::string path;
    int style = 0;
  };
  bool Set(const std::string& host_path, int style) override {
    calls_.push_back(Call{host_path, style});
    return answer_;
  }
  std::string PicturePath() const override { return picture_path_; }
  void set_answer(bool answer) { answer_ = answer; }
  void set_picture_path(std::string path) { picture_path_ = std::move(path); }
  const std::vector<Call>& calls() const { return calls_; }

 private:
  bool answer_ = false;
  std::string picture_path_;
  std::vector<Call> calls_;
};

// The file URI of an absolute host path, with reserved bytes percent-encoded.
std::string FileUri(const std::string& host_path);

}  // namespace vorn::platform

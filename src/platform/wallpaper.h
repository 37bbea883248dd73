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
};

// GNOME's settings through the gsettings tool (picture URI and picture options); false when the
// tool or the GNOME schema is not there.
class GsettingsWallpaper final : public Wallpaper {
 public:
  bool Set(const std::string& host_path, int style) override;
};

// Headless: records each call and answers as told.
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
  void set_answer(bool answer) { answer_ = answer; }
  const std::vector<Call>& calls() const { return calls_; }

 private:
  bool answer_ = false;
  std::vector<Call> calls_;
};

// The file URI of an absolute host path, with reserved bytes percent-encoded.
std::string FileUri(const std::string& host_path);

}  // namespace vorn::platform

#pragma once

#include "platform/clipboard.h"

namespace vorn::platform::sdl {

// Text goes through the desktop's clipboard (UTF-8 with LF line breaks there, CP932 with CR LF
// here); every other format stays in the process.
class SdlClipboard final : public IClipboard {
 public:
  void SetData(std::uint32_t format, std::vector<std::uint8_t> bytes) override;
  std::optional<std::vector<std::uint8_t>> GetData(std::uint32_t format) const override;
  bool HasFormat(std::uint32_t format) const override;
  void Clear() override;

 private:
  InProcessClipboard others_;
};

}  // namespace vorn::platform::sdl

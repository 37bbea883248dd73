#pragma once

// The clipboard: bytes by format number. The host clipboard of SDL carries only text, so picture
// formats stay in an in-process store in every back end.

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace vorn::platform {

constexpr std::uint32_t kClipboardFormatText = 1;  // CF_TEXT: CP932 bytes, CR LF line breaks
constexpr std::uint32_t kClipboardFormatDIB = 8;   // CF_DIB: a packed DIB

class IClipboard {
 public:
  virtual ~IClipboard() = default;
  virtual void SetData(std::uint32_t format, std::vector<std::uint8_t> bytes) = 0;
  virtual std::optional<std::vector<std::uint8_t>> GetData(std::uint32_t format) const = 0;
  virtual bool HasFormat(std::uint32_t format) const = 0;
  virtual void Clear() = 0;
};

class InProcessClipboard : public IClipboard {
 public:
  void SetData(std::uint32_t format, std::vector<std::uint8_t> bytes) override { data_[format] = std::move(bytes); }
  std::optional<std::vector<std::uint8_t>> GetData(std::uint32_t format) const override {
    const auto it = data_.find(format);
    if (it == data_.end()) return std::nullopt;
    return it->second;
  }
  bool HasFormat(std::uint32_t format) const override { return data_.count(format) != 0; }
  void Clear() override { data_.clear(); }

 private:
  std::map<std::uint32_t, std::vector<std::uint8_t>> data_;
};

}  // namespace vorn::platform

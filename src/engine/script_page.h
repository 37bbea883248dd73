#pragma once

// A script page: the commands of one compiled page file, and the property masks its component
// commands read their property expressions by.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/command.h"
#include "foundation/stream.h"

namespace vorn {

inline constexpr std::int32_t kNewestPageVersion = 110;
inline constexpr std::int32_t kOldestPageVersion = 103;
inline constexpr int kMaskRows = 61;
inline constexpr int kMaskRowBytes = 21;
// Property indices above this never select an expression, whatever the mask holds.
inline constexpr int kLastMaskProperty = 161;

using TComList = std::vector<std::unique_ptr<TCommand>>;

class TPage {
 public:
  TPage() = default;
  // Also frees the page-bound variable (0x01 + page name) when there is one.
  ~TPage();
  TPage(const TPage&) = delete;
  TPage& operator=(const TPage&) = delete;

  // Loads the page file through the script file source. A read error names the page.
  void LoadPage(const std::string& name);
  // Loads from bytes already in memory (the name is kept for lookups and messages).
  void LoadFromBytes(const std::string& name, std::vector<std::uint8_t> bytes);

  const std::string& GetName() const { return name_; }
  std::int32_t Version() const { return version_; }
  std::uint8_t ResultType() const { return result_type_; }
  int Count() const { return static_cast<int>(commands_.size()); }
  TCommand* GetCommand(int index) const { return commands_.at(static_cast<std::size_t>(index)).get(); }
  bool Contains(std::int32_t index) const { return index >= 0 && index < Count(); }
  int IndexOf(const TCommand* command) const;
  int IndexOfLabel(std::string_view name) const;
  // Property p of command code c (p 0..161).
  bool MaskHas(int code, int property) const;
  const std::array<std::uint8_t, kMaskRows * kMaskRowBytes>& Masks() const { return masks_; }

  // For pages built in memory (tests, tools).
  void SetName(std::string name) { name_ = std::move(name); }
  void AddCommand(std::unique_ptr<TCommand> command) { commands_.push_back(std::move(command)); }

 private:
  void ReadBody(TStream& stream);
  void ReportOldVersion();

  std::string name_;
  std::int32_t version_ = kNewestPageVersion;
  std::uint8_t result_type_ = 1;
  std::array<std::uint8_t, kMaskRows * kMaskRowBytes> masks_{};
  TComList commands_;
};

}  // namespace vorn

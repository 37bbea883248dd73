#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/stream.h"

namespace vorn {

// Which disc of a multi-disc project holds a file or folder. Stored as an int32 count, then per
// entry the name (stream encoding) and an int32 disc number.
class TFolderDiskList {
 public:
  struct Entry {
    std::string name;
    std::int32_t disc = 0;
    friend bool operator==(const Entry&, const Entry&) = default;
  };

  void AddDisk(std::string_view name, std::int32_t disc) { entries_.push_back(Entry{std::string(name), disc}); }
  // Names match when equal with a trailing delimiter each, ignoring case; -1 when none.
  int IndexOfName(std::string_view name) const;
  // The disc of the nearest listed folder of name (or of name itself); 0 when none is listed.
  std::int32_t GetDisk(std::string_view name) const;
  int Count() const { return static_cast<int>(entries_.size()); }
  const Entry& Item(int index) const;
  void Clear() { entries_.clear(); }
  const std::vector<Entry>& Entries() const { return entries_; }

  void SaveToStream(TStream& stream) const;
  // Clears, then reads; raises EReadError when the data ends early (nothing is allocated for a
  // count the bytes left cannot hold).
  void LoadFromStream(TStream& stream);

 private:
  std::vector<Entry> entries_;
};

}  // namespace vorn

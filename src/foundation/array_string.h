#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/stream.h"

namespace vorn {

// The list of strings passed as event and call arguments and kept in saved games.
// Stored as an int32 count, then each string in the stream encoding.
class TArrayString {
 public:
  void Add(std::string_view text) { items_.emplace_back(text); }
  void Clear() { items_.clear(); }
  int GetCount() const { return static_cast<int>(items_.size()); }
  int Count() const { return GetCount(); }
  const std::string& Get(int index) const;
  const std::string& operator[](int index) const { return Get(index); }
  void Set(int index, std::string_view text);
  void Assign(const TArrayString& other) { items_ = other.items_; }
  const std::vector<std::string>& Items() const { return items_; }

  void SaveToStream(TStream& stream) const;
  // Empties the array, then reads. Raises EReadError when the stream ends early or the count
  // cannot fit in the bytes left (nothing is allocated for it).
  void LoadFromStream(TStream& stream);
  // The lenient form for files that may end early: keeps the strings read before the end and
  // answers false when the data stopped short.
  bool TryLoadFromStream(TStream& stream);

  friend bool operator==(const TArrayString&, const TArrayString&) = default;

 private:
  std::vector<std::string> items_;
};

}  // namespace vorn

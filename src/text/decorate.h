#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>

namespace vorn {

// The ten style values of a character, in record order. -1 colours and widths, size 0 and an
// empty face mean "the document's value".
struct TDecorateValues {
  std::int32_t color = -1;
  std::int32_t border_color = -1;
  std::int32_t shadow_color = -1;
  std::int32_t size = 0;
  std::uint8_t style = 0;
  std::string face;
  std::uint8_t no_break = 0;
  std::string ruby;
  std::int32_t border = 0;
  std::int32_t shadow = 0;

  friend bool operator==(const TDecorateValues&, const TDecorateValues&) = default;
};

struct TDecorateValuesHash {
  std::size_t operator()(const TDecorateValues& v) const;
};

// A shared style record; `count` is how many glyphs refer to it.
struct TDecorate {
  std::int32_t count = 0;
  TDecorateValues values;

 private:
  friend class TDecorateList;
  std::list<TDecorate>::iterator self_;
};

// The document's style records in creation order. A page of text in one style shares one record,
// and every ruby text makes a record of its own, so records are found through an index on their
// values rather than by walking the list.
class TDecorateList {
 public:
  TDecorateList() = default;
  TDecorateList(const TDecorateList&) = delete;
  TDecorateList& operator=(const TDecorateList&) = delete;

  // The first record holding exactly these values, its count raised; else a new record (count 1)
  // appended.
  TDecorate* Acquire(const TDecorateValues& values);
  // Lowers the count; the record is freed at 0. Null is ignored.
  void Release(TDecorate* record);
  // Moves a holder onto a record with the new values, leaving the other holders of its old
  // record where they are.
  void Change(TDecorate*& holder, const TDecorateValues& values);
  // Appends a record as a stored table gives it, with its stored count, even when an equal record
  // exists already.
  TDecorate* Append(const TDecorateValues& values, std::int32_t count);
  // Raises the count of a record of this list.
  void Hold(TDecorate* record) { ++record->count; }
  void Clear();
  // The record's position in list order; -1 when it is not in the list.
  int IndexOf(const TDecorate* record) const;

  int Count() const { return static_cast<int>(records_.size()); }
  std::list<TDecorate>::const_iterator begin() const { return records_.begin(); }
  std::list<TDecorate>::const_iterator end() const { return records_.end(); }

 private:
  TDecorate* NewRecord(const TDecorateValues& values, std::int32_t count);
  void Unindex(TDecorate* record);
  void Erase(TDecorate* record);

  std::list<TDecorate> records_;
  // The first record (in list order) for each set of values.
  std::unordered_map<TDecorateValues, TDecorate*, TDecorateValuesHash> index_;
  // Records that share their values with an earlier one (only stored tables make them).
  int duplicates_ = 0;
};

}  // namespace vorn

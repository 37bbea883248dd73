#pragma once

#include <vector>

#include "foundation/rect.h"

namespace vorn {

// The dirty rectangles of a screen layer. Rectangles within 20 pixels of each other merge into
// their union, so a frame redraws a few larger areas rather than many small ones.
class TClipList {
 public:
  static constexpr int kNearPixels = 20;

  // Ignores an empty r and one a stored rectangle already contains (the changed flag stays as
  // it is); merges r with each near rectangle in turn, else appends it.
  void AddRect(const TRect& r);
  const TRect& GetRect(int index) const;
  int Count() const { return static_cast<int>(rects_.size()); }
  void Delete(int index);
  void Clear();
  const std::vector<TRect>& Rects() const { return rects_; }

  // Set by every addition, removal and clearing; the users reset it.
  bool Changed() const { return changed_; }
  void SetChanged(bool changed) { changed_ = changed; }

 private:
  std::vector<TRect> rects_;
  bool changed_ = false;
};

}  // namespace vorn

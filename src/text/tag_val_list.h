#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "text/text_values.h"

namespace vorn {

// A stack that answers its default while empty; popping an empty stack does nothing.
template <class T>
class TValStack {
 public:
  explicit TValStack(T fallback) : fallback_(std::move(fallback)) {}
  void Push(T value) { items_.push_back(std::move(value)); }
  void Pop() {
    if (!items_.empty()) items_.pop_back();
  }
  const T& Top() const { return items_.empty() ? fallback_ : items_.back(); }
  std::size_t Depth() const { return items_.size(); }

 private:
  T fallback_;
  std::vector<T> items_;
};

using TIntStack = TValStack<std::int32_t>;
using TStrStack = TValStack<std::string>;
using TAlignStack = TValStack<std::uint8_t>;

// The style state while markup is turned into glyphs.
struct TTagValList {
  explicit TTagValList(std::int32_t default_wait) : wait(default_wait) {}

  TIntStack size{0};
  TIntStack color{-1};
  TIntStack border_color{-1};
  TIntStack shadow_color{-1};
  TStrStack face{std::string()};
  TAlignStack align{kAlignLeft};
  TIntStack wait;
  TIntStack border{-1};
  TIntStack shadow{-1};
  std::uint8_t style = 0;
  bool no_break = false;
  std::string ruby;
  std::string link;
};

}  // namespace vorn

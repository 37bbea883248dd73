#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "graphics/custom_dibx.h"
#include "transitions/moving_wipes.h"
#include "transitions/wipe_math.h"

namespace vorn {

namespace {

constexpr double kPi = std::numbers::pi;

// The turn of slat `index` of `count`: slats start a quarter turn apart over the run, and turn
// until e reaches a half turn.
double SlatAngle(double phi, int index, int count) {
  return phi - (static_cast<double>(index) / count) * (kPi / 2);
}

double TurnOf(std::int64_t elapsed, std::int32_t total) {
  return static_cast<double>(elapsed) * (3 * kPi / 2) / total;
}

}  // namespace

bool TWipeTwistH::Draw() {
  if (!BeginFrame()) return true;
  TCustomDIBX& target = Target();
  const int width = target.GetWidth(), height = target.GetHeight();
  const double phi = TurnOf(Elapsed(), Total);
  const bool reversed = Reversed();
  int finished = -1;
  for (int r = 0; r < height; ++r) {
    const int y = reversed ? height - r - 1 : r;
    const double e = SlatAngle(phi, r, height);
    if (e < 0) continue;
    if (e >= kPi) {
      finished = y;
      continue;
    }
    const TRect row{0, y, width, y + 1};
    target.FillRect(row, 0);
    const std::int32_t w = RoundToInt32(std::cos(e) * width);
    if (w > 0) {
      const int left = (width - w) / 2;
      target.StretchDraw(TRect{left, y, left + w, y + 1}, From(), row, false, false, false, 255);
    } else if (w < 0) {
      const int left = (width + w) / 2;
      target.StretchDraw(TRect{left, y, left - w, y + 1}, To(), row, false, false, false, 255);
    }
  }
  if (finished >= 0) {
    const TRect done = reversed ? TRect{0, finished, width, height} : TRect{0, 0, width, finished + 1};
    target.DrawRect(done.left, done.top, To(), done, false, false, false);
  }
  return false;
}

bool TWipeTwistV::Draw() {
  if (!BeginFrame()) return true;
  TCustomDIBX& target = Target();
  const int width = target.GetWidth(), height = target.GetHeight();
  const double phi = TurnOf(Elapsed(), Total);
  const bool reversed = Reversed();
  // Per column: whether it is turning, and its scaled height.
  std::vector<char> turning(static_cast<std::size_t>(std::max(width, 0)), 0);
  std::vector<std::int32_t> scaled(turning.size(), 0);
  int finished = -1;
  for (int c = 0; c < width; ++c) {
    const int x = reversed ? width - c - 1 : c;
    const double e = SlatAngle(phi, c, width);
    if (e < 0) continue;
    if (e >= kPi) {
      finished = x;
      continue;
    }
    turning[static_cast<std::size_t>(x)] = 1;
    scaled[static_cast<std::size_t>(x)] = RoundToInt32(std::cos(e) * height);
  }
  // Neighbouring columns of one height go as one block.
  for (int x = 0; x < width;) {
    if (!turning[static_cast<std::size_t>(x)]) {
      ++x;
      continue;
    }
    const std::int32_t h = scaled[static_cast<std::size_t>(x)];
    int end = x + 1;
    while (end < width && turning[static_cast<std::size_t>(end)] && scaled[static_cast<std::size_t>(end)] == h) ++end;
    const TRect columns{x, 0, end, height};
    target.FillRect(columns, 0);
    if (h > 0) {
      const int top = (height - h) / 2;
      target.StretchDraw(TRect{x, top, end, top + h}, From(), columns, false, false, false, 255);
    } else if (h < 0) {
      const int top = (height + h) / 2;
      target.StretchDraw(TRect{x, top, end, top - h}, To(), columns, false, false, false, 255);
    }
    x = end;
  }
  if (finished >= 0) {
    const TRect done = reversed ? TRect{finished, 0, width, height} : TRect{0, 0, finished + 1, height};
    target.DrawRect(done.left, done.top, To(), done, false, false, false);
  }
  return false;
}

}  // namespace vorn

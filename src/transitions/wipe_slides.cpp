#include <algorithm>
#include <cmath>
#include <cstdint>

#include "graphics/custom_dibx.h"
#include "transitions/moving_wipes.h"
#include "transitions/wipe_math.h"

namespace vorn {

namespace {

// The effects below run along one axis: columns for the H kinds, rows for the V kinds. A span
// a0..a1 on the axis becomes the full-height (full-width) strip of the target.
struct Axis {
  bool vertical;
  std::int32_t length;  // W or H
  std::int32_t across;  // H or W

  TRect Strip(std::int64_t a0, std::int64_t a1) const {
    const std::int32_t s = SaturateToInt32(a0), e = SaturateToInt32(a1);
    return vertical ? TRect{0, s, across, e} : TRect{s, 0, e, across};
  }
  void Copy(TCustomDIBX& target, TCustomDIBX& page, std::int64_t a0, std::int64_t a1) const {
    const TRect strip = Strip(a0, a1);
    target.DrawRect(strip.left, strip.top, page, strip, false, false, false);
  }
  void CopyAt(TCustomDIBX& target, TCustomDIBX& page, std::int64_t offset) const {
    const std::int32_t at = SaturateToInt32(offset);
    target.DrawRect(vertical ? 0 : at, vertical ? at : 0, page, Strip(0, length), false, false, false);
  }
  void Stretch(TCustomDIBX& target, TCustomDIBX& page, std::int64_t from0, std::int64_t from1,
               std::int64_t to0, std::int64_t to1) const {
    target.StretchDraw(Strip(to0, to1), page, Strip(from0, from1), false, false, false, 255);
  }
};

Axis AxisOf(TCustomDIBX& target, bool vertical) {
  return vertical ? Axis{true, target.GetHeight(), target.GetWidth()}
                  : Axis{false, target.GetWidth(), target.GetHeight()};
}

void DrawScroll(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to, const Axis& axis,
                std::int64_t d, bool reversed) {
  if (reversed) {
    axis.CopyAt(target, from, d);
    axis.CopyAt(target, to, d - axis.length);
  } else {
    axis.CopyAt(target, from, -d);
    axis.CopyAt(target, to, axis.length - d);
  }
}

// The sudare's and the rubber's common step: the page of the half, its edge position b, and the
// stretched source span, which the caller chooses.
struct SmearStep {
  TCustomDIBX* page;
  std::int64_t b, c, g;
};

SmearStep SmearOf(TCustomDIBX& from, TCustomDIBX& to, std::int64_t length, std::int64_t b) {
  SmearStep step{&from, b, 0, 0};
  if (b >= length) {
    step.page = &to;
    step.b = 2 * length - b - 1;
  }
  step.c = length - step.b - 1;
  step.g = step.b + 1;
  return step;
}

// Stretches the source span over the smeared part and copies the rest of the page in place.
void DrawSmear(TCustomDIBX& target, const Axis& axis, const SmearStep& step, bool reversed,
               std::int64_t source0, std::int64_t source1) {
  const std::int64_t length = axis.length;
  if (reversed) {
    axis.Stretch(target, *step.page, source0, source1, step.c, length);
    if (step.g < length) axis.Copy(target, *step.page, 0, step.c);
  } else {
    axis.Stretch(target, *step.page, source0, source1, 0, step.b + 1);
    if (step.g < length) axis.Copy(target, *step.page, step.g, length);
  }
}

}  // namespace

bool TWipeScrollH::Draw() {
  if (!BeginFrame()) return true;
  const Axis axis = AxisOf(Target(), false);
  DrawScroll(Target(), From(), To(), axis, ScaledProgress(axis.length), Reversed());
  return false;
}

bool TWipeScrollV::Draw() {
  if (!BeginFrame()) return true;
  const Axis axis = AxisOf(Target(), true);
  DrawScroll(Target(), From(), To(), axis, ScaledProgress(axis.length), Reversed());
  return false;
}

namespace {

void DrawSudare(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to,
                bool vertical, bool reversed, std::int64_t b) {
  const Axis axis = AxisOf(target, vertical);
  if (axis.length <= 0) return;
  const SmearStep step = SmearOf(from, to, axis.length, b);
  const std::int64_t edge = reversed ? step.c : step.b;
  DrawSmear(target, axis, step, reversed, edge, edge + 1);
}

// The strip narrows towards the midpoint of the run: m = |t − T/2| / (T/2).
void DrawRubber(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to, bool vertical,
                bool reversed, std::int64_t b, double m) {
  const Axis axis = AxisOf(target, vertical);
  if (axis.length <= 0) return;
  const SmearStep step = SmearOf(from, to, axis.length, b);
  if (reversed) {
    const std::int64_t s = std::max(1, RoundToInt32(m * static_cast<double>(step.g) / 2));
    DrawSmear(target, axis, step, true, step.c, step.c + s);
  } else {
    const std::int64_t s = std::max(1, RoundToInt32(m * static_cast<double>(step.b) / 2));
    const std::int64_t first = std::max<std::int64_t>(0, step.b - s);
    DrawSmear(target, axis, step, false, first, first + s);
  }
}

double MidpointDistance(std::int64_t t, std::int32_t total) {
  const double half = total / 2.0;
  return std::fabs(static_cast<double>(t) - half) / half;
}

}  // namespace

bool TWipeSudareH::Draw() {
  if (!BeginFrame()) return true;
  const std::int64_t w = Target().GetWidth();
  DrawSudare(Target(), From(), To(), false, Reversed(), ScaledProgress(std::max<std::int64_t>(0, 2 * w - 1)));
  return false;
}

bool TWipeSudareV::Draw() {
  if (!BeginFrame()) return true;
  const std::int64_t h = Target().GetHeight();
  DrawSudare(Target(), From(), To(), true, Reversed(), ScaledProgress(std::max<std::int64_t>(0, 2 * h - 1)));
  return false;
}

bool TWipeRubberH::Draw() {
  if (!BeginFrame()) return true;
  const std::int64_t w = Target().GetWidth();
  DrawRubber(Target(), From(), To(), false, Reversed(), ScaledProgress(std::max<std::int64_t>(0, 2 * w - 1)),
             MidpointDistance(Elapsed(), Total));
  return false;
}

bool TWipeRubberV::Draw() {
  if (!BeginFrame()) return true;
  const std::int64_t h = Target().GetHeight();
  DrawRubber(Target(), From(), To(), true, Reversed(), ScaledProgress(std::max<std::int64_t>(0, 2 * h - 1)),
             MidpointDistance(Elapsed(), Total));
  return false;
}

}  // namespace vorn

#include "toolstrip/strip_colors.h"

namespace vorn {
namespace {

platform::FaceColors& Current() {
  static platform::FaceColors colors = platform::kFaceColors;
  return colors;
}

}  // namespace

const platform::FaceColors& StripColors() { return Current(); }
void SetStripColorsForTest(const platform::FaceColors& colors) { Current() = colors; }
void ResetStripColorsForTest() { Current() = platform::kFaceColors; }

}  // namespace vorn

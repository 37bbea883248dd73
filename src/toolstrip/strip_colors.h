#pragma once

#include "platform/face_colors.h"

namespace vorn {

// The face colours the strip draws with: the host's table, which a test may swap to see what a
// change of the desktop's colours does (the table itself never changes at run time).
const platform::FaceColors& StripColors();
void SetStripColorsForTest(const platform::FaceColors& colors);
void ResetStripColorsForTest();

}  // namespace vorn

#include "text/wd_image_source.h"

namespace vorn {

namespace {
TWdImageSource* g_image_source = nullptr;
}

TWdImageSource* WdImageSource() { return g_image_source; }

TWdImageSource* SetWdImageSource(TWdImageSource* source) {
  TWdImageSource* previous = g_image_source;
  g_image_source = source;
  return previous;
}

}  // namespace vorn

#include "platform/icon_chooser.h"

namespace vorn::platform {

int HeadlessIconChooser::Choose(const IconChooserRequest& request) {
  ++shown_;
  caption_ = request.caption;
  rows_ = request.rows;
  const int count = static_cast<int>(request.rows.size());
  if (count == 0) return 0;
  if (request.preview) previews_.emplace_back(0, request.preview(0));
  const int row = preset_ >= 0 && preset_ < count ? preset_ : 0;
  if (row != 0 && request.preview) previews_.emplace_back(row, request.preview(row));
  return row;
}

namespace {
IconChooser* installed = nullptr;
}  // namespace

IconChooser& CurrentIconChooser() {
  static HeadlessIconChooser fallback;
  return installed ? *installed : fallback;
}

void SetIconChooser(IconChooser* chooser) { installed = chooser; }

}  // namespace vorn::platform

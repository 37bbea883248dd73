#pragma once

// The dialog that lets the user pick one image of an icon or cursor file holding several: a list
// of row texts and a picture preview of the selected row.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vorn::platform {

// A preview picture: rows of red, green, blue bytes from the top.
struct IconPreview {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

struct IconChooserRequest {
  std::string caption;            // CP932
  std::vector<std::string> rows;  // CP932, one per image
  // Renders the preview of a row; a back end that shows none need not call it.
  std::function<IconPreview(int row)> preview;
};

class IconChooser {
 public:
  virtual ~IconChooser() = default;
  // The row selected when the dialog closes (0 when nothing else was picked).
  virtual int Choose(const IconChooserRequest& request) = 0;
};

// Headless: answers a preset row and records what a user would have seen. The first row is
// previewed as the dialog opens, then the preset row as if it had been clicked.
class HeadlessIconChooser final : public IconChooser {
 public:
  int Choose(const IconChooserRequest& request) override;

  void Preset(int row) { preset_ = row; }
  const std::string& caption() const { return caption_; }
  const std::vector<std::string>& rows() const { return rows_; }
  // Every preview rendered, with the row it belongs to.
  const std::vector<std::pair<int, IconPreview>>& previews() const { return previews_; }
  int shown() const { return shown_; }

 private:
  int preset_ = 0;
  int shown_ = 0;
  std::string caption_;
  std::vector<std::string> rows_;
  std::vector<std::pair<int, IconPreview>> previews_;
};

// The chooser the icon reader uses; a headless one until a back end installs its own.
IconChooser& CurrentIconChooser();
// nullptr goes back to the built-in headless chooser. The caller keeps ownership.
void SetIconChooser(IconChooser* chooser);

}  // namespace vorn::platform

#pragma once

#include <memory>
#include <string>

#include "platform/dialog.h"
#include "platform/platform.h"

namespace vorn {

// The settings dialog of "/config": edits the sound options in game.ini beside the executable.
// No main window and no engine exist while it runs.
class TFormConfig final : public platform::EventSink {
 public:
  static constexpr int kClientWidth = 270;
  static constexpr int kClientHeight = 179;

  // text may be null (no font: controls without captions).
  TFormConfig(platform::Platform& platform, std::string ini_path, platform::TextRenderer* text);
  ~TFormConfig() override;
  TFormConfig(const TFormConfig&) = delete;
  TFormConfig& operator=(const TFormConfig&) = delete;

  void FormCreate();
  // Opens the dialog's window centred on the desktop, with the focus on the first control.
  void Show();
  bool running() const { return running_; }

  void CheckSoundClick();
  void TrackBuffChange();
  void btnOKClick();
  void btnCancelClick();
  void FormClose();

  void HandleEvent(const platform::Event& event) override;
  bool Idle() override { return true; }

  platform::Dialog& dialog() { return dialog_; }
  platform::Window* window() { return window_.get(); }
  void Repaint();

  // Control indices.
  int Bevel = -1;
  int CheckSound = -1;
  int LabelBuff = -1;
  int LabelBuffInfo = -1;
  int TrackBuff = -1;
  int btnOK = -1;
  int btnCancel = -1;

 private:
  void Close();

  platform::Platform& platform_;
  std::string ini_path_;
  platform::TextRenderer* text_;
  platform::Dialog dialog_;
  std::unique_ptr<platform::Window> window_;
  bool running_ = false;
};

}  // namespace vorn

#include "app/settings_dialog.h"

#include <fstream>
#include <iterator>

#include "foundation/system_texts.h"
#include "platform/ini_file.h"
#include "platform/text_converter.h"

namespace vorn {
namespace {

constexpr int kDelayStepMs = 100;
constexpr int kDefaultDelayMs = 500;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TFormConfig::TFormConfig(platform::Platform& platform, std::string ini_path, platform::TextRenderer* text)
    : platform_(platform), ini_path_(std::move(ini_path)), text_(text) {}

TFormConfig::~TFormConfig() = default;

void TFormConfig::FormCreate() {
  platform_.application.SetTitle(texts::kSettingsTitle);
  running_ = true;

  using platform::DialogControl;
  using platform::DialogControlKind;
  DialogControl bevel;
  bevel.kind = DialogControlKind::kBevel;
  bevel.bounds = {8, 8, 253, 113};
  Bevel = dialog_.Add(bevel);

  DialogControl check;
  check.kind = DialogControlKind::kCheckBox;
  check.bounds = {28, 24, 217, 17};
  check.text = std::string(texts::kSettingsDirectSoundCaption);
  check.tab_order = 0;
  check.on_click = [this] { CheckSoundClick(); };
  CheckSound = dialog_.Add(check);

  DialogControl label;
  label.kind = DialogControlKind::kLabel;
  label.bounds = {28, 56, 123, 12};
  label.text = std::string(texts::kSettingsDelayCaption);
  LabelBuff = dialog_.Add(label);

  DialogControl info;
  info.kind = DialogControlKind::kLabel;
  info.bounds = {173, 56, 68, 12};
  info.right_aligned = true;
  LabelBuffInfo = dialog_.Add(info);

  DialogControl track;
  track.kind = DialogControlKind::kTrackBar;
  track.bounds = {28, 72, 221, 25};
  track.minimum = 1;
  track.maximum = 5;
  track.page_size = 1;
  track.position = 1;
  track.tab_order = 3;
  track.on_change = [this] { TrackBuffChange(); };
  TrackBuff = dialog_.Add(track);
  dialog_.control(LabelBuff).focus_control = TrackBuff;

  DialogControl ok;
  ok.kind = DialogControlKind::kButton;
  ok.bounds = {100, 140, 75, 25};
  ok.text = "OK";
  ok.default_button = true;
  ok.tab_order = 1;
  ok.on_click = [this] { btnOKClick(); };
  btnOK = dialog_.Add(ok);

  DialogControl cancel;
  cancel.kind = DialogControlKind::kButton;
  cancel.bounds = {180, 140, 75, 25};
  cancel.text = std::string(texts::kSettingsCancelCaption);
  cancel.cancel_button = true;
  cancel.tab_order = 2;
  cancel.on_click = [this] { btnCancelClick(); };
  btnCancel = dialog_.Add(cancel);

  dialog_.on_close = [this] { Close(); };

  const platform::IniFile ini = platform::IniFile::Load(ini_path_);
  dialog_.SetChecked(CheckSound, ini.ReadBool("Sound", "DirectSound", true));
  CheckSoundClick();
  // Integer division toward zero, then the track bar's own range.
  dialog_.SetPosition(TrackBuff, ini.ReadInteger("Sound", "DelayTime", kDefaultDelayMs) / kDelayStepMs);
  TrackBuffChange();
}

void TFormConfig::Show() {
  window_ = platform_.application.CreateDialogWindow(platform::Size{kClientWidth, kClientHeight},
                                                     texts::kSettingsTitle);
  const platform::Rect work = platform_.application.WorkArea();
  const platform::Size outer = window_->OuterSize();
  window_->SetPosition(work.left + (work.width - outer.width) / 2, work.top + (work.height - outer.height) / 2);
  dialog_.FocusFirst();
  Repaint();
  window_->Show();
}

void TFormConfig::Repaint() {
  if (!window_) return;
  dialog_.Paint(window_->Canvas(), text_);
  const platform::Rect all = window_->Canvas().bounds();
  window_->Flush(std::span<const platform::Rect>(&all, 1));
}

void TFormConfig::CheckSoundClick() {
  // The delay only matters for the player's own mixer, used when DirectSound is off.
  const bool own_mixer = !dialog_.control(CheckSound).checked;
  dialog_.SetEnabled(LabelBuff, own_mixer);
  dialog_.SetEnabled(TrackBuff, own_mixer);
  dialog_.SetEnabled(LabelBuffInfo, own_mixer);
}

void TFormConfig::TrackBuffChange() {
  dialog_.SetText(LabelBuffInfo, std::to_string(dialog_.control(TrackBuff).position * kDelayStepMs) + "ms");
}

void TFormConfig::btnOKClick() {
  const std::string bytes = platform::SetIniValues(
      ReadBytes(ini_path_), "Sound",
      {{"DirectSound", dialog_.control(CheckSound).checked ? "1" : "0"},
       {"DelayTime", std::to_string(dialog_.control(TrackBuff).position * kDelayStepMs)}});
  std::string reason;
  if (!platform::SaveIniBytes(ini_path_, bytes, reason)) {
    // The dialog stays open: the user may fix the file and try again, or cancel.
    std::string text(texts::kCannotCreateFormat);
    const auto at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, platform::Utf8ToCp932(ini_path_));
    platform::MessageBoxRequest box;
    box.text = text + "\r\n" + platform::Utf8ToCp932(reason);
    box.caption = std::string(texts::kSettingsTitle);
    box.icon = platform::MessageIcon::kWarning;
    box.buttons = platform::MessageButtons::kOk;
    box.owner = window_.get();
    platform_.boxes.Show(box);
    return;
  }
  Close();
}

void TFormConfig::btnCancelClick() { Close(); }

void TFormConfig::Close() {
  if (!running_) return;
  FormClose();
}

void TFormConfig::FormClose() { running_ = false; }

void TFormConfig::HandleEvent(const platform::Event& event) {
  if (!running_) return;
  dialog_.HandleEvent(event);
  if (running_) Repaint();
}

}  // namespace vorn

#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "components/vorn_control.h"

namespace vorn {

namespace platform {
class TextField;
}

// What the edit and the memo share: a text field of the platform placed over the drawing panel at
// the component's screen rectangle, shown only while the component can be seen. The field holds
// the text, font and colours; nothing of the component is drawn into the scene. Key downs in the
// field post ONNOTIFY (event 33) with the key code and the text as it was before the key acted.
class TVornCustomEdit : public TVornControl {
 public:
  TVornCustomEdit(TVornBaseList* owner, bool multi_line);
  ~TVornCustomEdit() override;

  void Create(std::unique_ptr<TVornObject> self) override;
  // Frees the field (the keyboard goes back to the scene); the focus is dropped as for any control.
  void Destroying() override;

  platform::TextField& Field() const { return *field_; }

  // Places the field (bounds, showing and the keyboard) from the component's state.
  void Place();
  // After the scene's tick: places again when the showing state and the field disagree. Runs for
  // paused fields and fields in a cabinet too, which the tick itself skips.
  void AfterSceneTick() override;
  void FocusGained() override;

  std::string GetText() const override;
  void SetText(const std::string& value) override;
  std::string GetFontName() const override;
  void SetFontName(const std::string& value) override;
  // The setter keeps the sign (positive: cell height, negative: character height); the getter
  // answers the magnitude, saturated at 2^31 - 1.
  std::int32_t GetFontHeight() const override;
  void SetFontHeight(std::int32_t value) override;
  TFontStyleSet GetFontStyle() const override;
  void SetFontStyle(TFontStyleSet value) override;
  std::int32_t GetFontColor() const override { return font_color_; }
  void SetFontColor(std::int32_t value) override;
  std::int32_t GetColor() const override { return back_color_; }
  void SetColor(std::int32_t value) override;
  bool GetReadOnly() const override;
  void SetReadOnly(bool value) override;
  bool GetPaused() const override;
  void SetPaused(bool value) override;
  void SetVisible(bool value) override;
  std::string GetOnNotify() const override { return on_notify_; }
  void SetOnNotify(const std::string& value) override { on_notify_ = value; }
  bool GetHandleKey() const override { return true; }

  void SetWidth(std::int32_t value) override;
  void SetHeight(std::int32_t value) override;
  void SetPlusX(std::int32_t value) override;
  void SetPlusY(std::int32_t value) override;
  void SetParent(TVornControl* parent) override;

 protected:
  void OnPositionChanged() override { Place(); }
  void SaveClassFields(TStream& stream) const override;
  void LoadClassFields(TStream& stream, std::int32_t version) override;
  // The memo's alignment byte, between READONLY and ONNOTIFY in the record.
  virtual void SaveAlignment(TStream& /*stream*/) const {}
  virtual void LoadAlignment(TStream& /*stream*/) {}

 private:
  void KeyDownInField(int key);
  void KeyboardTaken();

  std::unique_ptr<platform::TextField> field_;
  std::int32_t font_height_;
  std::int32_t font_color_ = 0;
  std::int32_t back_color_;
  std::string on_notify_;
  // The last face name found missing, so that the log names it once.
  std::string logged_face_;
};

// The single-line edit (kind 5).
class TVornEdit : public TVornCustomEdit {
 public:
  explicit TVornEdit(TVornBaseList* owner) : TVornCustomEdit(owner, false) {}
  std::uint8_t GetCompoType() const override { return 5; }
};

// The multi-line memo with a vertical scroll bar (kind 11).
class TVornMemo : public TVornCustomEdit {
 public:
  explicit TVornMemo(TVornBaseList* owner) : TVornCustomEdit(owner, true) {}
  std::uint8_t GetCompoType() const override { return 11; }
  // Passed to the field unchanged: 0 left, 1 right, 2 centre (others draw left).
  std::uint8_t GetHAlign() const override { return halign_; }
  void SetHAlign(std::uint8_t value) override;

 protected:
  void SaveAlignment(TStream& stream) const override;
  void LoadAlignment(TStream& stream) override;

 private:
  std::uint8_t halign_ = 0;
};

}  // namespace vorn

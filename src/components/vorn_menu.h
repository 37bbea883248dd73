#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "components/vorn_list_box.h"

namespace vorn {

// The script's choice menu (kind 12): a drawn list box that opens by growing from height 0 over
// DELAY milliseconds and closes by shrinking, posts an event at each stage, can close and delete
// itself after a selection and can be cancelled by the right button or Escape. It starts closed
// and is offered right presses before anything else while it lives.
class TVornMenu : public TVornCustomListBox {
 public:
  // Open states: at rest, cancel asked, opening (three steps), closing (two steps), closing at once
  // after a selection (two steps), waiting for deletion.
  enum TOpenState : std::int32_t {
    kRest = 0, kCancel = 10, kOpenStart = 100, kOpenClock = 101, kOpening = 102,
    kCloseStart = 200, kClosing = 201, kScrapStart = 300, kScrapWait = 301, kDeleting = 302
  };

  explicit TVornMenu(TVornBaseList* owner);
  ~TVornMenu() override;
  void Create(std::unique_ptr<TVornObject> self) override;
  void Destroying() override;

  std::uint8_t GetCompoType() const override { return 12; }

  std::int32_t GetPlayState() const override { return play_state_; }
  void SetPlayState(std::int32_t state) override;
  std::int32_t GetFontHoverColor() const override { return hover_.text_color; }
  void SetFontHoverColor(std::int32_t value) override;
  TFontStyleSet GetFontHoverStyle() const override { return TFontStyleSet::FromBits(hover_.flags); }
  void SetFontHoverStyle(TFontStyleSet value) override;
  std::int32_t GetHoverColor() const override { return hover_color_; }
  void SetHoverColor(std::int32_t value) override;
  std::int32_t GetDelay() const override { return delay_; }
  void SetDelay(std::int32_t value) override { delay_ = value; }
  bool GetAutoScrap() const override { return auto_scrap_ != 0; }
  void SetAutoScrap(bool value) override { auto_scrap_ = value ? 1 : 0; }
  bool GetRClickScrap() const override { return rclick_scrap_ != 0; }
  void SetRClickScrap(bool value) override { rclick_scrap_ = value ? 1 : 0; }
  // The full height while fading in or out, else HEIGHT.
  std::int32_t GetOrigHeight() const override;

#define VORN_MENU_LABEL(Name, field)                                   \
  std::string Get##Name() const override { return field; }            \
  void Set##Name(const std::string& value) override { field = value; }
  VORN_MENU_LABEL(OnOpening, on_opening_)
  VORN_MENU_LABEL(OnOpened, on_opened_)
  VORN_MENU_LABEL(OnClosing, on_closing_)
  VORN_MENU_LABEL(OnClosed, on_closed_)
#undef VORN_MENU_LABEL

  // The closing flag blocks every event of the menu but its opening and closing ones.
  bool IsEventBlocked() const override { return closing_; }
  bool IsClosing() const { return closing_; }
  std::int32_t FullHeight() const { return full_height_; }

  bool Tick() override;
  void RBtnDown() override;
  bool RightClickCancel() override;
  void KeyRepeat() override;

 protected:
  void AfterSelect() override;
  void SaveClassFields(TStream& stream) const override;
  void LoadClassFields(TStream& stream, std::int32_t version) override;

 private:
  // Posts a stage event whenever its label is set, without the queue's checks.
  void PostStage(const std::string& label, std::uint8_t code);
  void FocusIfOpenable();
  void ChooseOtherFocus();
  std::int32_t Elapsed() const;

  std::int32_t hover_color_ = 0;
  std::int32_t delay_ = 0;
  std::uint8_t auto_scrap_ = 0;
  std::uint8_t rclick_scrap_ = 0;
  std::uint8_t play_state_;
  std::int32_t full_height_ = 0;
  std::int32_t start_time_ = 0;
  bool closing_ = false;
  std::string on_opening_;
  std::string on_opened_;
  std::string on_closing_;
  std::string on_closed_;
};

}  // namespace vorn

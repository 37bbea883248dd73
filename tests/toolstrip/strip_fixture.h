#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/face_colors.h"
#include "platform/headless_application.h"
#include "support/block_text_renderer.h"
#include "toolstrip/dock97.h"
#include "toolstrip/strip_colors.h"
#include "toolstrip/strip_form.h"
#include "toolstrip/toolbar97.h"
#include "toolstrip/toolbar_button97.h"

namespace vorn::test {

// A form on a headless 640 × 480 window with a virtual clock and the block font.
class StripTest : public ::testing::Test {
 protected:
  StripTest()
      : window_(application_.CreateMainWindow(platform::Size{640, 480}, "")),
        form_(std::make_unique<TStripForm>(*window_, clock_, &font_)) {
    form_->SetActive(true);
  }
  ~StripTest() override {
    TToolbarButton97::ResetSharedState();
    ResetStripColorsForTest();
  }

  platform::HeadlessWindow& window() { return static_cast<platform::HeadlessWindow&>(*window_); }
  platform::Framebuffer& canvas() { return window_->Canvas(); }
  // The colour at a window pixel, as a 0x00BBGGRR value like the face table's.
  std::uint32_t At(int x, int y) {
    const std::uint32_t xrgb = canvas().Pixel(x, y);
    return ((xrgb & 0xFF) << 16) | (xrgb & 0xFF00) | ((xrgb >> 16) & 0xFF);
  }
  static const platform::FaceColors& Colors() { return StripColors(); }
  // Paints the whole form as the host does when the strip shows.
  void PaintAll() { form_->Repaint(canvas().bounds()); }
  void Move(int x, int y) { form_->WindowMouseMove(0, x, y); }
  void Down(int x, int y, platform::MouseButton b = platform::MouseButton::kLeft) {
    form_->WindowMouseDown(b, 0, x, y, false);
  }
  void Up(int x, int y, platform::MouseButton b = platform::MouseButton::kLeft) { form_->WindowMouseUp(b, 0, x, y); }
  void Advance(std::uint32_t ms) {
    for (std::uint32_t i = 0; i < ms; ++i) {
      clock_.Sleep(1);
      form_->PollTimers();
    }
  }

  platform::HeadlessApplication application_;
  platform::VirtualClock clock_;
  BlockTextRenderer font_;
  std::unique_ptr<platform::Window> window_;
  std::unique_ptr<TStripForm> form_;
};

// The main window's strip: a top dock with a bottom line holding one borderless toolbar with two
// 67 × 18 buttons.
class MainStripTest : public StripTest {
 protected:
  MainStripTest() {
    dock_.SetAllowDrag(false);
    dock_.SetBoundLines(blBottom);
    dock_.SetParent(form_.get());
    toolbar_.SetParent(&dock_);
    toolbar_.SetBorderStyle(TBorderStyle::bsNone);
    for (TToolbarButton97* button : {&quit_, &switch_}) {
      button->SetBounds(platform::Rect{0, 0, 67, 18});
      button->SetParent(&toolbar_);
    }
    quit_.SetCaption("Quit");
    switch_.SetCaption("Switch");
    quit_.OnClick = [this] { clicks_.push_back("quit"); };
    switch_.OnClick = [this] { clicks_.push_back("switch"); };
    PaintAll();
  }
  ~MainStripTest() override {
    quit_.SetParent(nullptr);
    switch_.SetParent(nullptr);
    toolbar_.SetParent(nullptr);
  }

  TDock97 dock_;
  TToolbar97 toolbar_;
  TToolbarButton97 quit_;
  TToolbarButton97 switch_;
  std::vector<std::string> clicks_;
};

}  // namespace vorn::test

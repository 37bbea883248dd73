#pragma once

// What a text-field host and its fields share: the panel, the clock and clipboard, the fields in
// creation order, which of them holds the keyboard and which one a press began in. Fields hold it
// by shared pointer, so a field that outlives its host stays safe (the host clears the panel).

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/clock.h"
#include "platform/cursors.h"
#include "platform/panel.h"
#include "platform/text_field.h"

namespace vorn::platform {

class IClipboard;

inline std::int64_t ClampToRange(std::int64_t v, std::int64_t lo, std::int64_t hi) { return std::max(lo, std::min(v, hi)); }

struct TextFieldHostState {
  Panel* panel = nullptr;
  Clock* clock = nullptr;
  IClipboard* clipboard = nullptr;
  Cursors* cursors = nullptr;
  std::vector<TextField*> fields;
  TextField* holder = nullptr;
  TextField* pressed = nullptr;
  MouseButton pressed_button = MouseButton::kLeft;
  bool over_text = false;
  bool text_input = false;
  Rect input_rect;

  std::uint32_t Now() const { return clock != nullptr ? clock->TimeGetTime() : 0; }

  // The part of the panel fields show in (panel coordinates): the panel minus a covering strip.
  Rect PanelArea() const {
    if (panel == nullptr) return {};
    const Rect b = panel->bounds();
    const int covered = std::clamp(panel->covered_above() - b.top, 0, std::max(0, b.height));
    return Rect{0, covered, b.width, b.height - covered};
  }

  TextField* FieldAt(int x, int y) const {
    const Rect area = PanelArea();
    if (!area.Contains(x, y)) return nullptr;
    for (auto it = fields.rbegin(); it != fields.rend(); ++it) {
      if ((*it)->TakesPointerAt(x, y)) return *it;
    }
    return nullptr;
  }

  void SetOverText(bool over) {
    if (over == over_text) return;
    over_text = over;
    if (cursors != nullptr) cursors->SetPointerOverText(over);
  }

  void UpdateTextInput() {
    if (panel == nullptr) return;
    Window& window = panel->window();
    TextField* field = holder;
    if (field == nullptr || !field->visible_ || !field->Writable()) {
      if (text_input) window.StopTextInput();
      text_input = false;
      return;
    }
    const std::size_t line = field->multi_line_ ? field->ShownLayout().LineOf(field->ShownCaret()) : 0;
    const std::int64_t x = field->CaretX(line, field->ShownCaret());
    const std::int64_t y = field->multi_line_ ? (static_cast<std::int64_t>(line) - static_cast<std::int64_t>(field->top_line_)) * field->LineHeight() : 0;
    const Rect b = panel->bounds();
    const Rect rect{static_cast<int>(ClampToRange(b.left + std::int64_t{field->bounds_.left} + x, INT32_MIN / 2, INT32_MAX / 2)),
                    static_cast<int>(ClampToRange(b.top + std::int64_t{field->bounds_.top} + y, INT32_MIN / 2, INT32_MAX / 2)),
                    1, field->LineHeight()};
    if (!text_input || rect != input_rect) window.StartTextInput(rect);
    text_input = true;
    input_rect = rect;
  }

  void Forget(TextField* field) {
    std::erase(fields, field);
    if (pressed == field) {
      pressed = nullptr;
      if (panel != nullptr) panel->window().CaptureMouse(false);
    }
    if (holder == field) {
      holder = nullptr;
      UpdateTextInput();
    }
  }

  void DropPress(TextField* field) {
    if (pressed != field) return;
    field->Release();
    pressed = nullptr;
    if (panel != nullptr) panel->window().CaptureMouse(false);
  }

  void LoseKeyboard(TextField* field) {
    if (holder != field) return;
    holder = nullptr;
    field->MarkDirty();
    UpdateTextInput();
  }
};


}  // namespace vorn::platform

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sdl/sdl_platform.h"

namespace vorn::platform {
namespace {

class RecordingSink final : public EventSink {
 public:
  void HandleEvent(const Event& event) override { events.push_back(event); }
  bool Idle() override { return true; }
  std::vector<Event> events;
};

// Typed text, a short composition and a long one (the extended event, whose text SDL allocates)
// arrive whole as the player's text events.
TEST(SdlTextEvents, TextInputAndBothCompositionEventsArriveWhole) {
  sdl::SdlApplication application("offscreen");
  std::string reason;
  if (!application.Initialize(reason)) GTEST_SKIP() << "offscreen video driver unavailable: " << reason;
  auto window = application.CreateMainWindow(Size{64, 48}, "text");
  EXPECT_EQ(SDL_IsTextInputActive(), SDL_FALSE) << "text input stays off until a field asks for it";
  window->StartTextInput(Rect{5, 6, 1, 12});
  EXPECT_NE(SDL_IsTextInputActive(), SDL_FALSE);

  SDL_Event typed{};
  typed.type = SDL_TEXTINPUT;
  SDL_strlcpy(typed.text.text, "\xE4\xBB\xAE", sizeof typed.text.text);  // 仮
  SDL_PushEvent(&typed);
  SDL_Event short_edit{};
  short_edit.type = SDL_TEXTEDITING;
  SDL_strlcpy(short_edit.edit.text, "\xE3\x81\x8B", sizeof short_edit.edit.text);  // か
  short_edit.edit.start = 1;
  SDL_PushEvent(&short_edit);
  std::string long_text;
  for (int i = 0; i < 20; ++i) long_text += "\xE3\x81\x82";  // 60 bytes of あ
  SDL_Event long_edit{};
  long_edit.type = SDL_TEXTEDITING_EXT;
  long_edit.editExt.text = SDL_strdup(long_text.c_str());
  long_edit.editExt.start = 7;
  SDL_PushEvent(&long_edit);

  RecordingSink sink;
  application.ProcessMessages(sink);
  std::vector<Event> text_events;
  for (const Event& event : sink.events) {
    if (event.type == EventType::kTextInput || event.type == EventType::kTextEditing) text_events.push_back(event);
  }
  ASSERT_EQ(text_events.size(), 3u);
  EXPECT_EQ(text_events[0].type, EventType::kTextInput);
  EXPECT_EQ(text_events[0].text, "\xE4\xBB\xAE");
  EXPECT_EQ(text_events[1].type, EventType::kTextEditing);
  EXPECT_EQ(text_events[1].text, "\xE3\x81\x8B");
  EXPECT_EQ(text_events[1].text_cursor, 1);
  EXPECT_EQ(text_events[2].type, EventType::kTextEditing);
  EXPECT_EQ(text_events[2].text, long_text);
  EXPECT_EQ(text_events[2].text_cursor, 7);
  window->StopTextInput();
  EXPECT_EQ(SDL_IsTextInputActive(), SDL_FALSE);
}

}  // namespace
}  // namespace vorn::platform

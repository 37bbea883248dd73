// Typing into the middle of a memo, one character at a time, each followed by drawing the field:
// the time per character at 100,000 wrapped lines against the same at 1,000 lines, in one run.
// Only the edited paragraph is wrapped again and only the visible lines are drawn; what still
// grows with the text is moving the characters after the caret.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/headless_application.h"
#include "platform/panel.h"
#include "platform/text_field.h"

namespace {

using namespace vorn::platform;

// Each paragraph wraps into two lines at the memo's width.
std::string Paragraphs(int lines) {
  std::string text;
  const std::string paragraph = "the quick brown fox jumps over the lazy dog again and again and again\r\n";
  for (int i = 0; i < lines / 2; ++i) text += paragraph;
  return text;
}

void TypeIntoTheMiddle(benchmark::State& state) {
  HeadlessApplication application;
  HeadlessWindow window(application, Size{400, 300}, "bench");
  Panel panel(window);
  panel.SetBounds(Rect{0, 0, 400, 300});
  TextFieldHost host(panel, nullptr, nullptr, nullptr);
  auto memo = host.CreateField(true);
  memo->SetBounds(Rect{0, 0, 260, 200});
  memo->SetVisible(true);
  const int lines = static_cast<int>(state.range(0));
  const std::string text = Paragraphs(lines);
  for (auto _ : state) {
    state.PauseTiming();
    memo->SetText(text);
    memo->TakeKeyboard();
    const std::size_t middle = memo->edit_text().text().size() / 2;
    memo->Select(middle, middle);
    host.Draw(true);
    state.ResumeTiming();
    for (int i = 0; i < 1000; ++i) {
      host.HandleEvent(Event{.type = EventType::kTextInput, .text = "a"});
      host.Draw(false);
    }
  }
  state.SetItemsProcessed(state.iterations() * 1000);
  state.counters["lines"] = static_cast<double>(memo->line_count());
}

BENCHMARK(TypeIntoTheMiddle)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

// Markup into glyphs and layout into pages, for texts of 1,000 and 10,000 characters in the same
// run. Target: the time per character at 10,000 stays within 1.5x of that at 1,000 (the
// "per_char" counters). Every ruby text makes a style record of its own, so this also guards
// against style lookups that grow with the number of records.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "text/zk_word.h"

namespace {

// Kana and kanji with a colour change every 50 characters, a ruby every 10 and a line break
// every 40, the way story text is written.
std::vector<std::string> StoryMarkup(int characters) {
  static const char* const kColours[] = {"#ff0000", "#00ff00", "#0000ff", "#ffffff"};
  std::vector<std::string> lines(1);
  for (int i = 0; i < characters; ++i) {
    if (i % 50 == 0) {
      if (i > 0) lines.back() += "</FONT>";
      lines.back() += std::string("<FONT COLOR=") + kColours[(i / 50) % 4] + ">";
    }
    if (i % 10 == 0) {
      // Each ruby text differs, as readings of different words do.
      lines.back() += "<RUBY VALUE=\"\x82\xA9\x82\xF1" + std::to_string(i) + "\">\x8A\xBF</RUBY>";
    } else {
      auto kana = static_cast<char>(0xA0 + (i * 2) % 0x50);
      lines.back() += std::string("\x82") + kana;
    }
    if (i % 40 == 39) lines.emplace_back();
  }
  lines.back() += "</FONT>";
  return lines;
}

void BM_SetTextAndLayout(benchmark::State& state) {
  const int characters = static_cast<int>(state.range(0));
  const std::vector<std::string> markup = StoryMarkup(characters);
  vorn::TZkWord doc;
  for (auto _ : state) {
    doc.VisibleWidth = 640;
    doc.VisibleHeight = 480;
    doc.SetText(markup);
    vorn::TWdPageList pages;
    doc.Layout(pages, 0, -1);
    benchmark::DoNotOptimize(pages.size());
  }
  // Seconds per character (shown with an SI prefix, "n" for nanoseconds).
  state.counters["per_char"] = benchmark::Counter(static_cast<double>(characters),
                                                  benchmark::Counter::kIsIterationInvariantRate |
                                                      benchmark::Counter::kInvert);
}
BENCHMARK(BM_SetTextAndLayout)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

// Message markup as scripts and saved games hand it over (any bytes), turned into glyphs and laid
// out in an area chosen by the first bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "foundation/scoped_seam.h"
#include "support/text/fake_image_source.h"
#include "text/zk_word.h"

namespace {

// Areas worth trying: none, tiny, ordinary and the extremes.
constexpr std::int32_t kSizes[] = {0, 1, 12, 36, 640, -1, -640, INT32_MIN, INT32_MAX};

std::int32_t Pick(std::uint8_t byte) { return kSizes[byte % (sizeof kSizes / sizeof kSizes[0])]; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  static vorn::test::FakeImageSource pictures = [] {
    vorn::test::FakeImageSource source;
    source.Add("a.png", {20, 20});
    source.Add("b.pel", {3, 40, {1, 2, 3}, 200});
    return source;
  }();
  vorn::ScopedSeam<vorn::TWdImageSource> installed{vorn::SetWdImageSource};
  installed.Install(&pictures);

  vorn::TZkWord doc;
  doc.VisibleWidth = Pick(data[0]);
  doc.VisibleHeight = Pick(data[1]);
  doc.Paging = data[2] & 1;
  doc.LineSpace = static_cast<std::int8_t>(data[3]);

  std::vector<std::string> lines(1);
  for (std::size_t i = 4; i < size; ++i) {
    char c = static_cast<char>(data[i]);
    if (c == '\r' || c == '\n') {
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  try {
    doc.SetText(lines);
  } catch (const vorn::Exception&) {
    // An A tag without HREF: the glyphs before it are laid out all the same.
  }
  vorn::TWdPageList pages;
  doc.Layout(pages, 0, -1);
  for (const auto& page : pages) (void)page->GetText();
  return 0;
}

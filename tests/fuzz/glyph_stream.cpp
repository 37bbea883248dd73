// Glyph streams as script pages carry them (any bytes): loaded into a cleared document, written
// back glyph by glyph and laid out.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/errors.h"
#include "foundation/scoped_seam.h"
#include "foundation/stream.h"
#include "support/text/fake_image_source.h"
#include "text/zk_word.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vorn::test::FakeImageSource pictures = [] {
    vorn::test::FakeImageSource source;
    source.Add("a.png", {20, 20});
    return source;
  }();
  vorn::ScopedSeam<vorn::TWdImageSource> installed{vorn::SetWdImageSource};
  installed.Install(&pictures);

  vorn::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
  vorn::TZkWord doc;
  doc.VisibleWidth = 200;
  doc.VisibleHeight = 100;
  try {
    doc.LoadGlyphs(stream);
  } catch (const vorn::Exception&) {
    return 0;
  }
  vorn::TMemoryStream out;
  for (int i = 0; i < doc.GlyphCount(); ++i) doc.GetGlyph(i)->SaveToStream(out);
  vorn::TWdPageList pages;
  doc.Layout(pages, 0, -1);
  for (const auto& page : pages) (void)page->GetText();
  return 0;
}

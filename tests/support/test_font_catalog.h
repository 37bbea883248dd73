#pragma once

// A font catalogue of named faces without files, active while it lives: the record look-ups see
// exactly these faces (the scripted rasteriser draws them).

#include <string>
#include <vector>

#include "platform/font_catalog.h"

namespace vorn::test {

class TestFontCatalog {
 public:
  // Faces by CP932 name; `fixed` lists those of fixed pitch.
  TestFontCatalog(const std::vector<std::string>& names, const std::vector<std::string>& fixed)
      : catalog_(Faces(names, fixed)) {
    platform::SetActiveFontCatalog(&catalog_);
  }
  ~TestFontCatalog() { platform::SetActiveFontCatalog(nullptr); }
  TestFontCatalog(const TestFontCatalog&) = delete;
  TestFontCatalog& operator=(const TestFontCatalog&) = delete;

 private:
  static std::vector<platform::FontFace> Faces(const std::vector<std::string>& names,
                                               const std::vector<std::string>& fixed) {
    std::vector<platform::FontFace> faces;
    for (const std::string& name : names) {
      platform::FontFace face;
      face.family = name;
      face.japanese = true;
      for (const std::string& f : fixed) face.fixed_pitch = face.fixed_pitch || f == name;
      faces.push_back(face);
    }
    return faces;
  }
  platform::FixedFontCatalog catalog_;
};

}  // namespace vorn::test

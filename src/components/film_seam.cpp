#include "components/film_seam.h"

#include <utility>

#include "engine/script_text.h"
#include "foundation/archive.h"
#include "foundation/sjis.h"
#include "foundation/vr_errors.h"

namespace vorn {
namespace {

TFilmMaker* g_film_maker = nullptr;

}  // namespace

void TNullFilm::LoadMotion(const std::string& file_name) { throw EVrFileNotFound(FormatFileNotFound(file_name)); }

std::unique_ptr<TControlFilm> TNullFilmMaker::CreateFilm(TVornControl& /*holder*/) {
  return std::make_unique<TNullFilm>();
}

bool IsMotionFileName(const std::string& name) {
  return Cp932SameText(script_text::ExtractFileExt(name), ".vmn");
}

TFilmMaker& GetFilmMaker() {
  static TNullFilmMaker none;
  return g_film_maker != nullptr ? *g_film_maker : none;
}

TFilmMaker* SetFilmMaker(TFilmMaker* maker) { return std::exchange(g_film_maker, maker); }

}  // namespace vorn

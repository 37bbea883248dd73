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

std::unique_ptr<TControlFilm> LoadSourceFilm(TVornControl& holder, const std::string& source) {
  if (!Cp932SameText(script_text::ExtractFileExt(source), ".vmn")) return nullptr;
  std::unique_ptr<TControlFilm> film = GetFilmMaker().CreateFilm(holder);
  film->LoadMotion(source);
  return film;
}

TFilmMaker& GetFilmMaker() {
  static TNullFilmMaker none;
  return g_film_maker != nullptr ? *g_film_maker : none;
}

TFilmMaker* SetFilmMaker(TFilmMaker* maker) { return std::exchange(g_film_maker, maker); }

}  // namespace vorn

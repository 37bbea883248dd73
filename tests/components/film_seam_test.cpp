#include <gtest/gtest.h>

#include <string>

#include "components/film_seam.h"
#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "foundation/vr_errors.h"
#include "support/recording_film.h"

namespace vorn {
namespace {

TEST(FilmSeam, WithoutFilmsLoadingFailsAsForAMissingFile) {
  TVornBaseList scene;
  TVornControl& holder = *CreateObject<TVornControl>(scene);
  std::unique_ptr<TControlFilm> film = GetFilmMaker().CreateFilm(holder);
  ASSERT_NE(film, nullptr);
  try {
    film->LoadMotion("a.vmn");
    FAIL() << "loaded a film without films";
  } catch (const EVrFileNotFound& error) {
    // "a.vmn:" then ファイルがありません in CP932.
    EXPECT_EQ(std::string(error.what()),
              "a.vmn:\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1");
  }
  // Nothing plays: no length, no time, ended, and a step never reports an end it did not have.
  EXPECT_EQ(film->GetLength(), 0);
  film->SetElapsed(500);
  EXPECT_EQ(film->GetElapsed(), 0);
  EXPECT_EQ(film->GetTick(), 0);
  EXPECT_TRUE(film->IsEnded());
  EXPECT_FALSE(film->Tick());
  EXPECT_FALSE(film->Tick());
}

TEST(FilmSeam, AnInstalledMakerHandsOutFilmsUntilItIsRemoved) {
  TVornBaseList scene;
  TVornControl& button = *CreateObject<TVornControl>(scene);
  {
    testing::TRecordingFilmMaker films;
    films.lengths["hover.vmn"] = 30;
    films.missing.insert("absent.vmn");
    // One holder may own several films, each its own.
    std::unique_ptr<TControlFilm> own = GetFilmMaker().CreateFilm(button);
    std::unique_ptr<TControlFilm> hover = GetFilmMaker().CreateFilm(button);
    own->LoadMotion("own.vmn");
    hover->LoadMotion("hover.vmn");
    hover->RestartMotion();
    EXPECT_EQ(hover->GetLength(), 30);
    EXPECT_EQ(films.log, (std::vector<std::string>{"0 create object0", "1 create object0", "0 load own.vmn",
                                                   "1 load hover.vmn", "1 restart"}));
    EXPECT_THROW(own->LoadMotion("absent.vmn"), EVrFileNotFound);
    own.reset();
    EXPECT_EQ(films.log.back(), "0 free");
  }
  EXPECT_THROW(GetFilmMaker().CreateFilm(button)->LoadMotion("own.vmn"), EVrFileNotFound);
}

}  // namespace
}  // namespace vorn

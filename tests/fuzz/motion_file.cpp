// Motion films: loaded into a film whose owner scene draws on memory surfaces, then shown at a few
// ticks. The test tracks stand for the track classes.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "components/vorn_base_list.h"
#include "foundation/errors.h"
#include "foundation/log_line.h"
#include "foundation/stream.h"
#include "motion/film_manager.h"
#include "support/motion/test_tracks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vorn::testing::TScopedTestTracks tracks;
  vorn::SetLogToStderr(false);
  vorn::TVornBaseList scene;
  scene.SetWidth(32);
  scene.SetHeight(24);
  vorn::TFilmManager film;
  film.SetOwnerList(&scene);
  vorn::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
  try {
    film.LoadFromStream(stream, "fuzz\\film.vmn");
  } catch (const vorn::Exception&) {
    return 0;
  }
  const std::int32_t length = film.GetLength();
  for (const std::int32_t t : {0, 1, 2, 19, 40, length - 1, length, -5, INT32_MAX, INT32_MIN}) film.SetTime(t);
  return 0;
}

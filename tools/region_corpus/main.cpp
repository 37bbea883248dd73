// Writes the seed corpus of the region-file fuzz target (tests/fuzz/corpus/region_file): fixture
// files of each shape and some of their truncations.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "fixture/region_writer.h"

namespace {

using vorn::fixture::RegionFixture;

void Save(const std::string& dir, const std::string& name, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(dir + "/" + name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: region_corpus DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  const std::vector<std::uint8_t> shapes = vorn::fixture::WriteRegionFile({
      RegionFixture::Rect("door", 0, 0, 9, 9),
      RegionFixture::Ellipse("\x83\x41", 4, 4, 20, 12),
      RegionFixture::Polygon("star", {{10, 0}, {16, 20}, {0, 7}, {20, 7}, {4, 20}}),
      RegionFixture::Rect("reversed", 9, 0, 0, 9),
  });
  Save(dir, "shapes.bin", shapes);
  for (std::size_t cut : {std::size_t{3}, std::size_t{9}, std::size_t{20}, shapes.size() / 2, shapes.size() - 1}) {
    Save(dir, "shapes-cut-" + std::to_string(cut) + ".bin", std::vector<std::uint8_t>(shapes.begin(), shapes.begin() + static_cast<std::ptrdiff_t>(cut)));
  }
  Save(dir, "empty.bin", vorn::fixture::WriteRegionFile({}));
  Save(dir, "extremes.bin", vorn::fixture::WriteRegionFile({
                                RegionFixture::Rect("max", -2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647),
                                RegionFixture::Ellipse("e", 2147483647, 0, -2147483647 - 1, 5),
                                RegionFixture::Polygon("p", {{-2147483647 - 1, 0}, {2147483647, 1}, {0, 2147483647}}),
                                RegionFixture::Polygon("two", {{0, 0}, {5, 5}}),
                            }));
  std::vector<std::uint8_t> huge_count = vorn::fixture::WriteRegionFile({RegionFixture::Rect("a", 0, 0, 1, 1)});
  huge_count[3] = 0x7F;
  Save(dir, "huge-count.bin", huge_count);
  std::vector<std::uint8_t> trailing = shapes;
  trailing.insert(trailing.end(), {1, 2, 3, 4, 5});
  Save(dir, "trailing-bytes.bin", trailing);
  return 0;
}

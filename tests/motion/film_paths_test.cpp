#include "motion/film_paths.h"

#include <gtest/gtest.h>

#include <string>

namespace vorn {
namespace {

struct PathCase {
  const char* name;
  std::string path;
  std::string folder;
  std::string expected;
};

TEST(FilmPaths, ResolveFilmPathTable) {
  const PathCase cases[] = {
      {"up twice, folder upper-cased", "..\\..\\a.pel", "C:\\x\\y\\z\\", "C:\\X\\a.pel"},
      {"no folder", "b.pel", "", "b.pel"},
      {"one character", "b", "C:\\x\\", "b"},
      {"plain name", "b.pel", "C:\\x\\", "C:\\x\\b.pel"},
      {"drive name", "D:\\b.pel", "C:\\x\\", "D:\\b.pel"},
      {"rooted name", "\\b.pel", "C:\\x\\", "\\b.pel"},
      // More "..\" than components: the rest stays in the name.
      {"too many ups", "..\\..\\..\\b.pel", "C:\\x\\", "..\\b.pel"},
      // ソ ends with the byte of "\": the folder is not split inside it.
      {"trail byte in the folder", "..\\b.pel", "C:\\\x83\x5C\\d\\", "C:\\\x83\x5C\\b.pel"},
  };
  for (const PathCase& c : cases) EXPECT_EQ(ResolveFilmPath(c.path, c.folder), c.expected) << c.name;
}

TEST(FilmPaths, MakeFilmRelativePathTable) {
  const PathCase cases[] = {
      {"same folder", "C:\\x\\a.pel", "C:\\x\\", "a.pel"},
      {"a subfolder", "C:\\x\\sub\\a.pel", "C:\\x\\", "SUB\\a.pel"},
      {"a sibling", "C:\\x\\y\\a.pel", "C:\\x\\z\\", "..\\Y\\a.pel"},
      {"another drive", "D:\\x\\a.pel", "C:\\x\\", "D:\\x\\a.pel"},
      {"no film folder", "C:\\x\\a.pel", "", "C:\\x\\a.pel"},
      {"trail byte in a name", "C:\\x\\\x83\x5C\\a.pel", "C:\\x\\", "\x83\x5C\\a.pel"},
      {"trail byte in the file name", "C:\\x\\\x83\x5C.pel", "C:\\x\\", "\x83\x5C.pel"},
  };
  for (const PathCase& c : cases) EXPECT_EQ(MakeFilmRelativePath(c.path, c.folder), c.expected) << c.name;
}

TEST(FilmPaths, HugeNamesAndFoldersAreHandled) {
  const std::string long_folder = "C:\\" + std::string(1 << 20, 'a') + "\\";
  EXPECT_EQ(ResolveFilmPath("..\\b.pel", long_folder), "C:\\b.pel");
  EXPECT_EQ(MakeFilmRelativePath(long_folder + "b.pel", long_folder), "b.pel");
  const std::string ends_in_trail = "C:\\x\\\x83\x5C";
  EXPECT_EQ(MakeFilmRelativePath(ends_in_trail, "C:\\x\\"), "\x83\x5C");
}

}  // namespace
}  // namespace vorn

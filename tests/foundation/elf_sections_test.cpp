#include "foundation/elf_sections.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "fixture/archive_fixture.h"

namespace vorn {
namespace {

std::optional<ElfSection> Find(const fixture::Bytes& file, const std::string& name) {
  return FindElfSection(
      [&file](void* buffer, std::size_t count, std::uint64_t at) -> std::size_t {
        if (at >= file.size()) return 0;
        const std::size_t n = std::min<std::uint64_t>(count, file.size() - at);
        std::memcpy(buffer, file.data() + at, n);
        return n;
      },
      file.size(), name);
}

TEST(ElfSections, FindsTheNamedSectionOnly) {
  const fixture::Bytes payload = {'v', 'f', 1, 2, 3};
  const auto file = fixture::MinimalElfWithSection(".res.BINTYPE.DUMMY", payload);
  const auto section = Find(file, ResourceSectionName("BINTYPE", "DUMMY"));
  ASSERT_TRUE(section);
  EXPECT_EQ(section->size, payload.size());
  EXPECT_TRUE(std::equal(payload.begin(), payload.end(), file.begin() + static_cast<std::ptrdiff_t>(section->offset)));
  EXPECT_FALSE(Find(file, ".res.BINTYPE.DUMM"));   // a prefix is another name
  EXPECT_FALSE(Find(file, ".res.BINTYPE.DUMMY2"));
}

TEST(ElfSections, BrokenFilesMeanNoResource) {
  const auto good = fixture::MinimalElfWithSection(".res.BINTYPE.DUMMY", fixture::Bytes(16, 7));
  struct Case {
    const char* label;
    std::size_t at;  // byte to change
    std::uint8_t value;
  } cases[] = {
      {"magic", 1, 'X'},          {"big endian", 5, 2},       {"class", 4, 9},
      {"table offset", 0x2F, 0x7F}, {"entry size", 0x3A, 8},  {"name table index", 0x3E, 9},
  };
  for (const auto& c : cases) {
    auto broken = good;
    broken[c.at] = c.value;
    EXPECT_FALSE(Find(broken, ".res.BINTYPE.DUMMY")) << c.label;
  }
  for (std::size_t cut : {0u, 10u, 52u, 64u, 100u}) {
    const fixture::Bytes truncated(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(std::min(cut, good.size())));
    EXPECT_FALSE(Find(truncated, ".res.BINTYPE.DUMMY")) << cut;
  }
  // A section whose bytes run past the end of the file.
  auto oversized = good;
  const std::size_t table = good.size() - 3 * 64;
  oversized[table + 2 * 64 + 32 + 4] = 0x10;
  EXPECT_FALSE(Find(oversized, ".res.BINTYPE.DUMMY"));
}

}  // namespace
}  // namespace vorn

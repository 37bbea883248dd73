// The ELF section finder over arbitrary bytes: it must answer "no resource" for anything broken
// and never read outside the file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "foundation/elf_sections.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto read = [data, size](void* buffer, std::size_t count, std::uint64_t position) -> std::size_t {
    if (position >= size) return 0;
    const std::size_t n = std::min<std::uint64_t>(count, size - position);
    std::memcpy(buffer, data + position, n);
    return n;
  };
  const auto section = vorn::FindElfSection(read, size, ".res.BINTYPE.DUMMY");
  if (section && (section->offset > size || section->size > size - section->offset)) __builtin_trap();
  return 0;
}

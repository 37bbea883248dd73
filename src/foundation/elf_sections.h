#pragma once

// Finds a named section in an ELF file. A player carries its resource archive in a non-allocated
// section ".res.<type>.<name>", added after the build with objcopy --add-section. Only the
// section table is read; nothing of the file is loaded or run.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vorn {

struct ElfSection {
  std::uint64_t offset = 0;  // of the section's bytes in the file
  std::uint64_t size = 0;
};

// Reads up to count bytes at a file position; returns the bytes read.
using ElfReadAt = std::function<std::size_t(void* buffer, std::size_t count, std::uint64_t position)>;

// The section of that name whose bytes lie inside the file. Broken headers, tables or names
// outside the file, other byte orders and non-ELF files all give nullopt: "no resource".
std::optional<ElfSection> FindElfSection(const ElfReadAt& read, std::uint64_t file_size, std::string_view name);

std::string ResourceSectionName(std::string_view resource_type, std::string_view resource_name);

}  // namespace vorn

#include "foundation/elf_sections.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vorn {
namespace {

constexpr std::uint32_t kSectionNoBits = 8;
constexpr std::uint16_t kSectionIndexEscape = 0xFFFF;

std::uint64_t Le(const std::uint8_t* bytes, int width) {
  std::uint64_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

struct Layout {
  bool wide;
  int header_size;
  int shoff_at, shentsize_at, shnum_at, shstrndx_at;
  int entry_size;  // smallest section header we accept
  int name_at, type_at, offset_at, size_at, link_at, word;
};

constexpr Layout kElf32{false, 52, 0x20, 0x2E, 0x30, 0x32, 40, 0, 4, 16, 20, 24, 4};
constexpr Layout kElf64{true, 64, 0x28, 0x3A, 0x3C, 0x3E, 64, 0, 4, 24, 32, 40, 8};

struct SectionHeader {
  std::uint32_t name = 0;
  std::uint32_t type = 0;
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
  std::uint32_t link = 0;
};

bool InsideFile(std::uint64_t offset, std::uint64_t size, std::uint64_t file_size) {
  return offset <= file_size && size <= file_size - offset;
}

}  // namespace

std::string ResourceSectionName(std::string_view resource_type, std::string_view resource_name) {
  return ".res." + std::string(resource_type) + "." + std::string(resource_name);
}

std::optional<ElfSection> FindElfSection(const ElfReadAt& read, std::uint64_t file_size, std::string_view name) {
  std::uint8_t header[64] = {};
  if (file_size < 52 || read(header, std::min<std::uint64_t>(file_size, 64), 0) < 52) return std::nullopt;
  if (std::memcmp(header, "\x7F" "ELF", 4) != 0 || header[5] != 1) return std::nullopt;  // little-endian only
  const Layout* layout = header[4] == 1 ? &kElf32 : header[4] == 2 ? &kElf64 : nullptr;
  if (!layout || file_size < static_cast<std::uint64_t>(layout->header_size)) return std::nullopt;

  const std::uint64_t table = Le(header + layout->shoff_at, layout->word);
  const std::uint64_t entry_size = Le(header + layout->shentsize_at, 2);
  std::uint64_t count = Le(header + layout->shnum_at, 2);
  std::uint64_t names_index = Le(header + layout->shstrndx_at, 2);
  if (table == 0 || entry_size < static_cast<std::uint64_t>(layout->entry_size)) return std::nullopt;

  auto read_section = [&](std::uint64_t index, SectionHeader& out) {
    if (index > (file_size / entry_size)) return false;
    const std::uint64_t at = table + index * entry_size;
    if (at < table || !InsideFile(at, static_cast<std::uint64_t>(layout->entry_size), file_size)) return false;
    std::uint8_t bytes[64];
    if (read(bytes, static_cast<std::size_t>(layout->entry_size), at) != static_cast<std::size_t>(layout->entry_size)) {
      return false;
    }
    out.name = static_cast<std::uint32_t>(Le(bytes + layout->name_at, 4));
    out.type = static_cast<std::uint32_t>(Le(bytes + layout->type_at, 4));
    out.offset = Le(bytes + layout->offset_at, layout->word);
    out.size = Le(bytes + layout->size_at, layout->word);
    out.link = static_cast<std::uint32_t>(Le(bytes + layout->link_at, 4));
    return true;
  };

  // Tables of 0xFF00 sections or more keep their true count and name-table index in section 0.
  if (count == 0 || names_index == kSectionIndexEscape) {
    SectionHeader first;
    if (!read_section(0, first)) return std::nullopt;
    if (count == 0) count = first.size;
    if (names_index == kSectionIndexEscape) names_index = first.link;
  }
  if (count == 0 || count > file_size / entry_size || names_index >= count) return std::nullopt;
  if (!InsideFile(table, count * entry_size, file_size)) return std::nullopt;

  SectionHeader names;
  if (!read_section(names_index, names) || names.type == kSectionNoBits ||
      !InsideFile(names.offset, names.size, file_size)) {
    return std::nullopt;
  }

  std::vector<char> candidate(name.size() + 1);
  for (std::uint64_t i = 0; i < count; ++i) {
    SectionHeader section;
    if (!read_section(i, section)) return std::nullopt;
    if (section.name >= names.size || names.size - section.name < candidate.size()) continue;
    if (read(candidate.data(), candidate.size(), names.offset + section.name) != candidate.size()) continue;
    if (std::memcmp(candidate.data(), name.data(), name.size()) != 0 || candidate.back() != '\0') continue;
    if (section.type == kSectionNoBits || !InsideFile(section.offset, section.size, file_size)) return std::nullopt;
    return ElfSection{section.offset, section.size};
  }
  return std::nullopt;
}

}  // namespace vorn

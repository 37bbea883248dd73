// Writes the seed corpora of the archive fuzz targets from the fixture writer:
//   archive_corpus tests/fuzz/corpus
#include <cstdio>
#include <filesystem>
#include <string>

#include "fixture/archive_fixture.h"

using namespace vorn::fixture;

namespace {

ArchivePlan Sample(std::uint32_t version) {
  ArchivePlan plan;
  plan.version = version;
  Bytes text(300);
  for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<std::uint8_t>('a' + i % 26);
  plan.members.push_back(MakeMember("vorn.vpb", text, 1, 0x5A210000));
  plan.members.push_back(MakeMember("bgm\\op.ogg", Bytes(64, 0x4F), version > 100 ? -1 : 1, 0x5A210001));
  plan.members.push_back(MakeMember("\x83\x5C.txt", Bytes(), 1));
  return plan;
}

void Put(const std::string& dir, const std::string& leaf, const Bytes& bytes) {
  std::filesystem::create_directories(dir);
  WriteWholeFile(dir + "/" + leaf, bytes);
}

Bytes Prefixed(std::uint8_t layout, const Bytes& bytes) {
  Bytes out;
  out.reserve(bytes.size() + 1);
  out.push_back(layout);
  out.insert(out.end(), bytes.begin(), bytes.end());
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_ROOT\n", argv[0]);
    return 2;
  }
  const std::string root = argv[1];
  const std::string directory = root + "/archive_directory";
  const std::string member = root + "/archive_member";
  const std::string elf = root + "/elf_sections";
  for (std::uint32_t version : {0u, 99u, 100u, 101u, 102u}) {
    const Bytes archive = BuildArchive(Sample(version));
    const std::string tag = "v" + std::to_string(version);
    Put(directory, "plain-" + tag + ".bin", Prefixed(0, archive));
    Put(member, "archive-" + tag + ".bin", archive);
  }
  const Bytes archive = BuildArchive(Sample(102));
  Put(directory, "appended-v102.bin", Prefixed(1, AppendToExecutable(Bytes(64, 0x90), archive)));
  Put(directory, "split-v102.bin", Prefixed(2, BuildSplitArchive(Sample(102)).first));
  ArchivePlan swapped = Sample(102);
  swapped.damage.swap_offsets = std::pair<int, int>{1, 2};
  Put(member, "archive-v102-swapped-offsets.bin", BuildArchive(swapped));
  ArchivePlan truncated = Sample(101);
  truncated.damage.truncate_at = 40;
  Put(directory, "plain-v101-truncated.bin", Prefixed(0, BuildArchive(truncated)));
  ArchivePlan huge = Sample(100);
  huge.damage.count = 0x10000000;
  Put(directory, "plain-v100-huge-count.bin", Prefixed(0, BuildArchive(huge)));
  ArchivePlan corrupt = Sample(102);
  corrupt.members[0].stored_bytes.resize(corrupt.members[0].stored_bytes.size() / 2);
  Put(member, "archive-v102-truncated-zlib.bin", BuildArchive(corrupt));
  Put(elf, "elf64-with-resource.bin", MinimalElfWithSection(".res.BINTYPE.DUMMY", archive));
  Put(elf, "elf64-other-section.bin", MinimalElfWithSection(".res.BINTYPE.OTHER", Bytes(8, 1)));

  const std::string resource = root + "/resource_archive";
  Put(resource, "elf64-archive-v102.bin", MinimalElfWithSection(".res.BINTYPE.DUMMY", archive));
  Put(resource, "elf64-archive-v100.bin", MinimalElfWithSection(".res.BINTYPE.DUMMY", BuildArchive(Sample(100))));
  Put(resource, "elf64-archive-v101-truncated.bin",
      MinimalElfWithSection(".res.BINTYPE.DUMMY", BuildArchive(truncated)));
  Put(resource, "elf64-empty-section.bin", MinimalElfWithSection(".res.BINTYPE.DUMMY", Bytes()));

  // Volume seeds: byte 0 the volume size - 1, byte 1 the cut (bit 7: a free cut at the low bits).
  const std::string volumes = root + "/big_file_volumes";
  Bytes counting(100);
  for (std::size_t i = 0; i < counting.size(); ++i) counting[i] = static_cast<std::uint8_t>(i);
  Bytes full = {15, 0};
  full.insert(full.end(), counting.begin(), counting.end());
  Put(volumes, "sixteen-byte-volumes.bin", full);
  Bytes short_first = {63, 0x80 | 10};
  short_first.insert(short_first.end(), counting.begin(), counting.end());
  Put(volumes, "short-first-volume.bin", short_first);
  Bytes split_archive = {63, 0x80 | 40};
  split_archive.insert(split_archive.end(), archive.begin(), archive.end());
  Put(volumes, "archive-cut-into-two-volumes.bin", split_archive);
  return 0;
}

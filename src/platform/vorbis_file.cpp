#include "platform/vorbis_file.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>

namespace vorn::platform {
namespace {

std::size_t ReadBytes(void* buffer, std::size_t size, std::size_t count, void* source) {
  if (size == 0) return 0;
  return static_cast<VorbisByteSource*>(source)->Read(buffer, size * count) / size;
}

int SeekBytes(void* raw, ogg_int64_t offset, int whence) {
  auto* source = static_cast<VorbisByteSource*>(raw);
  std::int64_t base = 0;
  if (whence == SEEK_CUR) base = source->Tell();
  if (whence == SEEK_END) base = source->Size();
  if (base < 0) return -1;
  const std::int64_t target = base + offset;
  if (target < 0) return -1;
  return source->SeekTo(target) ? 0 : -1;
}

long TellBytes(void* source) { return static_cast<long>(static_cast<VorbisByteSource*>(source)->Tell()); }

}  // namespace

struct VorbisFile::State {
  OggVorbis_File file{};
};

VorbisFile::VorbisFile(std::unique_ptr<State> state) : state_(std::move(state)) {}

VorbisFile::~VorbisFile() { ov_clear(&state_->file); }

std::unique_ptr<VorbisFile> VorbisFile::Open(VorbisByteSource& source) {
  auto state = std::make_unique<State>();
  const ov_callbacks callbacks{&ReadBytes, &SeekBytes, nullptr, &TellBytes};
  if (ov_open_callbacks(&source, &state->file, nullptr, 0, callbacks) != 0) return nullptr;
  // Opening a chain measures every link and can leave decoding at the last one.
  if (ov_seekable(&state->file) && ov_pcm_seek(&state->file, 0) != 0) {
    ov_clear(&state->file);
    return nullptr;
  }
  return std::unique_ptr<VorbisFile>(new VorbisFile(std::move(state)));
}

int VorbisFile::Links() const { return static_cast<int>(ov_streams(&state_->file)); }

VorbisLinkFormat VorbisFile::Format(int link) const {
  const vorbis_info* info = ov_info(&state_->file, link);
  if (info == nullptr) return {};
  return VorbisLinkFormat{info->channels, info->rate};
}

std::int64_t VorbisFile::LinkFrames(int link) const { return ov_pcm_total(&state_->file, link); }

long VorbisFile::Read(std::int16_t* out, std::size_t samples, int& link) {
  const int bytes = static_cast<int>(std::min<std::size_t>(samples * 2, 1 << 20));
  // A hole (lost or corrupt pages) is skipped; a run of them is a broken stream.
  for (int attempt = 0; attempt < 64; ++attempt) {
    int current = 0;
    const long got = ov_read(&state_->file, reinterpret_cast<char*>(out), bytes, 0, 2, 1, &current);
    if (got == OV_HOLE) continue;
    if (got < 0) return -1;
    // ov_read names the link it decoded; its channel count may differ from the one before.
    const vorbis_info* decoded = ov_info(&state_->file, current);
    link = current;
    if (decoded == nullptr || decoded->channels <= 0) return -1;
    return got / (decoded->channels * 2);
  }
  return -1;
}

bool VorbisFile::SeekFrame(std::int64_t frame) { return ov_pcm_seek(&state_->file, frame) == 0; }

}  // namespace vorn::platform

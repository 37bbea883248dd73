#include "graphics/ani_file.h"

#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/little_endian.h"
#include "graphics/graphics_errors.h"

namespace vorn {
namespace {

constexpr std::size_t kChunkHeaderSize = 8;
constexpr std::size_t kAniHeaderSize = 36;
constexpr std::uint32_t kFramesAreIconFiles = 1;

[[noreturn]] void RaiseInvalidAni(const std::string& why) {
  throw EInvalidGraphic("Invalid animated cursor file: " + why);
}

bool IdIs(const std::uint8_t* p, std::string_view id) { return std::memcmp(p, id.data(), 4) == 0; }

// A chunk's data as offsets into the file.
struct Chunk {
  std::size_t data = 0;
  std::size_t size = 0;
};

// Calls visit(id, chunk) for each chunk between begin and end; a chunk reaching past end refuses
// the file. The pad byte after an odd size may be missing at the very end.
template <typename Visit>
void WalkChunks(const std::vector<std::uint8_t>& bytes, std::size_t begin, std::size_t end, Visit visit) {
  std::size_t at = begin;
  while (at < end) {
    if (end - at < kChunkHeaderSize) RaiseInvalidAni("a chunk header past its container");
    const std::uint32_t size = GetLE32(bytes.data() + at + 4);
    const std::size_t data = at + kChunkHeaderSize;
    if (size > end - data) RaiseInvalidAni("a chunk past its container");
    visit(bytes.data() + at, Chunk{data, size});
    at = data + size;
    if ((size & 1) != 0 && at < end) ++at;
  }
}

struct AniHeader {
  std::uint32_t frames = 0;
  std::uint32_t steps = 0;
  std::uint32_t default_rate = 0;
  std::uint32_t flags = 0;
};

}  // namespace

TAniCursor ReadAniCursor(TStream& stream) {
  stream.SetPosition(0);
  const std::int64_t total = stream.Size();
  if (total < 12) RaiseInvalidAni("too short");
  if (total > TMemoryStream::kMaxMemoryStreamSize) RaiseInvalidAni("too large");
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(total));
  stream.ReadBuffer(bytes.data(), bytes.size());
  if (!IdIs(bytes.data(), "RIFF") || !IdIs(bytes.data() + 8, "ACON")) RaiseInvalidAni("not a RIFF ACON form");
  const std::uint32_t form_size = GetLE32(bytes.data() + 4);
  if (form_size < 4 || form_size > bytes.size() - kChunkHeaderSize) RaiseInvalidAni("the form past the file");
  const std::size_t form_end = kChunkHeaderSize + form_size;

  std::optional<AniHeader> header;
  std::optional<Chunk> rate;
  std::optional<Chunk> sequence;
  std::vector<Chunk> icons;
  WalkChunks(bytes, 12, form_end, [&](const std::uint8_t* id, const Chunk& chunk) {
    const std::uint8_t* data = bytes.data() + chunk.data;
    if (IdIs(id, "anih")) {
      if (chunk.size < kAniHeaderSize) RaiseInvalidAni("short header");
      if (!header) header = AniHeader{GetLE32(data + 4), GetLE32(data + 8), GetLE32(data + 28), GetLE32(data + 32)};
    } else if (IdIs(id, "rate")) {
      if (!rate) rate = chunk;
    } else if (IdIs(id, "seq ")) {
      if (!sequence) sequence = chunk;
    } else if (IdIs(id, "LIST") && chunk.size >= 4 && IdIs(data, "fram")) {
      WalkChunks(bytes, chunk.data + 4, chunk.data + chunk.size, [&](const std::uint8_t* inner, const Chunk& frame) {
        if (IdIs(inner, "icon")) icons.push_back(frame);
      });
    }
  });

  if (!header) RaiseInvalidAni("no header");
  if ((header->flags & kFramesAreIconFiles) == 0) RaiseInvalidAni("raw frames are not read");
  if (header->frames == 0) RaiseInvalidAni("no frames");
  // The frames actually present bound every count below before anything is sized from it.
  if (header->frames > icons.size()) RaiseInvalidAni("fewer frames than the header counts");
  const std::uint32_t frame_count = header->frames;
  const std::uint32_t step_count = sequence ? header->steps : frame_count;
  if (step_count == 0) RaiseInvalidAni("no steps");
  if (sequence && sequence->size / 4 < step_count) RaiseInvalidAni("a sequence shorter than the steps");
  if (rate && rate->size / 4 < step_count) RaiseInvalidAni("rates shorter than the steps");

  TAniCursor cursor;
  cursor.steps.reserve(step_count);
  for (std::uint32_t i = 0; i < step_count; ++i) {
    TAniStep step;
    step.frame = sequence ? GetLE32(bytes.data() + sequence->data + 4 * std::size_t{i}) : i;
    if (step.frame >= frame_count) RaiseInvalidAni("a step names a frame beyond the frames");
    const std::uint32_t jiffies = rate ? GetLE32(bytes.data() + rate->data + 4 * std::size_t{i}) : header->default_rate;
    step.jiffies = jiffies != 0 ? jiffies : 1;
    cursor.steps.push_back(step);
  }

  cursor.frames.reserve(frame_count);
  for (std::uint32_t i = 0; i < frame_count; ++i) {
    const Chunk& icon = icons[i];
    TMemoryStream file(std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(icon.data),
                                                 bytes.begin() + static_cast<std::ptrdiff_t>(icon.data + icon.size)));
    TAniFrame frame;
    frame.picture = std::make_unique<TDIBSurface>();
    std::int32_t key = -1;
    bool icon32 = false;
    frame.picture->ReadIconEntry(file, 0, key, true, icon32, frame.hot_spot);
    cursor.frames.push_back(std::move(frame));
  }
  return cursor;
}

}  // namespace vorn

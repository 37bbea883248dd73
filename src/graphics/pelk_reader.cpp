#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "foundation/system_texts.h"
#include "graphics/jpeg_codec.h"
#include "graphics/pelk_format.h"
#include "graphics/picture_limits.h"

namespace vorn {
namespace {

// Checked little-endian reads: a stored layered image never ends early, so a short read is a
// broken file.
std::int32_t ReadInt(TStream& s) {
  std::uint8_t b[4];
  s.ReadBuffer(b, 4);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | (b[1] << 8) |
                                   (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24));
}

std::uint8_t ReadByte(TStream& s) {
  std::uint8_t b = 0;
  s.ReadBuffer(&b, 1);
  return b;
}

void Skip(TStream& s, std::int64_t count) {
  if (count > s.Remaining()) throw EPelkError("layered image ends early");
  s.Seek(count, SeekOrigin::kCurrent);
}

std::string ReadString(TStream& s) {
  const std::int32_t length = ReadInt(s);
  if (length <= 0) return {};
  if (length > s.Remaining()) throw EPelkError("layered image: string longer than the file");
  std::string text(static_cast<std::size_t>(length), '\0');
  s.ReadBuffer(text.data(), text.size());
  return text;
}

std::int32_t ReadCount(TStream& s, std::int64_t bytesEach, const char* what) {
  const std::int32_t count = ReadInt(s);
  if (count < 0 || static_cast<std::int64_t>(count) * bytesEach > s.Remaining()) {
    throw EPelkError(std::string("layered image: bad ") + what + " count");
  }
  return count;
}

std::int32_t Le32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | (p[1] << 8) |
                                   (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
}

bool ValidDepth(std::int32_t depth) {
  switch (depth) {
    case 1: case 4: case 8: case 15: case 16: case 24: case 32: return true;
    default: return false;
  }
}

std::string BadDepthMessage(std::int32_t depth) {
  // The system's text carries one %d.
  std::string text(texts::kInvalidBitCountFormat);
  const std::size_t at = text.find("%d");
  if (at != std::string::npos) text.replace(at, 2, std::to_string(depth));
  return text;
}

// Copies pixels [x0, x0 + count) of a row between planes of the same depth, bit-exact below 8.
void CopyPixels(std::uint8_t* dst, int dstX, const std::uint8_t* src, int srcX, int count,
                int depth) {
  if (count <= 0) return;
  if (depth >= 8) {
    const int bytes = PelkStoredBits(depth) / 8;
    std::memcpy(dst + static_cast<std::size_t>(dstX) * bytes,
                src + static_cast<std::size_t>(srcX) * bytes,
                static_cast<std::size_t>(count) * bytes);
    return;
  }
  for (int i = 0; i < count; ++i) {
    const int sx = srcX + i, dx = dstX + i;
    if (depth == 1) {
      const int bit = (src[sx >> 3] >> (7 - (sx & 7))) & 1;
      const std::uint8_t mask = static_cast<std::uint8_t>(0x80 >> (dx & 7));
      dst[dx >> 3] = static_cast<std::uint8_t>(bit ? (dst[dx >> 3] | mask) : (dst[dx >> 3] & ~mask));
    } else {
      const int nibble = (sx & 1) ? (src[sx >> 1] & 15) : (src[sx >> 1] >> 4);
      std::uint8_t& d = dst[dx >> 1];
      d = static_cast<std::uint8_t>((dx & 1) ? ((d & 0xF0) | nibble) : ((d & 0x0F) | (nibble << 4)));
    }
  }
}

// Fills a plane from a JPEG's blue, green, red pixels (nearest palette entry at <= 8 bits).
void StoreBgr(PelkPlane& plane, const std::vector<std::uint8_t>& bgr,
              std::span<const std::uint8_t> palette) {
  const std::size_t entries = palette.size() / 4;
  for (int y = 0; y < plane.height; ++y) {
    std::uint8_t* row = plane.Row(y);
    const std::uint8_t* in = bgr.data() + static_cast<std::size_t>(y) * plane.width * 3;
    for (int x = 0; x < plane.width; ++x, in += 3) {
      const int b = in[0], g = in[1], r = in[2];
      switch (plane.depth) {
        case 24: std::memcpy(row + 3 * x, in, 3); break;
        case 32:
          std::memcpy(row + 4 * x, in, 3);
          row[4 * x + 3] = 0;
          break;
        case 16: {
          const unsigned w = ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
          row[2 * x] = static_cast<std::uint8_t>(w);
          row[2 * x + 1] = static_cast<std::uint8_t>(w >> 8);
          break;
        }
        case 15: {
          const unsigned w = ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
          row[2 * x] = static_cast<std::uint8_t>(w);
          row[2 * x + 1] = static_cast<std::uint8_t>(w >> 8);
          break;
        }
        default: {
          int best = 0;
          long bestDistance = -1;
          const std::size_t limit = std::min<std::size_t>(entries, std::size_t{1} << plane.depth);
          for (std::size_t i = 0; i < limit; ++i) {
            const long db = b - palette[4 * i], dg = g - palette[4 * i + 1],
                       dr = r - palette[4 * i + 2];
            const long distance = db * db + dg * dg + dr * dr;
            if (bestDistance < 0 || distance < bestDistance) {
              bestDistance = distance;
              best = static_cast<int>(i);
            }
          }
          const std::uint8_t index = static_cast<std::uint8_t>(best);
          CopyPixels(row, x, &index, plane.depth == 1 ? 7 : (plane.depth == 4 ? 1 : 0), 1,
                     plane.depth);
          break;
        }
      }
    }
  }
}

class PelkFrameReader {
 public:
  PelkFrameReader(TStream& stream, const PelkHeader& header, const PelkReadOptions& options,
                  const std::vector<PelkFrameData>& done)
      : s_(stream), header_(header), options_(options), done_(done) {}

  PelkFrameData ReadFrame(int frameIndex) {
    frameIndex_ = frameIndex;
    PelkFrameData frame;
    frame.name = ReadString(s_);
    frame.transparentPixel = ReadInt(s_);
    frame.delay = ReadInt(s_);
    Skip(s_, 5);
    // Every layer stores at least its fixed fields.
    const std::int32_t layerCount = ReadCount(s_, 17, "layer");
    frame.width = ReadInt(s_);
    frame.height = ReadInt(s_);
    frame.depth = ReadInt(s_);
    if (!ValidDepth(frame.depth)) throw EPelkError(BadDepthMessage(frame.depth));
    if (frame.width < 0 || frame.height < 0) throw EPelkError("layered image: negative size");
    if (ExceedsPictureLimit(frame.width, frame.height)) throw EPelkError("layered image: picture too large");
    if (frame.depth <= 8) {
      frame.palette.resize(std::size_t{4} << frame.depth);
      s_.ReadBuffer(frame.palette.data(), frame.palette.size());
    }
    current_ = &frame;
    for (std::int32_t i = 0; i < layerCount; ++i) {
      layerIndex_ = i;
      frame.layers.push_back(ReadLayer(frame));
    }
    current_ = nullptr;
    if (header_.version >= 104) {
      frame.rects1 = ReadRects();
      frame.rects2 = ReadRects();
    }
    return frame;
  }

 private:
  std::vector<PelkRectRecord> ReadRects() {
    const std::int32_t count = ReadCount(s_, 16, "rectangle");
    std::vector<PelkRectRecord> rects(static_cast<std::size_t>(count));
    for (auto& r : rects) {
      r.left = ReadInt(s_);
      r.top = ReadInt(s_);
      r.right = ReadInt(s_);
      r.bottom = ReadInt(s_);
    }
    return rects;
  }

  PelkLayerData ReadLayer(const PelkFrameData& frame) {
    PelkLayerData layer;
    Skip(s_, 8);
    layer.visible = ReadByte(s_) != 0;
    layer.transparentColor = ReadInt(s_);
    layer.opacity = ReadInt(s_);
    if (header_.version > 100) layer.alphaFlag = ReadByte(s_) != 0;
    ReadString(s_);
    GivePlaneMemory(layer.pixels, frame, false);
    ReadPixelPlane(layer.pixels, frame);
    if (header_.version > 99) {
      const std::span<const std::uint8_t> stored = ReadPlaneBytes();
      if (!stored.empty()) {
        GivePlaneMemory(layer.alpha, frame, true);
        const bool inflate = header_.compression != kPelkRaw;
        DecodeRows(layer.alpha, stored, inflate, header_.compression != kPelkJpeg, true);
      }
    }
    return layer;
  }

  void GivePlaneMemory(PelkPlane& plane, const PelkFrameData& frame, bool alpha) {
    if (options_.bindPlane && frame.width > 0 && frame.height > 0) {
      options_.bindPlane(frameIndex_, layerIndex_, frame, alpha, plane);
    } else {
      plane.Allocate(frame.width, frame.height, alpha ? 8 : frame.depth);
    }
  }

  // The stored bytes of the next plane: in place when the stream is in memory.
  std::span<const std::uint8_t> ReadPlaneBytes() {
    const std::int32_t size = ReadInt(s_);
    if (size < 0 || size > s_.Remaining()) {
      throw EPelkError("layered image: plane larger than the file");
    }
    if (auto* memory = dynamic_cast<TMemoryStream*>(&s_)) {
      const std::int64_t at = memory->Position();
      memory->Seek(size, SeekOrigin::kCurrent);
      return {memory->Memory() + at, static_cast<std::size_t>(size)};
    }
    planeBuffer_.resize(static_cast<std::size_t>(size));
    s_.ReadBuffer(planeBuffer_.data(), planeBuffer_.size());
    return planeBuffer_;
  }

  void ReadPixelPlane(PelkPlane& plane, const PelkFrameData& frame) {
    const std::span<const std::uint8_t> stored = ReadPlaneBytes();
    if (header_.compression == kPelkJpeg) {
      if (stored.empty() && (plane.width == 0 || plane.height == 0)) return;
      const JpegImage jpeg = DecodeJpeg(stored, plane.width, plane.height);
      StoreBgr(plane, jpeg.bgr, frame.palette);
      return;
    }
    DecodeRows(plane, stored, header_.compression == kPelkZlib, true, false);
  }

  // Most bytes the raw form of a plane can take: the rows, or a full tile table and every tile
  // (saturating, so absurd tile sizes only make the plane too large).
  std::int64_t MaxRawBytes(const PelkPlane& plane, bool tiled) const {
    if (!tiled) return static_cast<std::int64_t>(plane.stride) * plane.height;
    using Wide = unsigned __int128;
    const Wide across = (static_cast<Wide>(plane.width) + header_.tileWidth - 1) / header_.tileWidth;
    const Wide down = (static_cast<Wide>(plane.height) + header_.tileHeight - 1) / header_.tileHeight;
    const Wide tileRow = (static_cast<Wide>(PelkStoredBits(plane.depth)) * header_.tileWidth + 7) / 8;
    const Wide most = across * down * 8 + tileRow * static_cast<Wide>(plane.height) * across;
    return most > static_cast<Wide>(INT64_MAX) ? INT64_MAX : static_cast<std::int64_t>(most);
  }

  void DecodeRows(PelkPlane& plane, std::span<const std::uint8_t> stored, bool inflate,
                  bool layoutApplies, bool alphaPlane) {
    const bool tiled = layoutApplies && header_.Tiled();
    std::span<const std::uint8_t> raw = stored;
    // Inflated planes go through one buffer kept by the thread, so that loading image after
    // image does not fault in fresh memory for every plane.
    thread_local std::vector<std::uint8_t> scratch;
    constexpr std::size_t kScratchKeptBytes = std::size_t{64} << 20;
    struct Trim {
      ~Trim() {
        if (scratch.capacity() > kScratchKeptBytes) std::vector<std::uint8_t>().swap(scratch);
      }
    } trim;
    if (inflate) {
      const std::int64_t most = MaxRawBytes(plane, tiled);
      if (most > 0x7FFFFFFF) throw EPelkError("layered image: plane too large");
      if (scratch.size() < static_cast<std::size_t>(most)) scratch.resize(static_cast<std::size_t>(most));
      const std::size_t got = InflatePelkPlaneInto(stored, scratch.data(), static_cast<std::size_t>(most));
      raw = std::span<const std::uint8_t>(scratch.data(), got);
    }
    const bool shuffled = layoutApplies && header_.RowsShuffled();
    if (tiled) {
      DecodeTiles(plane, raw, shuffled, alphaPlane);
      return;
    }
    const std::size_t need = plane.stride * static_cast<std::size_t>(plane.height);
    if (raw.size() < need) throw EPelkError("layered image: plane shorter than its rows");
    if (need == 0) return;
    const auto order = shuffled ? PelkShuffleOrder(options_.identificationCode, plane.height)
                                : std::vector<std::int32_t>();
    for (int i = 0; i < plane.height; ++i) {
      std::memcpy(plane.Row(shuffled ? order[i] : i), raw.data() + plane.stride * i, plane.stride);
    }
  }

  const PelkPlane* ReferencedPlane(std::int32_t frameIndex, std::int32_t layerIndex,
                                   bool alphaPlane) const {
    const PelkFrameData* frame = nullptr;
    std::int32_t layersReady = 0;
    if (frameIndex < static_cast<std::int32_t>(done_.size())) {
      frame = &done_[frameIndex];
      layersReady = static_cast<std::int32_t>(frame->layers.size());
    } else if (frameIndex == frameIndex_) {
      frame = current_;
      layersReady = layerIndex_;
    }
    if (!frame || layerIndex < 0 || layerIndex >= layersReady) return nullptr;
    const PelkLayerData& layer = frame->layers[layerIndex];
    if (alphaPlane) return layer.HasAlpha() ? &layer.alpha : nullptr;
    return &layer.pixels;
  }

  void DecodeTiles(PelkPlane& plane, std::span<const std::uint8_t> raw, bool shuffled,
                   bool alphaPlane) {
    const std::int32_t tw = header_.tileWidth, th = header_.tileHeight;
    const std::int64_t across = (plane.width + std::int64_t{tw} - 1) / tw;
    const std::int64_t down = (plane.height + std::int64_t{th} - 1) / th;
    const std::int64_t count = across * down;
    if (count > static_cast<std::int64_t>(raw.size() / 8)) {
      throw EPelkError("layered image: tile table longer than the plane");
    }
    std::vector<std::int32_t> table(static_cast<std::size_t>(count) * 2);
    const auto order = shuffled ? PelkShuffleOrder(options_.identificationCode,
                                                   static_cast<std::int32_t>(count))
                                : std::vector<std::int32_t>();
    for (std::int64_t i = 0; i < count; ++i) {
      const std::int64_t at = shuffled ? order[i] : i;
      table[2 * at] = Le32(raw.data() + 8 * i);
      table[2 * at + 1] = Le32(raw.data() + 8 * i + 4);
    }
    std::size_t offset = static_cast<std::size_t>(count) * 8;
    const std::size_t tileRowBytes =
        static_cast<std::size_t>((PelkStoredBits(plane.depth) * std::int64_t{tw} + 7) / 8);
    for (std::int64_t t = 0; t < count; ++t) {
      const int x0 = static_cast<int>((t % across) * tw);
      const int y0 = static_cast<int>((t / across) * th);
      const int w = static_cast<int>(std::min<std::int64_t>(tw, plane.width - x0));
      const int h = static_cast<int>(std::min<std::int64_t>(th, plane.height - y0));
      const std::int32_t a = table[2 * t], b = table[2 * t + 1];
      if (a == -1) {
        if (h > 0 && tileRowBytes > (raw.size() - offset) / static_cast<std::size_t>(h)) {
          throw EPelkError("layered image: plane shorter than its tiles");
        }
        for (int y = 0; y < h; ++y) {
          CopyPixels(plane.Row(y0 + y), x0, raw.data() + offset, 0, w, plane.depth);
          offset += tileRowBytes;
        }
      } else if (a == -2) {
        if (b < 0 || b >= t) throw EPelkError("layered image: tile copies a tile not yet read");
        const int sx = static_cast<int>((b % across) * tw);
        const int sy = static_cast<int>((b / across) * th);
        const int sw = static_cast<int>(std::min<std::int64_t>(tw, plane.width - sx));
        const int sh = static_cast<int>(std::min<std::int64_t>(th, plane.height - sy));
        if (sw < w || sh < h) throw EPelkError("layered image: tile copies a smaller tile");
        for (int y = 0; y < h; ++y) {
          CopyPixels(plane.Row(y0 + y), x0, plane.Row(sy + y), sx, w, plane.depth);
        }
      } else if (a >= 0) {
        const PelkPlane* source = ReferencedPlane(a, b, alphaPlane);
        if (!source) throw EPelkError("layered image: tile names a layer not read");
        if (source->depth != plane.depth || source->width < x0 + w || source->height < y0 + h) {
          throw EPelkError("layered image: tile names a layer that does not fit");
        }
        for (int y = 0; y < h; ++y) {
          CopyPixels(plane.Row(y0 + y), x0, source->Row(y0 + y), x0, w, plane.depth);
        }
      } else {
        throw EPelkError("layered image: bad tile entry");
      }
    }
  }

  TStream& s_;
  const PelkHeader& header_;
  const PelkReadOptions& options_;
  const std::vector<PelkFrameData>& done_;
  const PelkFrameData* current_ = nullptr;
  std::vector<std::uint8_t> planeBuffer_;
  int frameIndex_ = 0;
  std::int32_t layerIndex_ = 0;
};

}  // namespace

PelkHeader ReadPelkHeader(TStream& stream) {
  PelkHeader header;
  const std::int64_t start = stream.Position();
  std::uint8_t magic[7] = {};
  const std::size_t got = stream.Read(magic, 7);
  if (got == 7 && std::memcmp(magic, kPelkMagic, 4) == 0) {
    int version = 0;
    for (int i = 4; i < 7; ++i) {
      if (magic[i] < '0' || magic[i] > '9') throw EPelkError("layered image: bad version");
      version = version * 10 + (magic[i] - '0');
    }
    header.fileVersion = version;
  } else {
    stream.SetPosition(start);
  }
  header.version = header.fileVersion;
  if (header.fileVersion < 103) {
    header.frameCount = ReadInt(stream);
    Skip(stream, 1);
    if (header.fileVersion > 101) header.background = static_cast<std::uint32_t>(ReadInt(stream));
    return header;
  }
  const std::int32_t size = ReadInt(stream);
  if (size < kPelkMinHeaderBytes) throw EPelkError("layered image: header too short");
  std::uint8_t record[kPelkHeaderRecordBytes] = {};
  const std::int32_t take = std::min(size, kPelkHeaderRecordBytes);
  stream.ReadBuffer(record, static_cast<std::size_t>(take));
  Skip(stream, size - take);
  header.version = Le32(record);
  header.width = Le32(record + 4);
  header.height = Le32(record + 8);
  header.depth = Le32(record + 12);
  header.frameCount = Le32(record + 16);
  header.byte20 = record[20];
  header.scrambled = record[21];
  header.compression = record[22];
  header.background = static_cast<std::uint32_t>(Le32(record + 24));
  header.tileWidth = Le32(record + 28);
  header.tileHeight = Le32(record + 32);
  if (header.version >= 105) header.firstLayerOpaque = record[36];
  header.jpegQuality = record[37];
  if (header.compression > kPelkJpeg) throw EPelkError("layered image: unknown compression");
  return header;
}

void ReadPelkFrames(TStream& stream, const PelkHeader& header, const PelkReadOptions& options,
                    std::vector<PelkFrameData>& frames) {
  if (header.frameCount < 0) throw EPelkError("layered image: bad frame count");
  const std::int32_t count = options.firstOnly ? std::min(header.frameCount, 1) : header.frameCount;
  // Every frame stores at least its fixed fields (33 bytes).
  if (std::int64_t{count} * 33 > stream.Remaining()) {
    throw EPelkError("layered image: bad frame count");
  }
  PelkFrameReader reader(stream, header, options, frames);
  for (std::int32_t i = 0; i < count; ++i) frames.push_back(reader.ReadFrame(i));
}

bool PelkStreamIsRaw(TStream& stream) {
  std::int64_t start = 0;
  try {
    start = stream.Position();
  } catch (const std::exception&) {
    return false;
  }
  bool raw = false;
  try {
    const PelkHeader header = ReadPelkHeader(stream);
    raw = header.fileVersion >= 103 && header.compression == kPelkRaw;
  } catch (const std::exception&) {
    raw = false;
  }
  try {
    stream.SetPosition(start);
  } catch (const std::exception&) {
  }
  return raw;
}

}  // namespace vorn

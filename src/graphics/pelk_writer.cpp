#include <cstdio>
#include <cstring>

#include "graphics/jpeg_codec.h"
#include "graphics/pelk_format.h"

namespace vorn {
namespace {

constexpr int kPelkZlibLevel = 1;
constexpr std::uint8_t kFrameMarkerByte = 2;

void PutInt(std::vector<std::uint8_t>& out, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  out.insert(out.end(), {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
                         static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)});
}

void PutString(std::vector<std::uint8_t>& out, const std::string& text) {
  PutInt(out, static_cast<std::int32_t>(text.size()));
  out.insert(out.end(), text.begin(), text.end());
}

void PutBytes(TStream& stream, std::vector<std::uint8_t>& out) {
  stream.WriteBuffer(out.data(), out.size());
  out.clear();
}

std::vector<std::uint8_t> RawRows(const PelkPlane& plane, bool shuffled, std::uint32_t code) {
  std::vector<std::uint8_t> raw(plane.stride * static_cast<std::size_t>(plane.height));
  if (raw.empty()) return raw;
  if (!shuffled) {
    for (int y = 0; y < plane.height; ++y) {
      std::memcpy(raw.data() + plane.stride * y, plane.Row(y), plane.stride);
    }
    return raw;
  }
  const auto order = PelkShuffleOrder(code, plane.height);
  for (int i = 0; i < plane.height; ++i) {
    std::memcpy(raw.data() + plane.stride * i, plane.Row(order[i]), plane.stride);
  }
  return raw;
}

void WritePlane(TStream& stream, std::vector<std::uint8_t>& out,
                const std::vector<std::uint8_t>& bytes) {
  PutInt(out, static_cast<std::int32_t>(bytes.size()));
  PutBytes(stream, out);
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), bytes.size());
}

}  // namespace

void WritePelkFrames(TStream& stream, const std::vector<PelkFrameData>& frames,
                     const PelkWriteOptions& options) {
  const bool scrambled = options.identificationCode != 0;
  const std::uint8_t compression =
      scrambled ? static_cast<std::uint8_t>(kPelkRaw) : options.compression;
  std::vector<std::uint8_t> out;
  out.insert(out.end(), {'P', 'e', 'l', 'k', '1', '0', '6'});
  PutInt(out, kPelkHeaderRecordBytes);
  std::uint8_t record[kPelkHeaderRecordBytes] = {};
  auto put32 = [&record](int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) record[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  put32(0, kPelkWrittenVersion);
  if (!frames.empty()) {
    put32(4, static_cast<std::uint32_t>(frames[0].width));
    put32(8, static_cast<std::uint32_t>(frames[0].height));
    put32(12, static_cast<std::uint32_t>(frames[0].depth));
  }
  put32(16, static_cast<std::uint32_t>(frames.size()));
  record[20] = 1;
  record[21] = scrambled ? 1 : 0;
  record[22] = compression;
  put32(24, options.background);
  record[36] = options.firstLayerOpaque;
  record[37] = static_cast<std::uint8_t>(options.jpegQuality);
  out.insert(out.end(), record, record + sizeof record);
  PutBytes(stream, out);

  for (std::size_t f = 0; f < frames.size(); ++f) {
    const PelkFrameData& frame = frames[f];
    char name[32];
    std::snprintf(name, sizeof name, "Frame%d", static_cast<int>(f + 1));
    PutString(out, name);
    PutInt(out, frame.transparentPixel);
    PutInt(out, frame.delay);
    out.push_back(kFrameMarkerByte);
    PutInt(out, 0);
    PutInt(out, 1);
    PutInt(out, frame.width);
    PutInt(out, frame.height);
    PutInt(out, frame.depth);
    if (frame.depth <= 8) {
      std::vector<std::uint8_t> palette = frame.palette;
      palette.resize(std::size_t{4} << frame.depth, 0);
      out.insert(out.end(), palette.begin(), palette.end());
    }
    static const PelkLayerData kNoLayer;
    const PelkLayerData& layer = frame.layers.empty() ? kNoLayer : frame.layers[0];
    out.insert(out.end(), 8, 0);
    out.push_back(1);
    PutInt(out, -1);
    PutInt(out, 255);
    out.push_back(layer.HasAlpha() ? 1 : 0);
    PutString(out, "Layer");

    std::vector<std::uint8_t> pixels;
    if (compression == kPelkJpeg) {
      const auto bgr = PelkPlaneToBgr(layer.pixels, frame.palette);
      if (!bgr.empty()) {
        pixels = EncodeJpeg(bgr.data(), layer.pixels.width, layer.pixels.height,
                            static_cast<std::size_t>(layer.pixels.width) * 3,
                            options.jpegQuality);
      }
    } else {
      pixels = RawRows(layer.pixels, scrambled, options.identificationCode);
      if (compression == kPelkZlib) pixels = DeflatePelkPlane(pixels, kPelkZlibLevel);
    }
    WritePlane(stream, out, pixels);

    std::vector<std::uint8_t> alpha;
    if (layer.HasAlpha()) {
      alpha = RawRows(layer.alpha, scrambled && compression != kPelkJpeg,
                      options.identificationCode);
      if (compression != kPelkRaw) alpha = DeflatePelkPlane(alpha, kPelkZlibLevel);
    }
    WritePlane(stream, out, alpha);
    PutInt(out, 0);
    PutInt(out, 0);
    PutBytes(stream, out);
  }
}

}  // namespace vorn

#pragma once

// The layered image format (".pel") at the level of its stored fields and pixel planes. This layer
// knows nothing of drawing: it turns bytes into frames of layers of plain pixel planes and back.
// TPelkFrameList builds its composites on top of it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "foundation/stream.h"

namespace vorn {

// A layered image breaks its format (bad header, counts, sizes, planes or tile references).
class EPelkError : public EReadError {
 public:
  using EReadError::EReadError;
};

inline constexpr char kPelkMagic[] = "Pelk";
inline constexpr int kPelkWrittenVersion = 106;
inline constexpr int kPelkHeaderRecordBytes = 40;
inline constexpr int kPelkMinHeaderBytes = 20;
inline constexpr std::int32_t kPelkDefaultDelayMs = 100;

enum PelkCompression : std::uint8_t { kPelkZlib = 0, kPelkRaw = 1, kPelkJpeg = 2 };

// Bits a row of a plane of the given depth stores per pixel (15 is held in 16-bit words).
inline int PelkStoredBits(int depth) { return depth == 15 ? 16 : depth; }

// One row of a device-independent bitmap: bits per pixel times width, rounded up to 32 bits.
inline std::int64_t PelkDibRowBytes(std::int64_t width, int depth) {
  return ((PelkStoredBits(depth) * width + 31) >> 5) * 4;
}

// A picture plane in DIB row layout, top row first. depth is 1, 4, 8, 15, 16, 24 or 32 for pixel
// planes and 8 for alpha planes.
struct PelkPlane {
  int width = 0;
  int height = 0;
  int depth = 0;
  std::size_t stride = 0;
  std::vector<std::uint8_t> bytes;  // the rows, top-down, when the plane owns them
  // Rows held elsewhere (a bitmap's memory): row y starts at external + y * pitch.
  std::uint8_t* external = nullptr;
  std::ptrdiff_t pitch = 0;

  void Allocate(int w, int h, int d) {
    width = w;
    height = h;
    depth = d;
    stride = static_cast<std::size_t>(PelkDibRowBytes(w, d));
    bytes.assign(stride * static_cast<std::size_t>(h), 0);
    external = nullptr;
  }
  // Decodes straight into memory owned elsewhere; rows of `stride` bytes, `rowPitch` apart.
  void Bind(int w, int h, int d, std::uint8_t* top, std::ptrdiff_t rowPitch) {
    width = w;
    height = h;
    depth = d;
    stride = static_cast<std::size_t>(PelkDibRowBytes(w, d));
    bytes.clear();
    external = top;
    pitch = rowPitch;
  }
  bool Empty() const { return bytes.empty() && width == 0 && height == 0; }
  std::uint8_t* Row(int y) {
    return external ? external + pitch * y : bytes.data() + stride * static_cast<std::size_t>(y);
  }
  const std::uint8_t* Row(int y) const {
    return external ? external + pitch * y : bytes.data() + stride * static_cast<std::size_t>(y);
  }
};

struct PelkRectRecord {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  friend bool operator==(const PelkRectRecord&, const PelkRectRecord&) = default;
};

struct PelkLayerData {
  bool visible = true;
  std::int32_t transparentColor = -1;
  std::int32_t opacity = 255;
  bool alphaFlag = false;
  PelkPlane pixels;
  PelkPlane alpha;  // depth 0 and no bytes when the layer has none
  bool HasAlpha() const { return alpha.depth == 8; }
};

struct PelkFrameData {
  std::string name;
  std::int32_t transparentPixel = -1;
  std::int32_t delay = kPelkDefaultDelayMs;
  int width = 0;
  int height = 0;
  int depth = 0;
  std::vector<std::uint8_t> palette;  // 4 x 2^depth bytes (blue, green, red, 0) at <= 8 bits
  std::vector<PelkLayerData> layers;
  std::vector<PelkRectRecord> rects1;
  std::vector<PelkRectRecord> rects2;
};

// The header fields as one record (versions below 103 have only a frame count and, above 101,
// the background colour; the rest stays 0).
struct PelkHeader {
  int fileVersion = 0;  // from the magic; 0 without one
  int version = 0;      // what the frames and planes consult
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t depth = 0;
  std::int32_t frameCount = 0;
  std::uint8_t byte20 = 0;
  std::uint8_t scrambled = 0;
  std::uint8_t compression = kPelkZlib;
  std::uint32_t background = 0;
  std::int32_t tileWidth = 0;
  std::int32_t tileHeight = 0;
  std::uint8_t firstLayerOpaque = 0;
  std::uint8_t jpegQuality = 0;

  bool Tiled() const { return tileWidth > 0 && tileHeight > 0 && compression != kPelkJpeg; }
  bool RowsShuffled() const { return scrambled && version > 102 && compression != kPelkJpeg; }
};

struct PelkReadOptions {
  std::uint32_t identificationCode = 0;
  bool firstOnly = false;
  // Gives a plane its memory (PelkPlane::Bind) instead of the plane owning it; called with the
  // frame and layer index, the frame (size, depth, palette read) and whether it is the alpha plane.
  std::function<void(int frame, int layer, const PelkFrameData& data, bool alpha, PelkPlane& plane)>
      bindPlane;
};

// Reads the magic and header. Leaves the stream at the first frame.
PelkHeader ReadPelkHeader(TStream& stream);

// Reads a whole layered image. Frames are appended to `frames` only once complete, so after an
// exception it holds the frames read before the fault.
void ReadPelkFrames(TStream& stream, const PelkHeader& header, const PelkReadOptions& options,
                    std::vector<PelkFrameData>& frames);

// What the writer needs of the image beyond its frames (each frame is written with its first
// layer: pixel plane and optional alpha plane).
struct PelkWriteOptions {
  std::uint32_t identificationCode = 0;
  std::uint8_t compression = kPelkZlib;
  int jpegQuality = 70;
  std::uint32_t background = 0;
  std::uint8_t firstLayerOpaque = 0;
};

void WritePelkFrames(TStream& stream, const std::vector<PelkFrameData>& frames,
                     const PelkWriteOptions& options);

// Reads the magic and header of a stream and answers whether its planes are stored raw
// (version 103 or later with compression 1). Never raises; the position is restored.
bool PelkStreamIsRaw(TStream& stream);

// The order in which a shuffled plane stores its n rows (or tile entries): entry i holds item
// order[i]. A code of 0 still draws from the bag (with increment 0).
std::vector<std::int32_t> PelkShuffleOrder(std::uint32_t code, std::int32_t n);

// Inflates a zlib stream into at most maxBytes bytes; returns what it produced (never more).
std::vector<std::uint8_t> InflatePelkPlane(std::span<const std::uint8_t> compressed,
                                           std::size_t maxBytes);
// The same into a buffer of maxBytes; returns the number of bytes produced.
std::size_t InflatePelkPlaneInto(std::span<const std::uint8_t> compressed, std::uint8_t* out,
                                 std::size_t maxBytes);
std::vector<std::uint8_t> DeflatePelkPlane(std::span<const std::uint8_t> raw, int level);

// Colour helpers shared by the reader and the frame list.
// The 0x00BBGGRR colour of a pixel value of a plane of the given depth (palette at <= 8 bits);
// 5- and 6-bit fields are widened like the drawing layer widens 16-bit pixels.
std::int32_t PelkPixelToColor(std::uint32_t pixel, int depth, std::span<const std::uint8_t> palette);
// Blue, green, red rows from any plane, for the JPEG encoder.
std::vector<std::uint8_t> PelkPlaneToBgr(const PelkPlane& plane,
                                         std::span<const std::uint8_t> palette);

}  // namespace vorn

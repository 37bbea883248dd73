// Decodes the input into one screen transition with arbitrary parameters, duration, direction and
// page shapes, then draws a sequence of steps. No step may read or write outside a surface,
// divide by zero or overflow.
//
// Layout: kind, target width, target height, depth, page shape flags, [from width, from height],
// [to depth], [16-bit length and the bytes of a mask picture file], param 0, param 1, total,
// direction, vector flag, then one int32 per step. The mask picture is a file of a small running
// project, handed to every kind by name (three kinds read it).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fixture/scratch_project.h"
#include "graphics/memory_dibx.h"
#include "graphics/vector_unit.h"
#include "transitions/create_wipe.h"

namespace {

using namespace vorn;

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool More() const { return pos_ < size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::int32_t Int() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v | (static_cast<std::uint32_t>(Byte()) << (8 * i));
    return static_cast<std::int32_t>(v);
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

const int kDepths[] = {8, 15, 16, 24, 32};

// The project whose files the mask kinds read; each picture gets a fresh name, so that no cached
// copy of an earlier one is read.
class MaskPictures {
 public:
  std::string Add(const std::vector<std::uint8_t>& bytes) {
    project_.RemoveFile(name_);
    name_ = "mask" + std::to_string(++count_) + ".pel";
    project_.AddFile(name_, bytes);
    return name_;
  }

 private:
  fixture::ScratchProject project_;
  std::string name_ = "none.pel";
  int count_ = 0;
};

MaskPictures& Masks() {
  static MaskPictures pictures;
  return pictures;
}

constexpr int kMaxSide = 48;
constexpr int kMaxSteps = 64;

void Paint(TMemoryDIBX& page, std::uint32_t seed) {
  for (int y = 0; y < page.GetHeight(); ++y)
    for (int x = 0; x < page.GetWidth(); ++x)
      page.SetPixel(x, y, (seed + static_cast<std::uint32_t>(x * 37 + y * 101)) * 0x9E3779B1u);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader in(data, size);
  const auto kind = static_cast<std::uint8_t>(in.Byte() % 38 + 1);
  const int width = in.Byte() % (kMaxSide + 1);
  const int height = in.Byte() % (kMaxSide + 1);
  const int depth = kDepths[in.Byte() % 5];
  const std::uint8_t shape = in.Byte();
  int fromWidth = width, fromHeight = height, toDepth = depth;
  if (shape & 1) {
    fromWidth = in.Byte() % (kMaxSide + 1);
    fromHeight = in.Byte() % (kMaxSide + 1);
  }
  if (shape & 2) toDepth = kDepths[in.Byte() % 5];
  std::string maskName;
  if (shape & 4) {
    const int length = in.Byte() | (in.Byte() << 8);
    std::vector<std::uint8_t> mask;
    for (int i = 0; i < length && in.More(); ++i) mask.push_back(in.Byte());
    maskName = Masks().Add(mask);
  }

  TMemoryDIBX target(width, height, depth);
  TMemoryDIBX from(fromWidth, fromHeight, depth);
  TMemoryDIBX to(width, height, toDepth);
  Paint(from, 1);
  Paint(to, 2);

  std::unique_ptr<TCustomWipe> wipe = CreateWipe(kind, target, from, to);
  if (!wipe) return 0;
  if (!maskName.empty()) wipe->SetMaskName(maskName);
  wipe->SetParam(0, in.Int());
  wipe->SetParam(1, in.Int());
  wipe->Total = in.Int();
  wipe->SetDirection(in.Byte());
  ScopedVectorUnitOverride unit((in.Byte() & 1) != 0);
  wipe->Prepare();
  for (int step = 0; step < kMaxSteps && in.More(); ++step) {
    wipe->Current = in.Int();
    wipe->Draw();
  }
  return 0;
}

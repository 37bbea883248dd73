// Renders one screen transition at chosen fractions of its duration into one PNG, side by side,
// for review by eye. The from and to pages are built in: warm diagonal bands with a frame, and
// cool rings on a grid, so that both pages and their mixtures are easy to tell apart.
//
//   transition-sheet KIND OUT.png [--at 0,0.25,0.5,0.75,0.99] [--size 320x240]
//                    [--param0 N] [--param1 N] [--direction D] [--mask FILE]
//
// KIND is a WP_ name (WP_FADE) or its number (1..38). --mask names a layered-image file on the
// host: it becomes a file of a scratch project, and the effects that read a mask picture read it
// from there as they would from a game's files.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fixture/png_writer.h"
#include "fixture/scratch_project.h"
#include "foundation/vocabulary.h"
#include "graphics/dibx.h"
#include "platform/framebuffer.h"
#include "transitions/create_wipe.h"

namespace {

using namespace vorn;
using vocabulary::kTransitionCount;
using vocabulary::kTransitions;

constexpr std::int32_t kTotal = 10000;
constexpr int kGap = 4;

struct Options {
  int kind = 0;
  std::string out;
  std::vector<double> fractions{0, 0.25, 0.5, 0.75, 0.99};
  int width = 320;
  int height = 240;
  bool hasParam0 = false, hasParam1 = false;
  std::int32_t param0 = 0, param1 = 0;
  int direction = 0;
  std::string mask;
};

int KindOf(const std::string& text) {
  for (int i = 1; i < kTransitionCount; ++i)
    if (kTransitions[static_cast<std::size_t>(i)].name == text) return i;
  char* end = nullptr;
  const long n = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() && *end == '\0' && n >= 1 && n < kTransitionCount) return static_cast<int>(n);
  return 0;
}

bool Parse(int argc, char** argv, Options& o) {
  if (argc < 3) return false;
  o.kind = KindOf(argv[1]);
  o.out = argv[2];
  if (o.kind == 0) {
    std::cerr << "transition-sheet: unknown kind " << argv[1] << "\n";
    return false;
  }
  for (int i = 3; i + 1 < argc + 1; i += 2) {
    if (i + 1 >= argc) return false;
    const std::string key = argv[i], value = argv[i + 1];
    if (key == "--at") {
      o.fractions.clear();
      std::stringstream in(value);
      std::string part;
      while (std::getline(in, part, ',')) o.fractions.push_back(std::atof(part.c_str()));
    } else if (key == "--size") {
      if (std::sscanf(value.c_str(), "%dx%d", &o.width, &o.height) != 2) return false;
      o.width = std::clamp(o.width, 1, 4096);
      o.height = std::clamp(o.height, 1, 4096);
    } else if (key == "--param0") {
      o.hasParam0 = true;
      o.param0 = static_cast<std::int32_t>(std::atol(value.c_str()));
    } else if (key == "--param1") {
      o.hasParam1 = true;
      o.param1 = static_cast<std::int32_t>(std::atol(value.c_str()));
    } else if (key == "--direction") {
      o.direction = std::atoi(value.c_str()) & 0xFF;
    } else if (key == "--mask") {
      o.mask = value;
    } else {
      return false;
    }
  }
  return !o.fractions.empty();
}

void PaintFrom(TDIBX& page, int w, int h) {
  page.SetSize(w, h, 32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool band = ((x + y) / 16) % 2 == 0;
      const bool frame = x < 6 || y < 6 || x >= w - 6 || y >= h - 6;
      const std::uint32_t rgb = frame ? 0x202020 : band ? 0xE06020 : 0xF0C040;
      page.SetPixel(x, y, rgb);
    }
}

void PaintTo(TDIBX& page, int w, int h) {
  page.SetSize(w, h, 32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double dx = x - w / 2.0, dy = y - h / 2.0;
      const bool ring = static_cast<int>(std::sqrt(dx * dx + dy * dy) / 12) % 2 == 0;
      const bool grid = x % 32 == 0 || y % 32 == 0;
      const std::uint32_t rgb = grid ? 0xFFFFFF : ring ? 0x2040C0 : 0x30A0A0;
      page.SetPixel(x, y, rgb);
    }
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!Parse(argc, argv, o)) {
    std::cerr << "usage: transition-sheet KIND OUT.png [--at F,F,...] [--size WxH] [--param0 N]"
                 " [--param1 N] [--direction D] [--mask FILE]\n";
    return 2;
  }
  std::unique_ptr<fixture::ScratchProject> project;
  std::string maskName;
  if (!o.mask.empty()) {
    std::ifstream in(o.mask, std::ios::binary);
    if (!in) {
      std::cerr << "transition-sheet: cannot read " << o.mask << "\n";
      return 1;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    project = std::make_unique<fixture::ScratchProject>();
    maskName = std::filesystem::path(o.mask).filename().string();
    project->AddFile(maskName, bytes);
  }
  TDIBX from, to;
  PaintFrom(from, o.width, o.height);
  PaintTo(to, o.width, o.height);
  const int cells = static_cast<int>(o.fractions.size());
  platform::Framebuffer sheet(cells * o.width + (cells - 1) * kGap, o.height, 0x808080);
  for (int i = 0; i < cells; ++i) {
    TDIBX target;
    target.SetSize(o.width, o.height, 32);
    target.Draw(from);  // the screen as the transition finds it
    std::unique_ptr<TCustomWipe> wipe =
        CreateWipe(static_cast<std::uint8_t>(o.kind), target, from, to);
    wipe->Total = kTotal;
    wipe->SetDirection(static_cast<std::uint8_t>(o.direction));
    if (o.hasParam0) wipe->SetParam(0, o.param0);
    if (o.hasParam1) wipe->SetParam(1, o.param1);
    if (!maskName.empty()) wipe->SetMaskName(maskName);
    wipe->Prepare();
    const double f = std::clamp(o.fractions[static_cast<std::size_t>(i)], 0.0, 1.0);
    wipe->Current = static_cast<std::int32_t>(std::lround(f * kTotal));
    wipe->Draw();
    const int left = i * (o.width + kGap);
    for (int y = 0; y < o.height; ++y)
      for (int x = 0; x < o.width; ++x) sheet.row(y)[left + x] = target.GetPixel(x, y) & 0x00FFFFFF;
  }
  std::string reason;
  if (!tools::WritePng(sheet, o.out, reason)) {
    std::cerr << "transition-sheet: " << o.out << ": " << reason << "\n";
    return 1;
  }
  return 0;
}

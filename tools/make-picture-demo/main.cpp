// Builds the picture project of the whole-player picture tests into the directory given on the
// command line: layered pictures written from the format's field tables (a keyed and a masked
// picture, an asymmetric picture for flips and turns, a three-frame animation and the four
// pictures of a button), a start page that shows them in every opacity mode, turned, flipped,
// zoomed, stretched, clipped and brightened over a coloured layer, a button whose notification
// changes a box's colour, and "arrow.ppm", the asymmetric picture as a plain PPM file for tools
// that check the player's flips and turns.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "fixture/component_page_commands.h"
#include "fixture/flow_page_commands.h"
#include "fixture/page_writer.h"
#include "fixture/pel_fixture.h"
#include "fixture/project_writer.h"

namespace flow = vorn::fixture::flow;
namespace scene = vorn::fixture::scene;
using vorn::fixture::PageCommand;
using vorn::fixture::PageWriter;
using vorn::fixture::PelFixtureFrame;
using vorn::fixture::PelFixtureImage;
using vorn::fixture::PelFixtureLayer;
using vorn::fixture::ProjectWriter;

namespace {

constexpr int kPageVersion = 110;
constexpr std::uint8_t kImgNew = 9;
constexpr std::uint8_t kBtnNew = 30;
constexpr std::uint8_t kSetPropCommand = 18;

// Property indexes.
constexpr int kName = 0;
constexpr int kSource = 2;
constexpr int kLeft = 3;
constexpr int kTop = 4;
constexpr int kWidth = 5;
constexpr int kHeight = 6;
constexpr int kZoomX = 7;
constexpr int kColor = 8;
constexpr int kAlpha = 11;
constexpr int kOffsetX = 13;
constexpr int kOffsetY = 14;
constexpr int kAngle = 31;
constexpr int kOnNotify = 33;
constexpr int kBrightness = 42;
constexpr int kHoverSource = 83;
constexpr int kPressedSource = 84;
constexpr int kFlipH = 111;
constexpr int kFlipV = 112;
constexpr int kClipLeft = 116;
constexpr int kClipTop = 117;
constexpr int kClipWidth = 118;
constexpr int kClipHeight = 119;
constexpr int kZoomY = 132;
constexpr int kClickedSource = 133;

struct Rgb {
  int r, g, b;
};

// The layer behind every picture, as 0x00BBGGRR.
constexpr Rgb kLayer{30, 60, 90};
constexpr Rgb kKeyedColour{220, 120, 40};
constexpr Rgb kMagentaKey{255, 0, 255};
constexpr Rgb kMaskedColour{60, 200, 240};

std::string Bgr(Rgb c) { return std::to_string(c.r | (c.g << 8) | (c.b << 16)); }

// One 24-bit frame of w x h from a colour function, with an optional alpha function and key.
PelFixtureFrame Frame(int w, int h, const std::function<Rgb(int, int)>& colour,
                      const std::function<int(int, int)>& alpha = {}, const Rgb* key = nullptr, int delay = 100) {
  PelFixtureFrame frame;
  frame.width = w;
  frame.height = h;
  frame.depth = 24;
  frame.delay = delay;
  if (key != nullptr) frame.transparentPixel = (key->r << 16) | (key->g << 8) | key->b;
  PelFixtureLayer layer;
  const std::size_t stride = vorn::fixture::PelFixtureRowBytes(w, 24);
  layer.pixelRows.assign(stride * static_cast<std::size_t>(h), 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Rgb c = colour(x, y);
      std::uint8_t* p = &layer.pixelRows[stride * static_cast<std::size_t>(y) + 3 * static_cast<std::size_t>(x)];
      p[0] = static_cast<std::uint8_t>(c.b);
      p[1] = static_cast<std::uint8_t>(c.g);
      p[2] = static_cast<std::uint8_t>(c.r);
    }
  }
  if (alpha) {
    layer.alphaFlag = 1;
    const std::size_t alpha_stride = vorn::fixture::PelFixtureRowBytes(w, 8);
    layer.alphaRows.assign(alpha_stride * static_cast<std::size_t>(h), 0);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        layer.alphaRows[alpha_stride * static_cast<std::size_t>(y) + static_cast<std::size_t>(x)] =
            static_cast<std::uint8_t>(alpha(x, y));
      }
    }
  }
  frame.layers.push_back(layer);
  return frame;
}

void WritePicture(const std::string& dir, const std::string& name, const std::vector<PelFixtureFrame>& frames) {
  PelFixtureImage image;
  image.frames = frames;
  const std::vector<std::uint8_t> bytes = vorn::fixture::WritePelFixture(image);
  std::ofstream out(dir + "/" + name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error(name + ": cannot write");
}

// 16 x 12, every pixel its own colour, nothing symmetric.
Rgb Arrow(int x, int y) { return {16 * x, 20 * y, 100}; }
constexpr int kArrowWidth = 16;
constexpr int kArrowHeight = 12;

void WriteArrowPpm(const std::string& dir) {
  std::ofstream out(dir + "/arrow.ppm", std::ios::binary);
  out << "P6\n" << kArrowWidth << " " << kArrowHeight << "\n255\n";
  for (int y = 0; y < kArrowHeight; ++y) {
    for (int x = 0; x < kArrowWidth; ++x) {
      const Rgb c = Arrow(x, y);
      out.put(static_cast<char>(c.r)).put(static_cast<char>(c.g)).put(static_cast<char>(c.b));
    }
  }
  if (!out) throw std::runtime_error("arrow.ppm: cannot write");
}

Rgb Solid(int r, int g, int b) { return {r, g, b}; }

void WritePictures(const std::string& dir) {
  // Keyed: a diamond on a magenta background the key makes transparent.
  WritePicture(dir, "keyed.pel", {Frame(24, 16, [](int x, int y) {
                 const int dx = 2 * x - 23;
                 const int dy = 2 * y - 15;
                 return (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy) <= 18 ? kKeyedColour : kMagentaKey;
               }, {}, &kMagentaKey)});
  // Masked: one colour whose alpha rises from 0 at the left to 255 at the right.
  WritePicture(dir, "masked.pel", {Frame(24, 16, [](int, int) { return kMaskedColour; },
                                         [](int x, int) { return x * 255 / 23; })});
  WritePicture(dir, "arrow.pel", {Frame(kArrowWidth, kArrowHeight, Arrow)});
  WritePicture(dir, "anim.pel", {Frame(16, 16, [](int, int) { return Solid(230, 30, 30); }),
                                 Frame(16, 16, [](int, int) { return Solid(30, 230, 30); }),
                                 Frame(16, 16, [](int, int) { return Solid(30, 30, 230); })});
  WritePicture(dir, "normal.pel", {Frame(48, 24, [](int, int) { return Solid(128, 128, 128); })});
  WritePicture(dir, "hover.pel", {Frame(48, 24, [](int, int) { return Solid(240, 220, 40); })});
  WritePicture(dir, "pressed.pel", {Frame(48, 24, [](int, int) { return Solid(60, 60, 60); })});
  WritePicture(dir, "clicked.pel", {Frame(48, 24, [](int, int) { return Solid(250, 250, 250); }, {}, nullptr, 50),
                                    Frame(48, 24, [](int, int) { return Solid(40, 220, 220); }, {}, nullptr, 50)});
  WriteArrowPpm(dir);
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Every ImgNew of the page carries the same slots: name, source, left, top and alpha.
PageCommand Image(PageWriter& page, const std::string& name, const std::string& source, int left, int top,
                  int alpha = 255) {
  return scene::Create(page, kImgNew,
                       {{kName, Quoted(name)},
                        {kSource, Quoted(source)},
                        {kLeft, std::to_string(left)},
                        {kTop, std::to_string(top)},
                        {kAlpha, std::to_string(alpha)}});
}

PageCommand Set(const std::string& name, int property, const std::string& value) {
  return scene::SetProperty(Quoted(name), property, value);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-picture-demo DIR\n";
    return 2;
  }
  const std::string dir = argv[1];
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (error) {
    std::cerr << "make-picture-demo: " << dir << ": " << error.message() << "\n";
    return 1;
  }
  try {
    WritePictures(dir);

    ProjectWriter project(kPageVersion);
    project.title = "Vorn picture demo";
    project.screen_width = 320;
    project.screen_height = 240;
    project.start_page = "start.vsb";
    project.WriteTo(dir);

    PageWriter start(kPageVersion);
    std::vector<PageCommand> commands;
    PageCommand layer(kSetPropCommand);
    layer.Expr("\"\"").Expr(std::to_string(kColor)).Expr(Bgr(kLayer));
    commands.push_back(std::move(layer));
    // Rows 1 and 2: the keyed and the masked picture in the opacity modes 0, 128, 255, 300, 511.
    const int alphas[] = {0, 128, 255, 300, 511};
    for (int i = 0; i < 5; ++i) {
      const std::string suffix = std::to_string(alphas[i]);
      commands.push_back(Image(start, "keyed-" + suffix, "keyed.pel", 8 + 32 * i, 8, alphas[i]));
      commands.push_back(Image(start, "masked-" + suffix, "masked.pel", 8 + 32 * i, 32, alphas[i]));
    }
    // Row 3: the asymmetric picture as it is, mirrored, upside down, a quarter turn about its
    // corner and an eighth turn about its middle. A flip mirrors the picture about its anchor
    // pixel (OFFSETX, OFFSETY), here the corner at its position: it lies left of (above) it.
    commands.push_back(Image(start, "arrow", "arrow.pel", 8, 60));
    commands.push_back(Image(start, "arrow-fliph", "arrow.pel", 48, 60));
    commands.push_back(Set("arrow-fliph", kFlipH, "1"));
    commands.push_back(Image(start, "arrow-flipv", "arrow.pel", 56, 71));
    commands.push_back(Set("arrow-flipv", kFlipV, "1"));
    commands.push_back(Image(start, "arrow-turn64", "arrow.pel", 100, 60));
    commands.push_back(Set("arrow-turn64", kAngle, "64"));
    commands.push_back(Image(start, "arrow-turn32", "arrow.pel", 136, 66));
    commands.push_back(Set("arrow-turn32", kOffsetX, "8"));
    commands.push_back(Set("arrow-turn32", kOffsetY, "6"));
    commands.push_back(Set("arrow-turn32", kAngle, "32"));
    // Row 4: zoomed 512 x 128, stretched by an explicit width, seen through a clip rectangle.
    commands.push_back(Image(start, "arrow-zoom", "arrow.pel", 8, 100));
    commands.push_back(Set("arrow-zoom", kZoomX, "512"));
    commands.push_back(Set("arrow-zoom", kZoomY, "128"));
    commands.push_back(Image(start, "arrow-wide", "arrow.pel", 48, 100));
    commands.push_back(Set("arrow-wide", kWidth, "40"));
    commands.push_back(Image(start, "arrow-clip", "arrow.pel", 96, 100));
    commands.push_back(Set("arrow-clip", kClipLeft, "4"));
    commands.push_back(Set("arrow-clip", kClipTop, "2"));
    commands.push_back(Set("arrow-clip", kClipWidth, "8"));
    commands.push_back(Set("arrow-clip", kClipHeight, "6"));
    // Row 5: brightness +80 and -80, and the three-frame animation (100 ms a frame, no repeat).
    commands.push_back(Image(start, "arrow-bright", "arrow.pel", 8, 140));
    commands.push_back(Set("arrow-bright", kBrightness, "80"));
    commands.push_back(Image(start, "arrow-dark", "arrow.pel", 32, 140));
    commands.push_back(Set("arrow-dark", kBrightness, "-80"));
    commands.push_back(Image(start, "anim", "anim.pel", 64, 140));
    // A button and the box its notification recolours.
    commands.push_back(scene::Create(start, kBtnNew,
                                     {{kName, Quoted("button")},
                                      {kSource, Quoted("normal.pel")},
                                      {kLeft, "200"},
                                      {kTop, "140"},
                                      {kOnNotify, Quoted("start.vsb:notify")},
                                      {kHoverSource, Quoted("hover.pel")},
                                      {kPressedSource, Quoted("pressed.pel")},
                                      {kClickedSource, Quoted("clicked.pel")}}));
    commands.push_back(scene::Create(start, scene::kBoxNew,
                                     {{kName, Quoted("lamp")},
                                      {kLeft, "260"},
                                      {kTop, "140"},
                                      {kWidth, "40"},
                                      {kHeight, "24"},
                                      {kColor, Bgr(Solid(200, 0, 0))}}));
    // One frame per round of the loop: the Calc with a false run flag ends each frame.
    const auto loop = static_cast<std::int32_t>(commands.size());
    commands.push_back(flow::Label("loop"));
    commands.push_back(flow::Calc("").Header(0, 0, 0, 0));
    commands.push_back(flow::Jump("start.vsb", loop));
    // The button's notification: the box turns green.
    commands.push_back(flow::Label("notify"));
    commands.push_back(Set("lamp", kColor, Bgr(Solid(0, 200, 0))));
    commands.push_back(flow::Exit());
    std::int32_t line = 1;
    for (PageCommand& command : commands) {
      command.line = line++;
      start.Add(std::move(command));
    }
    start.WriteTo(dir, "start.vsb");
  } catch (const std::exception& failure) {
    std::cerr << "make-picture-demo: " << failure.what() << "\n";
    return 1;
  }
  return 0;
}

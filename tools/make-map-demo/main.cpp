// Builds a project for the whole-player test of image maps, bitmap-font labels and property
// motions. On a grey layer (640 x 480):
//   - the map image "map" at (20, 20): a red 200 x 100 picture whose regions are "left" (rectangle
//     0..99 x 0..99) and "right" (the ellipse in 100..200 x 0..100), a green hover picture, events
//     ONMAPIN / ONMAPOUT / ONSELECT, right-click scrap and key handling on;
//   - three white 10 x 10 boxes at x 20: "inbox" (y 140), "outbox" (y 160), "selbox" (y 180); the
//     ONMAPIN handler makes inbox yellow and 20 + 40 x index wide, ONMAPOUT makes outbox that wide,
//     ONSELECT makes selbox blue and 20 + 40 x @SelIndex wide;
//   - bitmap-font labels of a generated 16 x 20 digit sheet (digit d is one solid colour,
//     kDigitColours): "1" over "333" with 4 pixels between the lines, left aligned at (300, 20),
//     centred at (300, 80), right aligned at (300, 140); a "5" at (400, 20) with ALPHA 128 and at
//     (400, 60) with ALPHA 300; "num" at (400, 100) showing "0";
//   - property motions: the magenta 20 x 20 box "mover" at (300, 200) moves LEFT to 350.7 over
//     500 ms (an integer property: it ends at 350), and "num"'s TEXT goes to 42 over 300 ms (a
//     string property written from the float).
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "fixture/component_page_commands.h"
#include "fixture/flow_page_commands.h"
#include "fixture/page_writer.h"
#include "fixture/pel_fixture.h"
#include "fixture/project_writer.h"
#include "fixture/region_writer.h"

namespace flow = vorn::fixture::flow;
namespace scene = vorn::fixture::scene;
using vorn::fixture::PageCommand;
using vorn::fixture::PageWriter;
using vorn::fixture::ProjectWriter;
using vorn::fixture::RegionFixture;

namespace {

constexpr int kPageVersion = 110;
constexpr std::uint8_t kMapImgNew = 48;
constexpr std::uint8_t kCGCaption = 54;
constexpr std::uint8_t kPropMotion = 57;
constexpr const char* kGrey = "4210752";  // 0x404040
// 0xRRGGBB of each digit's cell.
constexpr std::uint32_t kDigitColours[10] = {0x000080, 0x008000, 0x800000, 0x808000, 0xFF8000,
                                             0x00FFFF, 0x8000FF, 0xFF0080, 0x80FF00, 0xC0C0C0};

// A 24-bit picture; alpha 255 everywhere when `alpha` is set.
vorn::fixture::PelFixtureFrame Picture(int width, int height, bool alpha, std::uint32_t (*colour)(int x, int y)) {
  vorn::fixture::PelFixtureFrame frame;
  frame.width = width;
  frame.height = height;
  vorn::fixture::PelFixtureLayer layer;
  const std::size_t stride = vorn::fixture::PelFixtureRowBytes(width, 24);
  layer.pixelRows.assign(stride * static_cast<std::size_t>(height), 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t rgb = colour(x, y);
      std::uint8_t* p = &layer.pixelRows[stride * static_cast<std::size_t>(y) + 3 * static_cast<std::size_t>(x)];
      p[0] = static_cast<std::uint8_t>(rgb);
      p[1] = static_cast<std::uint8_t>(rgb >> 8);
      p[2] = static_cast<std::uint8_t>(rgb >> 16);
    }
  }
  if (alpha) {
    layer.alphaFlag = 1;
    layer.alphaRows.assign(vorn::fixture::PelFixtureRowBytes(width, 8) * static_cast<std::size_t>(height), 255);
  }
  frame.layers.push_back(layer);
  return frame;
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void WritePicture(const std::string& path, const vorn::fixture::PelFixtureFrame& frame) {
  vorn::fixture::PelFixtureImage image;
  image.frames.push_back(frame);
  WriteFile(path, vorn::fixture::WritePelFixture(image));
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

PageCommand Box(PageWriter& page, const char* name, int left, int top, int size, const char* colour) {
  return scene::Create(page, scene::kBoxNew,
                       {{0, Quoted(name)},
                        {3, std::to_string(left)},
                        {4, std::to_string(top)},
                        {5, std::to_string(size)},
                        {6, std::to_string(size)},
                        {8, colour}},
                       1);
}

PageCommand Label(PageWriter& page, const char* name, int left, int top, int alpha, const char* text, int align) {
  return scene::Create(page, kCGCaption,
                       {{0, Quoted(name)},
                        {2, Quoted("digits.pel")},
                        {3, std::to_string(left)},
                        {4, std::to_string(top)},
                        {11, std::to_string(alpha)},
                        {18, "4"},
                        {50, text},
                        {53, std::to_string(align)},
                        {129, Quoted("0123456789")},
                        {130, "16"},
                        {131, "20"}},
                       1);
}

// PropMotion: motion name, target name, property, target value, duration, easing, paused.
PageCommand Motion(const char* name, const char* target, int property, const char* value, const char* duration) {
  PageCommand command(kPropMotion);
  command.Expr(Quoted(name)).Expr(Quoted(target)).Expr(std::to_string(property)).Expr(value).Expr(duration);
  command.Expr("0").Expr("0");
  command.line = 1;
  return command;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-map-demo DIR\n";
    return 2;
  }
  const std::string dir = argv[1];
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (error) {
    std::cerr << "make-map-demo: " << dir << ": " << error.message() << "\n";
    return 1;
  }
  try {
    ProjectWriter project(kPageVersion);
    project.title = "Vorn map demo";
    project.screen_width = 640;
    project.screen_height = 480;
    project.start_page = "start.vsb";
    project.WriteTo(dir);

    WritePicture(dir + "/map.pel", Picture(200, 100, true, [](int, int) { return 0xFF0000u; }));
    WritePicture(dir + "/hover.pel", Picture(200, 100, true, [](int, int) { return 0x00FF00u; }));
    WritePicture(dir + "/digits.pel", Picture(160, 20, false, [](int x, int) { return kDigitColours[x / 16]; }));
    WriteFile(dir + "/map.dat", vorn::fixture::WriteRegionFile({RegionFixture::Rect("left", 0, 0, 99, 99),
                                                                RegionFixture::Ellipse("right", 100, 0, 200, 100)}));

    PageWriter start(kPageVersion);
    start.Add(scene::SetProperty("\"\"", 8, kGrey, 1));
    start.Add(scene::Create(start, kMapImgNew,
                            {{0, Quoted("map")},
                             {2, Quoted("map.pel")},
                             {3, "20"},
                             {4, "20"},
                             {11, "255"},
                             {72, Quoted("start.vsb:sel")},
                             {73, "1"},
                             {83, Quoted("hover.pel")},
                             {104, Quoted("start.vsb:in")},
                             {105, Quoted("start.vsb:out")},
                             {106, Quoted("map.dat")},
                             {147, "1"}},
                            1));
    start.Add(Box(start, "inbox", 20, 140, 10, "16777215"))
        .Add(Box(start, "outbox", 20, 160, 10, "16777215"))
        .Add(Box(start, "selbox", 20, 180, 10, "16777215"))
        .Add(Box(start, "mover", 300, 200, 20, "16711935"));
    start.Add(Label(start, "left", 300, 20, 255, "\"1\\n333\"", 0))
        .Add(Label(start, "centre", 300, 80, 255, "\"1\\n333\"", 1))
        .Add(Label(start, "right", 300, 140, 255, "\"1\\n333\"", 2))
        .Add(Label(start, "blend", 400, 20, 128, "\"5\"", 0))
        .Add(Label(start, "add", 400, 60, 300, "\"5\"", 0))
        .Add(Label(start, "num", 400, 100, 255, "\"0\"", 0));
    start.Add(Motion("move-mover", "mover", 3, "350.7", "500")).Add(Motion("count-num", "num", 50, "42", "300"));
    // Commands 0-13 set the scene up; the frame loop starts at command 14.
    constexpr std::int32_t kLoop = 14;
    start.Add(flow::Label("loop", 0, 2))
        .Add(flow::Calc("", 0, 3).Header(0, 0, 0, 3))
        .Add(flow::Jump("start.vsb", kLoop, "1", 0, 4))
        .Add(flow::Label("in", 0, 10))
        .Add(scene::SetProperty("\"inbox\"", 5, "20 + 40 * StrToIntDef(@ParamStr[1], 0)", 11))
        .Add(scene::SetProperty("\"inbox\"", 8, "65535", 12))
        .Add(flow::Exit("1", 0, 13))
        .Add(flow::Label("out", 0, 20))
        .Add(scene::SetProperty("\"outbox\"", 5, "20 + 40 * StrToIntDef(@ParamStr[1], 0)", 21))
        .Add(flow::Exit("1", 0, 22))
        .Add(flow::Label("sel", 0, 30))
        .Add(scene::SetProperty("\"selbox\"", 5, "20 + 40 * @SelIndex", 31))
        .Add(scene::SetProperty("\"selbox\"", 8, "16711680", 32))
        .Add(flow::Exit("1", 0, 33));
    start.WriteTo(dir, "start.vsb");
  } catch (const std::exception& failure) {
    std::cerr << "make-map-demo: " << failure.what() << "\n";
    return 1;
  }
  return 0;
}

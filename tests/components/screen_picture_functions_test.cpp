// SaveScreen and SetWallPaper as scripts call them: a started project with a data directory, a
// scene whose layers paint a known picture, the scene's picture service, and a recording
// wallpaper. Layered images are decoded here byte by byte from the format's field tables;
// bitmaps are checked with ImageMagick's identify and by reading their pixel bytes.

#include <gtest/gtest.h>

#include "support/test_scene_screen.h"
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "components/pelk_collection.h"
#include "components/scene_pictures.h"
#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "engine/engine_values.h"
#include "engine/script_scene.h"
#include "engine/sys_func_man.h"
#include "fixture/page_writer.h"
#include "fixture/pel_fixture.h"
#include "fixture/project_writer.h"
#include "foundation/install_set.h"
#include "foundation/stream.h"
#include "graphics/memory_dibx.h"
#include "platform/wallpaper.h"
#include "support/engine_fixture.h"
#include "support/script_expression.h"
#include "support/whole_file.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr int kSceneWidth = 6;
constexpr int kSceneHeight = 4;

struct Rgb {
  std::uint8_t red, green, blue;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

void PrintTo(const Rgb& c, std::ostream* os) {
  *os << "rgb(" << int(c.red) << ", " << int(c.green) << ", " << int(c.blue) << ")";
}

// The known picture: red 40 x, green 60 y, and the control's own blue.
Rgb PatternAt(int x, int y, std::uint8_t blue) {
  return {static_cast<std::uint8_t>(40 * x), static_cast<std::uint8_t>(60 * y), blue};
}

// A control over the whole layer that paints the known picture where it is asked to draw.
class TPatternControl : public TVornControl {
 public:
  using TVornControl::TVornControl;
  void Paint() override {
    TCustomDIBX* surface = GetSurface();
    if (surface == nullptr) return;
    ++paints;
    const TRect area = surface->GetDirtyRect();
    for (int y = std::max(area.top, 0); y < std::min(area.bottom, surface->GetHeight()); ++y) {
      for (int x = std::max(area.left, 0); x < std::min(area.right, surface->GetWidth()); ++x) {
        const Rgb c = PatternAt(x, y, blue);
        surface->SetPixel(x, y, static_cast<std::uint32_t>(surface->ColorToPixel(c.red | c.green << 8 | c.blue << 16)));
      }
    }
  }
  std::uint8_t blue = 0;
  int paints = 0;
};

// --- reading the written files ---

class ByteReader {
 public:
  explicit ByteReader(const Bytes& bytes) : bytes_(bytes) {}
  std::uint8_t U8() {
    if (at_ >= bytes_.size()) throw std::runtime_error("short");
    return bytes_[at_++];
  }
  std::uint32_t U32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(U8()) << (8 * i);
    return v;
  }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  std::string Text(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s.push_back(static_cast<char>(U8()));
    return s;
  }
  Bytes Take(std::size_t n) {
    Bytes out;
    for (std::size_t i = 0; i < n; ++i) out.push_back(U8());
    return out;
  }
  bool AtEnd() const { return at_ == bytes_.size(); }

 private:
  const Bytes& bytes_;
  std::size_t at_ = 0;
};

// One frame of one 24-bit layer, as the screenshot writes it.
struct Screenshot {
  int width = 0;
  int height = 0;
  int compression = -1;
  int quality = -1;
  Bytes rows;  // raw rows, top row first, each padded to 4 bytes

  Rgb At(int x, int y) const {
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    const std::size_t at = stride * static_cast<std::size_t>(y) + 3 * static_cast<std::size_t>(x);
    return {rows.at(at + 2), rows.at(at + 1), rows.at(at)};
  }
};

Screenshot DecodeScreenshot(const Bytes& bytes) {
  Screenshot shot;
  ByteReader in(bytes);
  EXPECT_EQ(in.Text(7), "Pelk106");
  EXPECT_EQ(in.U32(), 40u);  // header size
  EXPECT_EQ(in.U32(), 106u);  // version
  shot.width = in.I32();
  shot.height = in.I32();
  EXPECT_EQ(in.I32(), 24);  // bit depth
  EXPECT_EQ(in.I32(), 1);   // frame count
  EXPECT_EQ(in.U8(), 1);    // +20
  EXPECT_EQ(in.U8(), 0);    // not scrambled: identification code 0
  shot.compression = in.U8();
  in.U8();
  in.U32();  // background
  EXPECT_EQ(in.I32(), 0);  // tile width
  EXPECT_EQ(in.I32(), 0);  // tile height
  in.U8();                 // first-layer-opaque flag
  shot.quality = in.U8();
  in.Take(2);
  // The frame.
  const std::uint32_t name_length = in.U32();
  EXPECT_EQ(in.Text(name_length), "Frame1");
  EXPECT_EQ(in.I32(), -1);   // no transparent pixel
  EXPECT_EQ(in.I32(), 100);  // delay
  EXPECT_EQ(in.U8(), 2);
  EXPECT_EQ(in.U32(), 0u);
  EXPECT_EQ(in.I32(), 1);  // layer count
  EXPECT_EQ(in.I32(), shot.width);
  EXPECT_EQ(in.I32(), shot.height);
  EXPECT_EQ(in.I32(), 24);
  // The layer.
  EXPECT_EQ(in.Take(8), Bytes(8, 0));
  EXPECT_EQ(in.U8(), 1);      // visible
  EXPECT_EQ(in.I32(), -1);    // transparent colour
  EXPECT_EQ(in.I32(), 255);   // opacity
  EXPECT_EQ(in.U8(), 0);      // no alpha
  const std::uint32_t layer_name = in.U32();
  EXPECT_EQ(in.Text(layer_name), "Layer");
  const Bytes plane = in.Take(in.U32());
  EXPECT_EQ(in.U32(), 0u);  // no alpha plane
  EXPECT_EQ(in.U32(), 0u);  // rectangle lists
  EXPECT_EQ(in.U32(), 0u);
  EXPECT_TRUE(in.AtEnd());
  const std::size_t raw_size = (static_cast<std::size_t>(shot.width) * 3 + 3) / 4 * 4 * static_cast<std::size_t>(shot.height);
  if (shot.compression == 1) {
    shot.rows = plane;
  } else if (shot.compression == 0) {
    shot.rows.assign(raw_size, 0);
    uLongf size = static_cast<uLongf>(raw_size);
    EXPECT_EQ(uncompress(shot.rows.data(), &size, plane.data(), static_cast<uLong>(plane.size())), Z_OK);
    EXPECT_EQ(size, raw_size);
  }
  EXPECT_EQ(shot.rows.size(), raw_size);
  return shot;
}

struct Bitmap {
  int width = 0;
  int height = 0;
  int bits = 0;
  Bytes bytes;
  Rgb At(int x, int y) const {
    ByteReader in(bytes);
    in.Take(10);
    const std::uint32_t offset = in.U32();
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    const int row = height > 0 ? height - 1 - y : y;  // positive heights are stored bottom-up
    const std::size_t at = offset + stride * static_cast<std::size_t>(row) + 3 * static_cast<std::size_t>(x);
    return {bytes.at(at + 2), bytes.at(at + 1), bytes.at(at)};
  }
};

Bitmap ReadBitmap(const fs::path& path) {
  Bitmap bitmap;
  bitmap.bytes = testing::ReadWholeFile(path);
  ByteReader in(bitmap.bytes);
  EXPECT_EQ(in.Text(2), "BM");
  in.Take(12);
  EXPECT_EQ(in.U32(), 40u);
  bitmap.width = in.I32();
  bitmap.height = in.I32();
  in.Take(2);
  bitmap.bits = in.U8() | in.U8() << 8;
  return bitmap;
}

// ImageMagick's view of a picture file: format (BMP3: the 40-byte info header), width, height
// and bits per channel.
std::string Identify(const fs::path& path) {
  const std::string command = "identify -format '%m %w %h %z' '" + path.string() + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "(identify did not run)";
  std::string out;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
  pclose(pipe);
  return out;
}

std::vector<std::string> Listing(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) names.push_back(entry.path().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A 2 x 1 bitmap spelled out by hand: a red and a blue pixel.
Bytes TwoPixelBitmap() {
  return {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,      // file header: size 62, pixels at 54
          40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,    // 2 x 1, one plane, 24 bits
          0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,      // no compression, 8 bytes of pixels
          0, 0, 0, 0, 0, 0, 0, 0,                              // no palette
          0, 0, 255, 255, 0, 0, 0, 0};                          // red, blue, padding
}

// --- the fixture ---

// The tests of this file run side by side: each fixture's folder is named after its test.
std::string UniqueFolderName() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = "shot";
  if (test != nullptr) name += std::string("_") + test->test_suite_name() + "_" + test->name();
  return name;
}

class ScreenPictureFunctions : public ::testing::Test {
 protected:
  ScreenPictureFunctions() : engine(UniqueFolderName()), layer0(kSceneWidth, kSceneHeight, 32) {
    fixture::ProjectWriter project;
    project.globals = {fixture::ProjectGlobal::Int("r", -5), fixture::ProjectGlobal::Str("n", "")};
    engine.AddProject(project);
    engine.AddPage("start.vsb", fixture::PageWriter());
  }
  ~ScreenPictureFunctions() override {
    if (started_) {
      SetScreenPictures(previous_pictures_);
      SetDesktopWallpaper(previous_wallpaper_);
      SetScriptScene(previous_scene_);
    }
    DeleteAtExit = previous_delete_list_;
  }

  void Start() {
    engine.Start();
    scene.SetWidth(kSceneWidth);
    scene.SetHeight(kSceneHeight);
    scene.SetScreen(&screen);
    active = Pattern(scene.ActiveLayer(), 200);
    other = Pattern(scene.OtherLayer(), 10);
    previous_scene_ = GetScriptScene();
    SetScriptScene(&scene);
    // Without a scene of its own the service takes the one scripts run against, as the player's does.
    pictures = std::make_unique<TScenePictures>(engine.files());
    previous_pictures_ = SetScreenPictures(pictures.get());
    previous_wallpaper_ = SetDesktopWallpaper(&wallpaper);
    previous_delete_list_ = std::exchange(DeleteAtExit, &delete_list);
    started_ = true;
  }

  TPatternControl* Pattern(TVornBase* layer, std::uint8_t blue) {
    auto* control = CreateObject<TPatternControl>(scene);
    control->SetParent(layer);
    control->SetBounds(0, 0, kSceneWidth, kSceneHeight);
    control->blue = blue;
    return control;
  }

  // Runs the expression as a script command's compiled expression does.
  void Run(const std::string& text) { EXPECT_EQ(testing::RunScriptText(text), "") << text; }
  // r = the call, with n holding the name; the value of r afterwards (-5 when nothing was stored).
  int Result(const std::string& name, const std::string& call) {
    engine.params().FindParam("n")->SetAsString(name);
    engine.params().FindParam("r")->SetAsInt(-5);
    Run("r = " + call);
    return engine.Int("r");
  }
  int SaveScreen(const std::string& name, const std::string& more = "") {
    return Result(name, "SaveScreen(n" + more + ")");
  }
  Bytes Member(const std::string& name) {
    TMemoryStream stream;
    engine.files().LoadToStream(stream, name);
    return stream.Bytes();
  }
  fs::path Data() const { return engine.Root(); }

  testing::EngineFixture engine;
  TSysFuncMan functions;
  TMemoryDIBX layer0;
  test::TTestSceneScreen screen{&layer0};
  TVornBaseList scene;
  TPatternControl* active = nullptr;
  TPatternControl* other = nullptr;
  std::unique_ptr<TScenePictures> pictures;
  platform::RecordingWallpaper wallpaper;
  TDeleteAtExitList delete_list;

 private:
  bool started_ = false;
  TScriptScene* previous_scene_ = nullptr;
  TScreenPictures* previous_pictures_ = nullptr;
  platform::Wallpaper* previous_wallpaper_ = nullptr;
  TDeleteAtExitList* previous_delete_list_ = nullptr;
};

void ExpectPattern(const Screenshot& shot, std::uint8_t blue) {
  ASSERT_EQ(shot.width, kSceneWidth);
  ASSERT_EQ(shot.height, kSceneHeight);
  for (int y = 0; y < kSceneHeight; ++y) {
    for (int x = 0; x < kSceneWidth; ++x) EXPECT_EQ(shot.At(x, y), PatternAt(x, y, blue)) << x << "," << y;
  }
}

// --- SaveScreen ---

TEST_F(ScreenPictureFunctions, AFileScreenshotIsThePaintedActiveLayer) {
  Start();
  EXPECT_EQ(SaveScreen("shot.pel"), 1);
  EXPECT_GT(active->paints, 0);
  const Screenshot shot = DecodeScreenshot(testing::ReadWholeFile(Data() / "shot.pel"));
  EXPECT_EQ(shot.compression, 0);
  EXPECT_EQ(shot.quality, 70);
  ExpectPattern(shot, 200);
  // No temporary file is left beside it.
  for (const std::string& name : Listing(Data())) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

TEST_F(ScreenPictureFunctions, TheOtherLayerOnRequest) {
  Start();
  EXPECT_EQ(SaveScreen("shot.pel", ", 0, 0, 1"), 1);
  ExpectPattern(DecodeScreenshot(testing::ReadWholeFile(Data() / "shot.pel")), 10);
  EXPECT_EQ(SaveScreen("shot.pel", ", 0, 0, 0"), 1);
  ExpectPattern(DecodeScreenshot(testing::ReadWholeFile(Data() / "shot.pel")), 200);
}

TEST_F(ScreenPictureFunctions, SizesAndRefusals) {
  Start();
  struct Case {
    const char* name;
    const char* more;
    int result;
    int width;
    int height;
  };
  const std::vector<Case> cases = {
      {"s1.pel", "", 1, kSceneWidth, kSceneHeight},
      {"s2.pel", ", 0, 0", 1, kSceneWidth, kSceneHeight},
      {"s3.pel", ", 12", 1, 12, kSceneHeight},
      {"s4.pel", ", 0, 2", 1, kSceneWidth, 2},
      {"s5.pel", ", 3, 2", 1, 3, 2},
      {"S6.PeL", ", 12, 8", 1, 12, 8},
      {"n1.pel", ", -1", 0, 0, 0},
      {"n2.pel", ", 4, -3", 0, 0, 0},
      {"n3.pel", ", 100000, 4", 0, 0, 0},
      {"n4.bmp", "", 0, 0, 0},
      {"n5", "", 0, 0, 0},
      {"n6.pel.bmp", "", 0, 0, 0},
      {"dir.pel\\n7", "", 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SaveScreen(c.name, c.more), c.result);
    const fs::path path = Data() / c.name;
    if (c.result == 0) {
      EXPECT_FALSE(fs::exists(path));
      continue;
    }
    const Screenshot shot = DecodeScreenshot(testing::ReadWholeFile(path));
    EXPECT_EQ(shot.width, c.width);
    EXPECT_EQ(shot.height, c.height);
  }
}

TEST_F(ScreenPictureFunctions, ADifferentSizeIsStretchedSmoothly) {
  Start();
  EXPECT_EQ(SaveScreen("big.pel", ", 12, 8"), 1);
  const Screenshot shot = DecodeScreenshot(testing::ReadWholeFile(Data() / "big.pel"));
  ASSERT_EQ(shot.width, 12);
  // Doubling: even columns and rows land on source pixels, odd ones blend their neighbours
  // (red 0 and 40 give 20), which a nearest-pixel stretch would never produce.
  EXPECT_EQ(shot.At(0, 0), PatternAt(0, 0, 200));
  EXPECT_EQ(shot.At(4, 2), PatternAt(2, 1, 200));
  EXPECT_EQ(shot.At(1, 0), (Rgb{20, 0, 200}));
  EXPECT_EQ(shot.At(2, 1), (Rgb{40, 30, 200}));
}

TEST_F(ScreenPictureFunctions, AMemoryMemberIsReadBackByItsName) {
  Start();
  EXPECT_EQ(SaveScreen("mem:x.pel"), 1);
  Screenshot shot = DecodeScreenshot(Member("mem:x.pel"));
  EXPECT_EQ(shot.compression, 1);
  EXPECT_EQ(shot.quality, 70);
  ExpectPattern(shot, 200);
  EXPECT_NE(engine.files().GetArchive(0).FindFile("mem:x.pel"), nullptr);
  // Nothing was written to disk, under either spelling.
  EXPECT_FALSE(fs::exists(Data() / "mem:x.pel"));
  EXPECT_FALSE(fs::exists(Data() / "x.pel"));

  // A second screenshot replaces the member; the next read sees the new picture.
  active->blue = 77;
  EXPECT_EQ(SaveScreen("MEM:x.pel"), 1);
  ExpectPattern(DecodeScreenshot(Member("mem:x.pel")), 77);
  EXPECT_EQ(engine.files().GetArchive(0).Count(), 1);
}

TEST_F(ScreenPictureFunctions, AMemoryNameOfAnArchiveMemberReplacesWhatTheCacheHeld) {
  engine.PackIntoGameDat();
  engine.AddFile("mem:old.pel", Bytes{'o', 'l', 'd'});
  Start();
  ASSERT_EQ(Member("mem:old.pel"), (Bytes{'o', 'l', 'd'}));  // now in the file cache
  EXPECT_EQ(SaveScreen("mem:old.pel"), 1);
  ExpectPattern(DecodeScreenshot(Member("mem:old.pel")), 200);
  EXPECT_EQ(engine.files().GetArchive(0).FindFile("mem:old.pel"), nullptr);
}

TEST_F(ScreenPictureFunctions, AFileReadBeforeIsReadAgainAfterTheScreenshot) {
  Start();
  std::ofstream(Data() / "shot.pel", std::ios::binary) << "old";
  ASSERT_EQ(Member("shot.pel"), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(SaveScreen("shot.pel"), 1);
  ExpectPattern(DecodeScreenshot(Member("shot.pel")), 200);
}

TEST_F(ScreenPictureFunctions, NamesResolveAsTheFileManagerResolvesThem) {
  Start();
  fs::create_directories(Data() / "Shots");
  std::ofstream(Data() / "Shots" / "Old.PEL", std::ios::binary) << "old";
  // A "\" separator, a folder and a file that differ in case: the existing file is replaced.
  EXPECT_EQ(SaveScreen("shots\\old.pel"), 1);
  EXPECT_EQ(Listing(Data() / "Shots"), std::vector<std::string>{(Data() / "Shots" / "Old.PEL").string()});
  ExpectPattern(DecodeScreenshot(testing::ReadWholeFile(Data() / "Shots" / "Old.PEL")), 200);
  // "/" separates too; a Shift-JIS name is a UTF-8 name on disk.
  EXPECT_EQ(SaveScreen("Shots/\x83\x65\x83\x58\x83\x67.pel"), 1);  // テスト.pel
  EXPECT_TRUE(fs::exists(Data() / "Shots" / "\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88.pel"));
}

TEST_F(ScreenPictureFunctions, AFailedWriteAnswersFalse) {
  Start();
  // The name is taken by a folder: the picture cannot be renamed over it.
  fs::create_directories(Data() / "taken.pel");
  EXPECT_EQ(SaveScreen("taken.pel"), 0);
  EXPECT_TRUE(fs::is_directory(Data() / "taken.pel"));
  // A folder that does not exist.
  EXPECT_EQ(SaveScreen("missing\\shot.pel"), 0);
  // Nothing is queued or registered for a picture that was not written.
  EXPECT_EQ(SaveScreen("taken.pel", ", 0, 0, 0, 1"), 0);
  EXPECT_TRUE(delete_list.paths().empty());
}

TEST_F(ScreenPictureFunctions, NoPictureWithoutAnOverrideDirectoryOrALayerSurface) {
  Start();
  engine.files().SetBaseDir((Data() / "nowhere").string());
  EXPECT_EQ(SaveScreen("shot.pel"), 0);
  engine.files().SetBaseDir("");
  EXPECT_EQ(SaveScreen("shot.pel"), 0);
  engine.files().SetBaseDir(Data().string());
  screen.surface = nullptr;
  EXPECT_EQ(SaveScreen("shot.pel"), 0);
  EXPECT_EQ(SaveScreen("mem:shot.pel"), 0);
  EXPECT_EQ(engine.files().GetArchive(0).Count(), 0);
  EXPECT_EQ(SaveScreen("shot.pel", ", 0, 0, 1"), 1);
  EXPECT_FALSE(fs::exists(Data() / "nowhere"));
}

TEST_F(ScreenPictureFunctions, DeleteAtExitQueuesTheFileOnce) {
  Start();
  EXPECT_EQ(SaveScreen("gone.pel", ", 0, 0, 0, 1"), 1);
  EXPECT_EQ(SaveScreen("GONE.pel", ", 0, 0, 0, 1"), 1);  // the same file in another spelling
  EXPECT_EQ(SaveScreen("mem:gone.pel", ", 0, 0, 0, 1"), 1);
  EXPECT_EQ(SaveScreen("kept.pel", ", 0, 0, 0, 3"), 1);
  ASSERT_EQ(delete_list.paths().size(), 1u);
  EXPECT_TRUE(fs::equivalent(delete_list.paths()[0], Data() / "gone.pel"));
  delete_list.DeleteAll();
  EXPECT_FALSE(fs::exists(Data() / "gone.pel"));
  EXPECT_TRUE(fs::exists(Data() / "kept.pel"));
}

TEST_F(ScreenPictureFunctions, RegisteringListsTheFileInAnExistingInstallRecordOnce) {
  Start();
  EXPECT_EQ(SaveScreen("a.pel", ", 0, 0, 0, 2"), 1);
  EXPECT_FALSE(fs::exists(Data() / "install.dat"));  // none is made

  TVornInstallSet record;
  record.Id = "game";
  record.Files = {"data.bin"};
  record.SaveToFile((Data() / "install.dat").string());
  EXPECT_EQ(SaveScreen("shots.pel", ", 0, 0, 0, 2"), 1);
  EXPECT_EQ(SaveScreen("SHOTS.pel", ", 0, 0, 0, 2"), 1);
  EXPECT_EQ(SaveScreen("mem:m.pel", ", 0, 0, 0, 2"), 1);
  TVornInstallSet read;
  read.LoadFromFile((Data() / "install.dat").string());
  EXPECT_EQ(read.Id, "game");
  EXPECT_EQ(read.Files, (std::vector<std::string>{"data.bin", "shots.pel"}));
  for (const std::string& name : Listing(Data())) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

TEST_F(ScreenPictureFunctions, AnUnreadableInstallRecordIsLeftAsItIs) {
  Start();
  const Bytes broken = {'i', 's', '1', '0', '7', 1, 0};  // ends inside the disc index
  std::ofstream(Data() / "install.dat", std::ios::binary).write(reinterpret_cast<const char*>(broken.data()), 7);
  // The picture is written all the same; only the registration fails.
  EXPECT_EQ(SaveScreen("b.pel", ", 0, 0, 0, 2"), 1);
  EXPECT_TRUE(fs::exists(Data() / "b.pel"));
  EXPECT_EQ(testing::ReadWholeFile(Data() / "install.dat"), broken);
}

// --- SetWallPaper ---

class WallPaperFunction : public ScreenPictureFunctions {
 protected:
  void SetUp() override {
    picture = Data() / "desktop" / "share" / "vornwall.bmp";
    wallpaper.set_picture_path(picture.string());
    wallpaper.set_answer(true);
    previous_cache_ = std::exchange(PelkMan, &cache);
  }
  void TearDown() override { PelkMan = previous_cache_; }
  fs::path picture;
  // Layered pictures come through the cache, as every picture the player shows does.
  TPelkCollection cache{&scene};

 private:
  TPelkCollection* previous_cache_ = nullptr;
};

TEST_F(WallPaperFunction, TheActiveLayerAsItStands) {
  Start();
  scene.ActiveLayer()->Paint();
  active->paints = 0;
  EXPECT_EQ(Result("", "SetWallPaper(n, 7)"), 1);
  EXPECT_EQ(active->paints, 0);
  ASSERT_EQ(wallpaper.calls().size(), 1u);
  EXPECT_EQ(wallpaper.calls()[0].path, picture.string());
  EXPECT_EQ(wallpaper.calls()[0].style, 7);
  EXPECT_EQ(Identify(picture), "BMP3 6 4 8");
  const Bitmap bitmap = ReadBitmap(picture);
  EXPECT_EQ(bitmap.bits, 24);
  EXPECT_EQ(bitmap.At(0, 0), PatternAt(0, 0, 200));
  EXPECT_EQ(bitmap.At(5, 3), PatternAt(5, 3, 200));
}

TEST_F(WallPaperFunction, AnImageFileOfTheProject) {
  engine.AddFile("pic.bmp", TwoPixelBitmap());
  Start();
  EXPECT_EQ(Result("pic.bmp", "SetWallPaper(n, 1)"), 1);
  ASSERT_EQ(wallpaper.calls().size(), 1u);
  EXPECT_EQ(wallpaper.calls()[0].style, 1);
  EXPECT_EQ(Identify(picture), "BMP3 2 1 8");
  const Bitmap bitmap = ReadBitmap(picture);
  EXPECT_EQ(bitmap.At(0, 0), (Rgb{255, 0, 0}));
  EXPECT_EQ(bitmap.At(1, 0), (Rgb{0, 0, 255}));
}

TEST_F(WallPaperFunction, TheScreenshotOfAMemoryMemberAsWallpaper) {
  Start();
  ASSERT_EQ(SaveScreen("mem:w.pel"), 1);
  EXPECT_EQ(Result("mem:w.pel", "SetWallPaper(n, 0)"), 1);
  EXPECT_EQ(Identify(picture), "BMP3 6 4 8");
  EXPECT_EQ(ReadBitmap(picture).At(3, 2), PatternAt(3, 2, 200));
}

TEST_F(WallPaperFunction, ALayeredPictureIsBorrowedFromTheCacheAndGivenBack) {
  Start();
  ASSERT_EQ(SaveScreen("mem:w.pel"), 1);
  // Someone shows the picture already: the wallpaper shares that copy and leaves it in use.
  const int viewer = 0;
  TPelkItem& shown = cache.Acquire(&viewer, "mem:w.pel", false, false);
  EXPECT_EQ(Result("mem:w.pel", "SetWallPaper(n, 0)"), 1);
  EXPECT_EQ(cache.Count(), 1);
  EXPECT_EQ(shown.UserCount(), 1);
  EXPECT_TRUE(shown.HasUser(&viewer));
  EXPECT_EQ(ReadBitmap(picture).At(5, 3), PatternAt(5, 3, 200));
  // Alone, it borrows the picture and leaves it idle in the cache.
  shown.Release(&viewer);
  fs::remove(picture);
  EXPECT_EQ(Result("mem:w.pel", "SetWallPaper(n, 0)"), 1);
  EXPECT_EQ(cache.Count(), 1);
  EXPECT_EQ(cache.IdleCount(), 1);
  EXPECT_EQ(Identify(picture), "BMP3 6 4 8");
}

TEST_F(WallPaperFunction, FalseWithoutAPicture) {
  engine.AddFile("notes.txt", Bytes{'h', 'i'});
  engine.AddFile("empty.pel", fixture::WritePelFixture(fixture::PelFixtureImage{}));
  Start();
  struct Case {
    const char* name;
    const char* image;
  };
  for (const Case c : {Case{"missing file", "nothing.bmp"}, Case{"no frame in a text file", "notes.txt"},
                       Case{"a layered picture without frames", "empty.pel"}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Result(c.image, "SetWallPaper(n, 0)"), 0);
  }
  screen.surface = nullptr;
  EXPECT_EQ(Result("", "SetWallPaper(n, 0)"), 0);
  EXPECT_TRUE(wallpaper.calls().empty());
  EXPECT_FALSE(fs::exists(picture));
}

TEST_F(WallPaperFunction, TheDesktopsAnswerIsTheResult) {
  Start();
  wallpaper.set_answer(false);
  EXPECT_EQ(Result("", "SetWallPaper(n, 2)"), 0);
  EXPECT_EQ(wallpaper.calls().size(), 1u);
  EXPECT_TRUE(fs::exists(picture));
  // Without a place for the picture nothing is written and the desktop is not asked.
  wallpaper.set_answer(true);
  wallpaper.set_picture_path("");
  EXPECT_EQ(Result("", "SetWallPaper(n, 2)"), 0);
  EXPECT_EQ(wallpaper.calls().size(), 1u);
}

}  // namespace
}  // namespace vorn

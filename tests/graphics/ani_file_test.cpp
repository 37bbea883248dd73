#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "graphics/ani_file.h"
#include "graphics/dib_surface.h"
#include "support/whole_file.h"

namespace vorn {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;
using testing::ReadWholeFile;

Bytes Fixture(const std::string& folder, const std::string& name) {
  return ReadWholeFile((fs::path(VORN_SOURCE_DIR) / "tests/graphics/data" / folder / name).string());
}

TAniCursor Read(const Bytes& bytes) {
  TMemoryStream stream(bytes);
  return ReadAniCursor(stream);
}

void Put32(Bytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A chunk: id, size, data, pad byte after an odd size.
Bytes Chunk(const std::string& id, const Bytes& data) {
  Bytes out(id.begin(), id.end());
  Put32(out, static_cast<std::uint32_t>(data.size()));
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() % 2 != 0) out.push_back(0);
  return out;
}

Bytes Words(std::initializer_list<std::uint32_t> values) {
  Bytes out;
  for (std::uint32_t v : values) Put32(out, v);
  return out;
}

// size, frames, steps, width, height, bit count, planes, default rate, flags
Bytes Header(std::uint32_t frames, std::uint32_t steps, std::uint32_t rate, std::uint32_t flags) {
  return Chunk("anih", Words({36, frames, steps, 0, 0, 0, 0, rate, flags}));
}

Bytes Form(const std::vector<Bytes>& chunks) {
  Bytes body{'A', 'C', 'O', 'N'};
  for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
  Bytes out{'R', 'I', 'F', 'F'};
  Put32(out, static_cast<std::uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

Bytes FrameList(const std::vector<Bytes>& icons) {
  Bytes data{'f', 'r', 'a', 'm'};
  for (const Bytes& icon : icons) {
    const Bytes c = Chunk("icon", icon);
    data.insert(data.end(), c.begin(), c.end());
  }
  return Chunk("LIST", data);
}

// The frame's colours and alpha against ImageMagick's reading of the same cursor file.
void ExpectCursorPixels(TDIBSurface& picture) {
  const Bytes rgba = Fixture("tga_ico", "icotool-cursor.rgba");
  ASSERT_EQ(rgba.size(), static_cast<std::size_t>(picture.Width()) * picture.Height() * 4);
  ASSERT_NE(picture.Alpha(), nullptr);
  int wrong = 0;
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const std::uint8_t* ref = rgba.data() + (static_cast<std::size_t>(y) * picture.Width() + x) * 4;
      std::uint8_t r = 0, g = 0, b = 0;
      picture.PixelToRGB8(picture.GetPixel(x, y), true, r, g, b);
      if (picture.Alpha()->GetPixel(x, y) != (ref[3] == 0 ? 0u : 255u)) ++wrong;
      if (ref[3] != 0 && (r != ref[0] || g != ref[1] || b != ref[2])) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST(AniReader, TwoFramesWithoutRatesOrSequenceStepThroughEachFrameAtTheDefaultRate) {
  TAniCursor cursor = Read(Fixture("ani", "two-frames.ani"));
  ASSERT_EQ(cursor.frames.size(), 2u);
  EXPECT_EQ(cursor.frames[0].hot_spot, MakePoint(5, 7));
  EXPECT_EQ(cursor.frames[1].hot_spot, MakePoint(9, 2));
  ASSERT_EQ(cursor.steps.size(), 2u);
  EXPECT_EQ(cursor.steps[0].frame, 0u);
  EXPECT_EQ(cursor.steps[1].frame, 1u);
  EXPECT_EQ(cursor.steps[0].jiffies, 10u);
  EXPECT_EQ(cursor.steps[1].jiffies, 10u);
  for (TAniFrame& frame : cursor.frames) ExpectCursorPixels(*frame.picture);
}

TEST(AniReader, RatesAndSequenceNameEachStepAndAZeroRateCountsOneJiffy) {
  const TAniCursor cursor = Read(Fixture("ani", "two-frames-rate-seq.ani"));
  ASSERT_EQ(cursor.frames.size(), 2u);
  ASSERT_EQ(cursor.steps.size(), 3u);
  const std::uint32_t frames[] = {1, 0, 1};
  const std::uint32_t jiffies[] = {5, 1, 20};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(cursor.steps[i].frame, frames[i]) << i;
    EXPECT_EQ(cursor.steps[i].jiffies, jiffies[i]) << i;
  }
}

TEST(AniReader, AnIconFrameHasItsHotSpotAtTheCorner) {
  const Bytes icon = Fixture("tga_ico", "icotool-24.ico");
  const TAniCursor cursor = Read(Form({Header(1, 1, 3, 1), FrameList({icon})}));
  ASSERT_EQ(cursor.frames.size(), 1u);
  EXPECT_EQ(cursor.frames[0].hot_spot, MakePoint(0, 0));
}

TEST(AniReader, RefusesFormsItCannotShow) {
  const Bytes cur = Fixture("tga_ico", "icotool-cursor.cur");
  const Bytes frames = FrameList({cur, cur});
  Bytes past = Form({Header(2, 2, 1, 1), frames});
  past[4] += 1;  // the form's size reaches one byte past the file
  Bytes list_past = Form({Header(1, 1, 1, 1), FrameList({cur})});
  list_past[12 + 44 + 4] += 2;  // the LIST's size reaches past the form
  const struct {
    const char* what;
    Bytes file;
    const char* reason;  // part of the message; empty: the frame's own reader refuses
  } cases[] = {
      {"not RIFF", Bytes{'R', 'I', 'F', 'X', 4, 0, 0, 0, 'A', 'C', 'O', 'N'}, "not a RIFF ACON form"},
      {"no header", Form({frames}), "no header"},
      {"short header", Form({Chunk("anih", Words({36, 2, 2})), frames}), "short header"},
      {"raw frames", Form({Header(2, 2, 1, 0), frames}), "raw frames"},
      {"no frames", Form({Header(0, 0, 1, 1), frames}), "no frames"},
      {"frame count beyond the icons", Form({Header(0xFFFFFFFF, 2, 1, 1), frames}), "fewer frames"},
      {"step count beyond the sequence", Form({Header(2, 0xFFFFFFFF, 1, 3), Chunk("seq ", Words({0, 1})), frames}),
       "sequence shorter"},
      {"no steps", Form({Header(2, 0, 1, 3), Chunk("seq ", Words({})), frames}), "no steps"},
      {"sequence index beyond the frames", Form({Header(2, 2, 1, 3), Chunk("seq ", Words({0, 2})), frames}),
       "beyond the frames"},
      {"rate shorter than the steps", Form({Header(2, 2, 1, 1), Chunk("rate", Words({4})), frames}), "rates shorter"},
      {"form past the file", past, "form past the file"},
      {"list past the form", list_past, "chunk past its container"},
      {"frame that is not a cursor", Form({Header(1, 1, 1, 1), FrameList({Bytes(40, 7)})}), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      Read(c.file);
      ADD_FAILURE() << "read";
    } catch (const Exception& error) {
      EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
    }
  }
}

TEST(AniReader, EveryTruncationIsRefused) {
  const Bytes whole = Fixture("ani", "two-frames-rate-seq.ani");
  for (std::size_t size = 0; size < whole.size(); ++size) {
    Bytes part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_THROW(Read(part), Exception) << size;
    // Again with the form's size mended to the cut, so the walk meets the cut chunk itself.
    if (size < 12) continue;
    const auto body = static_cast<std::uint32_t>(size - 8);
    for (int i = 0; i < 4; ++i) part[4 + i] = static_cast<std::uint8_t>(body >> (8 * i));
    EXPECT_THROW(Read(part), Exception) << size;
  }
}

}  // namespace
}  // namespace vorn

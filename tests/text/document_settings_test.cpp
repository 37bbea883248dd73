#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "foundation/stream.h"
#include "support/hex_fixture.h"
#include "text/zk_word.h"

namespace vorn {
namespace {

std::vector<std::uint8_t> Fixture(const std::string& name) {
  return testing::ReadHexFixture(std::string(VORN_SOURCE_DIR) + "/tests/text/data/" + name);
}

// The document fields the record holds, as one line.
std::string Settings(const TZkWord& d) {
  std::string out;
  for (std::int64_t v : {std::int64_t{d.Left}, std::int64_t{d.Top}, std::int64_t{d.FontSize},
                         std::int64_t{d.TextColor}, std::int64_t{d.VisibleHeight}, std::int64_t{d.VisibleWidth},
                         std::int64_t{d.Quality}, std::int64_t{d.LineSpace}, std::int64_t{d.Paging},
                         std::int64_t{d.LinkColor}, std::int64_t{d.LinkHoverColor}, std::int64_t{d.FadeTime},
                         std::int64_t{d.BorderColor}, std::int64_t{d.Opacity}, std::int64_t{d.Stopped},
                         std::int64_t{d.CaretX}, std::int64_t{d.CaretY}, std::int64_t{d.DelayScale},
                         std::int64_t{d.EventsOn}, std::int64_t{d.ShadowColor}, std::int64_t{d.BorderWidth},
                         std::int64_t{d.ShadowOffset}}) {
    out += std::to_string(v) + " ";
  }
  return out + "'" + d.FontName + "'";
}

// A document whose shadow and border fields are not the defaults, to see which ones a record
// leaves alone.
void Prime(TZkWord& doc) {
  doc.ShadowColor = 0x0A0B0C;
  doc.BorderWidth = 9;
  doc.ShadowOffset = 8;
}

TEST(DocumentSettings, EachVersionReadsItsFields) {
  const std::string common = "10 20 24 255 200 300 2 4 0 65280 16711680 5 4210752 128 1 7 9 512 1 ";
  const struct {
    const char* fixture;
    std::int32_t version;
    std::string expected;
  } cases[] = {
      {"settings-v109.hex", 109, common + "658188 9 8 '\x83\x65\x83\x58'"},
      {"settings-v110-shadow-colour.hex", 110, common + "1122867 9 8 '\x83\x65\x83\x58'"},
      {"settings-v111-border-shadow.hex", 111, common + "1122867 2 3 '\x83\x65\x83\x58'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fixture);
    const std::vector<std::uint8_t> bytes = Fixture(c.fixture);
    TMemoryStream stream(bytes);
    TZkWord doc;
    Prime(doc);
    doc.LoadSettings(stream, c.version);
    EXPECT_EQ(Settings(doc), c.expected);
    EXPECT_EQ(stream.Position(), stream.Size());
  }
}

TEST(DocumentSettings, SaveWritesEveryFieldInRecordOrder) {
  const std::vector<std::uint8_t> bytes = Fixture("settings-v111-border-shadow.hex");
  TMemoryStream in(bytes);
  TZkWord doc;
  doc.LoadSettings(in, 111);
  TMemoryStream out;
  doc.SaveSettings(out);
  EXPECT_EQ(out.Bytes(), bytes);
}

TEST(DocumentSettings, QualityIsClampedAndOtherValuesTakeAnyInt32) {
  TZkWord source;
  source.Quality = 3;
  source.VisibleWidth = INT32_MIN;
  source.VisibleHeight = INT32_MAX;
  source.FontSize = -5;
  source.BorderWidth = INT32_MAX;
  source.ShadowOffset = INT32_MIN;
  source.Opacity = -1;
  TMemoryStream stream;
  source.SaveSettings(stream);
  for (std::int32_t stored : {INT32_MIN, -1, 0, 3, 4, INT32_MAX}) {
    SCOPED_TRACE(stored);
    TMemoryStream copy(stream.Bytes());
    // quality follows left, top, font size, face (4 + 13 bytes), text colour and the two sizes
    const std::int64_t quality_at = 4 + 4 + 4 + 4 + 13 + 4 + 4 + 4;
    std::memcpy(copy.Memory() + quality_at, &stored, 4);
    TZkWord doc;
    doc.LoadSettings(copy, 111);
    EXPECT_EQ(doc.Quality, std::clamp(stored, 0, 3));
    EXPECT_EQ(doc.VisibleWidth, INT32_MIN);
    EXPECT_EQ(doc.VisibleHeight, INT32_MAX);
    EXPECT_EQ(doc.FontSize, -5);
    EXPECT_EQ(doc.BorderWidth, INT32_MAX);
    EXPECT_EQ(doc.ShadowOffset, INT32_MIN);
    EXPECT_EQ(doc.Opacity, -1);
  }
}

TEST(DocumentSettings, ARecordCutShortRaisesAndChangesNothing) {
  const std::vector<std::uint8_t> bytes = Fixture("settings-v111-border-shadow.hex");
  TZkWord fresh;
  const std::string untouched = Settings(fresh);
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    SCOPED_TRACE(length);
    TMemoryStream stream(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + length));
    TZkWord doc;
    EXPECT_THROW(doc.LoadSettings(stream, 111), EReadError);
    EXPECT_EQ(Settings(doc), untouched);
  }
}

}  // namespace
}  // namespace vorn

// Saved scenes of pictures: the fixtures pictures-v103.bin and pictures-v134.bin of
// tests/components/data/scene_records (written by make_scene_records.py from the record tables)
// loaded into a scene whose project holds the pictures they name.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "components/picture_fixture.h"
#include "components/saved_records.h"
#include "components/vorn_button.h"
#include "components/vorn_image_list.h"
#include "components/vorn_images.h"
#include "foundation/stream.h"
#include "foundation/vocabulary_codes.h"
#include "support/whole_file.h"

namespace vorn {
namespace {

using test::Rgb;
using test::TPictureFrame;
using test::TPictureWorld;

constexpr std::int32_t kNewestSavedVersion = 134;

std::vector<std::uint8_t> Fixture(const std::string& name) {
  return testing::ReadWholeFile(std::string(VORN_SOURCE_DIR) + "/tests/components/data/scene_records/" + name);
}

std::vector<TPictureFrame> Frames(int count, std::int32_t delay) {
  std::vector<TPictureFrame> frames;
  for (int i = 0; i < count; ++i) {
    TPictureFrame frame;
    frame.width = 8;
    frame.height = 4;
    frame.colour = [i](int, int) { return Rgb(40 * (i + 1), 0, 0); };
    frame.delay = delay;
    frames.push_back(frame);
  }
  return frames;
}

void Load(TVornBaseList& scene, const std::vector<std::uint8_t>& bytes, std::int32_t version) {
  TMemoryStream in(bytes);
  scene.LoadFromStream(in, version);
}

struct PictureFixtureCase {
  const char* file;
  std::int32_t version;
};

class PicturesSceneRecord : public ::testing::TestWithParam<PictureFixtureCase> {
 protected:
  PicturesSceneRecord() {
    world.AddPicture("anim.pel", Frames(3, 40));
    world.AddPicture("n.pel", Frames(1, 100));
    world.AddPicture("h.pel", Frames(2, 50));
    world.AddPicture("p.pel", Frames(2, 50));
    world.AddPicture("c.pel", Frames(3, 20));
    world.Start();
  }
  ~PicturesSceneRecord() override { world.scene->ResetScene(); }

  TPictureWorld world;
};

TEST_P(PicturesSceneRecord, LoadsImagesAndButtonsWithTheFieldsTheirVersionHolds) {
  const bool newer = GetParam().version > 103;
  Load(*world.scene, Fixture(GetParam().file), GetParam().version);
  auto* anim = dynamic_cast<TVornImages*>(world.scene->FindControl("anim"));
  auto* inside = dynamic_cast<TVornImages*>(world.scene->FindControl("inside"));
  auto* yes = dynamic_cast<TVornButton*>(world.scene->FindControl("yes"));
  auto* no = dynamic_cast<TVornButton*>(world.scene->FindControl("no"));
  ASSERT_NE(anim, nullptr);
  ASSERT_NE(inside, nullptr);
  ASSERT_NE(yes, nullptr);
  ASSERT_NE(no, nullptr);
  EXPECT_EQ(anim->GetCompoType(), LT_IMAGES);
  EXPECT_EQ(yes->GetCompoType(), LT_BUTTON);
  EXPECT_EQ(inside->GetParent(), anim);

  // The images: its source loaded again, the saved index kept and shown.
  EXPECT_EQ(anim->GetSource(), "anim.pel");
  EXPECT_EQ(anim->GetCount(), 3);
  EXPECT_EQ(anim->GetIndex(), 1);
  EXPECT_EQ(anim->GetImage(), anim->CurrentList()->GetItem(1)->GetSurface());
  EXPECT_TRUE(anim->GetPaused());
  EXPECT_TRUE(anim->GetRepeat());
  EXPECT_EQ(anim->GetZoomX(), 512);
  EXPECT_EQ(anim->GetOnPlayEnd(), "p.vsb:end");
  EXPECT_EQ(anim->GetOnIdle(), newer ? "p.vsb:idle" : "");
  // Without a source the child keeps its index -1 and shows nothing.
  EXPECT_EQ(inside->GetIndex(), -1);
  EXPECT_EQ(inside->GetAlpha(), 128);
  EXPECT_EQ(inside->GetExternalSurface(), nullptr);

  // The buttons: pictures through their setters, the group rule run by the selected one.
  EXPECT_EQ(yes->GetHoverSource(), "h.pel");
  EXPECT_EQ(yes->GetPressedSource(), "p.pel");
  EXPECT_EQ(yes->GetClickedSource(), newer ? "c.pel" : "");
  EXPECT_EQ(yes->GetOnIdle(), newer ? "p.vsb:busy" : "");
  EXPECT_EQ(yes->GetOnNotify(), "p.vsb:yes");
  EXPECT_EQ(yes->GetGroupIndex(), 1);
  EXPECT_TRUE(yes->GetSelected());
  EXPECT_FALSE(no->GetSelected());
  EXPECT_TRUE(no->GetAllowAllUp());
  // Selected shows the pressed pictures; the other member stays normal.
  EXPECT_EQ(yes->CurrentState(), 2);
  EXPECT_EQ(no->CurrentState(), 0);
  EXPECT_EQ(yes->GetTracking(), 0);
  EXPECT_EQ(no->GetImage(), no->CurrentList()->GetItem(0)->GetSurface());
}

TEST_P(PicturesSceneRecord, PaintsAndSavesAgainWithoutLosingAField) {
  Load(*world.scene, Fixture(GetParam().file), GetParam().version);
  world.scene->Paint();
  TMemoryStream first;
  world.scene->SaveToStream(first);
  // Loaded again as the newest version and saved, the record keeps its layout and fields.
  world.scene->ResetScene();
  Load(*world.scene, first.Bytes(), kNewestSavedVersion);
  TMemoryStream second;
  world.scene->SaveToStream(second);
  EXPECT_EQ(second.Bytes(), first.Bytes());
}

TEST_P(PicturesSceneRecord, EveryProperPrefixFailsCleanly) {
  const std::vector<std::uint8_t> bytes = Fixture(GetParam().file);
  for (std::size_t size = 0; size < bytes.size(); size += 7) {
    const std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_THROW(Load(*world.scene, prefix, GetParam().version), ESavedSceneError) << size;
    world.scene->ResetScene();
  }
}

INSTANTIATE_TEST_SUITE_P(EachVersion, PicturesSceneRecord,
                         ::testing::Values(PictureFixtureCase{"pictures-v103.bin", 103},
                                           PictureFixtureCase{"pictures-v134.bin", 134}),
                         [](const auto& info) { return "v" + std::to_string(info.param.version); });

}  // namespace
}  // namespace vorn

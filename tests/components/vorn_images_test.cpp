#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "components/picture_fixture.h"
#include "components/vorn_button.h"
#include "components/vorn_images.h"
#include "components/vorn_image_list.h"
#include "engine/build_vorn_parser.h"
#include "engine/engine_values.h"
#include "engine/vorn_parser.h"
#include "foundation/stream.h"
#include "foundation/vocabulary_codes.h"
#include "foundation/vr_errors.h"
#include "support/recording_film.h"

namespace vorn {
namespace {

using test::Rgb;
using test::TPictureFrame;
using test::TPictureWorld;

TPictureFrame Frame(int w, int h, test::TRgb colour, std::int32_t delay) {
  TPictureFrame frame;
  frame.width = w;
  frame.height = h;
  frame.colour = [colour](int, int) { return colour; };
  frame.delay = delay;
  return frame;
}

std::vector<TPictureFrame> Frames(int count, std::int32_t delay, int w = 4, int h = 3) {
  std::vector<TPictureFrame> frames;
  for (int i = 0; i < count; ++i) frames.push_back(Frame(w, h, Rgb(10 * (i + 1), 0, 0), delay));
  return frames;
}

std::unique_ptr<TVornParser> Compiled(std::string_view text) {
  TBuildVornParser builder;
  builder.Compile(text);
  TMemoryStream stream;
  builder.SaveToStream(stream);
  stream.SetPosition(0);
  auto parser = std::make_unique<TVornParser>();
  parser->LoadFromStream(stream);
  return parser;
}

class FrameDeltaScope {
 public:
  explicit FrameDeltaScope(std::int32_t ms) : previous_(FrameDelta) { FrameDelta = ms; }
  ~FrameDeltaScope() { FrameDelta = previous_; }

 private:
  std::int32_t previous_;
};

class ImagesTest : public ::testing::Test {
 protected:
  void Start() {
    world.Start();
    world.scene->Events().Clear();
  }
  ~ImagesTest() override {
    if (world.scene) {
      for (int i = world.scene->GetObjectCount() - 1; i >= 0; --i) world.scene->GetObject(i)->DeleteObject();
    }
  }
  template <typename T = TVornImages>
  T* Make(const std::string& source = {}) {
    auto* images = CreateObject<T>(*world.scene);
    images->SetParent(world.scene->ActiveLayer());
    if (!source.empty()) images->SetSource(source);
    return images;
  }
  // Ticks until the index changes; answers how many ticks that took (0: it never did).
  int TicksToChange(TVornImages& images, int limit = 100) {
    const std::int32_t start = images.GetIndex();
    for (int i = 1; i <= limit; ++i) {
      EXPECT_FALSE(images.Tick());
      if (images.GetIndex() != start) return i;
    }
    return 0;
  }
  int Posted(std::uint8_t code) {
    int count = 0;
    for (int i = 0; i < world.scene->Events().Count(); ++i) {
      if (world.scene->Events().Item(i)->GetCode() == code) ++count;
    }
    return count;
  }

  TPictureWorld world;
  FrameDeltaScope delta{16};
};

TEST_F(ImagesTest, SourceLoadsFramesSizesAndShowsTheFirst) {
  world.AddPicture("a.pel", Frames(3, 100, 5, 4));
  Start();
  TVornImages* images = Make("A.PEL");
  EXPECT_EQ(images->GetCompoType(), 8);
  EXPECT_EQ(images->GetIndex(), 0);
  EXPECT_EQ(images->GetCount(), 3);
  EXPECT_EQ(images->GetWidth(), 5);
  EXPECT_EQ(images->GetHeight(), 4);
  EXPECT_EQ(images->GetImage(), &images->CurrentList()->GetItem(0)->Frame().Surface());
  EXPECT_EQ(images->GetRemainingDelay(), 100);

  // The same name again changes nothing; any other extension gives an empty control.
  images->SetIndex(2);
  images->SetSource("A.PEL");
  EXPECT_EQ(images->GetIndex(), 2);
  images->SetSource("picture.png");
  EXPECT_EQ(images->GetCount(), 0);
  EXPECT_EQ(images->GetWidth(), 0);
  EXPECT_EQ(images->GetHeight(), 0);
  EXPECT_EQ(images->GetIndex(), -1);
  EXPECT_EQ(images->GetExternalSurface(), nullptr);
}

TEST_F(ImagesTest, TwoFramesChangeEvery112MsAtA16MsFrame) {
  world.AddPicture("two.pel", Frames(2, 100));
  Start();
  TVornImages* images = Make("two.pel");
  images->SetRepeat(true);
  for (int change = 0; change < 4; ++change) EXPECT_EQ(TicksToChange(*images), 7) << change;
}

TEST_F(ImagesTest, ThreeFramesCarryTheOvershoot) {
  world.AddPicture("three.pel", Frames(3, 100));
  Start();
  TVornImages* images = Make("three.pel");
  images->SetRepeat(true);
  // Over 75 ticks of 16 ms (1200 ms) the frames change 12 times: 100 ms each on average,
  // apart from the wrap, which starts frame 0 afresh.
  int changes = 0;
  std::int32_t last = images->GetIndex();
  for (int i = 0; i < 75; ++i) {
    images->Tick();
    if (images->GetIndex() != last) ++changes;
    last = images->GetIndex();
  }
  EXPECT_GE(changes, 11);
  EXPECT_LE(changes, 12);
}

TEST_F(ImagesTest, LastFrameRepeatsScrapsOrPostsPlayEndEveryTick) {
  world.AddPicture("two.pel", Frames(2, 20));
  Start();
  TVornImages* images = Make("two.pel");
  images->SetOnPlayEnd("*end");
  images->SetIndex(1);
  images->SetRemainingDelay(0);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(images->Tick());
  EXPECT_EQ(Posted(PR_ONPLAYEND), 3);
  for (int i = 0; i < world.scene->Events().Count(); ++i) EXPECT_EQ(world.scene->Events().Item(i)->GetLabel(), "*end");
  EXPECT_FALSE(images->GetPlaying());

  images->SetRepeat(true);  // the index lies inside the list: nothing restarts
  EXPECT_TRUE(images->GetPlaying());
  images->Tick();
  EXPECT_EQ(images->GetIndex(), 0);

  images->SetRepeat(false);
  images->SetAutoScrap(true);
  images->SetIndex(1);
  images->SetRemainingDelay(0);
  EXPECT_TRUE(images->Tick());

  // Paused, hidden or outside the list: nothing moves.
  images->SetAutoScrap(false);
  images->SetPaused(true);
  EXPECT_FALSE(images->Tick());
  EXPECT_EQ(images->GetIndex(), 1);
}

TEST_F(ImagesTest, LastFrameWaitAddsTheExpressionsValue) {
  world.AddPicture("two.pel", Frames(2, 20));
  Start();
  TVornImages* images = Make();
  images->AssignExpression(TObjectExpression::kImageDelay, *Compiled("250"));
  images->SetSource("two.pel");
  EXPECT_EQ(images->GetRemainingDelay(), 20);  // frame 0 is not the last
  images->SetIndex(1);
  EXPECT_EQ(images->GetRemainingDelay(), 20 + 20 + 250);
}

TEST_F(ImagesTest, BrightnessAppliesToTheShownFrame) {
  world.AddPicture("b.pel", Frames(2, 20));
  Start();
  TVornImages* images = Make("b.pel");
  TCustomDIBX* plain = images->GetImage();
  images->SetBrightness(80);
  EXPECT_NE(images->GetImage(), plain);
  EXPECT_EQ(TPictureWorld::PixelColour(*images->GetImage(), 0, 0), Rgb(90, 80, 80));
  images->SetIndex(1);  // the next frame takes the brightness too
  EXPECT_EQ(TPictureWorld::PixelColour(*images->GetImage(), 0, 0), Rgb(100, 80, 80));
}

TEST_F(ImagesTest, MotionFilesDriveIndexAndCount) {
  testing::TRecordingFilmMaker films;
  films.lengths["walk.vmn"] = 30;
  Start();
  TVornImages* images = Make("walk.vmn");
  EXPECT_EQ(films.log, (std::vector<std::string>{"0 create " + images->GetName(), "0 load walk.vmn", "0 tick",
                                                 "0 restart"}));
  EXPECT_TRUE(images->HasMotion());
  EXPECT_EQ(images->GetCount(), 30);
  films.log.clear();
  images->SetIndex(3);
  EXPECT_EQ(films.log, std::vector<std::string>{"0 elapsed 50"});  // round(3 x 16.67)
  images->SetSource("still.pel");
  EXPECT_FALSE(images->HasMotion());
  EXPECT_EQ(films.films[0], nullptr);
}

TEST_F(ImagesTest, SurfaceRestoreTakesTheFramesNewSurface) {
  world.AddPicture("r.pel", Frames(2, 20));
  Start();
  TVornImages* images = Make("r.pel");
  images->SetBrightness(-30);
  world.scene->ReleaseSurfaces();
  EXPECT_EQ(images->GetExternalSurface(), nullptr);
  world.screen.bit_count = 16;
  world.scene->RestoreSurfaces();
  ASSERT_NE(images->GetExternalSurface(), nullptr);
  EXPECT_EQ(images->GetExternalSurface()->GetBitCount(), 16);
  EXPECT_EQ(images->GetExternalSurface(), images->CurrentList()->GetItem(0)->GetSurface());
  EXPECT_NE(images->GetExternalSurface(), &images->CurrentList()->GetItem(0)->Frame().Surface());
}

// ---- the button ----

class ButtonTest : public ImagesTest {
 protected:
  TVornButton* MakeButton() {
    world.AddPicture("n.pel", Frames(1, 100));
    world.AddPicture("h.pel", Frames(2, 50));
    world.AddPicture("p.pel", Frames(2, 50));
    world.AddPicture("c.pel", Frames(3, 16));
    Start();
    TVornButton* button = Make<TVornButton>("n.pel");
    button->SetLeft(10);
    button->SetTop(10);
    return button;
  }
  void MouseAt(int x, int y) {
    world.scene->ActiveLayer()->Mouse().x = x;
    world.scene->ActiveLayer()->Mouse().y = y;
  }
  // Ticks until the clicked pictures end (at most limit ticks).
  void TickOut(TVornButton& button, int limit = 20) {
    for (int i = 0; i < limit && button.CurrentState() == TVornButton::kClicked; ++i) button.Tick();
  }
};

TEST_F(ButtonTest, ClickedPicturesEndInTheReturnStateOrScrapTheButton) {
  struct Case {
    const char* name;
    bool hover_pictures;
    bool request_hover_while_clicked;
    bool auto_scrap;
    int end_state;
    bool scrapped;
  };
  const Case cases[] = {
      {"plain", false, false, false, 0, false},
      {"hover asked while clicked", true, true, false, 1, false},
      {"hover asked, no hover pictures", false, true, false, -1, false},
      {"auto scrap", false, false, true, 0, true},
  };
  world.AddPicture("n.pel", Frames(1, 100));
  world.AddPicture("h.pel", Frames(2, 50));
  world.AddPicture("c.pel", Frames(3, 16));
  Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    world.scene->Events().Clear();
    auto* button = Make<TVornButton>();
    button->SetSource("n.pel");
    if (c.hover_pictures) button->SetHoverSource("h.pel");
    button->SetClickedSource("c.pel");
    button->SetAutoScrap(c.auto_scrap);
    button->SetOnPlayEnd("*end");
    button->Click();
    ASSERT_EQ(button->CurrentState(), TVornButton::kClicked);
    EXPECT_FALSE(button->GetRepeat());
    if (c.request_hover_while_clicked) button->SetState(1);
    bool scrapped = false;
    for (int i = 0; i < 20 && !scrapped && button->CurrentState() == TVornButton::kClicked; ++i) scrapped = button->Tick();
    EXPECT_EQ(scrapped, c.scrapped);
    if (!c.scrapped) {
      EXPECT_EQ(button->CurrentState(), c.end_state);
      EXPECT_EQ(Posted(PR_ONPLAYEND), 1);
    }
    button->DeleteObject();
  }
}

TEST_F(ButtonTest, TheEndOfTheClickedPicturesRepaintsTheNormalPicture) {
  // The last clicked frame (index 2) lies beyond the normal pictures' single frame.
  TVornButton* button = MakeButton();
  button->SetClickedSource("c.pel");
  // A painted frame as the player paints it: the dirty rectangles, then they are forgotten.
  auto paint = [this] {
    world.scene->Paint();
    world.scene->ActiveLayer()->DirtyRects().Clear();
  };
  paint();
  button->Click();
  while (button->CurrentState() == TVornButton::kClicked) {
    button->Tick();
    paint();
  }
  EXPECT_EQ(button->CurrentState(), 0);
  EXPECT_EQ(world.At(11, 11), Rgb(10, 0, 0));
}

TEST_F(ButtonTest, HoverAndPressedPicturesLoop) {
  TVornButton* button = MakeButton();
  button->SetHoverSource("h.pel");
  button->SetPressedSource("p.pel");
  for (const int state : {1, 2}) {
    button->SetState(state);
    ASSERT_EQ(button->CurrentState(), state);
    EXPECT_TRUE(button->GetRepeat());
    std::vector<std::int32_t> seen;
    for (int i = 0; i < 20; ++i) {
      button->Tick();
      seen.push_back(button->GetIndex());
    }
    EXPECT_EQ(button->CurrentState(), state);
    EXPECT_NE(std::find(seen.begin(), seen.end(), 0), seen.end());
    EXPECT_NE(std::find(seen.begin(), seen.end(), 1), seen.end());
  }
  // A state without pictures is skipped: the button keeps its state.
  button->SetState(0);
  button->SetHoverSource("");
  button->SetState(1);
  EXPECT_EQ(button->CurrentState(), 0);
}

// ---- button films (through a recording film maker) ----

TEST_F(ButtonTest, StateFilmsAreMadeForTheButtonAndStepOnlyInTheirState) {
  testing::TRecordingFilmMaker films;
  films.lengths = {{"hover.vmn", 12}, {"click.vmn", 20}};
  TVornButton* button = MakeButton();
  const std::string name = button->GetName();
  button->SetHoverSource("hover.vmn");
  button->SetClickedSource("click.vmn");
  // Loaded for the button, but neither stepped nor restarted until their state is shown.
  EXPECT_EQ(films.log, (std::vector<std::string>{"0 create " + name, "0 load hover.vmn", "1 create " + name,
                                                 "1 load click.vmn"}));
  ASSERT_EQ(films.films.size(), 2u);
  EXPECT_EQ(&films.films[0]->holder, button);
  EXPECT_EQ(button->MotionOf(1), films.films[0]);
  EXPECT_EQ(button->MotionOf(2), nullptr);
  EXPECT_EQ(button->MotionOf(3), films.films[1]);
  EXPECT_FALSE(button->HasMotion());
  EXPECT_EQ(button->GetCount(), 1);

  // A state with a film and no frames is taken; INDEX -1 then 0 go to the film, then it restarts.
  films.log.clear();
  button->SetState(TVornButton::kHover);
  EXPECT_EQ(button->CurrentState(), TVornButton::kHover);
  EXPECT_EQ(films.log, (std::vector<std::string>{"0 elapsed -17", "0 elapsed 0", "0 restart"}));
  EXPECT_TRUE(button->HasMotion());
  EXPECT_EQ(button->GetCount(), 12);
  films.films[0]->tick = 5;
  EXPECT_EQ(button->GetIndex(), 5);

  // Ticks step the film of the state shown and no other.
  films.log.clear();
  EXPECT_FALSE(button->Tick());
  EXPECT_FALSE(button->Tick());
  EXPECT_EQ(films.log, (std::vector<std::string>{"0 tick", "0 tick"}));

  // Back to the normal frames: the film stays loaded for the next hover.
  button->SetState(0);
  EXPECT_FALSE(button->HasMotion());
  EXPECT_EQ(button->GetIndex(), 0);
  EXPECT_EQ(button->GetImage(), button->CurrentList()->GetItem(0)->GetSurface());
  EXPECT_NE(films.films[0], nullptr);
  // Films log into their maker: they go before it does.
  button->DeleteObject();
}

TEST_F(ButtonTest, TheEndOfTheClickedFilmReturnsOrScrapsTheButton) {
  struct Case {
    const char* name;
    bool auto_scrap;
  };
  world.AddPicture("n.pel", Frames(1, 100));
  Start();
  for (const Case c : {Case{"return", false}, Case{"auto scrap", true}}) {
    SCOPED_TRACE(c.name);
    testing::TRecordingFilmMaker films;
    auto* button = Make<TVornButton>("n.pel");
    button->SetClickedSource("click.vmn");
    button->SetAutoScrap(c.auto_scrap);
    button->SetOnPlayEnd("*end");
    world.scene->Events().Clear();
    // A film counts as pictures: the click takes the clicked state.
    button->Click();
    ASSERT_EQ(button->CurrentState(), TVornButton::kClicked);
    EXPECT_FALSE(button->GetRepeat());
    ASSERT_EQ(films.films.size(), 1u);
    EXPECT_FALSE(button->Tick());
    EXPECT_EQ(button->CurrentState(), TVornButton::kClicked);
    films.films[0]->end_next_tick = true;
    const bool scrapped = button->Tick();
    EXPECT_EQ(scrapped, c.auto_scrap);
    if (!c.auto_scrap) {
      EXPECT_EQ(button->CurrentState(), 0);
      EXPECT_EQ(Posted(PR_ONPLAYEND), 1);
      EXPECT_EQ(button->GetImage(), button->CurrentList()->GetItem(0)->GetSurface());
    } else {
      EXPECT_EQ(Posted(PR_ONPLAYEND), 0);
    }
    button->DeleteObject();
    EXPECT_EQ(films.films[0], nullptr);
  }
}

TEST_F(ButtonTest, NewSourcesAndTheButtonsEndFreeItsFilms) {
  testing::TRecordingFilmMaker films;
  TVornButton* button = MakeButton();
  button->SetHoverSource("a.vmn");
  button->SetPressedSource("b.vmn");
  button->SetClickedSource("c.vmn");
  button->SetSource("d.vmn");  // the button's own film: stepped once and restarted
  ASSERT_EQ(films.films.size(), 4u);
  EXPECT_EQ(std::count(films.log.begin(), films.log.end(), "3 tick"), 1);
  // The same name again changes nothing; another one frees the state's film.
  button->SetHoverSource("a.vmn");
  EXPECT_NE(films.films[0], nullptr);
  button->SetHoverSource("h.pel");
  EXPECT_EQ(films.films[0], nullptr);
  EXPECT_EQ(button->MotionOf(1), nullptr);
  button->SetState(TVornButton::kHover);
  EXPECT_EQ(button->CurrentState(), TVornButton::kHover);
  EXPECT_FALSE(button->HasMotion());
  button->DeleteObject();
  for (const testing::TRecordingFilm* film : films.films) EXPECT_EQ(film, nullptr);
}

TEST_F(ButtonTest, AMissingStateFilmLeavesTheStateWithoutPictures) {
  testing::TRecordingFilmMaker films;
  films.missing = {"gone.vmn"};
  TVornButton* button = MakeButton();
  EXPECT_THROW(button->SetHoverSource("gone.vmn"), EVrFileNotFound);
  EXPECT_EQ(button->MotionOf(TVornButton::kHover), nullptr);
  // Nothing to show in the hover state: the button keeps its state.
  button->SetState(TVornButton::kHover);
  EXPECT_EQ(button->CurrentState(), 0);
  EXPECT_TRUE(films.films.empty() || films.films[0] == nullptr);
}

TEST_F(ButtonTest, PressAndReleaseOverTheButtonClicksIt) {
  TVornButton* button = MakeButton();
  button->SetPressedSource("p.pel");
  button->SetClickedSource("c.pel");
  button->SetOnNotify("*notify");
  button->SetOnLBtnDown("*down");
  button->SetOnLBtnUp("*up");
  TVornBase* layer = world.scene->ActiveLayer();
  MouseAt(11, 11);
  layer->Mouse().left_pressed = 1;
  button->LBtnDown();
  EXPECT_EQ(button->CurrentState(), TVornButton::kPressed);
  EXPECT_EQ(button->GetTracking(), 1);
  EXPECT_EQ(layer->Mouse().left_pressed, 0);
  EXPECT_NE(layer->Mouse().capture & kLeftCapture, 0);
  // Dragged off: back to normal while held; back on: pressed again.
  MouseAt(40, 40);
  button->MouseMove();
  EXPECT_EQ(button->CurrentState(), 0);
  MouseAt(11, 11);
  button->MouseMove();
  EXPECT_EQ(button->CurrentState(), TVornButton::kPressed);
  button->LBtnUp();
  EXPECT_EQ(button->CurrentState(), TVornButton::kClicked);
  EXPECT_EQ(button->GetTracking(), 0);
  ASSERT_EQ(world.scene->Events().Count(), 1);
  EXPECT_EQ(world.scene->Events().Item(0)->GetCode(), PR_ONNOTIFY);
  // Released off the button: no click, back to normal.
  TickOut(*button);
  EXPECT_EQ(button->CurrentState(), 0);
  button->LBtnDown();
  MouseAt(40, 40);
  button->LBtnUp();
  EXPECT_EQ(button->CurrentState(), 0);
  EXPECT_EQ(world.scene->Events().Count(), 1);
}

TEST_F(ButtonTest, ClickWithoutClickedPicturesAndAutoScrapScrapsAtTheNextTick) {
  TVornButton* button = MakeButton();
  button->SetAutoScrap(true);
  MouseAt(11, 11);
  button->LBtnDown();
  button->LBtnUp();
  EXPECT_EQ(button->GetTracking(), -1);
  EXPECT_TRUE(button->Tick());
}

TEST_F(ButtonTest, EnterOrSpaceClicksTheFocusedButton) {
  TVornButton* button = MakeButton();
  button->SetClickedSource("c.pel");
  button->SetOnNotify("*notify");
  for (const int key : {13, 32}) {
    world.scene->SetKeyDown(key, true);
    world.scene->ProcessInput();
    world.scene->SetKeyDown(key, false);
    button->KeyRepeat();
    EXPECT_EQ(button->CurrentState(), TVornButton::kClicked) << key;
    TickOut(*button);
  }
  EXPECT_EQ(Posted(PR_ONNOTIFY), 2);
}

TEST_F(ButtonTest, GroupKeepsOneSelected) {
  world.AddPicture("n.pel", Frames(1, 100));
  world.AddPicture("p.pel", Frames(1, 100));
  Start();
  std::vector<TVornButton*> group;
  for (int i = 0; i < 3; ++i) {
    TVornButton* button = Make<TVornButton>("n.pel");
    button->SetPressedSource("p.pel");
    button->SetName("b" + std::to_string(i));
    group.push_back(button);
  }
  // Selecting needs a group.
  group[0]->SetSelected(true);
  EXPECT_FALSE(group[0]->GetSelected());
  // Joining a group without ALLOWALLUP selects its first member.
  group[0]->SetGroupIndex(5);
  EXPECT_TRUE(group[0]->GetSelected());
  EXPECT_EQ(group[0]->CurrentState(), TVornButton::kPressed);
  group[1]->SetGroupIndex(5);
  group[2]->SetGroupIndex(5);
  group[2]->SetSelected(true);
  EXPECT_EQ(std::vector<bool>({group[0]->GetSelected(), group[1]->GetSelected(), group[2]->GetSelected()}),
            std::vector<bool>({false, false, true}));
  EXPECT_EQ(group[0]->CurrentState(), 0);
  // A selected member stays selected when clicked, and still notifies.
  group[2]->SetOnNotify("*n");
  group[2]->Click();
  EXPECT_TRUE(group[2]->GetSelected());
  EXPECT_EQ(Posted(PR_ONNOTIFY), 1);
  // With ALLOWALLUP the click lets it go.
  group[2]->SetAllowAllUp(true);
  EXPECT_TRUE(group[0]->GetAllowAllUp());
  group[2]->Click();
  EXPECT_FALSE(group[2]->GetSelected());
  EXPECT_FALSE(group[0]->GetSelected());
}

// ---- records ----

// Opens the record hooks of the classes to the tests.
template <typename T>
class TOpen : public T {
 public:
  using T::T;
  using T::LoadClassFields;
  using T::SaveClassFields;
};

// Little-endian pieces of a record written by hand.
struct TBytes {
  std::vector<std::uint8_t> bytes;
  TBytes& I(std::int32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
    return *this;
  }
  TBytes& B(std::uint8_t v) {
    bytes.push_back(v);
    return *this;
  }
  TBytes& S(const std::string& s) {
    I(static_cast<std::int32_t>(s.size()));
    bytes.insert(bytes.end(), s.begin(), s.end());
    return *this;
  }
  // An empty compiled expression: its operation count 0.
  TBytes& EmptyWait() { return I(0); }
};

TBytes ImageFields(std::int32_t zoom_y, bool with_zoom_y) {
  TBytes b;
  b.I(200)     // ALPHA
      .I(512)  // ZOOMX
      .I(7)    // ANGLE
      .B(1)    // FLIPH
      .B(0)    // FLIPV
      .B(1);   // CAPTUREMASK
  if (with_zoom_y) b.I(zoom_y);
  return b;
}

TEST_F(ImagesTest, ImagesRecordReadsVersion103AndCurrent) {
  world.AddPicture("r.pel", Frames(3, 40));
  Start();
  for (const std::int32_t version : {103, 134}) {
    SCOPED_TRACE(version);
    TBytes b = ImageFields(300, version > 103);
    b.I(9)              // remaining delay
        .I(2)           // INDEX
        .I(0)           // BRIGHTNESS
        .B(1)           // PAUSED
        .EmptyWait()    // last-frame wait
        .B(1)           // REPEAT
        .B(0)           // AUTOSCRAP
        .S("r.pel")     // SOURCE
        .S("*end");     // ONPLAYEND
    if (version > 103) b.S("*idle");  // ONIDLE
    auto* images = CreateObject<TOpen<TVornImages>>(*world.scene);
    images->StoreZoomY(256);
    TMemoryStream stream(b.bytes);
    images->LoadClassFields(stream, version);
    EXPECT_EQ(stream.Remaining(), 0);
    EXPECT_EQ(images->GetAlpha(), 200);
    EXPECT_EQ(images->GetZoomX(), 512);
    EXPECT_EQ(images->GetZoomY(), version > 103 ? 300 : 256);
    EXPECT_EQ(images->GetAngle(), 7);
    EXPECT_TRUE(images->GetFlipH());
    EXPECT_TRUE(images->GetCaptureMask());
    EXPECT_TRUE(images->GetPaused());
    EXPECT_TRUE(images->GetRepeat());
    EXPECT_EQ(images->GetSource(), "r.pel");
    EXPECT_EQ(images->GetIndex(), 2);
    EXPECT_EQ(images->GetImage(), images->CurrentList()->GetItem(2)->GetSurface());
    EXPECT_EQ(images->GetOnPlayEnd(), "*end");
    EXPECT_EQ(images->GetOnIdle(), version > 103 ? "*idle" : "");
    if (version > 103) {
      // Written back, the record is the same bytes (the remaining delay is the one now held).
      TMemoryStream out;
      images->SaveClassFields(out);
      TBytes expected = ImageFields(300, true);
      expected.I(images->GetRemainingDelay()).I(2).I(0).B(1).EmptyWait().B(1).B(0).S("r.pel").S("*end").S("*idle");
      EXPECT_EQ(out.Bytes(), expected.bytes);
    }
    images->DeleteObject();
  }
}

TEST_F(ImagesTest, SavedIndexOutsideTheFramesShowsNothing) {
  world.AddPicture("r.pel", Frames(2, 40));
  Start();
  TBytes b = ImageFields(256, true);
  b.I(0).I(57).I(0).B(0).EmptyWait().B(0).B(0).S("r.pel").S("").S("");
  auto* images = CreateObject<TOpen<TVornImages>>(*world.scene);
  TMemoryStream stream(b.bytes);
  images->LoadClassFields(stream, 134);
  EXPECT_EQ(images->GetIndex(), 57);
  EXPECT_EQ(images->GetExternalSurface(), nullptr);
  images->Tick();  // never addresses a frame
  images->DeleteObject();
}

TEST_F(ImagesTest, TruncatedRecordsFailCleanly) {
  world.AddPicture("r.pel", Frames(2, 40));
  Start();
  TBytes b = ImageFields(256, true);
  b.I(0).I(1).I(0).B(0).EmptyWait().B(0).B(0).S("r.pel").S("").S("");
  for (std::size_t cut = 0; cut < b.bytes.size(); cut += 3) {
    auto* images = CreateObject<TOpen<TVornImages>>(*world.scene);
    TMemoryStream stream(std::vector<std::uint8_t>(b.bytes.begin(), b.bytes.begin() + static_cast<std::ptrdiff_t>(cut)));
    EXPECT_ANY_THROW(images->LoadClassFields(stream, 134)) << cut;
    images->DeleteObject();
  }
}

TEST_F(ButtonTest, ButtonRecordReadsVersion103AndCurrent) {
  world.AddPicture("n.pel", Frames(1, 100));
  world.AddPicture("h.pel", Frames(2, 50));
  world.AddPicture("p.pel", Frames(2, 50));
  world.AddPicture("c.pel", Frames(3, 16));
  Start();
  auto record = [](std::int32_t version, std::int32_t remaining) {
    TBytes b = ImageFields(256, version > 103);
    b.I(remaining).I(0).I(0).B(0).EmptyWait()  // custom images
        .B(0).B(1).S("n.pel").S("");           // images
    if (version > 103) b.S("");                // ONIDLE of the images record: always empty for a button
    b.S("h.pel")     // HOVERSOURCE
        .S("p.pel")  // PRESSEDSOURCE
        .I(0)        // GROUPINDEX
        .B(0)        // SELECTED
        .B(1)        // ALLOWALLUP
        .S("*n");    // ONNOTIFY
    if (version > 103) b.S("*idle").S("c.pel");  // the button's ONIDLE, CLICKEDSOURCE
    return b;
  };
  for (const std::int32_t version : {103, 134}) {
    SCOPED_TRACE(version);
    TBytes b = record(version, 0);
    auto* button = CreateObject<TOpen<TVornButton>>(*world.scene);
    TMemoryStream stream(b.bytes);
    button->LoadClassFields(stream, version);
    EXPECT_EQ(stream.Remaining(), 0);
    EXPECT_EQ(button->GetHoverSource(), "h.pel");
    EXPECT_EQ(button->GetPressedSource(), "p.pel");
    EXPECT_EQ(button->GetClickedSource(), version > 103 ? "c.pel" : "");
    EXPECT_EQ(button->GetOnIdle(), version > 103 ? "*idle" : "");
    EXPECT_EQ(button->GetOnNotify(), "*n");
    EXPECT_TRUE(button->GetAutoScrap());
    EXPECT_EQ(button->GetTracking(), 0);
    EXPECT_EQ(button->GetIndex(), 0);
    if (version > 103) {
      TMemoryStream out;
      button->SaveClassFields(out);
      EXPECT_EQ(out.Bytes(), record(version, button->GetRemainingDelay()).bytes);
    }
    button->DeleteObject();
  }
}

TEST_F(ButtonTest, SavedFilmSourcesMakeTheirFilmsAgain) {
  testing::TRecordingFilmMaker films;
  films.lengths = {{"h.vmn", 8}};
  world.AddPicture("n.pel", Frames(1, 100));
  Start();
  TBytes b = ImageFields(256, true);
  b.I(0).I(0).I(0).B(0).EmptyWait().B(0).B(0).S("n.pel").S("").S("");
  b.S("h.vmn").S("").I(0).B(0).B(0).S("").S("").S("c.vmn");
  auto* button = CreateObject<TOpen<TVornButton>>(*world.scene);
  TMemoryStream stream(b.bytes);
  button->LoadClassFields(stream, 134);
  EXPECT_EQ(stream.Remaining(), 0);
  ASSERT_NE(button->MotionOf(TVornButton::kHover), nullptr);
  ASSERT_NE(button->MotionOf(TVornButton::kClicked), nullptr);
  EXPECT_EQ(button->MotionOf(TVornButton::kHover)->GetLength(), 8);
  EXPECT_EQ(std::count(films.log.begin(), films.log.end(), "0 load h.vmn"), 1);
  EXPECT_EQ(std::count(films.log.begin(), films.log.end(), "1 load c.vmn"), 1);
  button->DeleteObject();
}

}  // namespace
}  // namespace vorn

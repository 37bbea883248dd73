#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "components/property_dump.h"
#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "components/vorn_object.h"

namespace vorn {
namespace {

using testing::DumpProperties;
using testing::kPropertyCount;
using testing::PropertyText;
using testing::WriteProbe;

// The neutral value of every property an object does not implement is 0, "" or false; these are
// the exceptions.
const std::map<int, std::string> kObjectExceptions = {
    {0, "object0"},  // an owned object reads its automatic name
    {7, "256"},      {8, "16777215"}, {10, "-1"}, {11, "255"},  {24, "-1"},    {42, "255"},
    {44, "-1"},      {82, "256"},     {94, "1"},  {127, "1"},   {128, "1"},    {132, "256"},
    {139, "true"},   {150, "true"},
};

std::string Neutral(int index) {
  static const std::set<int> kBooleans = {25,  27,  29,  47,  71,  73,  81,  86,  87,  88,  98,
                                          100, 111, 112, 134, 137, 138, 139, 147, 150, 152, 158};
  static const std::set<int> kTexts = {0,  1,  2,  15, 32, 33,  34,  35,  36,  37,  38,  39,  40,
                                       41, 43, 46, 50, 54, 55,  56,  57,  58,  59,  60,  61,  62,
                                       69, 70, 72, 74, 75, 76,  77,  83,  84,  99,  101, 103, 104,
                                       105, 106, 113, 121, 122, 129, 133, 135, 136, 144, 145, 146,
                                       148, 149, 151};
  if (kBooleans.contains(index)) return "false";
  if (kTexts.contains(index)) return "";
  return "0";
}

std::string Expected(const std::map<int, std::string>& exceptions, int index) {
  const auto found = exceptions.find(index);
  return found != exceptions.end() ? found->second : Neutral(index);
}

TEST(PropertyDefaults, PlainObjectReadsTheNeutralValueOfEveryProperty) {
  TVornBaseList scene;
  TVornComponent* object = CreateObject<TVornComponent>(scene);
  for (int i = 0; i < kPropertyCount; ++i) {
    EXPECT_EQ(PropertyText(*object, i), Expected(kObjectExceptions, i)) << "property " << i;
  }
}

TEST(PropertyDefaults, PlainObjectIgnoresWritesToEveryAccessor) {
  TVornBaseList scene;
  TVornComponent* object = CreateObject<TVornComponent>(scene);
  const auto before = DumpProperties(*object);
  for (int i = 0; i < kPropertyCount; ++i) WriteProbe(*object, i);
  EXPECT_EQ(DumpProperties(*object), before);
}

TEST(PropertyDefaults, PlainControlReadsItsOwnFieldsAndTheNeutralRest) {
  TVornBaseList scene;
  TVornControl* control = CreateObject<TVornControl>(scene);
  auto exceptions = kObjectExceptions;
  exceptions[8] = "0";       // a control's colour field starts at 0
  exceptions[47] = "false";  // no parent: not visible, though its own flag is set
  for (int i = 0; i < kPropertyCount; ++i) {
    EXPECT_EQ(PropertyText(*control, i), Expected(exceptions, i)) << "property " << i;
  }
  EXPECT_TRUE(control->GetVisibleFlag());
}

TEST(PropertyDefaults, ControlKeepsWritesOnlyToItsOwnProperties) {
  TVornBaseList scene;
  TVornControl* control = CreateObject<TVornControl>(scene);
  control->SetParent(scene.ActiveLayer());
  const auto before = DumpProperties(*control);
  for (int i = 0; i < kPropertyCount; ++i) WriteProbe(*control, i);
  const auto after = DumpProperties(*control);
  // LEFT, TOP, WIDTH, HEIGHT, COLOR, OFFSETX/Y, CLIP*, PLUSX/Y, IGNOREMOUSE, the labels, CURSOR,
  // POSZOOMED, ANIPAUSED, HANDLEKEY; ORIGWIDTH/ORIGHEIGHT follow WIDTH/HEIGHT.
  const std::set<int> kControlProperties = {3,   4,   5,   6,   8,   13,  14,  34,  35,  36,  37,
                                            38,  39,  40,  41,  80,  90,  91,  99,  100, 103, 116,
                                            117, 118, 119, 134, 144, 145, 146, 147, 148, 149, 159,
                                            160};
  for (int i = 0; i < kPropertyCount; ++i) {
    if (kControlProperties.contains(i)) {
      EXPECT_NE(after[static_cast<std::size_t>(i)], before[static_cast<std::size_t>(i)]) << "property " << i;
    } else {
      EXPECT_EQ(after[static_cast<std::size_t>(i)], before[static_cast<std::size_t>(i)]) << "property " << i;
    }
  }
}

TEST(PropertyDefaults, ByteFieldsKeepTheLowEightBits) {
  TVornBaseList scene;
  TVornControl* control = CreateObject<TVornControl>(scene);
  control->SetIgnoreMouse(static_cast<std::uint8_t>(257));
  EXPECT_EQ(control->GetIgnoreMouse(), 1);
}

TEST(PropertyDefaults, TimersAndSoundsReadWhiteAsColour) {
  TVornBaseList scene;
  TVornComponent* timer_like = CreateObject<TVornComponent>(scene);
  EXPECT_EQ(timer_like->GetColor(), 0xFFFFFF);
  timer_like->SetColor(5);
  EXPECT_EQ(timer_like->GetColor(), 0xFFFFFF);
}

TEST(PropertyDefaults, NamePriorityAndTagAreStoredOnEveryObject) {
  TVornBaseList scene;
  TVornComponent* object = CreateObject<TVornComponent>(scene);
  object->SetName("sound1");
  object->SetPriority(-4);
  object->SetTag("note");
  EXPECT_EQ(object->GetName(), "sound1");
  EXPECT_EQ(object->GetPriority(), -4);
  EXPECT_EQ(object->GetTag(), "note");
}

TEST(PropertyDefaults, AppendTextGoesThroughTheTextAccessors) {
  class TTextHolder : public TVornComponent {
   public:
    using TVornComponent::TVornComponent;
    std::string GetText() const override { return text; }
    void SetText(const std::string& value) override { text = value; }
    std::string text = "ab";
  };
  TVornBaseList scene;
  auto* holder = CreateObject<TTextHolder>(scene);
  holder->AppendText("cd");
  EXPECT_EQ(holder->text, "abcd");
  // Without a TEXT property nothing happens.
  TVornComponent* plain = CreateObject<TVornComponent>(scene);
  plain->AppendText("x");
  EXPECT_EQ(plain->GetText(), "");
}

TEST(PropertyDefaults, AniPausedOfASystemObjectReadsItsHost) {
  TVornBaseList scene;
  TVornControl* host = CreateObject<TVornControl>(scene);
  TVornControl* part = CreateObject<TVornControl>(scene);
  part->SetName(std::string("\x01part"));
  part->SetParent(host);
  host->SetAniPaused(true);
  EXPECT_TRUE(part->GetAniPaused());
  host->SetAniPaused(false);
  part->SetAniPaused(true);
  EXPECT_FALSE(part->GetAniPaused());
  // An ordinary child reads its own flag.
  TVornControl* child = CreateObject<TVornControl>(scene);
  child->SetParent(host);
  host->SetAniPaused(true);
  EXPECT_FALSE(child->GetAniPaused());
}

}  // namespace
}  // namespace vorn

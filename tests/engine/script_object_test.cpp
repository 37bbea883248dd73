#include "engine/script_object.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vorn {
namespace {

// The least object: the three stored fields, everything else neutral.
class TPlainObject : public TScriptObject {
 public:
  const std::string& GetName() const override { return name_; }
  void SetName(const std::string& name) override { name_ = name; }
  const std::string& GetTag() const override { return tag_; }
  void SetTag(const std::string& tag) override { tag_ = tag; }
  std::int32_t GetPriority() const override { return priority_; }
  void SetPriority(std::int32_t value) override { priority_ = value; }

 private:
  std::string name_;
  std::string tag_;
  std::int32_t priority_ = 0;
};

TEST(ObjectHandle, ResolvesWhileTheObjectLivesAndToNothingAfter) {
  auto object = std::make_unique<TPlainObject>();
  const TObjectHandle handle = object->Handle();
  EXPECT_EQ(handle.Get(), object.get());
  object.reset();
  EXPECT_EQ(handle.Get(), nullptr);
  EXPECT_FALSE(handle.IsNone());
}

TEST(ObjectHandle, NeverResolvesToANewObjectAtTheSameAddress) {
  std::vector<TObjectHandle> old_handles;
  for (int i = 0; i < 50; ++i) {
    auto object = std::make_unique<TPlainObject>();
    old_handles.push_back(object->Handle());
  }
  // Freed memory is reused by the allocator; the ids are not.
  auto newcomer = std::make_unique<TPlainObject>();
  for (const TObjectHandle& handle : old_handles) EXPECT_EQ(handle.Get(), nullptr);
  EXPECT_EQ(newcomer->Handle().Get(), newcomer.get());
}

TEST(ObjectHandle, EmptyHandleResolvesToNothing) {
  EXPECT_TRUE(TObjectHandle().IsNone());
  EXPECT_EQ(TObjectHandle().Get(), nullptr);
  EXPECT_EQ(TObjectHandle(nullptr).Get(), nullptr);
}

TEST(FontStyleSet, KeepsOnlyTheFourStyleBits) {
  EXPECT_EQ(TFontStyleSet::FromBits(5).ToBits(), 5);
  EXPECT_EQ(TFontStyleSet::FromBits(21).ToBits(), 5);
  EXPECT_EQ(TFontStyleSet::FromBits(-1).ToBits(), 15);
  const TFontStyleSet bold_underline = TFontStyleSet::FromBits(5);
  EXPECT_TRUE(bold_underline.bold);
  EXPECT_FALSE(bold_underline.italic);
  EXPECT_TRUE(bold_underline.underline);
  EXPECT_FALSE(bold_underline.strike_out);
}

TEST(ScriptObject, OrigSizeFollowsTheObjectsOwnSizeGetters) {
  class TSized : public TPlainObject {
   public:
    std::int32_t GetWidth() const override { return 40; }
    std::int32_t GetHeight() const override { return 30; }
  } sized;
  EXPECT_EQ(sized.GetOrigWidth(), 40);
  EXPECT_EQ(sized.GetOrigHeight(), 30);
}

}  // namespace
}  // namespace vorn

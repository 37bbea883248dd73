#include "platform/instance_lock.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vorn::platform {
namespace {

class FileInstanceLocksTest : public ::testing::Test {
 protected:
  vorn::testing::TempFolder folder_;
  const std::filesystem::path& dir_ = folder_.path();
};

TEST_F(FileInstanceLocksTest, OneHolderPerKey) {
  FileInstanceLocks locks(dir_.string());
  LockResult first = locks.Acquire("-GAMES-STORY-");
  ASSERT_EQ(first.outcome, LockOutcome::kAcquired);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "vornplayer--GAMES-STORY-.lock"));
  EXPECT_EQ(locks.Acquire("-GAMES-STORY-").outcome, LockOutcome::kHeldElsewhere);
  EXPECT_EQ(locks.Acquire("/CONFIG-").outcome, LockOutcome::kAcquired);
  first.lock.reset();
  EXPECT_EQ(locks.Acquire("-GAMES-STORY-").outcome, LockOutcome::kAcquired);
}

TEST_F(FileInstanceLocksTest, MissingDirectoryIsNotCreatable) {
  FileInstanceLocks locks((dir_ / "absent").string());
  const LockResult result = locks.Acquire("-A-");
  EXPECT_EQ(result.outcome, LockOutcome::kNotCreatable);
  EXPECT_FALSE(result.diagnostic.empty());
}

TEST(LockFileName, EncodesBytesOutsideTheSafeSet) {
  EXPECT_EQ(LockFileName("/CONFIG-"), "vornplayer-%2FCONFIG-.lock");
  EXPECT_EQ(LockFileName("-A B-"), "vornplayer--A%20B-.lock");
  EXPECT_EQ(LockFileName("-\x95\x5C-"), "vornplayer--%95%5C-.lock");
}

TEST(LockFileName, LongKeysUseAHash) {
  const std::string long_key(300, 'A');
  const std::string name = LockFileName(long_key);
  EXPECT_LE(name.size(), 255u);
  EXPECT_NE(name, LockFileName(std::string(301, 'A')));
  EXPECT_EQ(name, LockFileName(long_key));
}

TEST(HeadlessInstanceLocks, ProcessWideNameSet) {
  HeadlessInstanceLocks a;
  HeadlessInstanceLocks b;
  LockResult held = a.Acquire("headless-key");
  ASSERT_EQ(held.outcome, LockOutcome::kAcquired);
  EXPECT_EQ(b.Acquire("headless-key").outcome, LockOutcome::kHeldElsewhere);
  held.lock.reset();
  EXPECT_EQ(b.Acquire("headless-key").outcome, LockOutcome::kAcquired);
}

}  // namespace
}  // namespace vorn::platform

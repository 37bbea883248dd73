#include "foundation/scoped_seam.h"

#include <gtest/gtest.h>

#include <utility>

namespace vorn {
namespace {

struct TService {
  int id = 0;
};

// Two slots, one for each way seams are written: a setter that answers what it replaced, and a
// getter with a plain setter.
TService* g_exchange_slot = nullptr;
TService* ExchangeSlot(TService* service) { return std::exchange(g_exchange_slot, service); }
TService* g_plain_slot = nullptr;
TService* GetPlainSlot() { return g_plain_slot; }
void SetPlainSlot(TService* service) { g_plain_slot = service; }

class ScopedSeamTest : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    g_exchange_slot = nullptr;
    g_plain_slot = nullptr;
    Slot() = &outside_;
  }
  void TearDown() override {
    g_exchange_slot = nullptr;
    g_plain_slot = nullptr;
  }
  bool plain() const { return GetParam(); }
  TService*& Slot() { return plain() ? g_plain_slot : g_exchange_slot; }
  ScopedSeam<TService> MakeSeam() const {
    return plain() ? ScopedSeam<TService>(GetPlainSlot, SetPlainSlot) : ScopedSeam<TService>(ExchangeSlot);
  }

  TService outside_{0};
  TService first_{1};
  TService second_{2};
};

TEST_P(ScopedSeamTest, InstallsAndPutsThePreviousBackWhenItGoes) {
  {
    ScopedSeam<TService> seam = MakeSeam();
    EXPECT_EQ(Slot(), &outside_) << "nothing installed before Install";
    seam.Install(&first_);
    EXPECT_TRUE(seam.installed());
    EXPECT_EQ(Slot(), &first_);
  }
  EXPECT_EQ(Slot(), &outside_);
}

TEST_P(ScopedSeamTest, NestedInstallsUnwindInOrder) {
  ScopedSeam<TService> outer = MakeSeam();
  outer.Install(&first_);
  {
    ScopedSeam<TService> inner = MakeSeam();
    inner.Install(&second_);
    EXPECT_EQ(Slot(), &second_);
  }
  EXPECT_EQ(Slot(), &first_);
  outer.Remove();
  EXPECT_FALSE(outer.installed());
  EXPECT_EQ(Slot(), &outside_);
  outer.Remove();
  EXPECT_EQ(Slot(), &outside_) << "a second Remove changes nothing";
}

TEST_P(ScopedSeamTest, RemovingAReplacedImplementationLeavesTheNewerOne) {
  ScopedSeam<TService> seam = MakeSeam();
  seam.Install(&first_);
  Slot() = &second_;
  seam.Remove();
  EXPECT_EQ(Slot(), &second_);
}

TEST_P(ScopedSeamTest, InstallingAgainKeepsTheFirstPreviousToPutBack) {
  ScopedSeam<TService> seam = MakeSeam();
  seam.Install(&first_);
  seam.Install(&second_);
  EXPECT_EQ(Slot(), &second_);
  seam.Remove();
  EXPECT_EQ(Slot(), &outside_);
  seam.Install(nullptr);
  EXPECT_EQ(Slot(), nullptr);
  seam.Remove();
  EXPECT_EQ(Slot(), &outside_) << "an installed null is still ours to take out";
}

INSTANTIATE_TEST_SUITE_P(BothSlotKinds, ScopedSeamTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "GetSet" : "Exchange"; });

}  // namespace
}  // namespace vorn

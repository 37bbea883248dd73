#include "foundation/system_texts.h"

#include <gtest/gtest.h>

namespace {

TEST(SystemTexts, QuitConfirmationIsCp932) {
  // 「%s」を終了しますか？ spelled out in CP932.
  EXPECT_EQ(vorn::texts::kQuitConfirmFormat,
            std::string_view("\x81\x75%s\x81\x76\x82\xf0\x8f\x49\x97\xb9\x82\xb5\x82\xdc\x82\xb7\x82\xa9\x81\x48"));
}

TEST(SystemTexts, TableListsEveryText) {
  ASSERT_GT(vorn::texts::kSystemTextCount, 0);
  for (int i = 0; i < vorn::texts::kSystemTextCount; ++i) {
    EXPECT_FALSE(vorn::texts::kAllSystemTexts[i].cp932.empty()) << vorn::texts::kAllSystemTexts[i].name;
  }
}

}  // namespace

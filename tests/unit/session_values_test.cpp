#include "plugin_common/core/session_values.h"

#include "host/core/single_instance.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tov {
namespace {

TEST(SessionValues, NamesFindTheirOwnValueUntilWithdrawn) {
  auto block = std::make_unique<SessionValues>();
  EXPECT_FALSE(isSessionBlock(*block)) << "a block nobody set up";
  resetSessionValues(*block, 0x1234);
  ASSERT_TRUE(isSessionBlock(*block));
  EXPECT_EQ(block->hostWindow, 0x1234u);
  EXPECT_TRUE(setSessionValue(*block, L"Chromal", 2000));
  EXPECT_TRUE(setSessionValue(*block, L"Pushup", 3000));
  EXPECT_TRUE(setSessionValue(*block, L"Chromal", 4000)) << "set again in its own slot";
  EXPECT_EQ(findSessionValue(*block, L"Chromal"), 4000);
  EXPECT_EQ(findSessionValue(*block, L"Pushup"), 3000);
  for (const wchar_t* other : {L"PushupB", L"Push", L"chromal", L""})
    EXPECT_EQ(findSessionValue(*block, other), std::nullopt);
  removeSessionValue(*block, L"Chromal");
  EXPECT_EQ(findSessionValue(*block, L"Chromal"), std::nullopt);
  EXPECT_TRUE(setSessionValue(*block, L"PushupB", 5000)) << "in the freed slot";
  EXPECT_EQ(findSessionValue(*block, L"PushupB"), 5000);
  EXPECT_EQ(findSessionValue(*block, L"Pushup"), 3000);
  resetSessionValues(*block, 0);
  EXPECT_EQ(findSessionValue(*block, L"Pushup"), std::nullopt) << "a new TOV starts empty";
}

TEST(SessionValues, RefusesEmptyAndLongNamesAndAFullBlock) {
  auto block = std::make_unique<SessionValues>();
  resetSessionValues(*block, 0);
  std::wstring longest(kSessionValueNameCapacity - 1, L'a');
  EXPECT_TRUE(setSessionValue(*block, longest.c_str(), 1));
  EXPECT_EQ(findSessionValue(*block, longest.c_str()), 1);
  EXPECT_FALSE(setSessionValue(*block, (longest + L"a").c_str(), 2));
  EXPECT_FALSE(setSessionValue(*block, L"", 3));
  for (std::size_t i = 1; i < kSessionValueCount; ++i)
    ASSERT_TRUE(setSessionValue(*block, std::to_wstring(i).c_str(), static_cast<int>(i)));
  EXPECT_FALSE(setSessionValue(*block, L"one more", 4));
  EXPECT_EQ(findSessionValue(*block, std::to_wstring(kSessionValueCount - 1).c_str()),
            static_cast<int>(kSessionValueCount - 1));
}

// Every session sees the claim on a folder, and two folders never share one.
TEST(SessionValues, AFolderClaimIsGlobalAndItsOwn) {
  std::vector<std::wstring> names;
  for (auto [volume, file] : {std::pair<std::uint32_t, std::uint64_t>{1, 0},
                              {1, 1},
                              {1, 0x10},
                              {0x10, 1},
                              {1, 1ull << 60},
                              {0x80000000u, 1}})
    names.push_back(folderClaimName(volume, file));
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(names[i].rfind(L"Global\\TOV::", 0), 0u);
    EXPECT_EQ(names[i].find(L'\\', 7), std::wstring::npos) << "one namespace prefix only";
    for (std::size_t j = 0; j < i; ++j) EXPECT_NE(names[i], names[j]);
  }
}

}  // namespace
}  // namespace tov

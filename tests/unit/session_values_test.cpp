#include "plugin_common/core/session_values.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/core/single_instance.h"

namespace tov {
namespace {

TEST(SessionValues, NamesFindTheirOwnValueUntilWithdrawnInTheRoomThereIs) {
  auto block = std::make_unique<SessionValues>();
  EXPECT_FALSE(isSessionBlock(*block)) << "a block nobody set up";
  resetSessionValues(*block, 0x1234);
  ASSERT_TRUE(isSessionBlock(*block));
  EXPECT_EQ(block->hostWindow, 0x1234u);
  block->size = 1;
  EXPECT_FALSE(isSessionBlock(*block)) << "a block of another layout";
  resetSessionValues(*block, 0x1234);
  EXPECT_TRUE(setSessionValue(*block, L"Chromal", 2000));
  EXPECT_TRUE(setSessionValue(*block, L"Pushup", 3000));
  EXPECT_TRUE(setSessionValue(*block, L"Chromal", 4000)) << "set again in its own slot";
  EXPECT_EQ(findSessionValue(*block, L"Chromal"), 4000);
  for (const wchar_t* other : {L"PushupB", L"Push", L"chromal", L""})
    EXPECT_EQ(findSessionValue(*block, other), std::nullopt);
  removeSessionValue(*block, L"Chromal");
  EXPECT_EQ(findSessionValue(*block, L"Chromal"), std::nullopt);
  EXPECT_EQ(findSessionValue(*block, L"Pushup"), 3000);
  std::wstring longest(kSessionValueNameCapacity - 1, L'a');
  EXPECT_FALSE(setSessionValue(*block, (longest + L"a").c_str(), 1));
  EXPECT_FALSE(setSessionValue(*block, L"", 1));
  EXPECT_FALSE(setSessionValue(*block, nullptr, 1));
  for (std::size_t i = 1; i < kSessionValueCount; ++i)
    ASSERT_TRUE(setSessionValue(*block, (longest.substr(3) + std::to_wstring(i)).c_str(), 5));
  EXPECT_FALSE(setSessionValue(*block, L"one more", 6)) << "full, the freed slot taken again";
  resetSessionValues(*block, 0);
  EXPECT_EQ(findSessionValue(*block, L"Pushup"), std::nullopt) << "a new TOV starts empty";
}

// Every session sees the claim on a folder, and two folders never share one.
TEST(SessionValues, AFolderClaimIsGlobalAndItsOwn) {
  std::wstring names[] = {folderClaimName(1, 0),          folderClaimName(1, 1),
                          folderClaimName(1, 0x10),       folderClaimName(0x10, 1),
                          folderClaimName(1, 1ull << 60), folderClaimName(0x80000000u, 1)};
  for (std::size_t i = 0; i < std::size(names); ++i) {
    EXPECT_EQ(names[i].rfind(L"Global\\TOV::", 0), 0u);
    EXPECT_EQ(names[i].find(L'\\', 7), std::wstring::npos) << "one namespace prefix only";
    for (std::size_t j = 0; j < i; ++j) EXPECT_NE(names[i], names[j]);
  }
}

}  // namespace
}  // namespace tov

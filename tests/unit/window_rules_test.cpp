#include "plugin_common/core/window_rules.h"
#include "plugin_common/core/watched_threads.h"

#include <gtest/gtest.h>

namespace tov {
namespace {

TEST(WindowRules, TheDesktopIsProgmanOrAWorkerWHoldingTheShellView) {
  EXPECT_EQ(desktopClass(L"Progman"), DesktopClass::kYes);
  EXPECT_EQ(desktopClass(L"WorkerW"), DesktopClass::kIfItHoldsTheShellView);
  for (const wchar_t* other : {L"progman", L"WorkerWX", L"Worker", L"SHELLDLL_DefView",
                               L"CabinetWClass", L"Shell_TrayWnd", L""})
    EXPECT_EQ(desktopClass(other), DesktopClass::kNo) << other;
}

// What we act on lies at our integrity level or below; what another program names to TOV (a
// window to post to, a window to act on) counts only at TOV's level or above: a sandboxed
// program's window is never TOV's, the desktop or a folder's.
TEST(WindowRules, ActionOnlyOnTheSameOrALowerIntegrityLevelTrustOnlyTheSameOrAHigherOne) {
  constexpr std::uint32_t kLow = SECURITY_MANDATORY_LOW_RID;
  constexpr std::uint32_t kMedium = SECURITY_MANDATORY_MEDIUM_RID;
  constexpr std::uint32_t kHigh = SECURITY_MANDATORY_HIGH_RID;
  EXPECT_TRUE(mayActOn(kMedium, kMedium));
  EXPECT_TRUE(mayActOn(kLow, kMedium));
  EXPECT_FALSE(mayActOn(kHigh, kMedium)) << "an elevated program";
  EXPECT_TRUE(mayActOn(kHigh, kHigh));
  EXPECT_FALSE(mayActOn(std::nullopt, kHigh)) << "a token we may not read";
  EXPECT_TRUE(mayActOn(kHigh, std::nullopt)) << "our own level unread: as before";

  EXPECT_TRUE(isAtOrAbove(kMedium, kMedium));
  EXPECT_TRUE(isAtOrAbove(kHigh, kMedium));
  EXPECT_FALSE(isAtOrAbove(kLow, kMedium)) << "a sandboxed program";
  EXPECT_FALSE(isAtOrAbove(kMedium, kHigh)) << "an elevated TOV";
  EXPECT_FALSE(isAtOrAbove(std::nullopt, kLow)) << "a token we may not read";
  EXPECT_TRUE(isAtOrAbove(std::nullopt, std::nullopt)) << "a system without levels";
}

// ---- Which threads keep a hook ---------------------------------------------------------------

std::vector<std::uint32_t> threadsOf(const std::vector<WatchedThreads::HookedThread>& hooks) {
  std::vector<std::uint32_t> threads;
  for (const WatchedThreads::HookedThread& hooked : hooks) threads.push_back(hooked.thread);
  return threads;
}

TEST(WatchedThreads, AThreadKeepsItsHooksWhileItOwnsAWatchedWindow) {
  WatchedThreads table;
  EXPECT_TRUE(table.addWindow(0x10, 1));  // a folder window and its list, thread 1
  EXPECT_TRUE(table.addWindow(0x11, 1));
  EXPECT_FALSE(table.addWindow(0x11, 1)) << "seen already";
  EXPECT_TRUE(table.addWindow(0x20, 2));
  EXPECT_TRUE(table.addWindow(0x11, 3)) << "the handle now names another thread's window";
  for (std::uint32_t thread : {1u, 2u, 3u})
    table.addHooks({thread, {thread * 100, thread * 100 + 1}, thread * 1000});
  EXPECT_TRUE(table.isHooked(2) && !table.isHooked(4));
  EXPECT_TRUE(table.takeUnneededHooks().empty());

  table.removeWindow(0x10);
  EXPECT_EQ(threadsOf(table.takeUnneededHooks()), std::vector<std::uint32_t>{1});
  EXPECT_FALSE(table.isHooked(1));
  table.removeWindowsIf([](WatchedThreads::Handle, std::uint32_t thread) { return thread == 2; });
  std::vector<WatchedThreads::HookedThread> unneeded = table.takeUnneededHooks();
  ASSERT_EQ(unneeded.size(), 1u);
  EXPECT_EQ(unneeded[0].hooks[0], 200u);
  EXPECT_EQ(unneeded[0].hooks[1], 201u);
  EXPECT_EQ(unneeded[0].threadHandle, 2000u);

  // A pass forgets every window; the threads it finds again keep their hooks.
  table.clearWindows();
  table.addWindow(0x30, 3);
  EXPECT_TRUE(table.takeUnneededHooks().empty());
  EXPECT_EQ(threadsOf(table.takeAll()), std::vector<std::uint32_t>{3});
  EXPECT_TRUE(table.addWindow(0x30, 3)) << "forgotten with the rest";
}

}  // namespace
}  // namespace tov

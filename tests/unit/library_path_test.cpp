#include "core/library_path.h"

#include <gtest/gtest.h>

namespace tov {
namespace {

constexpr std::wstring_view kHost = L"C:\\Program Files\\TOV";
constexpr std::wstring_view kWork = L"D:\\work";

struct Case {
  const wchar_t* written;
  LibraryPathKind kind;
  std::vector<std::wstring> candidates;
};

class LibraryPath : public ::testing::TestWithParam<Case> {};

TEST_P(LibraryPath, KindAndCandidates) {
  const Case& c = GetParam();
  EXPECT_EQ(libraryPathKind(c.written), c.kind);
  EXPECT_EQ(libraryCandidates(c.written, kHost, kWork), c.candidates);
}

INSTANTIATE_TEST_SUITE_P(
    Written, LibraryPath,
    ::testing::Values(
        // Beside TOV.exe first, as the loader always looked, then where HookOrder.ini is.
        Case{L"Minimize.dll",
             LibraryPathKind::kBareName,
             {L"C:\\Program Files\\TOV\\Minimize.dll", L"D:\\work\\Minimize.dll"}},
        Case{L"Minimize",
             LibraryPathKind::kBareName,
             {L"C:\\Program Files\\TOV\\Minimize.dll", L"D:\\work\\Minimize.dll"}},
        Case{L"Minimize.",
             LibraryPathKind::kBareName,
             {L"C:\\Program Files\\TOV\\Minimize.", L"D:\\work\\Minimize."}},
        Case{L"plugins\\Minimize.dll",
             LibraryPathKind::kRelative,
             {L"D:\\work\\plugins\\Minimize.dll"}},
        Case{L"plugins/Minimize", LibraryPathKind::kRelative, {L"D:\\work\\plugins/Minimize.dll"}},
        Case{L"plugins\\.dll", LibraryPathKind::kRelative, {L"D:\\work\\plugins\\.dll"}},
        Case{L"..\\v1.2\\Minimize.dll",
             LibraryPathKind::kRelative,
             {L"D:\\work\\..\\v1.2\\Minimize.dll"}},
        Case{L"\\TOV\\Minimize.dll", LibraryPathKind::kRelative, {L"\\TOV\\Minimize.dll"}},
        // The drive letters at both ends of both cases; a colon after anything else is no drive.
        Case{L"A:Minimize", LibraryPathKind::kRelative, {L"A:Minimize.dll"}},
        Case{L"Z:\\TOV\\Minimize.dll", LibraryPathKind::kFull, {L"Z:\\TOV\\Minimize.dll"}},
        Case{L"a:", LibraryPathKind::kRelative, {L"a:"}},
        Case{L"z:/TOV.1/Minimize", LibraryPathKind::kFull, {L"z:/TOV.1/Minimize.dll"}},
        Case{L"1:\\x.dll", LibraryPathKind::kRelative, {L"D:\\work\\1:\\x.dll"}},
        Case{L"C:\\", LibraryPathKind::kFull, {L"C:\\"}},
        Case{L"\\\\server\\share\\Minimize.dll",
             LibraryPathKind::kFull,
             {L"\\\\server\\share\\Minimize.dll"}},
        Case{L"//", LibraryPathKind::kFull, {L"//"}}));

TEST(LibraryPathEdges, RootFoldersAndNoHostFolder) {
  EXPECT_EQ(libraryCandidates(L"A.dll", L"C:\\", L"D:\\"),
            (std::vector<std::wstring>{L"C:\\A.dll", L"D:\\A.dll"}));
  EXPECT_EQ(libraryCandidates(L"A.dll", L"", kWork),
            (std::vector<std::wstring>{L"D:\\work\\A.dll"}));
  EXPECT_TRUE(libraryCandidates(L"", kHost, kWork).empty());
}

}  // namespace
}  // namespace tov

#include "go_up.h"

#include <cwchar>
#include <iterator>

namespace tov::pushup {

bool isFileListClass(const wchar_t* className) {
  return std::wcscmp(className, L"SysListView32") == 0 ||
         std::wcscmp(className, L"OpenListView") == 0;
}

bool isExplorerClass(const wchar_t* className) {
  return std::wcscmp(className, L"CabinetWClass") == 0 ||
         std::wcscmp(className, L"ExploreWClass") == 0;
}

bool isDialogClass(const wchar_t* className) {
  constexpr wchar_t kOfficeDialogPrefix[] = L"bosa_sdm_";
  return std::wcscmp(className, L"#32770") == 0 ||
         std::wcsncmp(className, kOfficeDialogPrefix, std::size(kOfficeDialogPrefix) - 1) == 0;
}

GoUp goUpTarget(const wchar_t* rootOwnerClass, const wchar_t* rootClass) {
  if (isExplorerClass(rootOwnerClass)) return GoUp::kExplorer;
  if (isDialogClass(rootClass)) return GoUp::kDialog;
  return GoUp::kNone;
}

bool isGoUpCommandTarget(bool windowExists, const wchar_t* listClass,
                         const wchar_t* rootOwnerClass) {
  return windowExists && isFileListClass(listClass) && isExplorerClass(rootOwnerClass);
}

bool shouldOpenParent(const wchar_t* folderBefore, bool foundAfter, const wchar_t* folderAfter) {
  return foundAfter && std::wcscmp(folderBefore, folderAfter) == 0;
}

}  // namespace tov::pushup

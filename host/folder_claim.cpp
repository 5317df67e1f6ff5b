#include "folder_claim.h"

#include <optional>
#include <string>

#include "core/plugin_rules.h"
#include "core/single_instance.h"

namespace tov {

std::optional<std::wstring> folderClaimNameOf(const std::wstring& folder) {
  // "C:" alone would name the current folder of drive C, not its root.
  std::wstring path = !folder.empty() && folder.back() == L':' ? folder + L"\\" : folder;
  // Opening a folder asks for the backup flag; no access right is needed for its identity.
  HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  ScopedHandle opened(file);
  BY_HANDLE_FILE_INFORMATION identity{};
  if (!GetFileInformationByHandle(opened.get(), &identity)) return std::nullopt;
  return folderClaimName(identity.dwVolumeSerialNumber,
                         (std::uint64_t{identity.nFileIndexHigh} << 32) | identity.nFileIndexLow);
}

bool claimProgramFolder(ScopedHandle& claim) {
  wchar_t program[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return true;
  std::optional<std::wstring> name =
      folderClaimNameOf(folderOfPath(std::wstring_view(program, length)));
  if (!name) return true;
  claim.reset(CreateMutexW(nullptr, FALSE, name->c_str()));
  DWORD error = GetLastError();
  if (!claim) return error != ERROR_ACCESS_DENIED;
  return error != ERROR_ALREADY_EXISTS;
}

}  // namespace tov

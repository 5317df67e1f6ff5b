#include "folder_claim.h"

#include <optional>
#include <string>

#include "core/plugin_rules.h"
#include "core/single_instance.h"

namespace tov {

namespace {

std::optional<std::wstring> programFolderClaimName() {
  wchar_t program[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  std::wstring folder = folderOfPath(std::wstring_view(program, length)) + L"\\";
  // Opening a folder asks for the backup flag; no access right is needed for its identity.
  HANDLE file =
      CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  ScopedHandle opened(file);
  BY_HANDLE_FILE_INFORMATION identity{};
  if (!GetFileInformationByHandle(opened.get(), &identity)) return std::nullopt;
  return folderClaimName(identity.dwVolumeSerialNumber,
                         (std::uint64_t{identity.nFileIndexHigh} << 32) | identity.nFileIndexLow);
}

}  // namespace

bool claimProgramFolder(ScopedHandle& claim) {
  std::optional<std::wstring> name = programFolderClaimName();
  if (!name) return true;
  claim.reset(CreateMutexW(nullptr, FALSE, name->c_str()));
  DWORD error = GetLastError();
  if (!claim) return error != ERROR_ACCESS_DENIED;
  return error != ERROR_ALREADY_EXISTS;
}

}  // namespace tov

#include "text_file.h"

#include <vector>

namespace tov {

namespace {
// HookOrder.ini is a list of a few dozen lines; anything beyond this is no such file.
constexpr std::size_t kLargestFile = 16u << 20;
}  // namespace

unsigned localeCodePage() {
  DWORD codePage = 0;
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                     reinterpret_cast<LPWSTR>(&codePage), sizeof(codePage) / sizeof(wchar_t)) &&
      codePage != 0 && IsValidCodePage(codePage)) {
    return codePage;
  }
  return GetACP();
}

CharLayout charLayoutOf(unsigned codePage) {
  if (codePage == kCodePageUtf8) return CharLayout::utf8();
  CPINFO info{};
  if (!GetCPInfo(codePage, &info) || info.MaxCharSize < 2) return CharLayout::singleByte();
  std::vector<LeadByteRange> ranges;
  for (std::size_t i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
    ranges.push_back({info.LeadByte[i], info.LeadByte[i + 1]});
  }
  return CharLayout::doubleByte(ranges);
}

std::wstring decodeText(std::string_view bytes, unsigned codePage) {
  if (bytes.empty()) return {};
  int length = static_cast<int>(bytes.size());
  int wide = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
  if (wide <= 0) return {};
  std::wstring text(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), length, text.data(), wide);
  return text;
}

std::optional<std::string> readWholeFile(const wchar_t* name) {
  HANDLE file = CreateFileW(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string content;
  char chunk[4096];
  bool ok = true;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, chunk, sizeof(chunk), &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    if (content.size() + got > kLargestFile) {
      ok = false;
      break;
    }
    content.append(chunk, got);
  }
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return content;
}

namespace {

// The folder part of `name` (with its separator), or "." for a bare file name.
std::wstring folderOf(const wchar_t* name) {
  std::wstring path(name);
  std::size_t separator = path.find_last_of(L"\\/");
  if (separator == std::wstring::npos) return L".";
  return path.substr(0, separator + 1);
}

bool writeAll(HANDLE file, std::string_view content) {
  while (!content.empty()) {
    DWORD chunk = content.size() > 0x100000 ? 0x100000 : static_cast<DWORD>(content.size());
    DWORD written = 0;
    if (!WriteFile(file, content.data(), chunk, &written, nullptr) || written == 0) return false;
    content.remove_prefix(written);
  }
  return true;
}

}  // namespace

bool replaceFileContent(const wchar_t* name, std::string_view content) {
  // A read-only file is not to be written, even where the system would let a move replace it.
  DWORD attributes = GetFileAttributesW(name);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return false;
  }
  wchar_t temporary[MAX_PATH];
  // Creates a new, empty file with a unique name next to the original.
  if (GetTempFileNameW(folderOf(name).c_str(), L"tov", 0, temporary) == 0) return false;
  HANDLE file = CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DeleteFileW(temporary);
    return false;
  }
  bool written = writeAll(file, content) && FlushFileBuffers(file);
  CloseHandle(file);
  if (!written ||
      !MoveFileExW(temporary, name, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temporary);
    return false;
  }
  return true;
}

}  // namespace tov

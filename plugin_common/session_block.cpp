#include "session_block.h"

namespace tov {

namespace {

// A view of the block that another part of the program (a plug-in in TOV's process, a hook)
// opens for one look and closes again.
class OpenedBlock {
 public:
  explicit OpenedBlock(DWORD access) {
    mapping_ = OpenFileMappingW(access, FALSE, kSessionBlockName);
    if (mapping_ == nullptr) return;
    void* view = MapViewOfFile(mapping_, access, 0, 0, sizeof(SessionValues));
    view_ = static_cast<SessionValues*>(view);
    if (view_ != nullptr && !isSessionBlock(*view_)) {
      UnmapViewOfFile(view_);
      view_ = nullptr;
    }
  }
  ~OpenedBlock() {
    if (view_ != nullptr) UnmapViewOfFile(view_);
    if (mapping_ != nullptr) CloseHandle(mapping_);
  }
  OpenedBlock(const OpenedBlock&) = delete;
  OpenedBlock& operator=(const OpenedBlock&) = delete;

  SessionValues* get() const { return view_; }

 private:
  HANDLE mapping_ = nullptr;
  SessionValues* view_ = nullptr;
};

}  // namespace

SessionBlock::~SessionBlock() {
  if (view_ != nullptr) {
    // Hooks that still run find no window to post to.
    view_->hostWindow = 0;
    UnmapViewOfFile(view_);
  }
  if (mapping_ != nullptr) CloseHandle(mapping_);
}

bool SessionBlock::create(HWND hostWindow) {
  if (mapping_ != nullptr) return false;
  // No security attributes: the user's default security, and TOV's own integrity level.
  mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                sizeof(SessionValues), kSessionBlockName);
  if (mapping_ == nullptr) return false;
  // An earlier TOV's block lives on while a program still looks at it; one that is too small was
  // not made by TOV, and the view fails.
  view_ = static_cast<SessionValues*>(
      MapViewOfFile(mapping_, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(SessionValues)));
  if (view_ == nullptr) return false;
  resetSessionValues(*view_, reinterpret_cast<std::uintptr_t>(hostWindow));
  return true;
}

bool publishSessionValue(const wchar_t* name, std::int32_t value) {
  OpenedBlock block(FILE_MAP_READ | FILE_MAP_WRITE);
  return block.get() != nullptr && setSessionValue(*block.get(), name, value);
}

void withdrawSessionValue(const wchar_t* name) {
  OpenedBlock block(FILE_MAP_READ | FILE_MAP_WRITE);
  if (block.get() != nullptr) removeSessionValue(*block.get(), name);
}

std::optional<std::int32_t> readSessionValue(const wchar_t* name) {
  OpenedBlock block(FILE_MAP_READ);
  if (block.get() == nullptr) return std::nullopt;
  return findSessionValue(*block.get(), name);
}

HostAddress readHostAddress(const wchar_t* plugin) {
  OpenedBlock block(FILE_MAP_READ);
  if (block.get() == nullptr) return {nullptr, std::nullopt};
  return {reinterpret_cast<HWND>(static_cast<std::uintptr_t>(block.get()->hostWindow)),
          findSessionValue(*block.get(), plugin)};
}

}  // namespace tov

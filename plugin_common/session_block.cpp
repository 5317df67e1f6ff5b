#include "session_block.h"

#include <atomic>

namespace tov {

namespace {

// A view of the block for writing, which a plug-in in TOV's process opens for one change and
// closes again.
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

// This program's view of the block for reading, mapped at the first read and kept until the
// library leaves the program (releaseSessionView): a key a hook translates then costs no system
// call. A view never holds values of an earlier TOV: it is the block itself, and a block lives
// as long as any program has a view of it, so a TOV started later opens this same block by its
// name and sets it up anew, and every view sees that at once. Each read checks the layout again,
// since TOV may be setting the block up at that moment. Mapped on no thread of this program
// before another: whichever thread maps first, the others take its view and unmap their own.
std::atomic<const SessionValues*> readView{nullptr};

const SessionValues* sessionView() {
  if (const SessionValues* view = readView.load(std::memory_order_acquire)) return view;
  HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, kSessionBlockName);
  if (mapping == nullptr) return nullptr;
  // The view keeps the block; the handle is not needed for it.
  const auto* mapped = static_cast<const SessionValues*>(
      MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(SessionValues)));
  CloseHandle(mapping);
  if (mapped == nullptr) return nullptr;
  const SessionValues* earlier = nullptr;
  if (readView.compare_exchange_strong(earlier, mapped, std::memory_order_acq_rel)) return mapped;
  UnmapViewOfFile(mapped);
  return earlier;
}

// The block as a reader takes it: none, or one of another layout, is no block.
const SessionValues* sessionBlock() {
  const SessionValues* view = sessionView();
  return view != nullptr && isSessionBlock(*view) ? view : nullptr;
}

}  // namespace

void releaseSessionView() {
  if (const SessionValues* view = readView.exchange(nullptr, std::memory_order_acq_rel))
    UnmapViewOfFile(view);
}

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
  const SessionValues* block = sessionBlock();
  if (block == nullptr) return std::nullopt;
  return findSessionValue(*block, name);
}

HostAddress readHostAddress(const wchar_t* plugin) {
  const SessionValues* block = sessionBlock();
  if (block == nullptr) return {nullptr, std::nullopt};
  return {reinterpret_cast<HWND>(static_cast<std::uintptr_t>(block->hostWindow)),
          findSessionValue(*block, plugin)};
}

}  // namespace tov

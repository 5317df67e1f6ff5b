#include "window_worker.h"

#include "plugin_frame.h"

namespace tov {

namespace {

// The threads only take messages or work through window calls: a small stack will do.
constexpr SIZE_T kThreadStackBytes = 256 * 1024;

class Lock {
 public:
  explicit Lock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
  ~Lock() { ReleaseSRWLockExclusive(&lock_); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  SRWLOCK& lock_;
};

}  // namespace

bool onHookServingThread() { return isHostThread(); }

bool waitAnsweringSentMessages(HANDLE object, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    DWORD left = INFINITE;
    if (timeoutMs != INFINITE) {
      // Ticks wrap around: their difference, taken unsigned, does not mind.
      DWORD waited = GetTickCount() - start;
      if (waited >= timeoutMs) return false;
      left = timeoutMs - waited;
    }
    DWORD result = MsgWaitForMultipleObjectsEx(1, &object, left, QS_SENDMESSAGE, 0);
    if (result == WAIT_OBJECT_0) return true;
    if (result != WAIT_OBJECT_0 + 1) return false;
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

bool LibraryThread::begin(Procedure procedure, void* parameter) {
  if (handle_ != nullptr) return true;
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCWSTR>(moduleInstance), &module)) {
    return false;
  }
  module_ = module;
  procedure_ = procedure;
  parameter_ = parameter;
  handle_ = CreateThread(nullptr, kThreadStackBytes, entry, this, STACK_SIZE_PARAM_IS_A_RESERVATION,
                         &id_);
  if (handle_ == nullptr) {
    FreeLibrary(module);  // the host's own reference keeps the library where it is
    module_ = nullptr;
    return false;
  }
  return true;
}

DWORD WINAPI LibraryThread::entry(void* self) {
  auto* thread = static_cast<LibraryThread*>(self);
  HMODULE module = thread->module_;
  FreeLibraryAndExitThread(module, thread->procedure_(thread->parameter_));
}

void LibraryThread::join() {
  if (handle_ == nullptr) return;
  waitAnsweringSentMessages(handle_);
  CloseHandle(handle_);
  handle_ = nullptr;
  id_ = 0;
  module_ = nullptr;
}

bool WindowWorker::startLocked() {
  if (live_) return true;
  if (wake_ == nullptr) wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (finished_ == nullptr) finished_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (wake_ == nullptr || finished_ == nullptr) return false;
  live_ = thread_.begin(work, this);
  return live_;
}

void WindowWorker::run(Job job, LPARAM parameter) {
  unsigned long long ticket = 0;
  {
    Lock lock(lock_);
    // Given while the worker ends (from a message answered during end's wait), or more than the
    // ring holds (as deep as messages answered during waits nest), or without a thread: done
    // here.
    if (!ending_ && given_ - done_ < kQueueLength && startLocked()) {
      queue_[given_ % kQueueLength] = {job, parameter};
      ticket = ++given_;
    }
  }
  if (ticket == 0) {
    job(parameter);
    return;
  }
  SetEvent(wake_);
  for (;;) {
    {
      Lock lock(lock_);
      if (done_ >= ticket) return;
    }
    // Read each time: an end() answered meanwhile has closed it (and run every given job).
    waitAnsweringSentMessages(finished_);
  }
}

bool WindowWorker::request(Job job, LPARAM parameter) {
  {
    Lock lock(lock_);
    if (ending_ || !startLocked()) return false;
    requested_ = {job, parameter};
  }
  SetEvent(wake_);
  return true;
}

WindowWorker::Next WindowWorker::takeNext(Item& item) {
  Lock lock(lock_);
  if (given_ > done_) {
    item = queue_[done_ % kQueueLength];
    return Next::kOrdered;
  }
  if (requested_.job != nullptr) {
    item = requested_;
    requested_ = {};
    return Next::kRequested;
  }
  // Nothing is given once the end is asked for, so all that was given has run by now.
  return ending_ ? Next::kEnd : Next::kNothing;
}

DWORD WindowWorker::work(void* self) {
  auto* worker = static_cast<WindowWorker*>(self);
  for (;;) {
    Item item{};
    switch (worker->takeNext(item)) {
      case Next::kOrdered:
        item.job(item.parameter);
        {
          Lock lock(worker->lock_);
          ++worker->done_;
        }
        SetEvent(worker->finished_);
        break;
      case Next::kRequested:
        item.job(item.parameter);
        break;
      case Next::kNothing:
        WaitForSingleObject(worker->wake_, INFINITE);
        break;
      case Next::kEnd:
        return 0;
    }
  }
}

void WindowWorker::end() {
  {
    Lock lock(lock_);
    ending_ = true;
  }
  if (wake_ != nullptr) SetEvent(wake_);
  // The thread ends once all it was given has run.
  thread_.join();
  {
    Lock lock(lock_);
    ending_ = false;
    live_ = false;
    requested_ = {};
  }
  if (wake_ != nullptr) CloseHandle(wake_);
  if (finished_ != nullptr) CloseHandle(finished_);
  wake_ = nullptr;
  finished_ = nullptr;
}

}  // namespace tov

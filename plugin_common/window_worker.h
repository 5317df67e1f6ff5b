// Work on other programs' windows that may have to wait for them, done on a thread of the
// library's own in TOV's process, so that no thread that serves hooks waits.
//
// Which threads of TOV serve hooks: the thread that installs a hook for every thread is where
// Windows runs that hook for every program of the other bitness (a 32-bit program on 64-bit
// Windows), and a low-level hook runs on the thread that installed it. Both calls are sent to
// that thread, which answers them only while it takes messages: a 32-bit program stalls
// meanwhile, and Windows silently removes a low-level hook that does not answer within its
// time-out. Changing another thread's window style is sent to that window (WM_STYLECHANGING and
// WM_STYLECHANGED) and waits for it, as does setting its caption; so on those threads such work
// is handed to the worker. A plug-in operation the host calls still returns only once its work is
// done (run), but the host's thread keeps answering sent messages, hook calls among them, while
// the worker waits on a busy window. A hook procedure running on such a thread only asks
// (request) and returns at once.
#pragma once

#include <windows.h>

namespace tov {

// Whether the calling thread installed this library's hooks in this process: where the hooks of
// programs of the other bitness run. That is the host's thread (isHostThread, plugin_frame.h),
// which creates the plug-in object and starts it.
bool onHookServingThread();

// Waits until `object` is signalled, the time is up or the wait fails, while answering every
// message sent to the calling thread (a hook's call on a thread that serves hooks among them);
// posted messages stay queued for its own loop, so nothing else of the thread's runs meanwhile.
// True when the object was signalled.
bool waitAnsweringSentMessages(HANDLE object, DWORD timeoutMs = INFINITE);

// A thread running code of this library. The thread holds a reference to the library until its
// last instruction (FreeLibraryAndExitThread), so that no unloading can pull the code from under
// it; the plug-in still ends it before the host frees the library.
class LibraryThread {
 public:
  using Procedure = DWORD (*)(void* parameter);
  constexpr LibraryThread() = default;
  LibraryThread(const LibraryThread&) = delete;
  LibraryThread& operator=(const LibraryThread&) = delete;

  // False when the system refuses the thread.
  bool begin(Procedure procedure, void* parameter);
  bool running() const { return handle_ != nullptr; }
  DWORD id() const { return id_; }
  // Waits for the thread to end, answering sent messages meanwhile, and forgets it. Never from
  // DllMain: the ending thread needs the loader lock.
  void join();

 private:
  static DWORD WINAPI entry(void* self);

  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
  HMODULE module_ = nullptr;
  Procedure procedure_ = nullptr;
  void* parameter_ = nullptr;
};

class WindowWorker {
 public:
  using Job = void (*)(LPARAM parameter);
  constexpr WindowWorker() = default;
  WindowWorker(const WindowWorker&) = delete;
  WindowWorker& operator=(const WindowWorker&) = delete;

  // Runs the job on the worker and returns once it has run, answering sent messages meanwhile.
  // Jobs run in the order given. The worker's thread is started by the first job, so a plug-in
  // that is never asked for such work has none. Without a thread (the system refused one) the
  // job runs here.
  void run(Job job, LPARAM parameter);
  // Has the worker run the job soon and returns at once; a request not yet taken is replaced by
  // the next. Never waits on a window: for hook procedures on TOV's own threads (it may start the
  // worker's thread). False without a worker.
  bool request(Job job, LPARAM parameter);
  // Lets the worker finish what it was given, ends it and waits for it, answering sent messages
  // meanwhile. Never from DllMain.
  void end();

 private:
  struct Item {
    Job job;
    LPARAM parameter;
  };
  static constexpr unsigned kQueueLength = 8;

  enum class Next { kOrdered, kRequested, kNothing, kEnd };

  static DWORD work(void* self);
  Next takeNext(Item& item);
  // With the lock held: a thread to take what is given, unless one is at work; false when the
  // system refuses one.
  bool startLocked();

  LibraryThread thread_;
  SRWLOCK lock_ = SRWLOCK_INIT;
  HANDLE wake_ = nullptr;      // auto-reset: something was given or the end asked for
  HANDLE finished_ = nullptr;  // auto-reset: an ordered job has run
  // Ordered jobs (run): a ring of given and not yet run ones, with tickets counting them.
  Item queue_[kQueueLength] = {};
  unsigned long long given_ = 0;
  unsigned long long done_ = 0;
  Item requested_ = {};  // the latest request not yet taken
  bool ending_ = false;
  bool live_ = false;  // the thread has been started and not ended
};

}  // namespace tov

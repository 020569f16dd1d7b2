#include "platform/win32/termination.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <semaphore.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/win32/run_temp_folder.h"
#include "platform/win32/window_manager.h"

namespace {

// Lock-free, so that the signal handler may set it.
std::atomic<bool> g_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);
// A request was carried out: the program is closing its windows.
std::atomic<bool> g_closing{false};

// Set with the request and kept once it is carried out, for the waits that a close request cuts short.
std::atomic<bool> g_everRequested{false};

// The end watcher, once started: the handler posts the semaphore (which a handler may do).
sem_t g_endAsked;
std::atomic<bool> g_watching{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// How long the program's own exit path may take before the watcher ends the process.
constexpr auto kEndDeadline = std::chrono::seconds(2);

// The status the program's own exit path ends with, for the watcher to end it with the same.
std::atomic<int> g_exitCode{0};
std::atomic<bool> g_exitPathBegun{false};
// Once the exit path has begun the windows are gone; what is left of it (static objects, the sound
// file's close) gets this much more before the watcher ends the process.
constexpr auto kExitPathDeadline = std::chrono::seconds(8);

void OnSignal(int) {
  g_requested.store(true);
  g_everRequested.store(true);
  if (g_watching.load()) sem_post(&g_endAsked);
}

// Every signal whose default action ends the program and that a handler may catch: a manager, a
// shell closing its terminal, a timer or a CPU limit ending the run leaves nothing behind.
constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM, SIGXCPU};

sigset_t EndingSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : kEndingSignals) sigaddset(&set, signal);
  return set;
}

// The kernel retires each thread of an ending process on that thread itself, so starved idle
// threads keep the process, and with it its descriptors, for many seconds after it exits. Shut
// down, its sockets end now: the window system takes the windows off the screen and the sound
// server drops the stream. The descriptors stay open, so that no file opened meanwhile can take
// their numbers; they are listed without allocating, as a starved thread may hold the heap's lock.
void ShutDownSockets() {
  const int folder = open("/proc/self/fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return;
  alignas(8) char entries[4096];
  for (long size; (size = syscall(SYS_getdents64, folder, entries, sizeof entries)) > 0;) {
    for (long at = 0; at < size;) {
      const auto* entry = reinterpret_cast<const dirent64*>(entries + at);
      at += entry->d_reclen;
      char* end = nullptr;
      const long fd = std::strtol(entry->d_name, &end, 10);
      struct stat status {};
      if (end != entry->d_name && *end == '\0' && fd != folder && fstat(static_cast<int>(fd), &status) == 0 &&
          S_ISSOCK(status.st_mode)) {
        shutdown(static_cast<int>(fd), SHUT_RDWR);
      }
    }
  }
  close(folder);
}

void WatchForTheEnd(void (*atRequest)()) {
  pthread_setname_np(pthread_self(), win32::kEndWatcherThreadName);
  // The only thread that takes the ending signals: a handler run on a starved thread would wait
  // with it.
  const sigset_t ending = EndingSignals();
  pthread_sigmask(SIG_UNBLOCK, &ending, nullptr);
  while (sem_wait(&g_endAsked) != 0 && errno == EINTR) {
  }
  atRequest();
  std::this_thread::sleep_for(kEndDeadline);
  if (g_exitPathBegun.load()) std::this_thread::sleep_for(kExitPathDeadline);
  // Still running: the locks go with the process; only the run's folder would stay behind.
  win32::DiscardRunTempFolder();
  ShutDownSockets();
  _exit(g_exitCode.load());
}

}  // namespace

namespace win32 {

void HandleTerminationSignals() {
  struct sigaction action{};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  // The handler stays: a repeated signal is the same request, so that the run still ends by its
  // own exit path (a run stuck for good is ended by SIGKILL, whose leftovers the next run removes).
  action.sa_flags = SA_RESTART;
  for (const int signal : kEndingSignals) sigaction(signal, &action, nullptr);
}

void WatchTheEnd(void (*atRequest)()) {
  if (g_watching.load() || sem_init(&g_endAsked, 0, 0) != 0) return;
  g_watching.store(true);
  // Blocked here, before any other thread is made, so that every thread made later (all made from
  // this one or its descendants) leaves them to the watcher.
  const sigset_t ending = EndingSignals();
  pthread_sigmask(SIG_BLOCK, &ending, nullptr);
  std::thread(WatchForTheEnd, atRequest).detach();
}

void EndPathTaken(int code) {
  g_exitCode.store(code);
  g_exitPathBegun.store(true);
  if (g_watching.load()) sem_post(&g_endAsked);
}

bool TerminationRequested() { return g_everRequested.load(); }

void RequestTermination() { OnSignal(0); }

namespace detail {

void CarryOutTermination() {
  if (!g_requested.load()) return;
  std::vector<HWND> topLevel;
  std::vector<HWND> inside;
  {
    State& state = GetState();
    std::lock_guard lock(state.mutex);
    for (const auto& [key, window] : state.windows) {
      if (window->foreign || window->destroying) continue;
      if (!(window->style & WS_CHILD)) {
        topLevel.push_back(window->handle);
      } else {
        const auto parent = state.windows.find(reinterpret_cast<uintptr_t>(window->parent));
        if (parent != state.windows.end() && parent->second->foreign) inside.push_back(window->handle);
      }
    }
  }
  if (topLevel.empty() && inside.empty()) return;
  if (!g_requested.exchange(false)) return;
  g_closing.store(true);
  for (HWND window : topLevel) PostMessageW(window, WM_ACTIVATEAPP, FALSE, 0);
  for (HWND window : topLevel) PostMessageW(window, WM_CLOSE, 0, 0);
  for (HWND window : inside) DestroyWindow(window);
}

bool Closing() { return g_closing.load(); }

void ForgetTerminationRequest() {
  g_requested.store(false);
  g_everRequested.store(false);
  g_closing.store(false);
}

}  // namespace detail
}  // namespace win32

#include "platform/win32/thread_priority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>

#include <windows.h>

namespace {

std::atomic<bool> g_scheduled{false};

constexpr int kLowestNice = 19;

}  // namespace

namespace win32 {

void UseSchedulerPriorities() { g_scheduled = true; }

}  // namespace win32

BOOL WINAPI SetThreadPriority(HANDLE thread, int priority) {
  // Only the calling thread lowering itself to idle is served.
  if (thread != GetCurrentThread() || priority != THREAD_PRIORITY_IDLE) return FALSE;
  if (!g_scheduled) return TRUE;
  const sched_param parameters{};
  if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &parameters) == 0) return TRUE;
  // Linux keeps a nice value per thread; threads made later start from it.
  return setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kLowestNice) == 0 ? TRUE : FALSE;
}

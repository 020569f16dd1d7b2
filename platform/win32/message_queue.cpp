// The per-thread message queues and the window timers. A queue gives, in this order: posted
// messages (X11 input among them), WM_QUIT once PostQuitMessage ran, WM_PAINT for a window with an
// invalid area, and WM_TIMER for a timer that is due.
#include <algorithm>
#include <cstdio>
#include <limits>

#include "platform/machine/clock.h"
#include "platform/win32/termination.h"
#include "platform/win32/window_manager.h"
#include "platform/win32/x11_display.h"

using win32::detail::GetState;
using win32::detail::Queue;
using win32::detail::State;
using win32::detail::Timer;
using win32::detail::Window;

namespace {

constexpr int64_t kNanosecondsPerMillisecond = 1'000'000;
// Windows never runs a timer faster than every 10 ms.
constexpr UINT kTimerMinimum = 10;
constexpr UINT kTimerMaximum = 0x7FFFFFFF;
// While an X11 connection is open, a wait looks at the queue at least this often (milliseconds).
constexpr int kPollInterval = 10;
// Without one, a wait still wakes this often, since a signal cannot wake it (milliseconds).
constexpr int kSignalInterval = 50;

DWORD MessageTime() { return static_cast<DWORD>(machine::clock::Now() / kNanosecondsPerMillisecond); }

bool InRange(UINT message, UINT low, UINT high) {
  return (low == 0 && high == 0) || (message >= low && message <= high);
}

bool Matches(State& state, HWND target, HWND filter) {
  return filter == nullptr || (target != nullptr && win32::detail::IsSelfOrDescendant(state, target, filter));
}

// Posts what the X11 server reported; a native window the server destroyed is destroyed here too,
// except another program's window this program drew in: its loss ends the program.
void PumpDisplay() {
  if (!win32::x11::Available()) return;
  std::vector<HWND> gone;
  struct Size {
    unsigned long native;
    int width;
    int height;
  };
  std::vector<Size> sizes;
  win32::x11::PumpEvents([&](unsigned long native, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) {
      sizes.push_back({native, LOWORD(lParam), HIWORD(lParam)});
      return;
    }
    HWND target = nullptr;
    {
      State& state = GetState();
      std::lock_guard lock(state.mutex);
      for (const auto& [key, window] : state.windows) {
        if (!window->foreign && window->native == native) target = window->handle;
      }
    }
    if (target == nullptr) return;
    if (message == WM_DESTROY) {
      gone.push_back(target);
    } else if (message == WM_PAINT) {
      // Uncovered: the whole window is painted again through its WM_PAINT.
      InvalidateRect(target, nullptr, FALSE);
    } else if (message == WM_SETCURSOR) {
      SendMessageW(target, message, reinterpret_cast<WPARAM>(target), lParam);
    } else {
      PostMessageW(target, message, wParam, lParam);
    }
  });
  for (const Size& size : sizes) win32::detail::FollowNativeSize(size.native, size.width, size.height);
  for (HWND window : gone) {
    bool given = false;
    {
      // The X11 window no longer exists: nothing must try to destroy it again.
      State& state = GetState();
      std::lock_guard lock(state.mutex);
      if (Window* record = win32::detail::Find(state, window)) {
        record->native = 0;
        given = record->given;
      }
    }
    if (given) {
      win32::RequestTermination();
    } else {
      DestroyWindow(window);
    }
  }
}

// What the X11 server and the signals asked for.
void Pump() {
  PumpDisplay();
  win32::detail::CarryOutTermination();
}

// Takes the next message for the calling thread; the lock is held.
bool Next(State& state, Queue& queue, MSG* out, HWND filter, UINT low, UINT high, bool remove) {
  for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
    if (Matches(state, it->hwnd, filter) && InRange(it->message, low, high)) {
      *out = *it;
      if (remove) queue.posted.erase(it);
      return true;
    }
  }
  if (queue.quit && InRange(WM_QUIT, low, high)) {
    *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0, MessageTime(), {}};
    if (remove) queue.quit = false;
    return true;
  }
  const auto thread = std::this_thread::get_id();
  if (InRange(WM_PAINT, low, high)) {
    for (const auto& [key, window] : state.windows) {
      if (!window->foreign && window->thread == thread && !window->invalid.empty() &&
          Matches(state, window->handle, filter)) {
        // WM_PAINT stays until BeginPaint validates the window.
        *out = MSG{window->handle, WM_PAINT, 0, 0, MessageTime(), {}};
        return true;
      }
    }
  }
  if (InRange(WM_TIMER, low, high)) {
    const int64_t now = machine::clock::Now();
    Timer* due = nullptr;
    for (Timer& timer : queue.timers) {
      if (timer.due <= now && Matches(state, timer.window, filter) && (due == nullptr || timer.due < due->due)) {
        due = &timer;
      }
    }
    if (due != nullptr) {
      *out = MSG{due->window, WM_TIMER, due->id, reinterpret_cast<LPARAM>(due->procedure), MessageTime(), {}};
      if (remove) due->due = now + due->interval;
      return true;
    }
  }
  return false;
}

// The time the next timer of the calling thread that the filter accepts falls due, or max.
int64_t NextTimer(State& state, Queue& queue, HWND filter) {
  int64_t next = std::numeric_limits<int64_t>::max();
  for (const Timer& timer : queue.timers) {
    if (Matches(state, timer.window, filter) && timer.due < next) next = timer.due;
  }
  return next;
}

}  // namespace

BOOL WINAPI PeekMessageW(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage) {
  if (message == nullptr) return FALSE;
  Pump();
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  Queue& queue = state.queues[std::this_thread::get_id()];
  return Next(state, queue, message, window, filterMin, filterMax, (removeMessage & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL WINAPI GetMessageW(LPMSG message, HWND window, UINT filterMin, UINT filterMax) {
  if (message == nullptr) return -1;
  State& state = GetState();
  {
    std::lock_guard lock(state.mutex);
    if (window != nullptr && win32::detail::Find(state, window) == nullptr) return -1;
  }
  for (;;) {
    Pump();
    std::unique_lock lock(state.mutex);
    // The window waited for may be gone by now (closed on a signal, or with its foreign parent).
    if (window != nullptr && win32::detail::Find(state, window) == nullptr) return -1;
    Queue& queue = state.queues[std::this_thread::get_id()];
    if (Next(state, queue, message, window, filterMin, filterMax, true)) return message->message != WM_QUIT;
    const int64_t next = NextTimer(state, queue, window);
    const bool display = win32::x11::Available();
    const int64_t now = machine::clock::Now();
    if (machine::clock::IsVirtual()) {
      if (next != std::numeric_limits<int64_t>::max()) {
        machine::clock::Advance(next - now);
        continue;
      }
      if (!display) {
        // Nothing can ever arrive: on virtual time this would wait forever.
        std::fprintf(stderr, "GetMessageW: the queue is empty and no timer is pending\n");
        return -1;
      }
    }
    if (display) {
      lock.unlock();
      int wait = kPollInterval;
      if (!machine::clock::IsVirtual() && next - now < int64_t{wait} * kNanosecondsPerMillisecond) {
        wait = static_cast<int>(std::max<int64_t>(0, (next - now) / kNanosecondsPerMillisecond));
      }
      win32::x11::WaitForEvents(wait);
    } else if (next > now) {
      const int64_t wait = std::min<int64_t>(next - now, int64_t{kSignalInterval} * kNanosecondsPerMillisecond);
      state.wake.wait_for(lock, std::chrono::nanoseconds(wait));
    }
  }
}

BOOL WINAPI PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  State& state = GetState();
  {
    std::lock_guard lock(state.mutex);
    std::thread::id thread = std::this_thread::get_id();
    if (window != nullptr) {
      Window* record = win32::detail::Find(state, window);
      if (record == nullptr) return FALSE;
      thread = record->thread;
    }
    state.queues[thread].posted.push_back(MSG{window, message, wParam, lParam, MessageTime(), {}});
  }
  state.wake.notify_all();
  return TRUE;
}

LRESULT WINAPI SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC procedure = nullptr;
  {
    State& state = GetState();
    std::lock_guard lock(state.mutex);
    if (Window* record = win32::detail::Find(state, window)) procedure = record->procedure;
  }
  return procedure != nullptr ? procedure(window, message, wParam, lParam) : 0;
}

BOOL WINAPI TranslateMessage(const MSG*) {
  // No character messages are made: nothing here reads WM_CHAR.
  return FALSE;
}

LRESULT WINAPI DispatchMessageW(const MSG* message) {
  if (message == nullptr) return 0;
  if (message->message == WM_TIMER && message->lParam != 0) {
    reinterpret_cast<TIMERPROC>(message->lParam)(message->hwnd, WM_TIMER, message->wParam, message->time);
    return 0;
  }
  return SendMessageW(message->hwnd, message->message, message->wParam, message->lParam);
}

void WINAPI PostQuitMessage(int exitCode) {
  State& state = GetState();
  {
    std::lock_guard lock(state.mutex);
    Queue& queue = state.queues[std::this_thread::get_id()];
    queue.quit = true;
    queue.quitCode = exitCode;
  }
  state.wake.notify_all();
}

// Timers without a window are not made: nothing here uses them.
UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC timerProc) {
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  Window* record = win32::detail::Find(state, window);
  if (record == nullptr) return 0;
  const UINT milliseconds = elapse < kTimerMinimum ? kTimerMinimum : (elapse > kTimerMaximum ? kTimerMaximum : elapse);
  Queue& queue = state.queues[record->thread];
  std::erase_if(queue.timers, [&](const Timer& timer) { return timer.window == window && timer.id == id; });
  const int64_t interval = int64_t{milliseconds} * kNanosecondsPerMillisecond;
  queue.timers.push_back(Timer{window, id, interval, machine::clock::Now() + interval, timerProc});
  return id != 0 ? id : 1;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  for (auto& [thread, queue] : state.queues) {
    if (std::erase_if(queue.timers, [&](const Timer& timer) { return timer.window == window && timer.id == id; }) > 0) {
      return TRUE;
    }
  }
  return FALSE;
}

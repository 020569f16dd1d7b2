// The stand-in's window manager: the classes, the windows and the per-thread message queues, kept
// under one lock. Window procedures are always called with the lock released, since they create,
// destroy and message windows themselves.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>

#include "platform/win32/device_context.h"
#include "platform/win32/surface.h"

namespace win32::detail {

struct WindowClass {
  ATOM atom = 0;
  std::u16string name;
  WNDPROC procedure = nullptr;
  HCURSOR cursor = nullptr;
  bool headless = false;  // its windows never get an X11 window (dialogs and their controls)
};

struct Window {
  HWND handle = nullptr;
  WNDPROC procedure = nullptr;
  HCURSOR classCursor = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND parent = nullptr;  // children only
  HWND owner = nullptr;   // top-level windows only
  int id = 0;             // children: the control id given as the menu handle
  std::u16string text;
  bool disabled = false;
  // The window rectangle: in screen coordinates for a top-level window, in the parent's client
  // coordinates for a child. Foreign windows have no non-client area.
  RECT rect{};
  std::thread::id thread;
  bool foreign = false;         // an X11 window of another program, known by its id
  unsigned long native = 0;     // the X11 window showing this one, 0 when headless
  // The X11 window is another program's, given to draw in: never moved or destroyed from here; this
  // window takes its size whenever it changes.
  bool given = false;
  uint64_t sizeChanges = 0;     // client sizes taken from a window of another program
  bool destroying = false;
  Surface surface;
  std::vector<RECT> invalid;    // client coordinates; painted by the next WM_PAINT
  bool erase = false;
  uint64_t presented = 0;
};

struct Timer {
  HWND window = nullptr;
  UINT_PTR id = 0;
  int64_t interval = 0;  // nanoseconds of the machine clock
  int64_t due = 0;
  TIMERPROC procedure = nullptr;
};

struct Queue {
  std::deque<MSG> posted;
  bool quit = false;
  int quitCode = 0;
  std::vector<Timer> timers;
};

struct State {
  std::mutex mutex;
  std::condition_variable wake;  // a message was posted
  std::vector<WindowClass> classes;
  std::map<uintptr_t, std::unique_ptr<Window>> windows;
  std::map<std::thread::id, Queue> queues;
  uintptr_t nextHandle = 0x00010010;
  HCURSOR cursor = nullptr;
  std::vector<std::unique_ptr<DeviceContext>> contexts;  // handed out by BeginPaint
  // Full screen in a window another program gave: the first top-level popup draws into it.
  bool windowGiven = false;
  unsigned long givenWindow = 0;  // 0: the id could not be read, so no popup can be made
  bool givenTaken = false;
};

State& GetState();

// The lock must be held for these.
Window* Find(State& state, HWND handle);  // a window the stand-in made (not destroyed yet)
// A window made here or, with a display, a foreign X11 window that exists (recorded on first use).
Window* Resolve(State& state, HWND handle);
RECT NonClientInsets(DWORD style, bool menu);
SIZE ClientSize(const Window& window);
POINT ClientOrigin(State& state, const Window& window);  // screen coordinates
bool IsSelfOrDescendant(State& state, HWND window, HWND ancestor);
// The window's surface, first resized (and cleared) when the client area changed size.
Surface* SizedSurface(Window& window);

// The X11 window `native` of another program now has this client size: the window drawing into it,
// or the windows made inside it, take that size. The lock must not be held.
void FollowNativeSize(unsigned long native, int width, int height);

}  // namespace win32::detail

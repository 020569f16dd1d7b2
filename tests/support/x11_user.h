// A user at an X server: finds the program's top-level windows by title, clicks and types into
// them with synthetic events, and reads their pixels.
#pragma once
#include <X11/Xlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ShownWindow {
  Window id = 0;
  int width = 0, height = 0;
};

// A place in a dialog given in its template's units, for a window of that many units.
struct DialogUnits {
  int across, down;
  int X(const ShownWindow& window, double units) const { return static_cast<int>(units * window.width / across); }
  int Y(const ShownWindow& window, double units) const { return static_cast<int>(units * window.height / down); }
};

class X11User {
 public:
  explicit X11User(Display* display) : display_(display) {}

  // Waits up to `seconds` for a viewable top-level window with the title.
  std::optional<ShownWindow> Find(const std::string& title, double seconds = 10);
  // Waits up to ten seconds for no such window to be left.
  bool Gone(const std::string& title);

  void Press(Window window, int x, int y);
  void Release(Window window, int x, int y);
  void Click(Window window, int x, int y);
  // The pointer moved to x, y with the button held.
  void Drag(Window window, int x, int y);
  void Key(Window window, unsigned long keysym);

  // The window's pixels (0x00RRGGBB, row by row) once it shows something other than black, or
  // empty after ten seconds.
  std::vector<uint32_t> Pixels(const ShownWindow& window);
  // The window's pixel at x, y (0x00RRGGBB) once it is `wanted`, or the last one seen after ten
  // seconds.
  uint32_t PixelOnceItIs(Window window, int x, int y, uint32_t wanted);

 private:
  Window Named(const std::string& title);
  void Button(Window window, int type, int x, int y, unsigned state);

  Display* display_;
};

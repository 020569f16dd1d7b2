#include "tests/support/x11_user.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

std::optional<ShownWindow> X11User::Find(const std::string& title, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    if (Window found = Named(title)) {
      XWindowAttributes attributes{};
      XGetWindowAttributes(display_, found, &attributes);
      return ShownWindow{found, attributes.width, attributes.height};
    }
    if (std::chrono::steady_clock::now() >= end) return std::nullopt;
    std::this_thread::sleep_for(50ms);
  }
}

bool X11User::Gone(const std::string& title) {
  for (auto waited = 0ms; waited < 10s; waited += 50ms) {
    if (Named(title) == 0) return true;
    std::this_thread::sleep_for(50ms);
  }
  return false;
}

void X11User::Press(Window window, int x, int y) { Button(window, ButtonPress, x, y, 0); }
void X11User::Release(Window window, int x, int y) { Button(window, ButtonRelease, x, y, Button1Mask); }

void X11User::Click(Window window, int x, int y) {
  Press(window, x, y);
  Release(window, x, y);
}

void X11User::Drag(Window window, int x, int y) {
  XEvent event{};
  event.xmotion = XMotionEvent{MotionNotify, 0, True, display_, window, DefaultRootWindow(display_), 0, CurrentTime,
                               x, y, x, y, Button1Mask, NotifyNormal, True};
  XSendEvent(display_, window, False, PointerMotionMask, &event);
  XFlush(display_);
}

void X11User::Key(Window window, unsigned long keysym) {
  for (int type : {KeyPress, KeyRelease}) {
    XEvent event{};
    event.xkey = XKeyEvent{type, 0, True, display_, window, DefaultRootWindow(display_), 0, CurrentTime, 0, 0, 0, 0,
                           0, XKeysymToKeycode(display_, keysym), True};
    XSendEvent(display_, window, False, type == KeyPress ? KeyPressMask : KeyReleaseMask, &event);
  }
  XFlush(display_);
}

std::vector<uint32_t> X11User::Pixels(const ShownWindow& window) {
  std::vector<uint32_t> pixels;
  for (auto waited = 0ms; waited < 10s; waited += 50ms) {
    pixels.clear();
    if (XImage* image = XGetImage(display_, window.id, 0, 0, window.width, window.height, AllPlanes, ZPixmap)) {
      for (int y = 0; y < window.height; ++y)
        for (int x = 0; x < window.width; ++x) pixels.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
      XDestroyImage(image);
    }
    if (std::any_of(pixels.begin(), pixels.end(), [](uint32_t pixel) { return pixel != 0; })) return pixels;
    std::this_thread::sleep_for(50ms);
  }
  return {};
}

uint32_t X11User::PixelOnceItIs(Window window, int x, int y, uint32_t wanted) {
  uint32_t pixel = 0;
  for (auto waited = 0ms; waited < 10s; waited += 50ms) {
    if (XImage* image = XGetImage(display_, window, x, y, 1, 1, AllPlanes, ZPixmap)) {
      pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
      XDestroyImage(image);
    }
    if (pixel == wanted) break;
    std::this_thread::sleep_for(50ms);
  }
  return pixel;
}

Window X11User::Named(const std::string& title) {
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) return 0;
  for (unsigned i = 0; i < count && found == 0; ++i) {
    char* name = nullptr;
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display_, children[i], &attributes) && attributes.map_state == IsViewable &&
        XFetchName(display_, children[i], &name) && name != nullptr && title == name)
      found = children[i];
    if (name != nullptr) XFree(name);
  }
  if (children != nullptr) XFree(children);
  return found;
}

void X11User::Button(Window window, int type, int x, int y, unsigned state) {
  XEvent event{};
  event.xbutton = XButtonEvent{type, 0, True, display_, window, DefaultRootWindow(display_), 0, CurrentTime,
                               x, y, x, y, state, Button1, True};
  XSendEvent(display_, window, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &event);
  XFlush(display_);
}

#include "platform/win32/x11_display.h"

#include <poll.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "platform/machine/text.h"
#include "platform/win32/x11_identity.h"

// Xlib comes after the Windows declarations: its macros (None, True, Status...) must not reach them.
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace win32::x11 {

namespace {

// How frames are put into one window: its visual and depth, and a context made for that depth.
struct Drawable {
  GC context;
  Visual* visual;
  int depth;
};

struct Connection {
  std::mutex mutex;
  ::Display* display = nullptr;
  bool tried = false;
  Atom protocols = 0;
  Atom deleteWindow = 0;
  Cursor blank = 0;
  std::set<unsigned long> watched;  // windows of other programs whose changes are reported
  std::map<unsigned long, Drawable> drawn;  // windows frames are shown in
  std::set<unsigned long> refused;    // windows whose visual frames cannot be put into
  std::set<unsigned long> topLevel;  // the stand-in's windows placed in screen coordinates
};

// Kept when the connection closes: the monitors stay where they are.
std::atomic<int> g_originX{0};
std::atomic<int> g_originY{0};

// Whether frames (X8R8G8B8 words) can be put into a window of these attributes as they are: a
// TrueColor visual of 24 or 32 bits with red, green and blue in the words' places. A 32-bit one
// takes the words' top byte as alpha, which presentation makes opaque.
bool TakesFrames(const XWindowAttributes& attributes) {
  const Visual* visual = attributes.visual;
  return (attributes.depth == 24 || attributes.depth == 32) && visual != nullptr && visual->c_class == TrueColor &&
         visual->red_mask == 0xFF0000 && visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF;
}

// Forgets what was kept for drawing into `window`. The lock is held.
void ForgetDrawn(Connection& connection, unsigned long window) {
  const auto it = connection.drawn.find(window);
  if (it != connection.drawn.end()) {
    XFreeGC(connection.display, it->second.context);
    connection.drawn.erase(it);
  }
  connection.refused.erase(window);
}

Connection& Get() {
  // Never destroyed: the display and what was made on it (the drawing contexts kept per window)
  // stay reachable until the process ends, or until Close gives them back.
  static Connection* connection = new Connection;
  return *connection;
}

std::atomic<int> g_errors{0};

// A bad foreign id or a window that went away must not end the process, as Xlib's default
// handler would: the failing request is only counted.
int CountError(::Display*, XErrorEvent*) {
  ++g_errors;
  return 0;
}

// The lock is held.
::Display* Open(Connection& connection) {
  if (connection.display != nullptr || connection.tried) return connection.display;
  connection.tried = true;
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') return nullptr;
  connection.display = XOpenDisplay(name);
  if (connection.display == nullptr) {
    std::fprintf(stderr, "copperleaf: cannot open display %s; windows are headless\n", name);
    return nullptr;
  }
  XSetErrorHandler(CountError);
  connection.protocols = XInternAtom(connection.display, "WM_PROTOCOLS", False);
  connection.deleteWindow = XInternAtom(connection.display, "WM_DELETE_WINDOW", False);
  return connection.display;
}

// Virtual keys for the X11 keys that have one; every other key still arrives, with key code 0.
WPARAM VirtualKey(KeySym key) {
  if (key >= XK_a && key <= XK_z) return 'A' + (key - XK_a);
  if (key >= XK_A && key <= XK_Z) return 'A' + (key - XK_A);
  if (key >= XK_0 && key <= XK_9) return '0' + (key - XK_0);
  switch (key) {
    case XK_BackSpace: return VK_BACK;
    case XK_Tab: return VK_TAB;
    case XK_Return: return VK_RETURN;
    case XK_Shift_L: case XK_Shift_R: return VK_SHIFT;
    case XK_Control_L: case XK_Control_R: return VK_CONTROL;
    case XK_Alt_L: case XK_Alt_R: return VK_MENU;
    case XK_Escape: return VK_ESCAPE;
    case XK_space: return VK_SPACE;
    case XK_Left: return VK_LEFT;
    case XK_Up: return VK_UP;
    case XK_Right: return VK_RIGHT;
    case XK_Down: return VK_DOWN;
    case XK_Delete: return VK_DELETE;
    default: return 0;
  }
}

LPARAM Point(int x, int y) { return MAKELPARAM(static_cast<SHORT>(x), static_cast<SHORT>(y)); }

struct Translated {
  unsigned long window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// The lock is held.
void Translate(Connection& connection, const XEvent& event, std::vector<Translated>& out) {
  switch (event.type) {
    case KeyPress: {
      XKeyEvent key = event.xkey;
      const LPARAM lParam = 1 | (static_cast<LPARAM>(key.keycode & 0xFF) << 16);
      out.push_back({key.window, WM_KEYDOWN, VirtualKey(XLookupKeysym(&key, 0)), lParam});
      break;
    }
    case KeyRelease: {
      XKeyEvent key = event.xkey;
      const LPARAM lParam = 1 | (static_cast<LPARAM>(key.keycode & 0xFF) << 16) | (LPARAM{3} << 30);
      out.push_back({key.window, WM_KEYUP, VirtualKey(XLookupKeysym(&key, 0)), lParam});
      break;
    }
    case ButtonRelease: {
      const XButtonEvent& button = event.xbutton;
      if (button.button == Button1) out.push_back({button.window, WM_LBUTTONUP, 0, Point(button.x, button.y)});
      break;
    }
    case ButtonPress: {
      const XButtonEvent& button = event.xbutton;
      if (button.button == Button1) out.push_back({button.window, WM_LBUTTONDOWN, MK_LBUTTON, Point(button.x, button.y)});
      if (button.button == Button2) out.push_back({button.window, WM_MBUTTONDOWN, MK_MBUTTON, Point(button.x, button.y)});
      if (button.button == Button3) out.push_back({button.window, WM_RBUTTONDOWN, MK_RBUTTON, Point(button.x, button.y)});
      break;
    }
    case MotionNotify: {
      const XMotionEvent& motion = event.xmotion;
      out.push_back({motion.window, WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)});
      out.push_back({motion.window, WM_MOUSEMOVE, 0, Point(motion.x, motion.y)});
      break;
    }
    case ClientMessage:
      if (event.xclient.message_type == connection.protocols &&
          static_cast<Atom>(event.xclient.data.l[0]) == connection.deleteWindow) {
        out.push_back({event.xclient.window, WM_CLOSE, 0, 0});
      }
      break;
    case Expose:
      if (event.xexpose.count == 0) out.push_back({event.xexpose.window, WM_PAINT, 0, 0});
      break;
    case MapNotify: {
      // A popup bypasses the window manager, so it takes the keyboard itself once it shows.
      XWindowAttributes attributes{};
      if (connection.watched.count(event.xmap.window) == 0 &&
          XGetWindowAttributes(connection.display, event.xmap.window, &attributes) && attributes.override_redirect) {
        XSetInputFocus(connection.display, event.xmap.window, RevertToParent, CurrentTime);
      }
      break;
    }
    case DestroyNotify:
      connection.watched.erase(event.xdestroywindow.window);
      ForgetDrawn(connection, event.xdestroywindow.window);
      out.push_back({event.xdestroywindow.window, WM_DESTROY, 0, 0});
      break;
    case ConfigureNotify: {
      const XConfigureEvent& configure = event.xconfigure;
      out.push_back({configure.window, WM_SIZE, SIZE_RESTORED,
                     MAKELPARAM(static_cast<WORD>(configure.width), static_cast<WORD>(configure.height))});
      break;
    }
    default:
      break;
  }
}

}  // namespace

bool Available() {
  Connection& connection = Get();
  std::lock_guard lock(connection.mutex);
  return Open(connection) != nullptr;
}

void Close() {
  Connection& connection = Get();
  std::lock_guard lock(connection.mutex);
  if (connection.display != nullptr) {
    if (connection.blank != 0) XFreeCursor(connection.display, connection.blank);
    for (const auto& [window, drawable] : connection.drawn) XFreeGC(connection.display, drawable.context);
    XCloseDisplay(connection.display);
  }
  connection.display = nullptr;
  connection.blank = 0;
  connection.watched.clear();
  connection.drawn.clear();
  connection.refused.clear();
  connection.topLevel.clear();
  connection.tried = false;
}

unsigned long CreateNativeWindow(unsigned long parent, const RECT& client, bool popup, bool visible,
                                 const std::u16string& title) {
  Connection& connection = Get();
  std::lock_guard lock(connection.mutex);
  ::Display* display = Open(connection);
  if (display == nullptr) return 0;
  const int screen = DefaultScreen(display);
  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(display, screen);
  attributes.override_redirect = popup && parent == 0 ? True : False;
  attributes.event_mask =
      KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | ExposureMask |
      StructureNotifyMask;
  const unsigned width = client.right > client.left ? client.right - client.left : 1;
  const unsigned height = client.bottom > client.top ? client.bottom - client.top : 1;
  const int x = client.left + (parent == 0 ? g_originX.load() : 0);
  const int y = client.top + (parent == 0 ? g_originY.load() : 0);
  const ::Window window =
      XCreateWindow(display, parent != 0 ? parent : RootWindow(display, screen), x, y, width, height, 0,
                    CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWOverrideRedirect | CWEventMask,
                    &attributes);
  if (parent == 0) connection.topLevel.insert(window);
  if (parent == 0 && !popup) {
    XSetWMProtocols(display, window, &connection.deleteWindow, 1);
    // The stand-in's windows do not resize: the window manager keeps the size and place asked for.
    XSizeHints hints{};
    hints.flags = USPosition | USSize | PMinSize | PMaxSize;
    hints.x = x;
    hints.y = y;
    hints.width = hints.min_width = hints.max_width = static_cast<int>(width);
    hints.height = hints.min_height = hints.max_height = static_cast<int>(height);
    XSetWMNormalHints(display, window, &hints);
  }
  const std::string name = machine::Utf8FromWide(title);
  XStoreName(display, window, name.c_str());
  if (parent == 0) IdentifyWindow(display, window, name);
  if (visible) XMapRaised(display, window);
  XSync(display, False);
  return window;
}

void DestroyNativeWindow(unsigned long window) {
  Connection& connection = Get();
  std::lock_guard lock(connection.mutex);
  if (connection.display == nullptr) return;
  ForgetDrawn(connection, window);
  connection.topLevel.erase(window);
  XDestroyWindow(connection.display, window);
  XFlush(connection.display);
}

void MoveNativeWindow(unsigned long window, const RECT& client) {
  Connection& connection = Get();
  std::lock_guard lock(connection.mutex);
  if (connection.display == nullptr) return;
  const bool onScreen = connection.topLevel.count(window) != 0;
  XMoveResizeWindow(connection.display, window, client.left + (onScreen ? g_originX.load() : 0),
                    client.top + (onScreen ? g_originY.load() : 0),
                    client.right > client.left ? client.right - client.left : 1,
                    client.bottom > client.top ? client.bottom - client.top : 1);
  XFlush(connection.display);
}

void ShowSurface(unsigned long window, const Surface& surface) {
  Connection& connection = Get();
  std::lock_guard lock(connection.mutex);
  ::Display* display = connection.display;
  if (display == nullptr || surface.width <= 0 || surface.height <= 0) return;
  // The window's own visual and depth, which a manager's window need not share with the screen.
  auto drawable = connection.drawn.find(window);
  if (drawable == connection.drawn.end()) {
    if (connection.refused.count(window) != 0) return;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes)) return;
    if (!TakesFrames(attributes)) {
      std::fprintf(stderr,
                   "copperleaf: frames cannot be shown in window 0x%lx: its depth of %d bits or its visual is "
                   "not a 24 or 32-bit TrueColor one\n",
                   window, attributes.depth);
      connection.refused.insert(window);
      return;
    }
    const Drawable made{XCreateGC(display, window, 0, nullptr), attributes.visual, attributes.depth};
    drawable = connection.drawn.emplace(window, made).first;
  }
  const Drawable& target = drawable->second;
  // X8R8G8B8 in memory order is what a TrueColor image of 32 bits per pixel holds.
  XImage* image = XCreateImage(display, target.visual, static_cast<unsigned>(target.depth), ZPixmap, 0,
                               reinterpret_cast<char*>(const_cast<uint32_t*>(surface.pixels.data())), surface.width,
                               surface.height, 32, surface.width * 4);
  if (image == nullptr) return;
  image->byte_order = LSBFirst;
  XPutImage(display, window, target.context, image, 0, 0, 0, 0, surface.width, surface.height);
  image->data = nullptr;  // the pixels belong to the surface
  XDestroyImage(image);
  // Once the call returns, the picture is on the screen for every other client too.
  XSync(display, False);
}

void HideCursor(unsigned long window, bool hidden) {
  Connection& connection = Get();
  std::lock_guard lock(connection.mutex);
  ::Display* display = connection.display;
  if (display == nullptr) return;
  if (!hidden) {
    XUndefineCursor(display, window);
  } else {
    if (connection.blank == 0) {
      static const char empty[1] = {0};
      const Pixmap bitmap = XCreateBitmapFromData(display, window, empty, 1, 1);
      XColor black{};
      connection.blank = XCreatePixmapCursor(display, bitmap, bitmap, &black, &black, 0, 0);
      XFreePixmap(display, bitmap);
    }
    XDefineCursor(display, window, connection.blank);
  }
  XFlush(display);
}

void SetNativeTitle(unsigned long window, const std::u16string& title) {
  Connection& connection = Get();
  std::lock_guard lock(connection.mutex);
  if (connection.display == nullptr) return;
  const std::string name = machine::Utf8FromWide(title);
  XStoreName(connection.display, window, name.c_str());
  if (connection.topLevel.count(window) != 0) NameWindow(connection.display, window, name);
  XFlush(connection.display);
}

void SetNativeOwner(unsigned long window, unsigned long owner) {
  Connection& connection = Get();
  std::lock_guard lock(connection.mutex);
  if (connection.display == nullptr) return;
  XSetTransientForHint(connection.display, window, owner);
  XFlush(connection.display);
}

bool ForeignWindow(unsigned long id, RECT& screen) {
  Connection& connection = Get();
  std::lock_guard lock(connection.mutex);
  ::Display* display = Open(connection);
  if (display == nullptr) return false;
  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(display, id, &attributes)) return false;
  int x = 0;
  int y = 0;
  ::Window child = 0;
  if (!XTranslateCoordinates(display, id, attributes.root, 0, 0, &x, &y, &child)) return false;
  x -= g_originX.load();
  y -= g_originY.load();
  screen = {x, y, x + attributes.width, y + attributes.height};
  return true;
}

void WatchForeignWindow(unsigned long id) {
  Connection& connection = Get();
  std::lock_guard lock(connection.mutex);
  ::Display* display = connection.display;
  if (display == nullptr || !connection.watched.insert(id).second) return;
  XSelectInput(display, id, StructureNotifyMask | ExposureMask);
  XFlush(display);
}

void SetDesktopOrigin(int x, int y) {
  g_originX = x;
  g_originY = y;
}

std::optional<double> ScreenDpi() {
  // Beyond these no screen is made: such a setting is a mistake, and would lay dialogs out absurdly.
  constexpr double kLeast = 48;
  constexpr double kMost = 480;
  Connection& connection = Get();
  std::lock_guard lock(connection.mutex);
  ::Display* display = Open(connection);
  if (display == nullptr) return std::nullopt;
  const auto sane = [&](double dpi) { return std::isfinite(dpi) && dpi >= kLeast && dpi <= kMost; };
  if (const char* resources = XResourceManagerString(display)) {
    XrmInitialize();
    if (XrmDatabase database = XrmGetStringDatabase(resources)) {
      char* type = nullptr;
      XrmValue value{};
      double dpi = 0;
      if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr)
        dpi = std::strtod(value.addr, nullptr);
      XrmDestroyDatabase(database);
      if (sane(dpi)) return dpi;
    }
  }
  const int screen = DefaultScreen(display);
  const int millimetres = DisplayWidthMM(display, screen);
  if (millimetres <= 0) return std::nullopt;
  const double dpi = DisplayWidth(display, screen) * 25.4 / millimetres;
  if (sane(dpi)) return dpi;
  return std::nullopt;
}

void PumpEvents(const EventSink& sink) {
  std::vector<Translated> events;
  {
    Connection& connection = Get();
    std::lock_guard lock(connection.mutex);
    if (connection.display == nullptr) return;
    while (XPending(connection.display) > 0) {
      XEvent event;
      XNextEvent(connection.display, &event);
      Translate(connection, event, events);
    }
  }
  // The sink posts and sends messages: it runs without this connection's lock.
  for (const Translated& event : events) sink(event.window, event.message, event.wParam, event.lParam);
}

void WaitForEvents(int milliseconds) {
  int descriptor = -1;
  {
    Connection& connection = Get();
    std::lock_guard lock(connection.mutex);
    if (connection.display == nullptr) return;
    if (XPending(connection.display) > 0) return;
    descriptor = ConnectionNumber(connection.display);
  }
  pollfd wait{descriptor, POLLIN, 0};
  poll(&wait, 1, milliseconds);
}

}  // namespace win32::x11

// The windows on a real X server: an Xvfb this test starts itself (skipped when Xvfb is absent).
#include "window_fixture.h"

#include <unistd.h>

#include <cstring>
#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/desktop_machine.h"
#include "platform/win32/given_window.h"
#include "platform/win32/resource_table.h"
#include "platform/win32/surface.h"
#include "platform/win32/x11_display.h"
#include "tests/support/given_x11_window.h"
#include "tests/support/randr_monitors.h"
#include "tests/support/xvfb_server.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace {

class X11Test : public WindowTest {
 protected:
  static void SetUpTestSuite() { server_ = std::make_unique<XvfbServer>(); }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    WindowTest::SetUp();
    if (server_->display().empty()) GTEST_SKIP() << "Xvfb is not available";
    setenv("DISPLAY", server_->display().c_str(), 1);
    machine::clock::UseReal();
    viewer_ = XOpenDisplay(server_->display().c_str());
    ASSERT_NE(viewer_, nullptr);
  }

  void TearDown() override {
    if (viewer_ != nullptr) XCloseDisplay(viewer_);
    viewer_ = nullptr;
    WindowTest::TearDown();
    unsetenv("DISPLAY");
  }

  // Takes messages until one of `wanted` arrives (dispatching the others); false after about
  // five seconds without it.
  static bool Await(UINT wanted, MSG& out) {
    for (int attempt = 0; attempt < 500; ++attempt) {
      while (PeekMessageW(&out, nullptr, 0, 0, PM_REMOVE)) {
        if (out.message == wanted) return true;
        DispatchMessageW(&out);
      }
      usleep(10'000);
    }
    return false;
  }

  // The top-level X11 window of the server at this position.
  Window WindowAt(int x, int y) {
    Window root = DefaultRootWindow(viewer_);
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    Window found = 0;
    XQueryTree(viewer_, root, &root, &parent, &children, &count);
    for (unsigned i = 0; i < count; ++i) {
      XWindowAttributes attributes{};
      XGetWindowAttributes(viewer_, children[i], &attributes);
      if (attributes.x == x && attributes.y == y && attributes.map_state == IsViewable) found = children[i];
    }
    if (children != nullptr) XFree(children);
    return found;
  }

  void Send(Window window, XEvent event, long mask) {
    event.xany.window = window;
    XSendEvent(viewer_, window, True, mask, &event);
    XFlush(viewer_);
  }

  static inline std::unique_ptr<XvfbServer> server_;
  ::Display* viewer_ = nullptr;
};

TEST_F(X11Test, PopupShowsItsSurfaceAndInputArrivesAsWindowsMessages) {
  HWND window = Make(WS_POPUP | WS_VISIBLE, {16, 24, 16 + 64, 24 + 48}, nullptr, WS_EX_TOPMOST);
  ASSERT_NE(window, nullptr);
  MSG message{};
  ASSERT_TRUE(Await(WM_PAINT, message));  // the server showed it
  DispatchMessageW(&message);
  win32::Surface* surface = win32::WindowSurface(window);
  std::fill(surface->pixels.begin(), surface->pixels.end(), 0x3366CCu);
  surface->pixels[5 * 64 + 7] = 0xFF8000u;
  win32::PresentWindow(window);

  XImage* image = XGetImage(viewer_, DefaultRootWindow(viewer_), 16, 24, 64, 48, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(XGetPixel(image, 0, 0) & 0xFFFFFF, 0x3366CCu);
  EXPECT_EQ(XGetPixel(image, 7, 5) & 0xFFFFFF, 0xFF8000u);
  EXPECT_EQ(XGetPixel(image, 63, 47) & 0xFFFFFF, 0x3366CCu);
  XDestroyImage(image);

  const Window native = WindowAt(16, 24);
  ASSERT_NE(native, 0u);
  XEvent key{};
  key.xkey.type = KeyPress;
  key.xkey.display = viewer_;
  key.xkey.root = DefaultRootWindow(viewer_);
  key.xkey.keycode = XKeysymToKeycode(viewer_, XK_a);
  key.xkey.same_screen = True;
  Send(native, key, KeyPressMask);
  ASSERT_TRUE(Await(WM_KEYDOWN, message));
  EXPECT_EQ(message.hwnd, window);
  EXPECT_EQ(message.wParam, WPARAM{'A'});

  XEvent button{};
  button.xbutton.type = ButtonPress;
  button.xbutton.display = viewer_;
  button.xbutton.button = Button3;
  button.xbutton.x = 5;
  button.xbutton.y = 7;
  button.xbutton.same_screen = True;
  Send(native, button, ButtonPressMask);
  ASSERT_TRUE(Await(WM_RBUTTONDOWN, message));
  EXPECT_EQ(LOWORD(message.lParam), 5);
  EXPECT_EQ(HIWORD(message.lParam), 7);

  XEvent motion{};
  motion.xmotion.type = MotionNotify;
  motion.xmotion.display = viewer_;
  motion.xmotion.x = 30;
  motion.xmotion.y = 40;
  motion.xmotion.same_screen = True;
  Send(native, motion, PointerMotionMask);
  ASSERT_TRUE(Await(WM_MOUSEMOVE, message));
  EXPECT_EQ(message.lParam, MAKELPARAM(30, 40));
  EXPECT_EQ(Seen(WM_SETCURSOR).size(), 1u);  // asked for the cursor first, as Windows does
}

TEST_F(X11Test, CloseRequestOfTheWindowManagerClosesACaptionedWindow) {
  HWND window = Make(WS_VISIBLE | WS_CAPTION | WS_SYSMENU, {100, 100, 300, 200});
  ASSERT_NE(window, nullptr);
  MSG message{};
  ASSERT_TRUE(Await(WM_PAINT, message));
  DispatchMessageW(&message);
  RECT client{};
  GetClientRect(window, &client);
  POINT corner{0, 0};
  ScreenToClient(window, &corner);
  const Window native = WindowAt(-corner.x, -corner.y);
  ASSERT_NE(native, 0u);
  XEvent close{};
  close.xclient.type = ClientMessage;
  close.xclient.message_type = XInternAtom(viewer_, "WM_PROTOCOLS", False);
  close.xclient.format = 32;
  close.xclient.data.l[0] = static_cast<long>(XInternAtom(viewer_, "WM_DELETE_WINDOW", False));
  Send(native, close, NoEventMask);
  ASSERT_TRUE(Await(WM_CLOSE, message));
  DispatchMessageW(&message);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(Seen(WM_DESTROY).size(), 1u);
}

TEST_F(X11Test, ChildOfAForeignX11WindowLivesInsideItAndEndsWithIt) {
  const Window foreign = MakeGivenWindow(viewer_, 50, 60, 200, 100);
  HWND parent = reinterpret_cast<HWND>(static_cast<intptr_t>(foreign));
  EXPECT_TRUE(IsWindow(parent));
  RECT area{};
  ASSERT_TRUE(GetClientRect(parent, &area));
  EXPECT_EQ(area.right, 200);
  EXPECT_EQ(area.bottom, 100);
  HWND child = Make(WS_CHILD | WS_VISIBLE, area, parent);
  ASSERT_NE(child, nullptr);
  POINT corner{50, 60};
  ScreenToClient(child, &corner);
  EXPECT_EQ(corner.x, 0);
  EXPECT_EQ(corner.y, 0);

  XDestroyWindow(viewer_, foreign);
  XSync(viewer_, False);
  MSG message{};
  for (int attempt = 0; attempt < 500 && IsWindow(child); ++attempt) {
    PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
    usleep(10'000);
  }
  EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(Seen(WM_DESTROY).size(), 1u);
  EXPECT_FALSE(IsWindow(parent));
}

// A property of the window as 32-bit values (format 32 arrives as sign-extended longs).
std::vector<uint32_t> Cardinals(::Display* display, Window window, const char* name) {
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<uint32_t> values;
  if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1 << 16, False, XA_CARDINAL, &type,
                         &format, &items, &after, &data) == Success && data != nullptr && format == 32) {
    for (unsigned long i = 0; i < items; ++i) values.push_back(static_cast<uint32_t>(reinterpret_cast<long*>(data)[i]));
  }
  if (data != nullptr) XFree(data);
  return values;
}

std::string Utf8Name(::Display* display, Window window) {
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  std::string text;
  if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 1024, False,
                         XInternAtom(display, "UTF8_STRING", False), &type, &format, &items, &after,
                         &data) == Success && data != nullptr) {
    text.assign(reinterpret_cast<char*>(data), items);
  }
  if (data != nullptr) XFree(data);
  return text;
}

TEST_F(X11Test, TopLevelWindowsCarryTheProgramsClassProcessTitleAndIcon) {
  // An icon of one 2 x 2 image, a 32-bit bitmap stored bottom row first with its alpha.
  std::vector<BYTE> image(40 + 16 + 8, 0);
  const uint32_t header[] = {40, 2, 4};
  std::memcpy(image.data(), header, sizeof header);
  image[12] = 1;   // planes
  image[14] = 32;  // bits per pixel
  const uint32_t pixels[] = {0xFF0000FFu, 0x8000FF00u, 0xFFFF0000u, 0x00000000u};  // bottom row, then top
  std::memcpy(image.data() + 40, pixels, sizeof pixels);
  const std::vector<BYTE> group = {0, 0, 1, 0, 1, 0, 2, 2, 0, 0, 1, 0, 32, 0,
                                   static_cast<BYTE>(image.size()), 0, 0, 0, 7, 0};
  const win32::Resource entries[] = {{LOWORD(RT_ICON), 7, image}, {LOWORD(RT_GROUP_ICON), 101, group}};
  const win32::ResourceTable before = win32::SetModuleResources(nullptr, entries);

  HWND captioned = Make(WS_CAPTION | WS_VISIBLE, {100, 100, 300, 200});
  HWND popup = Make(WS_POPUP | WS_VISIBLE, {320, 10, 400, 90});
  win32::SetModuleResources(nullptr, before);
  ASSERT_NE(captioned, nullptr);
  ASSERT_NE(popup, nullptr);
  SetWindowTextW(captioned, u"Réglages");
  POINT corner{0, 0};
  ScreenToClient(captioned, &corner);  // the screen's corner seen from the client area
  const std::pair<Window, std::string> windows[] = {{WindowAt(-corner.x, -corner.y), "R\xc3\xa9glages"},
                                                    {WindowAt(320, 10), "test"}};
  for (const auto& [window, title] : windows) {
    ASSERT_NE(window, 0u) << title;
    XClassHint hint{};
    ASSERT_TRUE(XGetClassHint(viewer_, window, &hint));
    EXPECT_STREQ(hint.res_name, "copperleaf");
    EXPECT_STREQ(hint.res_class, "copperleaf");
    XFree(hint.res_name);
    XFree(hint.res_class);
    EXPECT_EQ(Cardinals(viewer_, window, "_NET_WM_PID"), std::vector<uint32_t>{static_cast<uint32_t>(getpid())});
    // Rows from the top, each pixel 0xAARRGGBB.
    EXPECT_EQ(Cardinals(viewer_, window, "_NET_WM_ICON"),
              (std::vector<uint32_t>{2, 2, 0xFFFF0000, 0x00000000, 0xFF0000FF, 0x8000FF00}));
    // The new title went to the server on the program's own connection.
    for (int attempt = 0; attempt < 500 && Utf8Name(viewer_, window) != title; ++attempt) usleep(10'000);
    EXPECT_EQ(Utf8Name(viewer_, window), title);
  }
}

TEST_F(X11Test, DesktopMachineTakesTheScreenSize) {
  const machine::Machine desktop = win32::DesktopMachine();
  EXPECT_EQ(desktop.displays.at(0).current.width, 640u);
  EXPECT_EQ(desktop.displays.at(0).current.height, 480u);
  bool listed = false;
  for (const auto& mode : desktop.adapters.at(0).modes) listed = listed || (mode.width == 640 && mode.height == 480);
  EXPECT_TRUE(listed);
}

// Two monitors on a screen of their own; the primary one on the right.
TEST_F(X11Test, DesktopMachineHasADisplayPerMonitorPrimaryFirstAtTheOrigin) {
  XvfbServer wide("1824x768x24");
  if (wide.display().empty()) GTEST_SKIP() << "Xvfb is not available";
  ASSERT_TRUE(SetRandrMonitors(wide.display(), {{"LEFT", 0, 0, 1024, 768, false, true},
                                                {"RIGHT", 1024, 0, 800, 600, true, false}}));
  setenv("DISPLAY", wide.display().c_str(), 1);
  const machine::Machine desktop = win32::DesktopMachine();
  ASSERT_EQ(desktop.displays.size(), 2u);
  ASSERT_EQ(desktop.adapters.size(), 2u);
  struct Expected {
    std::u16string name, monitor;
    bool primary;
    int x, width, height;
  };
  const Expected expected[] = {{u"\\\\.\\DISPLAY1", u"RIGHT", true, 0, 800, 600},
                               {u"\\\\.\\DISPLAY2", u"LEFT", false, -1024, 1024, 768}};
  for (size_t i = 0; i < 2; ++i) {
    const machine::Display& display = desktop.displays[i];
    EXPECT_EQ(display.name, expected[i].name);
    EXPECT_EQ(display.monitorDescription, expected[i].monitor);
    EXPECT_EQ(display.primary, expected[i].primary);
    EXPECT_EQ(display.x, expected[i].x);
    EXPECT_EQ(display.y, 0);
    EXPECT_EQ(display.current.width, static_cast<uint32_t>(expected[i].width));
    EXPECT_EQ(display.current.height, static_cast<uint32_t>(expected[i].height));
    const machine::Adapter& adapter = desktop.adapters[i];
    EXPECT_EQ(adapter.display, static_cast<int>(i));
    auto lists = [&](uint32_t width, uint32_t height) {
      return std::any_of(adapter.modes.begin(), adapter.modes.end(),
                         [&](const machine::DisplayMode& m) { return m.width == width && m.height == height; });
    };
    EXPECT_TRUE(lists(display.current.width, display.current.height));
    // The monitor that shows the screen's output lists that output's mode; the one set by hand
    // lists the default adapter's modes.
    EXPECT_EQ(lists(1824, 768), i == 1);
    EXPECT_EQ(lists(1280, 1024), i == 0);
  }
  // Windows stand where the monitors are: the desktop's 0,0 is the right monitor's corner.
  HWND popup = Make(WS_POPUP | WS_VISIBLE, {-1024, 0, -1024 + 64, 48});
  ASSERT_NE(popup, nullptr);
  ::Display* viewer = XOpenDisplay(wide.display().c_str());
  ASSERT_NE(viewer, nullptr);
  std::swap(viewer, viewer_);
  EXPECT_NE(WindowAt(0, 0), 0u);
  std::swap(viewer, viewer_);
  XCloseDisplay(viewer);
  win32::ResetWindowing();
  win32::x11::SetDesktopOrigin(0, 0);
  setenv("DISPLAY", server_->display().c_str(), 1);
}

TEST_F(X11Test, GivenWindowIsDrawnInButNeverMovedDestroyedOrReadForInput) {
  const Window given = XCreateSimpleWindow(viewer_, DefaultRootWindow(viewer_), 40, 30, 160, 120, 0, 0, 0);
  XSelectInput(viewer_, given, KeyPressMask | ButtonPressMask);  // the manager's own input
  XMapWindow(viewer_, given);
  XSync(viewer_, False);
  win32::SetGivenWindow(given);
  const machine::Machine desktop = win32::DesktopMachine();  // its monitor is the given window
  EXPECT_EQ(desktop.displays.at(0).current.width, 160u);
  EXPECT_EQ(desktop.displays.at(0).current.height, 120u);
  HWND window = Make(WS_POPUP | WS_VISIBLE, {0, 0, 1024, 768}, nullptr, WS_EX_TOPMOST);
  ASSERT_NE(window, nullptr);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 160);  // the given window's size, not the one asked for
  EXPECT_EQ(client.bottom, 120);
  // A second popup (another monitor's) gets a window of its own.
  HWND second = Make(WS_POPUP | WS_VISIBLE, {200, 0, 264, 48});
  ASSERT_NE(second, nullptr);
  EXPECT_NE(WindowAt(200, 0), 0u);

  win32::Surface* surface = win32::WindowSurface(window);
  std::fill(surface->pixels.begin(), surface->pixels.end(), 0x3366CCu);
  win32::PresentWindow(window);
  EXPECT_EQ(ShownPixel(viewer_, given, 159, 119), 0x3366CCu);

  SetWindowPos(window, HWND_TOPMOST, 0, 0, 1024, 768, 0);
  XSync(viewer_, False);
  XWindowAttributes attributes{};
  ASSERT_TRUE(XGetWindowAttributes(viewer_, given, &attributes));
  EXPECT_EQ(attributes.width, 160);
  EXPECT_EQ(attributes.x, 40);

  // A key the manager gets, then a resize: once the resize is followed, the key would have come.
  XEvent key{};
  key.xkey.type = KeyPress;
  key.xkey.display = viewer_;
  key.xkey.keycode = XKeysymToKeycode(viewer_, XK_a);
  key.xkey.same_screen = True;
  Send(given, key, KeyPressMask);
  XResizeWindow(viewer_, given, 180, 130);
  XSync(viewer_, False);
  MSG message{};
  for (int attempt = 0; attempt < 500 && win32::FollowedSizeChanges(window) == 0; ++attempt) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    usleep(10'000);
  }
  EXPECT_EQ(win32::FollowedSizeChanges(window), 1u);
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 180);
  EXPECT_EQ(client.bottom, 130);
  ASSERT_EQ(Seen(WM_SIZE).size(), 1u);
  EXPECT_EQ(Seen(WM_SIZE)[0].lParam, MAKELPARAM(180, 130));
  EXPECT_TRUE(Seen(WM_KEYDOWN).empty());
  EXPECT_EQ(win32::FollowedSizeChanges(second), 0u);

  DestroyWindow(window);
  XSync(viewer_, False);
  EXPECT_TRUE(XGetWindowAttributes(viewer_, given, &attributes));
  XDestroyWindow(viewer_, given);
}

}  // namespace

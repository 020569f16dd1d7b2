#include "window_fixture.h"

#include "platform/win32/surface.h"

namespace {

constexpr DWORD kTestWindowStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

TEST_F(WindowTest, TestWindowAdjustedFromItsClientRectangleHasExactly600By400Pixels) {
  RECT rect{50, 50, 650, 450};
  ASSERT_TRUE(AdjustWindowRect(&rect, kTestWindowStyle, FALSE));
  EXPECT_LT(rect.top, 50);  // the caption lies above the client area
  HWND window = Make(kTestWindowStyle, rect);
  ASSERT_NE(window, nullptr);
  RECT client{};
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.left, 0);
  EXPECT_EQ(client.top, 0);
  EXPECT_EQ(client.right, 600);
  EXPECT_EQ(client.bottom, 400);
  const win32::Surface* surface = win32::WindowSurface(window);
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(surface->width, 600);
  EXPECT_EQ(surface->height, 400);
  EXPECT_EQ(surface->pixels.size(), 600u * 400u);

  // The client area starts at the corner the rectangle asked for.
  POINT corner{50, 50};
  ASSERT_TRUE(ScreenToClient(window, &corner));
  EXPECT_EQ(corner.x, 0);
  EXPECT_EQ(corner.y, 0);
}

TEST_F(WindowTest, AdjustWindowRectIsTheExactInverseOfTheClientAreaForEveryStyle) {
  const DWORD styles[] = {WS_POPUP | WS_VISIBLE, WS_CAPTION, WS_CAPTION | WS_THICKFRAME, WS_BORDER, WS_DLGFRAME,
                          WS_THICKFRAME, WS_POPUP | WS_BORDER};
  for (DWORD style : styles) {
    RECT rect{10, 20, 10 + 333, 20 + 222};
    ASSERT_TRUE(AdjustWindowRect(&rect, style, FALSE));
    HWND window = Make(style, rect);
    ASSERT_NE(window, nullptr);
    RECT client{};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right, 333) << std::hex << style;
    EXPECT_EQ(client.bottom, 222) << std::hex << style;
    POINT corner{10, 20};
    ScreenToClient(window, &corner);
    EXPECT_EQ(corner.x, 0) << std::hex << style;
    EXPECT_EQ(corner.y, 0) << std::hex << style;
  }
}

TEST_F(WindowTest, ChildAdjustedForWsChildFillsItsParentsClientArea) {
  HWND parent = Make(kTestWindowStyle, {100, 100, 500, 400});
  RECT area{};
  ASSERT_TRUE(GetClientRect(parent, &area));
  RECT rect = area;
  AdjustWindowRect(&rect, WS_CHILD | WS_VISIBLE, FALSE);
  EXPECT_EQ(rect.right, area.right);  // a child without border has no non-client area
  HWND child = Make(WS_CHILD | WS_VISIBLE, rect, parent);
  ASSERT_NE(child, nullptr);
  RECT client{};
  ASSERT_TRUE(GetClientRect(child, &client));
  EXPECT_EQ(client.right, area.right);
  EXPECT_EQ(client.bottom, area.bottom);

  // Screen coordinates of the parent's client corner are the child's (0, 0).
  POINT corner{0, 0};
  ScreenToClient(parent, &corner);
  POINT screen{-corner.x + 7, -corner.y + 9};
  ScreenToClient(child, &screen);
  EXPECT_EQ(screen.x, 7);
  EXPECT_EQ(screen.y, 9);
}

TEST_F(WindowTest, SetWindowPosMovesAndResizesTheWindowAndItsSurface) {
  HWND window = Make(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
  ASSERT_TRUE(SetWindowPos(window, HWND_TOPMOST, 1024, 0, 800, 600, SWP_NOACTIVATE));
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 800);
  EXPECT_EQ(client.bottom, 600);
  const win32::Surface* surface = win32::WindowSurface(window);
  EXPECT_EQ(surface->width, 800);
  EXPECT_EQ(surface->height, 600);
  POINT point{1030, 5};
  ScreenToClient(window, &point);
  EXPECT_EQ(point.x, 6);
  EXPECT_EQ(point.y, 5);
  EXPECT_FALSE(SetWindowPos(reinterpret_cast<HWND>(uintptr_t{4242}), HWND_TOPMOST, 0, 0, 1, 1, 0));
}

TEST_F(WindowTest, SizesBeyondAnyScreenAreCutInsteadOfExhaustingMemory) {
  HWND window = CreateWindowExW(0, kClass, u"", WS_POPUP, 0x7FFFFFF0, -5, 0x7FFFFFFF, 0x7FFFFFFF, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 16384);
  EXPECT_EQ(client.bottom, 16384);
  POINT origin{0, 0};
  ScreenToClient(window, &origin);
  EXPECT_LT(origin.x, 0);  // the far position stays far, without overflow
  // A side beyond what any device draws leaves the window without a surface at all.
  EXPECT_TRUE(SetWindowPos(window, nullptr, 0, 0, -20, 100000, 0));
  EXPECT_EQ(win32::WindowSurface(window)->width, 0);
  EXPECT_EQ(win32::WindowSurface(window)->height, 0);
}

}  // namespace

#include "window_fixture.h"

namespace {

TEST_F(WindowTest, DefaultProcedureSetsTheClassCursorAndSetCursorGivesThePreviousOne) {
  const HCURSOR arrow = reinterpret_cast<HCURSOR>(uintptr_t{0x7F00});
  WNDCLASSW withCursor{};
  withCursor.lpfnWndProc = DefWindowProcW;
  withCursor.hCursor = arrow;
  withCursor.lpszClassName = u"WithCursor";
  ASSERT_NE(RegisterClassW(&withCursor), 0);
  HWND window = CreateWindowExW(0, u"WithCursor", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  SetCursor(nullptr);
  EXPECT_EQ(SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
            TRUE);
  EXPECT_EQ(SetCursor(nullptr), arrow);  // the hidden cursor of a full-screen saver
  EXPECT_EQ(SetCursor(arrow), nullptr);
}

}  // namespace

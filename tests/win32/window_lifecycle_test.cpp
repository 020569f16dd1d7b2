#include "window_fixture.h"

#include <algorithm>

namespace {

HWND FromNumber(int32_t number) { return reinterpret_cast<HWND>(static_cast<intptr_t>(number)); }

TEST_F(WindowTest, ChildNeedsAParentTheStandInKnows) {
  HWND parent = Make(WS_POPUP | WS_VISIBLE, {0, 0, 320, 240});
  ASSERT_NE(parent, nullptr);
  // A handle read as a number from a command line names the same window.
  const auto number = static_cast<int32_t>(reinterpret_cast<intptr_t>(parent));
  HWND child = Make(WS_CHILD | WS_VISIBLE, {0, 0, 320, 240}, FromNumber(number));
  EXPECT_NE(child, nullptr);
  EXPECT_TRUE(IsWindow(child));

  EXPECT_EQ(Make(WS_CHILD | WS_VISIBLE, {0, 0, 10, 10}, FromNumber(1234)), nullptr);
  EXPECT_EQ(Make(WS_CHILD | WS_VISIBLE, {0, 0, 10, 10}, nullptr), nullptr);
  EXPECT_EQ(Make(WS_POPUP, {0, 0, 10, 10}, FromNumber(1234)), nullptr);  // an owner that does not exist
  EXPECT_FALSE(IsWindow(FromNumber(1234)));
  EXPECT_EQ(CreateWindowExW(0, u"NoSuchClass", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(WindowTest, ClassNamesAreCaseInsensitiveAndRegisterOnce) {
  WNDCLASSW again{};
  again.lpfnWndProc = DefWindowProcW;
  again.lpszClassName = u"recordingwindow";
  EXPECT_EQ(RegisterClassW(&again), 0);
  EXPECT_NE(CreateWindowExW(0, u"RECORDINGWINDOW", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
            nullptr);
}

TEST_F(WindowTest, CreationParameterArrivesWithWmCreateAndMinusOneRefusesTheWindow) {
  int object = 0;
  HWND window = Make(WS_POPUP, {0, 0, 10, 10}, nullptr, 0, &object);
  ASSERT_NE(window, nullptr);
  const auto created = Seen(WM_CREATE);
  ASSERT_EQ(created.size(), 1u);
  EXPECT_EQ(created[0].window, window);
  handler() = [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_CREATE) return -1;
    return std::nullopt;
  };
  EXPECT_EQ(Make(WS_POPUP, {0, 0, 10, 10}), nullptr);
}

TEST_F(WindowTest, DestroyWindowDestroysOwnedWindowsFirstAndSendsWmDestroyToParentBeforeChildren) {
  HWND main = Make(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100}, nullptr, WS_EX_TOPMOST);
  HWND owned = Make(WS_POPUP | WS_VISIBLE, {100, 0, 200, 100}, main, WS_EX_TOPMOST);
  HWND child = Make(WS_CHILD | WS_VISIBLE, {0, 0, 50, 50}, main);
  HWND grandchild = Make(WS_CHILD | WS_VISIBLE, {0, 0, 10, 10}, child);
  ASSERT_TRUE(owned && child && grandchild);
  bool childAliveDuringParentsDestroy = false;
  handler() = [&](HWND window, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_DESTROY && window == main) childAliveDuringParentsDestroy = IsWindow(child) != FALSE;
    return std::nullopt;
  };
  PostMessageW(child, WM_USER, 0, 0);
  SetTimer(grandchild, 1, 100, nullptr);

  ASSERT_TRUE(DestroyWindow(main));
  std::vector<HWND> order;
  for (const auto& message : Seen(WM_DESTROY)) order.push_back(message.window);
  EXPECT_EQ(order, (std::vector<HWND>{owned, main, child, grandchild}));
  EXPECT_TRUE(childAliveDuringParentsDestroy);
  for (HWND window : {main, owned, child, grandchild}) EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(DestroyWindow(main));

  // Nothing of the destroyed windows stays queued: no posted message, no timer.
  MSG message{};
  EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  Sleep(1000);
  EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, ClosingACaptionedWindowThroughTheDefaultProcedureDestroysIt) {
  for (UINT close : {UINT{WM_CLOSE}, UINT{WM_SYSCOMMAND}}) {
    seen().clear();
    HWND window = Make(WS_VISIBLE | WS_CAPTION | WS_SYSMENU, {0, 0, 200, 100});
    SendMessageW(window, close, close == WM_SYSCOMMAND ? SC_CLOSE : 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Seen(WM_DESTROY).size(), 1u);
  }
  // Other system commands leave the window alone.
  HWND window = Make(WS_VISIBLE | WS_CAPTION | WS_SYSMENU, {0, 0, 200, 100});
  SendMessageW(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
  EXPECT_TRUE(IsWindow(window));
}

TEST_F(WindowTest, DestroyingWhileHandlingWmDestroyDoesNotRecurse) {
  HWND window = Make(WS_POPUP, {0, 0, 10, 10});
  handler() = [](HWND self, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_DESTROY) {
      EXPECT_FALSE(DestroyWindow(self));
    }
    return std::nullopt;
  };
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_EQ(Seen(WM_DESTROY).size(), 1u);
}

}  // namespace

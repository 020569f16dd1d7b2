#include "window_fixture.h"

#include <thread>

namespace {

TEST_F(WindowTest, PostedMessagesComeInOrderThenQuitEvenThroughAWindowFilter) {
  HWND window = Make(WS_POPUP, {0, 0, 10, 10});
  PostMessageW(window, WM_USER, 1, 0);
  PostMessageW(window, WM_USER + 1, 2, 0);
  PostQuitMessage(7);
  PostQuitMessage(7);  // several requests still give one WM_QUIT
  MSG message{};
  ASSERT_EQ(GetMessageW(&message, window, 0, 0), TRUE);
  EXPECT_EQ(message.message, static_cast<UINT>(WM_USER));
  EXPECT_EQ(message.hwnd, window);
  ASSERT_EQ(GetMessageW(&message, window, 0, 0), TRUE);
  EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 1));
  EXPECT_EQ(GetMessageW(&message, window, 0, 0), FALSE);
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 7u);
  EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, PeekWithoutRemoveLeavesTheMessageQueued) {
  HWND window = Make(WS_POPUP, {0, 0, 10, 10});
  PostMessageW(window, WM_APP, 5, 6);
  MSG message{};
  ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
  ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_APP));
  EXPECT_EQ(message.lParam, 6);
  EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  // A thread message (no window) and a window that does not exist.
  EXPECT_TRUE(PostMessageW(nullptr, WM_USER, 0, 0));
  EXPECT_FALSE(PostMessageW(reinterpret_cast<HWND>(uintptr_t{77}), WM_USER, 0, 0));
  ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.hwnd, nullptr);
}

TEST_F(WindowTest, DispatchCallsTheWindowsProcedureAndSendMessageReturnsItsAnswer) {
  HWND window = Make(WS_POPUP, {0, 0, 10, 10});
  handler() = [](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_USER) return static_cast<LRESULT>(wParam * 2);
    return std::nullopt;
  };
  EXPECT_EQ(SendMessageW(window, WM_USER, 21, 0), 42);
  PostMessageW(window, WM_USER, 4, 0);
  MSG message{};
  ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  TranslateMessage(&message);
  EXPECT_EQ(DispatchMessageW(&message), 8);
  MSG stale{reinterpret_cast<HWND>(uintptr_t{99}), WM_USER, 1, 0, 0, {}};
  EXPECT_EQ(DispatchMessageW(&stale), 0);
}

TEST_F(WindowTest, TimerFiresOnTheVirtualClockOncePerIntervalUntilKilled) {
  HWND window = Make(WS_POPUP, {0, 0, 10, 10});
  ASSERT_NE(SetTimer(window, 1, 500, nullptr), 0u);
  MSG message{};
  Sleep(499);
  EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  Sleep(1);
  ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(message.wParam, 1u);
  EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));  // rearmed for another 500 ms

  // Waiting for the next one moves virtual time on to exactly when it falls due.
  const DWORD before = timeGetTime();
  ASSERT_EQ(GetMessageW(&message, window, 0, 0), TRUE);
  EXPECT_EQ(message.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(timeGetTime() - before, 500u);

  EXPECT_TRUE(KillTimer(window, 1));
  EXPECT_FALSE(KillTimer(window, 1));
  Sleep(5000);
  EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, PostedMessagesGoBeforeDueTimers) {
  HWND window = Make(WS_POPUP, {0, 0, 10, 10});
  SetTimer(window, 3, 10, nullptr);
  Sleep(20);
  PostMessageW(window, WM_USER, 0, 0);
  MSG message{};
  ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_USER));
  ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_TIMER));
}

// The preview start-up wait: WM_USER starts a 500 ms timer whose WM_TIMER ends the wait.
TEST_F(WindowTest, WaitLoopOnAWindowEndsByItsTimerAfterHalfASecond) {
  HWND window = Make(WS_CHILD | WS_VISIBLE, {0, 0, 10, 10}, Make(WS_POPUP, {0, 0, 10, 10}));
  bool waiting = true;
  handler() = [&](HWND self, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_USER) SetTimer(self, 1, 500, nullptr);
    if (message == WM_TIMER) {
      waiting = false;
      KillTimer(self, 1);
    }
    return std::nullopt;
  };
  const DWORD start = timeGetTime();
  PostMessageW(window, WM_USER, 0, 0);
  MSG message{};
  while (waiting) {
    ASSERT_EQ(GetMessageW(&message, window, 0, 0), TRUE);
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  EXPECT_EQ(timeGetTime() - start, 500u);
}

TEST_F(WindowTest, GetMessageFailsInsteadOfWaitingForever) {
  MSG message{};
  // Nothing queued and no timer: on virtual time nothing could ever arrive.
  EXPECT_EQ(GetMessageW(&message, nullptr, 0, 0), -1);
  // A window filter that names no window.
  HWND window = Make(WS_POPUP, {0, 0, 10, 10});
  DestroyWindow(window);
  PostQuitMessage(0);
  EXPECT_EQ(GetMessageW(&message, window, 0, 0), -1);
}

TEST_F(WindowTest, MessagesPostedFromAnotherThreadReachTheWindowsThread) {
  HWND window = Make(WS_POPUP, {0, 0, 10, 10});
  std::thread([window] { PostMessageW(window, WM_APP, 9, 0); }).join();
  MSG message{};
  ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_APP));
  EXPECT_EQ(message.wParam, 9u);
}

}  // namespace

namespace {

TEST_F(WindowTest, GetMessageOnRealTimeWaitsUntilAnotherThreadPosts) {
  machine::clock::UseReal();
  HWND window = Make(WS_POPUP, {0, 0, 10, 10});
  std::thread poster([window] {
    Sleep(20);
    PostMessageW(window, WM_APP + 1, 0, 0);
  });
  MSG message{};
  EXPECT_EQ(GetMessageW(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(message.message, static_cast<UINT>(WM_APP + 1));
  poster.join();
}

}  // namespace

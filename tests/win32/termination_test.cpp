// SIGTERM, SIGINT and the other catchable endings: the program is deactivated and its windows closed
// by its own message loop, however often the signal comes.
#include "window_fixture.h"

#include <signal.h>

#include <chrono>
#include <thread>

#include "platform/win32/termination.h"

namespace {

class TerminationTest : public WindowTest, public ::testing::WithParamInterface<int> {
 protected:
  static void DispatchAll() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }

  static bool Disposition(int signal, void (*handler)(int)) {
    struct sigaction current{};
    sigaction(signal, nullptr, &current);
    return current.sa_handler == handler;
  }

  // Puts back the default action, so that the handler of one case does not outlive it.
  void TearDown() override {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM, SIGXCPU}) {
      ::signal(signal, SIG_DFL);
    }
    WindowTest::TearDown();
  }
};

TEST_P(TerminationTest, SignalDeactivatesAndClosesEveryTopLevelWindowOnce) {
  const int signal = GetParam();
  HWND captioned = Make(WS_VISIBLE | WS_CAPTION | WS_SYSMENU, {50, 50, 650, 450});
  HWND popup = Make(WS_POPUP | WS_VISIBLE, {0, 0, 1024, 768});
  HWND child = Make(WS_CHILD | WS_VISIBLE, {0, 0, 10, 10}, popup);
  ASSERT_NE(child, nullptr);
  win32::HandleTerminationSignals();
  raise(signal);
  // The handler did nothing but note the request; a repeated signal is the same request, not a
  // sudden end that would leave the run's files behind.
  raise(signal);
  EXPECT_FALSE(Disposition(signal, SIG_DFL));
  EXPECT_TRUE(Seen(WM_ACTIVATEAPP).empty());
  DispatchAll();

  const auto activations = Seen(WM_ACTIVATEAPP);
  ASSERT_EQ(activations.size(), 2u);
  for (const SeenMessage& seen : activations) EXPECT_EQ(seen.wParam, WPARAM{FALSE});
  EXPECT_EQ(Seen(WM_CLOSE).size(), 2u);
  EXPECT_FALSE(IsWindow(captioned));
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_EQ(Seen(WM_DESTROY).size(), 3u);  // the child with its parent
  // Deactivation comes before any close, so a window that ends the run on it still exists then.
  std::vector<UINT> order;
  for (const SeenMessage& seen : seen()) {
    if (seen.message == WM_ACTIVATEAPP || seen.message == WM_CLOSE) order.push_back(seen.message);
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_ACTIVATEAPP, WM_ACTIVATEAPP, WM_CLOSE, WM_CLOSE}));

  // Carried out once: later windows live on.
  HWND later = Make(WS_POPUP | WS_VISIBLE, {0, 0, 10, 10});
  DispatchAll();
  EXPECT_TRUE(IsWindow(later));
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationTest,
                         ::testing::Values(SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM, SIGXCPU),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string(sigabbrev_np(info.param));
                         });

TEST_F(TerminationTest, RequestBeforeAnyWindowWaitsForOne) {
  win32::RequestTermination();
  DispatchAll();
  HWND window = Make(WS_VISIBLE | WS_CAPTION, {0, 0, 100, 100});
  DispatchAll();
  EXPECT_EQ(Seen(WM_ACTIVATEAPP).size(), 1u);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(TerminationTest, SignalWakesAWaitWithNothingQueued) {
  // Real time without a display: the wait has no timer and no X11 connection to wake it.
  machine::clock::UseReal();
  HWND window = Make(WS_VISIBLE | WS_CAPTION, {0, 0, 100, 100});
  DispatchAll();
  win32::HandleTerminationSignals();
  std::thread signaller([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    raise(SIGTERM);
  });
  MSG message{};
  const BOOL got = GetMessageW(&message, nullptr, 0, 0);
  signaller.join();
  EXPECT_EQ(got, TRUE);
  EXPECT_EQ(message.message, UINT{WM_ACTIVATEAPP});
  EXPECT_EQ(message.hwnd, window);
}

TEST_F(TerminationTest, WaitForAWindowThatClosesOnTheSignalEnds) {
  // The preview's start-up wait takes messages of its window only, with a timer running.
  HWND window = Make(WS_VISIBLE | WS_CAPTION, {0, 0, 100, 100});
  DispatchAll();
  SetTimer(window, 1, 500, nullptr);
  win32::RequestTermination();
  MSG message{};
  int taken = 0;
  while (GetMessageW(&message, window, 0, 0) > 0 && ++taken < 10) DispatchMessageW(&message);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_LT(taken, 10);
}

}  // namespace

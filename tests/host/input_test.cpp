// What ends a run, and what is swallowed or ignored, by mode.
#include <ostream>
#include <stdexcept>
#include <string>

#include "tests/host/host_fixture.h"

namespace {

struct EndingInput {
  const char* name;
  const char16_t* commandLine;
  UINT message;
  WPARAM wParam;
  bool ends;
};

void PrintTo(const EndingInput& c, std::ostream* os) { *os << c.name; }

class EndingInputTest : public HostTest, public ::testing::WithParamInterface<EndingInput> {};

// The message is sent on the third frame; a run that it does not end stops after 30 turns.
TEST_P(EndingInputTest, EndsTheRunOrNot) {
  const EndingInput& c = GetParam();
  HostProbe saver;
  saver.maxTurns = 30;
  saver.onRender = [&](HostProbe& s, int frame, UINT) {
    if (frame == 3) PostMessageW(s.m_mainWindow, c.message, c.wParam, 0);
  };
  saver.Start(c.commandLine);
  EXPECT_EQ(saver.stoppedBySafety, !c.ends);
  EXPECT_GE(saver.frames, 3);
  EXPECT_FALSE(win32::ScreenSaverRunning());
}

INSTANTIATE_TEST_SUITE_P(
    Messages, EndingInputTest,
    ::testing::Values(EndingInput{"FullScreenKey", u"s /s", WM_KEYDOWN, 'Q', true},
                      EndingInput{"FullScreenLeftButton", u"s /s", WM_LBUTTONDOWN, 0, true},
                      EndingInput{"FullScreenRightButton", u"s /s", WM_RBUTTONDOWN, 0, true},
                      EndingInput{"FullScreenMiddleButton", u"s /s", WM_MBUTTONDOWN, 0, true},
                      EndingInput{"FullScreenDeactivated", u"s /s", WM_ACTIVATEAPP, FALSE, true},
                      EndingInput{"FullScreenActivated", u"s /s", WM_ACTIVATEAPP, TRUE, false},
                      EndingInput{"FullScreenSuspend", u"s /s", WM_POWERBROADCAST, PBT_APMSUSPEND, true},
                      EndingInput{"FullScreenOtherPowerEvent", u"s /s", WM_POWERBROADCAST, 7, false},
                      EndingInput{"FullScreenClose", u"s /s", WM_SYSCOMMAND, SC_CLOSE, false},
                      EndingInput{"FullScreenCloseLowBits", u"s /s", WM_SYSCOMMAND, SC_CLOSE | 0x2, false},
                      EndingInput{"FullScreenNextWindow", u"s /s", WM_SYSCOMMAND, SC_NEXTWINDOW, false},
                      EndingInput{"FullScreenPreviousWindow", u"s /s", WM_SYSCOMMAND, SC_PREVWINDOW, false},
                      EndingInput{"FullScreenStartSaver", u"s /s", WM_SYSCOMMAND, SC_SCREENSAVE, false},
                      EndingInput{"FullScreenMusicEvent", u"s /s", WM_APP, 0, false},
                      EndingInput{"TestWindowKey", u"s /t", WM_KEYDOWN, 'Q', false},
                      EndingInput{"TestWindowButton", u"s /t", WM_LBUTTONDOWN, 0, false},
                      EndingInput{"TestWindowDeactivated", u"s /t", WM_ACTIVATEAPP, FALSE, false},
                      EndingInput{"TestWindowSuspend", u"s /t", WM_POWERBROADCAST, PBT_APMSUSPEND, true},
                      EndingInput{"TestWindowClose", u"s /t", WM_SYSCOMMAND, SC_CLOSE, true}),
    [](const ::testing::TestParamInfo<EndingInput>& info) { return std::string(info.param.name); });

LPARAM At(int x, int y) { return (LPARAM)MAKELONG(x, y); }

TEST_F(HostTest, TheSixthMouseMoveToANewPlaceEndsFullScreen) {
  HostProbe saver;
  saver.maxTurns = 40;
  int movesSent = 0;
  saver.onRender = [&](HostProbe& s, int frame, UINT) {
    if (frame < 2) return;
    if (frame == 2) {
      // A first position, then the same place again: one movement.
      PostMessageW(s.m_mainWindow, WM_MOUSEMOVE, 0, At(10, 10));
      PostMessageW(s.m_mainWindow, WM_MOUSEMOVE, 0, At(10, 10));
      movesSent = 1;
    } else if (movesSent < 6) {
      EXPECT_EQ(s.m_mouseMoveCount, (UINT)movesSent);
      ++movesSent;
      // Negative coordinates count as positions of their own.
      PostMessageW(s.m_mainWindow, WM_MOUSEMOVE, 0, At(-movesSent, 10));
    }
  };
  saver.Start(u"s /s");
  EXPECT_EQ(movesSent, 6);
  EXPECT_FALSE(saver.stoppedBySafety);
}

TEST_F(HostTest, FiveMouseMovesDoNotEndFullScreen) {
  HostProbe saver;
  saver.maxTurns = 30;
  saver.onRender = [&](HostProbe& s, int frame, UINT) {
    if (frame >= 2 && frame <= 6) PostMessageW(s.m_mainWindow, WM_MOUSEMOVE, 0, At(frame * 3, 1));
  };
  saver.Start(u"s /s");
  EXPECT_TRUE(saver.stoppedBySafety);
  EXPECT_EQ(saver.m_mouseMoveCount, 5u);
}

TEST_F(HostTest, MouseMovesNeverEndTheTestWindow) {
  HostProbe saver;
  saver.maxTurns = 30;
  saver.onRender = [&](HostProbe& s, int frame, UINT) {
    PostMessageW(s.m_mainWindow, WM_MOUSEMOVE, 0, At(frame, frame));
  };
  saver.Start(u"s /t");
  EXPECT_TRUE(saver.stoppedBySafety);
}

class GraphEventProbe : public HostProbe {
 public:
  void OnGraphEvent(LONG event) override { events.push_back(event); }
  std::vector<LONG> events;
};

TEST_F(HostTest, AMusicEventWithoutAPlayerPassesNoEvent) {
  GraphEventProbe saver;
  saver.maxTurns = 10;
  saver.onRender = [&](HostProbe& s, int frame, UINT) {
    if (frame == 1) PostMessageW(s.m_mainWindow, WM_APP, 0, 0);
  };
  saver.Start(u"s /t");
  EXPECT_EQ(saver.events, std::vector<LONG>{-1});
}

class ThrowingProbe : public HostProbe {
 public:
  static constexpr UINT kThrows = WM_USER + 5;
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kThrows) throw std::runtime_error("handler failed");
    return HostProbe::HandleMessage(window, message, wParam, lParam);
  }
};

TEST_F(HostTest, AnExceptionInTheMessageHandlingAnswersOne) {
  ThrowingProbe saver;
  saver.maxTurns = 10;
  LRESULT answer = 0;
  saver.onRender = [&](HostProbe& s, int frame, UINT) {
    if (frame == 1) answer = SendMessageW(s.m_mainWindow, ThrowingProbe::kThrows, 0, 0);
  };
  saver.Start(u"s /t");
  EXPECT_EQ(answer, 1);
  EXPECT_GE(saver.frames, 5) << "the run goes on";
}

TEST_F(HostTest, FullScreenHidesTheCursorAndAnswersEraseItself) {
  HostProbe saver;
  saver.maxTurns = 10;
  LRESULT setCursor = 0, erase = 0;
  saver.onRender = [&](HostProbe& s, int frame, UINT) {
    if (frame != 1) return;
    setCursor = SendMessageW(s.m_mainWindow, WM_SETCURSOR, (WPARAM)s.m_mainWindow, 0);
    erase = SendMessageW(s.m_mainWindow, WM_ERASEBKGND, 0, 0);
  };
  saver.Start(u"s /s");
  EXPECT_EQ(setCursor, TRUE);
  EXPECT_EQ(erase, TRUE);
}

}  // namespace

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/machine/clock.h"

namespace {

class ClockTest : public ::testing::Test {
 protected:
  void SetUp() override { machine::clock::UseVirtual(); }
  void TearDown() override { machine::clock::UseReal(); }
};

TEST_F(ClockTest, EveryClockCallMovesExactlyWithSleepOnVirtualTime) {
  LARGE_INTEGER frequency{};
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  LARGE_INTEGER start{};
  LARGE_INTEGER end{};
  QueryPerformanceCounter(&start);
  const DWORD milliseconds = timeGetTime();
  EXPECT_NE(milliseconds, 0u);  // the machine has been up for a while
  QueryPerformanceCounter(&end);
  EXPECT_EQ(end.QuadPart, start.QuadPart);  // virtual time stands still
  Sleep(30);
  QueryPerformanceCounter(&end);
  EXPECT_EQ(end.QuadPart - start.QuadPart, frequency.QuadPart * 30 / 1000);
  EXPECT_EQ(timeGetTime() - milliseconds, 30u);
  machine::clock::Advance(1'500'000'000);
  EXPECT_EQ(timeGetTime() - milliseconds, 1530u);
}

TEST_F(ClockTest, VirtualLocalTimeStartsAtTheTurnOfTheCenturyAndFollowsTheClock) {
  SYSTEMTIME time{};
  GetLocalTime(&time);
  EXPECT_EQ(time.wYear, 2000);
  EXPECT_EQ(time.wMonth, 1);
  EXPECT_EQ(time.wDay, 1);
  EXPECT_EQ(time.wDayOfWeek, 6);  // a Saturday
  EXPECT_EQ(time.wHour, 0);
  Sleep(((25 * 60 + 1) * 60 + 2) * 1000 + 345);  // one day, one hour, one minute, 2.345 s
  GetLocalTime(&time);
  EXPECT_EQ(time.wDay, 2);
  EXPECT_EQ(time.wDayOfWeek, 0);
  EXPECT_EQ(time.wHour, 1);
  EXPECT_EQ(time.wMinute, 1);
  EXPECT_EQ(time.wSecond, 2);
  EXPECT_EQ(time.wMilliseconds, 345);
}

TEST_F(ClockTest, SwitchingToVirtualTimeStartsOverAndRealTimeNeverGoesBack) {
  Sleep(1000);
  machine::clock::UseVirtual();
  const int64_t start = machine::clock::Now();
  Sleep(1000);
  machine::clock::UseVirtual();
  EXPECT_EQ(machine::clock::Now(), start);
  machine::clock::UseReal();
  LARGE_INTEGER first{};
  LARGE_INTEGER second{};
  QueryPerformanceCounter(&first);
  Sleep(1);
  QueryPerformanceCounter(&second);
  EXPECT_GT(second.QuadPart, first.QuadPart);
}

}  // namespace

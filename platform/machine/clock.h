// The machine's one clock. QueryPerformanceCounter, timeGetTime, Sleep, the window timers and the
// local time all read it, so a test that switches it to virtual time controls every one of them:
// virtual time stands still until Sleep, a message wait for a timer, or Advance moves it.
#pragma once
#include <cstdint>

namespace machine::clock {

// Nanoseconds since the machine started (monotonic).
int64_t Now();

// Real: the calling thread sleeps. Virtual: the clock moves on by that much at once.
void SleepFor(int64_t nanoseconds);

// Virtual only: moves the clock on (a negative or zero amount does nothing). Real time ignores it.
void Advance(int64_t nanoseconds);

// Virtual time starts one minute after the machine started, on Saturday 2000-01-01 00:00:00.000
// local time, whatever the time zone, so that tests see the same times everywhere.
void UseVirtual();
void UseReal();
bool IsVirtual();

struct LocalTime {
  int year;
  int month;      // 1 to 12
  int dayOfWeek;  // 0 = Sunday
  int day;        // 1 to 31
  int hour;
  int minute;
  int second;
  int milliseconds;
};
LocalTime Local();

}  // namespace machine::clock

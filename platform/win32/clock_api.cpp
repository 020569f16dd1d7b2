// The Windows clock calls, all on the machine's one clock.
#include <windows.h>

#include "platform/machine/clock.h"

namespace {

// Counter ticks of 100 ns, the frequency Windows reports on current machines.
constexpr LONGLONG kCounterFrequency = 10'000'000;

}  // namespace

void WINAPI Sleep(DWORD milliseconds) {
  // INFINITE would never return on virtual time and only hang a test on real time.
  if (milliseconds == INFINITE) return;
  machine::clock::SleepFor(int64_t{milliseconds} * 1'000'000);
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (frequency == nullptr) return FALSE;
  frequency->QuadPart = kCounterFrequency;
  return TRUE;
}

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (count == nullptr) return FALSE;
  count->QuadPart = machine::clock::Now() / (1'000'000'000 / kCounterFrequency);
  return TRUE;
}

DWORD WINAPI timeGetTime() { return static_cast<DWORD>(machine::clock::Now() / 1'000'000); }

void WINAPI GetLocalTime(LPSYSTEMTIME time) {
  if (time == nullptr) return;
  const machine::clock::LocalTime now = machine::clock::Local();
  time->wYear = static_cast<WORD>(now.year);
  time->wMonth = static_cast<WORD>(now.month);
  time->wDayOfWeek = static_cast<WORD>(now.dayOfWeek);
  time->wDay = static_cast<WORD>(now.day);
  time->wHour = static_cast<WORD>(now.hour);
  time->wMinute = static_cast<WORD>(now.minute);
  time->wSecond = static_cast<WORD>(now.second);
  time->wMilliseconds = static_cast<WORD>(now.milliseconds);
}

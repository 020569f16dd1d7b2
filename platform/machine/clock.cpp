#include "platform/machine/clock.h"

#include <atomic>
#include <ctime>

namespace machine::clock {

namespace {

constexpr int64_t kNanosecondsPerSecond = 1'000'000'000;
constexpr int64_t kVirtualStart = 60 * kNanosecondsPerSecond;
constexpr time_t kVirtualEpoch = 946684800;  // 2000-01-01 00:00:00

std::atomic<bool> g_virtual{false};
std::atomic<int64_t> g_virtualNow{kVirtualStart};

int64_t Read(clockid_t id) {
  timespec now{};
  clock_gettime(id, &now);
  return int64_t{now.tv_sec} * kNanosecondsPerSecond + now.tv_nsec;
}

}  // namespace

int64_t Now() { return g_virtual ? g_virtualNow.load() : Read(CLOCK_MONOTONIC); }

void SleepFor(int64_t nanoseconds) {
  if (nanoseconds <= 0) return;
  if (g_virtual) {
    Advance(nanoseconds);
    return;
  }
  timespec wait{static_cast<time_t>(nanoseconds / kNanosecondsPerSecond),
                static_cast<long>(nanoseconds % kNanosecondsPerSecond)};
  while (nanosleep(&wait, &wait) != 0) {
  }
}

void Advance(int64_t nanoseconds) {
  if (g_virtual && nanoseconds > 0) g_virtualNow += nanoseconds;
}

void UseVirtual() {
  g_virtualNow = kVirtualStart;
  g_virtual = true;
}

void UseReal() { g_virtual = false; }

bool IsVirtual() { return g_virtual; }

LocalTime Local() {
  time_t seconds = 0;
  int64_t nanoseconds = 0;
  std::tm parts{};
  if (g_virtual) {
    const int64_t elapsed = g_virtualNow.load() - kVirtualStart;
    seconds = kVirtualEpoch + static_cast<time_t>(elapsed / kNanosecondsPerSecond);
    nanoseconds = elapsed % kNanosecondsPerSecond;
    gmtime_r(&seconds, &parts);
  } else {
    const int64_t now = Read(CLOCK_REALTIME);
    seconds = static_cast<time_t>(now / kNanosecondsPerSecond);
    nanoseconds = now % kNanosecondsPerSecond;
    localtime_r(&seconds, &parts);
  }
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_wday, parts.tm_mday,
          parts.tm_hour,        parts.tm_min,     parts.tm_sec,  static_cast<int>(nanoseconds / 1'000'000)};
}

}  // namespace machine::clock

// Seconds since the main loop started, from the performance counter, or from timeGetTime where the
// machine has no counter.
#pragma once
#include <windows.h>

class Stopwatch {
 public:
  void Start();
  // Seconds since Start.
  double SinceStart();
  // Seconds since the previous call (or since Start).
  double SincePrevious();
  // The raw reading in ticks of Frequency().
  LONGLONG Now();
  LONGLONG Frequency();

 private:
  bool m_asked = false;
  bool m_hasCounter = false;
  LONGLONG m_frequency = 1000;
  LONGLONG m_start = 0;
  LONGLONG m_previous = 0;
};

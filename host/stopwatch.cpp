#include "host/stopwatch.h"

#include <mmsystem.h>

LONGLONG Stopwatch::Frequency() {
  if (!m_asked) {
    m_asked = true;
    LARGE_INTEGER frequency = {};
    m_hasCounter = QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0;
    m_frequency = m_hasCounter ? frequency.QuadPart : 1000;
  }
  return m_frequency;
}

LONGLONG Stopwatch::Now() {
  Frequency();
  if (m_hasCounter) {
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
  }
  // Milliseconds, the resolution of timeGetTime.
  return (LONGLONG)timeGetTime();
}

void Stopwatch::Start() {
  m_start = Now();
  m_previous = m_start;
}

double Stopwatch::SinceStart() { return (double)(Now() - m_start) / (double)Frequency(); }

double Stopwatch::SincePrevious() {
  LONGLONG now = Now();
  double seconds = (double)(now - m_previous) / (double)Frequency();
  m_previous = now;
  return seconds;
}

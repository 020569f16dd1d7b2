#include "platform/win32/system_parameters.h"

#include <atomic>

#include <windows.h>

namespace {

std::atomic<bool> g_screenSaverRunning{false};

}  // namespace

namespace win32 {

bool ScreenSaverRunning() { return g_screenSaverRunning; }

}  // namespace win32

BOOL WINAPI SystemParametersInfoW(UINT action, UINT uiParam, PVOID pvParam, UINT) {
  if (action != SPI_SETSCREENSAVERRUNNING) return FALSE;
  const bool previous = g_screenSaverRunning.exchange(uiParam != 0);
  if (pvParam != nullptr) *static_cast<BOOL*>(pvParam) = previous ? TRUE : FALSE;
  return TRUE;
}

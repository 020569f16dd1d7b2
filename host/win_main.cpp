#include "host/win_main.h"

#include "host/moire_screensaver.h"

HINSTANCE g_Instance = nullptr;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  g_Instance = instance;
  CMoireScreensaver screensaver;
  HRESULT hr = screensaver.Create(instance);
  if (FAILED(hr)) {
    screensaver.ShowErrorMessage(hr);
    return 1;
  }
  // 0 for a run that ended as asked, 1 for one that failed.
  return FAILED(screensaver.Run()) ? 1 : 0;
}

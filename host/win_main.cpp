#include "host/win_main.h"

#include "host/moire_screensaver.h"

HINSTANCE g_Instance = nullptr;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  g_Instance = instance;
  CMoireScreensaver screensaver;
  HRESULT hr = screensaver.Create(instance);
  if (FAILED(hr)) {
    screensaver.ShowErrorMessage(hr);
    return 0;
  }
  return (int)screensaver.Run();
}

// The sound device that plays the scene's sound effects. Until it exists, there is no device and
// the scene plays silently.
#pragma once
#include <windows.h>

struct SoundDevice {
  // Opens the device for `window` once; false when there is none.
  static bool Init(HWND window);
  // The primary buffer's volume in hundredths of a decibel (-10000 to 0), when the buffer exists.
  static void SetPrimaryVolume(LONG volume);
  // Stops the primary buffer, when it exists.
  static void StopPrimary();
};

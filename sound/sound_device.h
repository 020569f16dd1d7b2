// The sound device that plays the scene's sound effects: made once for the process, with the main
// window and the normal cooperative level, and a primary buffer that plays looping and whose volume
// the host sets from the sound settings. Until it exists the scene plays silently.
#pragma once
#include <windows.h>

#include <dsound.h>

struct SoundDevice {
  // Opens the device for `window` once; true when it exists and its primary buffer plays.
  static bool Init(HWND window);
  // The primary buffer's volume in hundredths of a decibel (-10000 to 0), when the buffer exists.
  static void SetPrimaryVolume(LONG volume);
  // Stops the primary buffer, when it exists.
  static void StopPrimary();

  static IDirectSound8* device;         // null until Init succeeds
  static IDirectSoundBuffer* primary;   // the device's primary buffer
  static DWORD bufferFlags;             // part of the flags of every buffer the system makes
  // True while a monitor scene makes effects that another scene plays: they get no buffer and keep
  // time silently, so that the process plays one set of effects however many monitors show them.
  static bool effectsElsewhere;
};

// The one system parameter the stand-in keeps: whether a screen saver runs, as the last
// SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING) set it. Tests read it; it starts false.
#pragma once

namespace win32 {

bool ScreenSaverRunning();

}  // namespace win32

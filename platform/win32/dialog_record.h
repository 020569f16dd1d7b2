// What the stand-in keeps for each open dialog besides its window: the procedure and its result,
// the dialog font, the keyboard focus and mouse capture among its controls, and its last picture.
#pragma once
#include <cstdint>

#include <windows.h>

#include "platform/win32/controls.h"
#include "platform/win32/surface.h"

namespace win32::controls {

struct DialogRecord {
  DLGPROC procedure = nullptr;
  bool ended = false;
  INT_PTR result = 0;
  int fontPixels = 0;    // the em of the template's font in pixels
  HWND focus = nullptr;  // the control that has the keyboard while the dialog is active
  HWND capture = nullptr;  // the control a pressed mouse button belongs to until it is released
  bool shift = false;      // Shift is held (Shift+Tab goes backwards)
  bool changed = false;    // the picture must be shown again
  Surface shown;           // the picture last shown and written
  uint64_t frames = 0;     // pictures written so far
};

StateOf<DialogRecord>& Dialogs();

// Whether the window is an open dialog of the stand-in.
bool IsDialog(HWND window);

// The dialog's picture (its surface with its controls and any open list) shown on its X11 window
// and, with COPPERLEAF_FRAMES, written when it differs from the last one.
void PresentDialog(HWND dialog);
// Presents every dialog whose picture changed since it was last shown.
void PresentChangedDialogs();

// The keyboard and mouse as a dialog takes them: true when the message was used.
bool DialogInput(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Puts the dialog where it shows (centred on its owner, or on the primary monitor) and, with a
// display, gives it an X11 window of its own with the template's title and a close box.
void PlaceDialog(HWND dialog);

}  // namespace win32::controls

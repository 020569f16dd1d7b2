// How a dialog template's units become pixels: a dialog unit is a quarter of the dialog font's
// average character width across and an eighth of its height down, as the font measures on a
// screen of 96 pixels per inch; on any other screen units and font grow in proportion, so that a
// dialog at 192 pixels per inch is exactly twice as large, and its texts fit as they do at 96.
#pragma once
#include <cmath>

#include <windows.h>

#include "platform/win32/dialog_template.h"

namespace win32 {

struct DialogLayout {
  int fontPixels = 0;
  double unitX = 0;  // pixels per dialog unit across
  double unitY = 0;  // and down

  int Across(int units) const { return static_cast<int>(std::lround(units * unitX)); }
  int Down(int units) const { return static_cast<int>(std::lround(units * unitY)); }
  // The units that cover at least `pixels`.
  int UnitsAcross(int pixels) const { return static_cast<int>(std::ceil(pixels / unitX - 1e-9)); }
  int UnitsDown(int pixels) const { return static_cast<int>(std::ceil(pixels / unitY - 1e-9)); }
};

DialogLayout LayoutOf(const DialogTemplate& dialogTemplate);

}  // namespace win32

namespace win32::controls {

// Makes the dialog's window and controls laid out in its font; null when a control's class is
// unknown. For the stand-in's own dialogs (message boxes) as for those of the resources.
HWND CreateDialogFromTemplate(HINSTANCE instance, const DialogTemplate& dialogTemplate, HWND parent, DLGPROC procedure);

// Shows a dialog so made and runs it modally over `parent` (disabled meanwhile) until its procedure
// ends it; `templateId` is what the test hook is told. The dialog is destroyed; gives its result.
INT_PTR RunModalDialog(HWND dialog, HWND parent, LPARAM initParam, WORD templateId);

}  // namespace win32::controls

// The static class: a label of text, left, centred or right, broken at words.
#include "platform/win32/controls.h"
#include "platform/win32/dialog_look.h"

namespace win32::controls {

LRESULT CALLBACK StaticProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

void PaintStatic(HWND label, look::Canvas& canvas) {
  const RECT rect = RectOf(label);
  const RECT area{0, 0, rect.right - rect.left, rect.bottom - rect.top};
  canvas.Fill(area, look::kFace);
  const DWORD style = StyleOf(label);
  UINT format = DT_WORDBREAK;
  if ((style & 0xF) == SS_CENTER) format |= DT_CENTER;
  if ((style & 0xF) == SS_RIGHT) format |= DT_RIGHT;
  canvas.Text(TextOf(label), area, format, IsWindowEnabled(label) != FALSE);
}

}  // namespace win32::controls

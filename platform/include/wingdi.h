// GDI: brushes, rectangle fills and frames, text and clipping on the device contexts of BeginPaint.
// They draw into the window's surface, clipped to the paint area.
#pragma once
#include "minwindef.h"

typedef DWORD COLORREF;
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r)) | ((WORD)((BYTE)(g)) << 8) | (((DWORD)(BYTE)(b)) << 16)))

// Stock objects.
#define BLACK_BRUSH 4
HGDIOBJ WINAPI GetStockObject(int object);

// A system colour index + 1, cast to HBRUSH, is a brush of that colour.
#define COLOR_WINDOW 5

int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush);
// A frame one pixel wide along the inside of the rectangle.
int WINAPI FrameRect(HDC dc, const RECT* rect, HBRUSH brush);

// DrawTextW formats. Text is drawn in black, in a sans-serif face, without a background.
#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
// One line, never broken; DT_VCENTER and DT_BOTTOM place it in the rectangle.
#define DT_SINGLELINE 0x00000020
#define DT_CALCRECT 0x00000400
// Returns the height of the text; with DT_CALCRECT only measures it, setting the rectangle's bottom
// (and right) to the text's extent.
int WINAPI DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format);

// Region kinds that clipping functions return.
#define RGN_ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
int WINAPI ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);

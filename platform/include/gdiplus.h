// GDI+, its flat functions: pictures read from a stream and drawn into a window. Only PNG pictures
// are decoded. Every function takes null arguments and answers InvalidParameter.
#pragma once
#include "minwindef.h"
#include "objidl.h"

typedef enum {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  UnknownImageFormat = 13,
} GpStatus;

struct GpImage;
struct GpGraphics;

// A picture decoded from the rest of the stream.
GpStatus WINAPI GdipLoadImageFromStream(IStream* stream, GpImage** image);
GpStatus WINAPI GdipGetImageWidth(GpImage* image, UINT* width);
GpStatus WINAPI GdipGetImageHeight(GpImage* image, UINT* height);
GpStatus WINAPI GdipDisposeImage(GpImage* image);

// Drawing into the window's client area; each drawing call shows the window's surface.
GpStatus WINAPI GdipCreateFromHWND(HWND window, GpGraphics** graphics);
GpStatus WINAPI GdipDeleteGraphics(GpGraphics* graphics);
// The picture scaled to the rectangle (nearest pixel), blended over the window by its alpha.
GpStatus WINAPI GdipDrawImageRectI(GpGraphics* graphics, GpImage* image, INT x, INT y, INT width, INT height);

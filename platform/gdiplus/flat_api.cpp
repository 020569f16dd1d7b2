// The flat GDI+ functions over pictures decoded here and the windows' surfaces.
#include <algorithm>
#include <memory>
#include <new>

#include "platform/gdiplus/picture.h"
#include "platform/win32/surface.h"

namespace {

// A stream is read in pieces up to this size in all; a larger picture file is refused.
constexpr size_t kMaxFileBytes = 64u << 20;

uint32_t Blend(uint32_t over, uint32_t under) {
  const uint32_t alpha = over >> 24;
  // The window's surface keeps no alpha (X8R8G8B8).
  if (alpha == 255) return over & 0x00FFFFFFu;
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t a = (over >> shift) & 0xFF;
    const uint32_t b = (under >> shift) & 0xFF;
    out |= ((a * alpha + b * (255 - alpha) + 127) / 255) << shift;
  }
  return out;
}

}  // namespace

GpStatus WINAPI GdipLoadImageFromStream(IStream* stream, GpImage** image) {
  if (!stream || !image) return InvalidParameter;
  *image = nullptr;
  std::vector<BYTE> file;
  BYTE piece[4096];
  for (;;) {
    ULONG read = 0;
    if (FAILED(stream->Read(piece, sizeof piece, &read))) return GenericError;
    if (read == 0) break;
    if (file.size() + read > kMaxFileBytes) return OutOfMemory;
    file.insert(file.end(), piece, piece + read);
  }
  auto picture = std::unique_ptr<GpImage>(new (std::nothrow) GpImage);
  if (!picture) return OutOfMemory;
  if (!gdiplus::DecodePng(file, *picture)) return UnknownImageFormat;
  *image = picture.release();
  return Ok;
}

GpStatus WINAPI GdipGetImageWidth(GpImage* image, UINT* width) {
  if (!image || !width) return InvalidParameter;
  *width = image->width;
  return Ok;
}

GpStatus WINAPI GdipGetImageHeight(GpImage* image, UINT* height) {
  if (!image || !height) return InvalidParameter;
  *height = image->height;
  return Ok;
}

GpStatus WINAPI GdipDisposeImage(GpImage* image) {
  if (!image) return InvalidParameter;
  delete image;
  return Ok;
}

GpStatus WINAPI GdipCreateFromHWND(HWND window, GpGraphics** graphics) {
  if (!graphics) return InvalidParameter;
  *graphics = nullptr;
  if (!win32::WindowSurface(window)) return InvalidParameter;
  *graphics = new (std::nothrow) GpGraphics{window};
  return *graphics ? Ok : OutOfMemory;
}

GpStatus WINAPI GdipDeleteGraphics(GpGraphics* graphics) {
  if (!graphics) return InvalidParameter;
  delete graphics;
  return Ok;
}

GpStatus WINAPI GdipDrawImageRectI(GpGraphics* graphics, GpImage* image, INT x, INT y, INT width, INT height) {
  if (!graphics || !image || width < 0 || height < 0) return InvalidParameter;
  win32::Surface* surface = win32::WindowSurface(graphics->window);
  if (!surface) return InvalidParameter;
  // Only the part of the rectangle inside the client area is drawn.
  const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(int64_t{x} + width, surface->width);
  const int64_t bottom = std::min<int64_t>(int64_t{y} + height, surface->height);
  for (int64_t row = top; row < bottom; ++row) {
    const auto sourceRow = static_cast<size_t>((row - y) * image->height / height);
    for (int64_t column = left; column < right; ++column) {
      const auto sourceColumn = static_cast<size_t>((column - x) * image->width / width);
      uint32_t& pixel = surface->pixels[static_cast<size_t>(row) * surface->width + static_cast<size_t>(column)];
      pixel = Blend(image->pixels[sourceRow * image->width + sourceColumn], pixel);
    }
  }
  win32::PresentWindow(graphics->window);
  return Ok;
}

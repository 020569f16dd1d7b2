#include "host/settings_banner.h"

#include <cstring>

#include <gdiplus.h>
#include <objbase.h>

namespace {

constexpr WORD kBannerId = 120;
constexpr INT kBannerLeft = 12;
constexpr INT kBannerTop = 12;

// GDI+ reads the picture from a stream over a movable block that holds a copy of the resource.
HGLOBAL CopyToGlobalBlock(HINSTANCE instance) {
  HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(kBannerId), u"DDS");
  if (!found) return nullptr;
  const DWORD size = SizeofResource(instance, found);
  const void* bytes = LockResource(LoadResource(instance, found));
  if (!bytes || size == 0) return nullptr;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return nullptr;
  void* target = GlobalLock(block);
  if (!target) {
    GlobalFree(block);
    return nullptr;
  }
  std::memcpy(target, bytes, size);
  GlobalUnlock(block);
  return block;
}

}  // namespace

void PaintSettingsBanner(HINSTANCE instance, HWND dialog) {
  HGLOBAL block = CopyToGlobalBlock(instance);
  if (!block) return;
  // The stream does not own the block: it is freed here, after the stream.
  IStream* stream = nullptr;
  if (SUCCEEDED(CreateStreamOnHGlobal(block, FALSE, &stream))) {
    GpImage* image = nullptr;
    if (GdipLoadImageFromStream(stream, &image) == Ok) {
      GpGraphics* graphics = nullptr;
      if (GdipCreateFromHWND(dialog, &graphics) == Ok) {
        UINT width = 0, height = 0;
        GdipGetImageWidth(image, &width);
        GdipGetImageHeight(image, &height);
        GdipDrawImageRectI(graphics, image, kBannerLeft, kBannerTop, static_cast<INT>(width), static_cast<INT>(height));
        GdipDeleteGraphics(graphics);
      }
      GdipDisposeImage(image);
    }
    stream->Release();
  }
  GlobalFree(block);
}

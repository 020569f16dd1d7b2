#include <cstring>
#include <new>

#include "image.h"

namespace d3dx9 {

HRESULT DecodeImage(const void* data, size_t size, Image& out) {
  out = Image{};
  if (!data || size == 0) return D3DXERR_INVALIDDATA;
  const auto* bytes = static_cast<const uint8_t*>(data);
  static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  bool ok = false;
  try {
    if (size >= 8 && std::memcmp(bytes, kPng, 8) == 0)
      ok = DecodePng(bytes, size, out);
    else if (size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF)
      ok = DecodeJpeg(bytes, size, out);
    else
      ok = DecodeBmpOrTga(bytes, size, out);  // TGA has no signature: its header is checked instead
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  if (ok && (out.width == 0 || out.height == 0 || out.pixels.size() != size_t(out.width) * out.height)) ok = false;
  if (!ok) {
    out = Image{};
    return D3DXERR_INVALIDDATA;
  }
  return S_OK;
}

}  // namespace d3dx9

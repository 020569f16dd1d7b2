// A software device on the default machine, and small picture files of each format, for the tests of
// the resource manager and of what is made through it. Header-only, so that the mesh-part tests share it.
#pragma once
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/d3dx9/effect.h"
#include "platform/machine/machine.h"
#include "document/com_holder.h"
#include "tests/support/test_device.h"

namespace doc_res_test {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// Flat pictures of one colour (0x00RRGGBB).
inline Bytes Bmp(int w, int h, uint32_t rgb) {
  const int rowBytes = (w * 3 + 3) & ~3;
  Bytes b{'B', 'M'};
  Put32(b, uint32_t(54 + rowBytes * h));
  Put32(b, 0);
  Put32(b, 54);
  Put32(b, 40);
  Put32(b, uint32_t(w));
  Put32(b, uint32_t(h));
  Put16(b, 1);
  Put16(b, 24);
  for (int i = 0; i < 6; ++i) Put32(b, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) b.insert(b.end(), {uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16)});
    for (int p = w * 3; p < rowBytes; ++p) b.push_back(0);
  }
  return b;
}

inline Bytes Tga(int w, int h, uint32_t rgb) {
  Bytes b{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  Put16(b, uint16_t(w));
  Put16(b, uint16_t(h));
  b.push_back(24);
  b.push_back(0);
  for (int i = 0; i < w * h; ++i) b.insert(b.end(), {uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16)});
  return b;
}

inline Bytes Png(int w, int h, uint32_t rgb) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(w);
  image.height = png_uint_32(h);
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> pixels;
  for (int i = 0; i < w * h; ++i) pixels.insert(pixels.end(), {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)});
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
  Bytes out(size);
  png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr);
  out.resize(size);
  return out;
}

inline Bytes Jpeg(int w, int h, uint32_t rgb) {
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;  // the library's own type
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = JDIMENSION(w);
  info.image_height = JDIMENSION(h);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row;
  for (int x = 0; x < w; ++x) row.insert(row.end(), {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)});
  while (info.next_scanline < info.image_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  Bytes out(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  free(buffer);
  return out;
}

// The top level of a texture as 0xAARRGGBB, row-major.
inline std::vector<uint32_t> ReadTexture(IDirect3DTexture9* texture, UINT* width, UINT* height) {
  return TextureTexels(texture, width, height);
}

// A text .x cube of side 2 centred on (10, 0, 0), and one triangle.
inline const char kCubeX[] = R"(xof 0303txt 0032
Mesh Cube {
 8;
 9.0;-1.0;-1.0;, 11.0;-1.0;-1.0;, 11.0;1.0;-1.0;, 9.0;1.0;-1.0;,
 9.0;-1.0;1.0;, 11.0;-1.0;1.0;, 11.0;1.0;1.0;, 9.0;1.0;1.0;;
 6;
 4;0,3,2,1;, 4;4,5,6,7;, 4;0,1,5,4;, 4;2,3,7,6;, 4;1,2,6,5;, 4;3,0,4,7;;
 MeshTextureCoords {
  8;
  0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;, 0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;;
 }
}
)";
inline const char kTriangleX[] = R"(xof 0303txt 0032
Mesh Triangle {
 3;
 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;;
 1;
 3;0,1,2;;
}
)";
inline Bytes TextBytes(const char* text) { return Bytes(text, text + std::strlen(text)); }

// Reference count of a COM object, read by adding and releasing one.
inline ULONG References(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(screen_.Open({.width = 256, .height = 256}), S_OK); }
  void TearDown() override { screen_.Close(); }

  HRESULT Reset() { return screen_.Reset(); }

  // The tests read what the scene objects tell their effects.
  d3dx9::EffectRecording effectRecording_;
  TestDevice screen_;
  ComHolder<IDirect3D9>& d3d_ = screen_.d3d;
  ComHolder<IDirect3DDevice9>& device_ = screen_.device;
};

}  // namespace doc_res_test

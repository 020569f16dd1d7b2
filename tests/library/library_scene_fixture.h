// Scene objects on a software device whose document carries none of the resource library's
// resources, so every effect, picture and mesh an object links to by default comes from the
// library file beside the test executable (or, with the library missing, from nowhere).
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "document/doc_res_manager.h"
#include "objects/effect_brush.h"
#include "tests/document/doc_res_manager_fixture.h"
#include "tests/objects/brush_fixture.h"
#include "tests/support/document_builder.h"

namespace library_test {

using brush_test::DrawingLayer;
using Bytes = doc_res_test::Bytes;

// An A8R8G8B8 DDS file of w x h texels, texel(x, y) as 0xAARRGGBB.
Bytes ColourDds(UINT w, UINT h, const std::function<uint32_t(UINT, UINT)>& texel);

// The document holds pictures of its own: "tile.dds", 8 x 8, its left half opaque red and its right
// half transparent, and "field.dds", 64 x 64, whose red tells the row and green the column.
// `withLibrary` false declares the library missing on the machine.
class LibrarySceneTest : public doc_res_test::DeviceTest {
 protected:
  void SetUp() override { SetUpScene(true); }
  void TearDown() override;
  void SetUpScene(bool withLibrary);
  // Replaces the current document by one with these pictures and GUID files.
  void UseDocument(const std::vector<docbuild::FileEntry>& images, const std::vector<docbuild::GuidBlobEntry>& guids);

  // A w x h picture, texel(x, y) as 0x00RRGGBB, opaque.
  ComHolder<IDirect3DTexture9> MakePicture(UINT w, UINT h, const std::function<uint32_t(UINT, UINT)>& pixel);
  // Clears the back buffer to `clear`, applies the brush to the layer, reads the 256 x 256 pixels.
  std::vector<uint32_t> Draw(DS_FX_Constructor& brush, DrawingLayer& layer, uint32_t clear = 0x000000u);
  std::vector<uint32_t> ReadBackBuffer();

  Bytes bytes_;
  std::unique_ptr<DS_DocResManager> manager_;
};

inline uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) { return pixels.at(size_t(y) * 256 + x); }
inline int Red(uint32_t rgb) { return int(rgb >> 16 & 0xFF); }
inline int Green(uint32_t rgb) { return int(rgb >> 8 & 0xFF); }
inline int Blue(uint32_t rgb) { return int(rgb & 0xFF); }

}  // namespace library_test

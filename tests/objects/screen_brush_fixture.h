// Screen brushes (background copy, light, waves, pattern) on the software device: a document that
// carries copies of the library effects 75 to 78 (the shipped effect texts), pictures made
// on the device, and a helper that draws a brush onto the cleared back buffer.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "brush_fixture.h"
#include "document/class_registry.h"
#include "document/iof_reader.h"
#include "tests/support/document_builder.h"

namespace brush_test {

// The brush base level that ends every brush record: the given speed, no MainFX, effect `effectId`
// of "vaultkit.dll", zoom 50, element name "screen".
void BrushBaseLevel(docbuild::DocumentBuilder& doc, int64_t effectId, uint32_t speed);

// Reads a record through the constructor registry as T; null when the stream failed or the class
// read is not a T. A record read whole must end exactly where the bytes end.
template <class T>
std::unique_ptr<T> ReadRegistered(const docbuild::Bytes& bytes) {
  ResourceBuffer buffer(bytes.data(), bytes.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  std::unique_ptr<DS_ABObj_Constructor> read(ReadConstructorByClassName(&stream));
  if (stream->Failed()) return nullptr;
  EXPECT_EQ(buffer.Remaining(), 0u) << "the record was not read to its end";
  return std::unique_ptr<T>(dynamic_cast<T*>(read.release()));
}

// The document holds, besides the four effects:
//   images "tile.png" (64 x 32 red), "frames.png" (three 4 x 4 frames: red, green, blue; 0.5 s each)
//   "red.png" (4 x 4 red).
class ScreenBrushTest : public BrushSceneTest {
 protected:
  void SetUp() override;

  // A w x h picture whose texel (x, y) is pixel(x, y) as 0x00RRGGBB, opaque.
  ComHolder<IDirect3DTexture9> MakePicture(UINT w, UINT h, const std::function<uint32_t(UINT, UINT)>& pixel);
  // Clears the back buffer to `clear`, applies the brush to the layer in a scene, reads the pixels.
  std::vector<uint32_t> Draw(DS_FX_Constructor& brush, DrawingLayer& layer, uint32_t clear = 0x000000u);
};

inline uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) { return pixels.at(size_t(y) * 256 + x); }
inline int Red(uint32_t rgb) { return int(rgb >> 16 & 0xFF); }
inline int Green(uint32_t rgb) { return int(rgb >> 8 & 0xFF); }
inline int Blue(uint32_t rgb) { return int(rgb & 0xFF); }

}  // namespace brush_test

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

#include "document/doc_res_manager.h"
#include "document/iof_reader.h"
#include "layer_fixture.h"
#include "platform/d3d9/recorder.h"
#include "slideshow/matrix_code_light.h"
#include "tests/support/document_builder.h"

namespace {

// A 24-bit bottom-up BMP painted pixel by pixel (0x00RRGGBB, y = 0 at the top).
docbuild::Bytes Bmp(int width, int height, const std::function<uint32_t(int, int)>& paint) {
  const int rowBytes = (width * 3 + 3) & ~3;
  const uint32_t size = 54 + uint32_t(rowBytes * height);
  docbuild::Bytes bmp(size, 0);
  const auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp[at + i] = uint8_t(v >> (8 * i));
  };
  bmp[0] = 'B', bmp[1] = 'M';
  put32(2, size), put32(10, 54), put32(14, 40), put32(18, uint32_t(width)), put32(22, uint32_t(height));
  bmp[26] = 1, bmp[28] = 24;
  put32(34, uint32_t(rowBytes * height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t rgb = paint(x, y);
      uint8_t* p = &bmp[54 + size_t(height - 1 - y) * rowBytes + size_t(x) * 3];
      p[0] = uint8_t(rgb), p[1] = uint8_t(rgb >> 8), p[2] = uint8_t(rgb >> 16);
    }
  return bmp;
}

std::function<uint32_t(int, int)> Flat(uint32_t rgb) {
  return [rgb](int, int) { return rgb; };
}

std::unique_ptr<DS_DocResManager> ManagerWith(const std::vector<docbuild::FileEntry>& images) {
  docbuild::DocumentBuilder tables;
  tables.DocResManager(1, images, {}, {}, {});
  ResourceBuffer buffer(tables.Document().data(), tables.Size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  ds_string name;
  DWORD version = 0;
  stream->ReadString(&name);
  stream->ReadULong(&version);
  auto manager = std::make_unique<DS_DocResManager>();
  EXPECT_TRUE(manager->ReadTables(&stream, version));
  return manager;
}

uint32_t Cell(int glyph, int fade, bool dirty = false) {
  uint32_t cell = GlyphGrid::WithFade(GlyphGrid::WithGlyph(0, glyph), fade);
  return dirty ? cell | GlyphGrid::kDirty : cell;
}

struct Vertex {
  float x, y, u, v;
  D3DCOLOR color;
};

}  // namespace

class MatrixCodeLayerTest : public LayerDeviceTest {
 protected:
  void TearDown() override {
    SetCurrentDocResManager(nullptr);
    manager_.reset();
    LayerDeviceTest::TearDown();
  }

  // Embeds the picture and the glyph strip, makes the layer's device resources and shows the
  // layer on the whole back buffer.
  void Start(DS_MatrixCodeLight& light, int pictureWidth, int pictureHeight,
             const std::function<uint32_t(int, int)>& picture, int glyphWidth, int glyphHeight,
             const std::function<uint32_t(int, int)>& glyphs, int mode = kFit) {
    std::vector<docbuild::FileEntry> images = {
        {u"pic.bmp", 1, {docbuild::Embedded(u"pic.bmp", Bmp(pictureWidth, pictureHeight, picture))}}};
    if (glyphWidth > 0)
      images.push_back({u"glyphs.bmp", 2, {docbuild::Embedded(u"glyphs.bmp", Bmp(glyphWidth, glyphHeight, glyphs))}});
    SetCurrentDocResManager(nullptr);
    manager_ = ManagerWith(images);
    SetCurrentDocResManager(manager_.get());
    light.pictureLink.path = u"pic.bmp";
    light.pictureLink.stamp = 1;
    light.glyphLink.path = u"glyphs.bmp";
    light.glyphLink.stamp = 2;
    light.CreateDeviceResources();
    light.RestoreDeviceResources();
    light.Resize(int(width_), int(height_));
    light.SetPicturePosition(mode);
  }

  // Columns that write nothing and never restart, so that only the test's cells show.
  static void Freeze(DS_MatrixCodeLight& light) {
    GlyphGrid& grid = *light.scan.grid;
    for (GlyphColumn& column : grid.columnStates) column = GlyphColumn{1000000, 0, grid.rows};
    for (uint32_t& cell : grid.cells) cell = 0;
    grid.flickerCount = 0;
  }

  void RenderFrame(DS_MatrixCodeLight& light) {
    ASSERT_EQ(device_->BeginScene(), S_OK);
    light.Render(false);
    device_->EndScene();
  }

  // Corner `corner` of glyph quad q as the batch holds it.
  static Vertex QuadVertex(DS_MatrixCodeLight& light, UINT q, int corner) {
    SpriteBatchChunk& chunk = light.glyphBatch.Chunk(q / kMaxQuadsPerBuffer);
    Vertex out{};
    DX_V::PWCT* vertices = chunk.LockVertices();
    if (!vertices) return out;
    const DX_V::PWCT& v = vertices[4 * (q % kMaxQuadsPerBuffer) + corner];
    out = {v.x, v.y, v.u, v.v, v.color};
    chunk.UnlockVertices();
    return out;
  }

  std::unique_ptr<DS_DocResManager> manager_;
};

TEST_F(MatrixCodeLayerTest, GridBatchAndBandsFollowPictureCellAndStrip) {
  struct Case {
    int pictureWidth, pictureHeight;
    UINT cell, density;
    int glyphWidth, glyphHeight;  // 0: the strip is missing
    int cellUsed, densityUsed, columns, rows, bands;
  };
  const Case cases[] = {
      {640, 480, 16, 20, 64, 1024, 16, 20, 41, 31, 18},  // bands of 1024 / 18 = 56.9 pixels
      {40, 30, 0, 0, 16, 16, 1, 1, 11, 8, 3},  // cells of the smallest size, 4 pixels
      {64, 48, 16, 150, 32, 8, 16, 100, 5, 4, 2},
      {64, 48, 32, 100, 0, 0, 32, 100, 3, 2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pictureWidth << "x" << c.pictureHeight << " cell " << c.cell);
    DS_MatrixCodeLight light;
    light.cellSize = c.cell;
    light.density = c.density;
    Start(light, c.pictureWidth, c.pictureHeight, Flat(0x808080), c.glyphWidth, c.glyphHeight, Flat(0xFFFFFF));
    EXPECT_EQ(light.settings.cellSize, c.cellUsed);
    EXPECT_EQ(light.settings.density, c.densityUsed);
    EXPECT_EQ(light.settings.glyphCount, c.bands);
    ASSERT_NE(light.scan.grid, nullptr);
    EXPECT_EQ(light.scan.grid->columns, c.columns);
    EXPECT_EQ(light.scan.grid->rows, c.rows);
    EXPECT_EQ(light.scan.grid->glyphCount, c.bands);
    EXPECT_EQ(light.glyphBatch.QuadCount(), UINT(c.columns * c.rows));
    EXPECT_EQ(light.glyphBatch.Chunk(0).texture.Get() != nullptr, c.glyphWidth > 0);
  }
}

// A 64 x 48 picture fills the 1024 x 768 back buffer: 16 screen pixels per picture pixel, cells
// of 256 x 256. Quads follow the cells in row-major order; bright glyphs take the bright colour,
// the others the normal one, both turned from 0x00BBGGRR into ARGB; fading glyphs are at half
// opacity; the slots after the last glyph are invisible.
TEST_F(MatrixCodeLayerTest, QuadsCarryCellPositionBandAndColour) {
  DS_MatrixCodeLight light;
  light.flickerCount = 1u;
  light.normalColor = 0x00332211u;
  light.brightColor = 0x00CCBBAAu;
  Start(light, 64, 48, Flat(0x404040), 64, 1024, Flat(0xFFFFFF));
  Freeze(light);
  GlyphGrid& grid = *light.scan.grid;
  grid.Cell(1, 0) = Cell(1, 0);
  grid.Cell(2, 1) = Cell(2, 2, true);
  grid.Cell(3, 2) = Cell(18, -1, true);
  RenderFrame(light);

  struct Expected {
    float left, top;
    float v0, v1;
    D3DCOLOR color;
  };
  const Expected expected[] = {
      {256, 0, 0.0f, 1.0f / 18, 0xFF112233u},
      {512, 256, 1.0f / 18, 2.0f / 18, 0xFFAABBCCu},
      {768, 512, 17.0f / 18, 1.0f, 0x7F112233u},
  };
  for (UINT q = 0; q < 3; ++q) {
    SCOPED_TRACE(q);
    const Expected& e = expected[q];
    const Vertex corners[4] = {QuadVertex(light, q, 0), QuadVertex(light, q, 1), QuadVertex(light, q, 2),
                               QuadVertex(light, q, 3)};
    // Strip order: bottom-left, top-left, bottom-right, top-right.
    const float xs[4] = {e.left, e.left, e.left + 256, e.left + 256};
    const float ys[4] = {e.top + 256, e.top, e.top + 256, e.top};
    const float us[4] = {0, 0, 1, 1};
    const float vs[4] = {e.v1, e.v0, e.v1, e.v0};
    for (int i = 0; i < 4; ++i) {
      EXPECT_FLOAT_EQ(corners[i].x, xs[i]) << i;
      EXPECT_FLOAT_EQ(corners[i].y, ys[i]) << i;
      EXPECT_FLOAT_EQ(corners[i].u, us[i]) << i;
      EXPECT_FLOAT_EQ(corners[i].v, vs[i]) << i;
      EXPECT_EQ(corners[i].color, e.color) << i;
    }
  }
  for (UINT q = 3; q < light.glyphBatch.QuadCount(); ++q) EXPECT_EQ(QuadVertex(light, q, 0).color >> 24, 0u) << q;
}

// Brightness values of 100 and more make the glyphs invisible rather than wrapping the alpha.
TEST_F(MatrixCodeLayerTest, BrightnessSetsOpacityWithinZeroToOne) {
  struct Case {
    UINT brightness;
    DWORD alpha;
  };
  for (const Case& c : {Case{0, 255}, Case{100, 0}, Case{101, 0}, Case{200, 0}}) {
    SCOPED_TRACE(c.brightness);
    DS_MatrixCodeLight light;
    light.flickerCount = 1u;
    light.brightness.SetAndNotify(c.brightness);
    Start(light, 64, 48, Flat(0x404040), 16, 16, Flat(0xFFFFFF));
    Freeze(light);
    light.scan.grid->Cell(0, 0) = Cell(1, 0);
    RenderFrame(light);
    EXPECT_EQ(QuadVertex(light, 0, 0).color >> 24, c.alpha);
  }
}

// Fill scales a 2:1 picture by 1.5 about the centre of the back buffer: picture pixel x lands at
// -256 + 24x, y at 24y. The glyph of cell (0, 0) covers picture pixels 0..16 on both axes.
TEST_F(MatrixCodeLayerTest, QuadsFollowThePicturePosition) {
  DS_MatrixCodeLight light;
  light.flickerCount = 1u;
  Start(light, 64, 32, Flat(0x404040), 16, 16, Flat(0xFFFFFF), kFill);
  Freeze(light);
  light.scan.grid->Cell(0, 0) = Cell(1, 0);
  RenderFrame(light);
  const Vertex topLeft = QuadVertex(light, 0, 1), bottomRight = QuadVertex(light, 0, 2);
  EXPECT_NEAR(topLeft.x, -256.0f, 1e-3f);
  EXPECT_NEAR(topLeft.y, 0.0f, 1e-3f);
  EXPECT_NEAR(bottomRight.x, 128.0f, 1e-3f);
  EXPECT_NEAR(bottomRight.y, 384.0f, 1e-3f);
}

// In display mode 1 a glyph's opacity is the picture's luminance under it (the left half red, the
// right half blue); fading glyphs are not halved there, bright ones ignore the map.
TEST_F(MatrixCodeLayerTest, DisplayModeOneTakesOpacityFromLuminance) {
  DS_MatrixCodeLight light;
  light.flickerCount = 1u;
  light.displayMode = 1;
  Start(light, 64, 48, [](int x, int) { return x < 32 ? 0xFF0000u : 0x0000FFu; }, 16, 16, Flat(0xFFFFFF));
  ASSERT_NE(light.luminanceMap, nullptr);
  const std::vector<float>& map = *light.luminanceMap;
  ASSERT_EQ(map.size(), 256u * 256u);
  EXPECT_NEAR(map[10 * 256 + 10], 0.299f, 0.005f);
  EXPECT_NEAR(map[200 * 256 + 245], 0.114f, 0.005f);

  Freeze(light);
  GlyphGrid& grid = *light.scan.grid;
  grid.Cell(0, 0) = Cell(1, 0);         // normal, over red
  grid.Cell(4, 0) = Cell(1, 0);         // normal, over blue (map column 204)
  grid.Cell(0, 1) = Cell(1, -1, true);  // fading, over red
  grid.Cell(1, 1) = Cell(1, 2, true);   // bright
  RenderFrame(light);
  const DWORD expected[] = {76, 29, 76, 255};
  for (UINT q = 0; q < 4; ++q) {
    const int alpha = int(QuadVertex(light, q, 0).color >> 24);
    EXPECT_LE(std::abs(alpha - int(expected[q])), 1) << q << ": " << alpha;
  }

  // Back to mode 0 a new picture drops the map.
  light.displayMode = 0;
  light.OnImageChanged();
  EXPECT_EQ(light.luminanceMap, nullptr);
}

// Mode 0 draws the picture under the glyphs, mode 1 clears to black, any other mode draws the
// glyphs alone, over neither; the glyphs are one blended draw of pre-transformed vertices, texture
// times vertex colour; blending is off again afterwards. Without a glyph strip nothing is drawn
// over the picture.
TEST_F(MatrixCodeLayerTest, RenderDrawsPictureOrBlackThenTheGlyphs) {
  struct Case {
    int displayMode;
    bool strip;
    bool clear, picture, glyphs;
  };
  const Case cases[] = {
      {0, true, true, true, true},
      {1, true, true, false, true},
      {7, true, false, false, true},
      {0, false, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.displayMode << " strip " << c.strip);
    DS_MatrixCodeLight light;
    light.displayMode = c.displayMode;
    Start(light, 64, 48, Flat(0x404040), c.strip ? 16 : 0, 16, Flat(0xFFFFFF));
    d3d9::Recorder* recorder = d3d9::RecorderOf(device_.Get());
    ASSERT_NE(recorder, nullptr);
    recorder->calls.clear();
    recorder->enabled = true;
    RenderFrame(light);
    recorder->enabled = false;
    std::vector<std::string> names;
    for (const d3d9::RecordedCall& call : recorder->calls) {
      if (call.name == "Clear") {
        names.push_back(call.name);
        ASSERT_GE(call.args.size(), 4u);
        EXPECT_EQ(call.args[2], uint64_t(D3DCLEAR_TARGET));
        EXPECT_EQ(call.args[3], 0u);
      } else if (call.name == "DrawPrimitive") {
        names.push_back(call.name);
        EXPECT_EQ(call.state.Render(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
      } else if (call.name == "DrawIndexedPrimitive") {
        names.push_back(call.name);
        EXPECT_EQ(call.state.Render(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
        EXPECT_EQ(call.state.Stage(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
        EXPECT_EQ(call.state.Stage(0, D3DTSS_ALPHAOP), DWORD(D3DTOP_MODULATE));
        EXPECT_EQ(call.state.fvf, DX_V::PWCT::FVF);
      }
    }
    std::vector<std::string> expected;
    if (c.clear) expected.push_back("Clear");
    if (c.picture) expected.push_back("DrawPrimitive");
    if (c.glyphs) expected.push_back("DrawIndexedPrimitive");
    EXPECT_EQ(names, expected);
    DWORD blending = TRUE;
    device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &blending);
    EXPECT_EQ(blending, DWORD(FALSE));
  }
}

// While the layer serves an offscreen target the glyphs are scaled by target / back-buffer size.
TEST_F(MatrixCodeLayerTest, OffscreenTargetScalesTheGlyphs) {
  DS_MatrixCodeLight light;
  Start(light, 64, 48, Flat(0x404040), 16, 16, Flat(0xFFFFFF));
  RenderTargetPair pair;
  pair.Create(512, 192);
  light.BeginTarget(pair, kStretch);
  EXPECT_FLOAT_EQ(light.glyphScaleX, 0.5f);
  EXPECT_FLOAT_EQ(light.glyphScaleY, 0.25f);
  light.EndTarget();
  EXPECT_FLOAT_EQ(light.glyphScaleX, 1.0f);
  EXPECT_FLOAT_EQ(light.glyphScaleY, 1.0f);
}

// What the viewer sees: a white glyph strip tinted red (stored 0x000000FF) for a normal glyph, blue
// for a bright one, and red at half opacity over the grey picture for a fading one; empty cells
// show the picture.
TEST_F(MatrixCodeLayerTest, GlyphsShowOverThePicture) {
  DS_MatrixCodeLight light;
  light.flickerCount = 1u;
  light.normalColor = 0x000000FFu;
  light.brightColor = 0x00FF0000u;
  Start(light, 64, 48, Flat(0x404040), 16, 32, Flat(0xFFFFFF));
  Freeze(light);
  GlyphGrid& grid = *light.scan.grid;
  grid.Cell(1, 0) = Cell(1, 0);
  grid.Cell(2, 1) = Cell(2, 2, true);
  grid.Cell(3, 2) = Cell(3, -1, true);
  RenderFrame(light);
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  ASSERT_FALSE(pixels.empty());
  struct Sample {
    int x, y;
    uint32_t rgb;
  };
  const Sample samples[] = {
      {384, 128, 0xFF0000}, {640, 384, 0x0000FF}, {896, 640, 0x9F2020}, {128, 128, 0x404040}, {128, 640, 0x404040},
  };
  for (const Sample& s : samples) {
    const uint32_t actual = Pixel(pixels, s.x, s.y);
    EXPECT_LE(std::abs(Red(actual) - Red(s.rgb)), 2) << s.x << ", " << s.y << ": " << std::hex << actual;
    EXPECT_LE(std::abs(Green(actual) - Green(s.rgb)), 2) << s.x << ", " << s.y << ": " << std::hex << actual;
    EXPECT_LE(std::abs(Blue(actual) - Blue(s.rgb)), 2) << s.x << ", " << s.y << ": " << std::hex << actual;
  }
}

// Left alone the layer writes glyphs: with the densest setting some cells hold glyphs after a
// few frames, and the quads of those frames count them.
TEST_F(MatrixCodeLayerTest, FramesAdvanceTheGridOneStepEach) {
  DS_MatrixCodeLight light;
  light.density = 100u;
  light.columnStyle = 1;
  Start(light, 64, 48, Flat(0x404040), 16, 16, Flat(0xFFFFFF));
  int visible = 0;
  for (int frame = 0; frame < 30; ++frame) {
    light.AdvanceFrame(float(frame) / 30.0f);
    RenderFrame(light);
  }
  for (UINT q = 0; q < light.glyphBatch.QuadCount(); ++q) visible += (QuadVertex(light, q, 0).color >> 24) ? 1 : 0;
  EXPECT_GT(visible, 0);
  EXPECT_EQ(visible, light.scan.currentCount);
}

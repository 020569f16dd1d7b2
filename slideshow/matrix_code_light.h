// The matrix-code layer: a 2D light layer that covers the slide's picture with columns of glyphs
// falling or scrolling down. A glyph grid lies over the picture, one cell per square of picture
// pixels; every rendered frame the grid advances one step and becomes one pre-transformed quad per
// cell in a sprite batch, drawn alpha-blended over the picture (or over black, with the glyphs'
// brightness following the picture's luminance).
#pragma once
#include <memory>
#include <vector>

#include "document/media_color.h"
#include "document/media_param_t.h"
#include "document/scaled_params.h"
#include "render/sprite_batch.h"
#include "slideshow/glyph_grid.h"
#include "slideshow/light_2d.h"

class DS_MatrixCodeLight : public DS_2D_Light {
 public:
  // Side of the luminance map.
  static constexpr int kLuminanceSize = 256;

  DS_MatrixCodeLight();
  ~DS_MatrixCodeLight() override;

  bool Save(DS_IOF_Virtual** stream) override;

  void BeginTarget(RenderTargetPair& pair, int mode) override;
  void EndTarget() override;
  // The base layer's resources, the glyph strip, the grid, the batch and the luminance map.
  void CreateDeviceResources() override;
  // Stage 0 multiplies glyph texture and vertex colour.
  void RestoreDeviceResources() override;
  // Advances the grid one step and draws the glyphs over the picture or over black.
  void Render(bool clearOnly) override;
  // Stores the time only: camera and grid advance when the frame is rendered.
  void AdvanceFrame(float t) override;
  void SetPicturePosition(int newMode) override;
  void OnImageChanged() override;

  // Camera, grid step, and the quads of the frame.
  void UpdateGlyphQuads(float t);
  // Display mode 1: the picture's luminance on a 256 x 256 grid; mode 0: no map.
  void BuildLuminanceMap();
  // A new grid from the settings on the current layer picture size.
  void RebuildGrid();
  // One quad per grid cell.
  void ResizeBatch();

  MediaParamT<unsigned int> cellSize{16};
  MediaParamT<unsigned int> density{20};
  MediaParamT<unsigned int> flickerCount{50};
  MediaParamT<int> sparkle{0};
  MediaParamT<int> displayMode{0};
  MediaParamT<int> columnStyle{2};
  MediaColor normalColor{0};  // 0x00BBGGRR
  MediaColor brightColor{0};  // column heads, sparkles and flickering glyphs
  UINTSclaleTo<float> brightness;  // glyph opacity 1 - 0.01 x stored value
  DS_ImageFileLink glyphLink;
  SpriteBatch glyphBatch;
  GlyphScan scan;
  GlyphGridSettings settings{16, 20, 10, 0, 0, 1};
  std::unique_ptr<std::vector<float>> luminanceMap;  // kLuminanceSize rows of kLuminanceSize values
  float time = 0.0f;
  float glyphScaleX = 1.0f, glyphScaleY = 1.0f;

 private:
  // The colour of one glyph quad (ARGB) before the read-out's own mask.
  D3DCOLOR GlyphColor(const GlyphQuad& quad) const;
};

// The "DS_MatrixCodeLight" record, version 2, with its base part.
void WriteMatrixCodeLightRecord(DS_IOF_Virtual** stream, DS_MatrixCodeLight& light);
void WriteMatrixCodeLightFields(DS_IOF_Virtual** stream, DS_MatrixCodeLight& light);
void ReadMatrixCodeLightFields(DS_IOF_Virtual** stream, DWORD version, DS_MatrixCodeLight& light);
template <>
void IOF_ReadFields<DS_MatrixCodeLight>(DS_IOF_Virtual** stream, DWORD version, DS_MatrixCodeLight& light);

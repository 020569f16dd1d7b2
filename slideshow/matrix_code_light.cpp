#include "slideshow/matrix_code_light.h"

#include <algorithm>
#include <climits>

#include "document/doc_res_manager.h"
#include "document/device.h"
#include "document/texture_loaders.h"

namespace {

// A stored unsigned setting as the grid's int; beyond the int range it is the largest int.
int ToSetting(UINT value) { return static_cast<int>(std::min<UINT>(value, INT_MAX)); }

}  // namespace

DS_MatrixCodeLight::DS_MatrixCodeLight() {
  brightness.scale = -0.01f;
  brightness.offset = 1.0f;
  brightness = 0u;
  glyphLink = DS_FileLink3::ConstructFromResource(40, u"vaultkit.dll");
}

DS_MatrixCodeLight::~DS_MatrixCodeLight() = default;

void DS_MatrixCodeLight::CreateDeviceResources() {
  DS_2D_Light::CreateDeviceResources();
  DS_2D_Light::Resize(1, 1);

  TextureEntry glyphs;
  const TextureSet* set = g_DocResManager ? g_DocResManager->GetTextureSet(glyphLink) : nullptr;
  if (set) glyphs.FromTextureSet(*set);
  // A strip whose picture could not be made still counts two bands, so that no glyph is drawn
  // modulo nothing; without its texture the glyphs are not drawn at all.
  settings.glyphCount = glyphs.width > 0 ? ToSetting(std::min<UINT>(glyphs.height / glyphs.width, INT_MAX - 2)) + 2 : 2;
  glyphBatch.SetTexture(glyphs.texture.Get());

  settings.cellSize = std::max(ToSetting(cellSize.value), 1);
  RebuildGrid();
  ResizeBatch();
  settings.density = std::clamp(ToSetting(density.value), 1, 100);
  RebuildGrid();
  settings.flickerCount = ToSetting(flickerCount.value);
  RebuildGrid();
  settings.sparkle = sparkle.value;
  RebuildGrid();
  settings.columnStyle = columnStyle.value;
  RebuildGrid();
  ResizeBatch();
  BuildLuminanceMap();
}

void DS_MatrixCodeLight::RestoreDeviceResources() {
  DS_2D_Light::RestoreDeviceResources();
  if (!g_Device) return;
  g_Device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  g_Device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
}

void DS_MatrixCodeLight::AdvanceFrame(float t) {
  // The objects that move after the layer measure themselves by this layer's view.
  ReapplyView();
  time = t;
}

void DS_MatrixCodeLight::Render(bool) {
  // The view is shared by every layer of every monitor: the glyphs are placed by this layer's.
  ReapplyView();
  UpdateGlyphQuads(time);
  // Mode 0 shows the picture under the glyphs, mode 1 black; any other mode draws the glyphs alone,
  // over whatever the target holds.
  if (displayMode.value == 0) {
    DS_2D_Light::Render(false);
  } else if (displayMode.value == 1) {
    if (g_Device) g_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0u, 1.0f, 0);
  }
  // Without the glyph strip the quads would show as solid squares of their vertex colour.
  if (!g_Device || !glyphBatch.Chunk(0).texture) return;
  g_Device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  g_Device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  glyphBatch.Draw();
  g_Device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

void DS_MatrixCodeLight::SetPicturePosition(int newMode) {
  DS_2D_Light::SetPicturePosition(newMode);
  RebuildGrid();
  ResizeBatch();
}

void DS_MatrixCodeLight::OnImageChanged() {
  DS_2D_Light::OnImageChanged();
  BuildLuminanceMap();
  RebuildGrid();
  ResizeBatch();
}

void DS_MatrixCodeLight::BeginTarget(RenderTargetPair& pair, int targetMode) {
  DS_2D_Light::BeginTarget(pair, targetMode);
  const D3DSURFACE_DESC desc = GetBackBufferDesc();
  glyphScaleX = desc.Width ? static_cast<float>(pair.Width()) / static_cast<float>(desc.Width) : 1.0f;
  glyphScaleY = desc.Height ? static_cast<float>(pair.Height()) / static_cast<float>(desc.Height) : 1.0f;
}

void DS_MatrixCodeLight::EndTarget() {
  DS_2D_Light::EndTarget();
  glyphScaleX = 1.0f;
  glyphScaleY = 1.0f;
}

void DS_MatrixCodeLight::RebuildGrid() {
  scan = GlyphScan{};
  scan.grid = GlyphGrid::Create(settings, g_LayerView.pictureWidth, g_LayerView.pictureHeight);
}

void DS_MatrixCodeLight::ResizeBatch() {
  const uint64_t cell = static_cast<uint64_t>(GlyphGrid::CellSizeFor(settings.cellSize));
  const uint64_t rows = static_cast<uint64_t>(std::max(g_LayerView.pictureHeight, 0)) / cell + 1;
  const uint64_t columns = static_cast<uint64_t>(std::max(g_LayerView.pictureWidth, 0)) / cell + 1;
  glyphBatch.Resize(static_cast<UINT>(std::min<uint64_t>(rows * columns, UINT_MAX)));
}

void DS_MatrixCodeLight::UpdateGlyphQuads(float t) {
  camera.AdvanceFrame(t);
  GlyphGrid* grid = scan.grid.get();
  if (!grid) return;  // no device resources yet

  const QuadCorners& fitted = g_LayerView.fittedPicture;
  const float fittedWidth = fitted.corners[2].x - fitted.corners[0].x;
  const float fittedHeight = fitted.corners[0].y - fitted.corners[1].y;
  // Back-buffer pixels per picture pixel; a picture without a size covers nothing.
  const float kx = g_LayerView.pictureWidth > 0 ? fittedWidth / static_cast<float>(g_LayerView.pictureWidth) : 0.0f;
  const float ky = g_LayerView.pictureHeight > 0 ? fittedHeight / static_cast<float>(g_LayerView.pictureHeight) : 0.0f;
  const float cell = static_cast<float>(grid->cellSize);
  GlyphQuad quad;
  quad.originX = fitted.corners[1].x;
  quad.originY = fitted.corners[1].y;
  quad.halfWidth = cell * kx / 2.0f * glyphScaleX;
  quad.halfHeight = cell * ky / 2.0f * glyphScaleY;

  scan.Reset();
  const bool stop = static_cast<int64_t>(scan.previousCount) >= static_cast<int64_t>(glyphBatch.QuadCount());
  grid->Step(stop);
  grid->Spawn();

  glyphBatch.LockAll();
  D3DXMATRIX placement = g_View2D.picturePosition;
  if (g_View2D.mode != kLayerTarget) D3DXMatrixMultiply(&placement, &g_View2D.camera, &g_View2D.picturePosition);
  const float sx = placement._11, sy = placement._22;
  const float ox = placement._41 * kx, oy = placement._42 * ky;
  const float x0 = quad.originX, y0 = quad.originY;
  for (UINT i = 0; i < glyphBatch.QuadCount(); ++i) {
    grid->EmitQuads(quad, scan);
    const D3DXVECTOR3 centre(x0 + sx * (quad.centreX - x0) + ox, y0 + sy * (quad.centreY - y0) + oy, quad.z);
    glyphBatch.SetQuad(i, centre, D3DXVECTOR3(quad.halfWidth * sx, 0.0f, 0.0f),
                       D3DXVECTOR3(0.0f, quad.halfHeight * sy, 0.0f));
    glyphBatch.SetQuadColor(i, GlyphColor(quad) & quad.color);
    glyphBatch.Chunk(i / kMaxQuadsPerBuffer).SetQuadUV(quad.u0, quad.u1, quad.v0, quad.v1, i % kMaxQuadsPerBuffer);
  }
  glyphBatch.UnlockAll();
}

D3DCOLOR DS_MatrixCodeLight::GlyphColor(const GlyphQuad& quad) const {
  const bool bright = quad.glyphClass == kGlyphBright;
  float k = brightness.derived;
  if (quad.glyphClass == kGlyphFading) k *= 0.5f;
  const GlyphGrid* grid = scan.grid.get();
  if (displayMode.value == 1 && !bright && luminanceMap && grid) {
    const int mapRow = std::min(static_cast<int>(256.0f * static_cast<float>(quad.row) / static_cast<float>(grid->rows)),
                                kLuminanceSize - 1);
    const int mapColumn =
        std::min(static_cast<int>(256.0f * static_cast<float>(quad.column) / static_cast<float>(grid->columns)),
                 kLuminanceSize - 1);
    k = (*luminanceMap)[size_t(mapRow) * kLuminanceSize + size_t(mapColumn)] * brightness.derived;
  }
  // A brightness value above 100 would make the opacity negative (and wrap into a random alpha).
  k = std::clamp(k, 0.0f, 1.0f);
  const DWORD alpha = static_cast<DWORD>(k * 255.0f);
  const DWORD stored = bright ? brightColor.value : normalColor.value;  // 0x00BBGGRR
  const DWORD red = stored & 0xFFu, green = (stored >> 8) & 0xFFu, blue = (stored >> 16) & 0xFFu;
  return alpha << 24 | red << 16 | green << 8 | blue;
}

void DS_MatrixCodeLight::BuildLuminanceMap() {
  if (displayMode.value == 0) {
    luminanceMap.reset();
    return;
  }
  if (displayMode.value != 1) return;
  // Without a picture to measure, every glyph stays dark.
  luminanceMap = std::make_unique<std::vector<float>>(size_t(kLuminanceSize) * kLuminanceSize, 0.0f);
  TextureHolder copy;
  CopyTextureToNew(picture.texture.Get(), copy, D3DFMT_R8G8B8, kLuminanceSize, kLuminanceSize);
  if (!copy) return;
  // The format asked for is only a wish: the pixels are read in the layout the copy really has.
  D3DSURFACE_DESC desc{};
  if (FAILED(copy->GetLevelDesc(0, &desc)) || desc.Width < UINT(kLuminanceSize) || desc.Height < UINT(kLuminanceSize))
    return;
  size_t bytesPerPixel = 0;
  if (desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_A8R8G8B8) bytesPerPixel = 4;
  if (desc.Format == D3DFMT_R8G8B8) bytesPerPixel = 3;
  if (bytesPerPixel == 0) return;
  D3DLOCKED_RECT locked{};
  if (FAILED(copy->LockRect(0, &locked, nullptr, 0)) || !locked.pBits) return;
  std::vector<float>& map = *luminanceMap;
  for (int y = 0; y < kLuminanceSize; ++y) {
    const BYTE* row = static_cast<const BYTE*>(locked.pBits) + ptrdiff_t(y) * locked.Pitch;
    for (int x = 0; x < kLuminanceSize; ++x) {
      const BYTE* pixel = row + size_t(x) * bytesPerPixel;  // blue, green, red
      const float blue = pixel[0], green = pixel[1], red = pixel[2];
      map[size_t(y) * kLuminanceSize + size_t(x)] =
          0.299f * (red / 255.0f) + 0.587f * (green / 255.0f) + 0.114f * (blue / 255.0f);
    }
  }
  copy->UnlockRect(0);
}

#include "slideshow/lake_light.h"

#include <d3dx9math.h>
#include <objbase.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "document/doc_res_manager.h"
#include "document/device.h"
#include "slideshow/render_prepare.h"

namespace {

// The lake corner each of the six vertices stands on: (upper-left, lower-left, lower-right) and
// (upper-left, lower-right, upper-right), corners in the standard layout.
constexpr int kCornerOfVertex[FakeLake2D::kLakeVertexCount] = {1, 0, 2, 1, 2, 3};
// Where the bump coordinates start, so that the first row and column do not sit on a texel edge.
constexpr float kBumpStart = 0.01f;
// The bump matrix's scale, and radians of rotation per second of the wave clock.
constexpr float kBumpScale = 0.04f;
constexpr float kRadiansPerSecond = 0.5f * 9.0f;

DWORD FloatBits(float value) {
  DWORD bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// A stored 0x00BBGGRR colour in the vertex colour's 0x00RRGGBB order.
D3DCOLOR VertexColor(DWORD bgr) {
  return ((bgr & 0xFFu) << 16) | (bgr & 0xFF00u) | ((bgr >> 16) & 0xFFu);
}

void WriteQuad(DS_SimpleMesh<DX_V::PC>& quad, const QuadCorners& corners) {
  if (!quad.LockVertices()) return;
  quad.WriteCorners(corners);
  quad.UnlockVertices();
}

// The picture's rectangle (0, 0)-(W, H) in picture pixels, texture coordinates over the whole picture.
QuadCorners PictureCorners(const TextureEntry& picture) {
  QuadCorners quad;
  const float w = static_cast<float>(picture.width);
  const float h = static_cast<float>(picture.height);
  const float xy[4][2] = {{0, h}, {0, 0}, {w, h}, {w, 0}};
  for (int i = 0; i < 4; ++i) quad.corners[i].x = xy[i][0], quad.corners[i].y = xy[i][1];
  return quad;
}

}  // namespace

FakeLake2D::FakeLake2D() {
  bumpTiling.scale = 0.01f;
  bumpTiling = 100u;
  waveSpeed.scale = 0.02f;
  waveSpeed = 50u;
  lakeHeight.scale = -0.005f;
  lakeHeight.offset = 0.5f;
  lakeHeight = 25u;
  sizeValue.scale = 0.01f;
  sizeValue = 100u;
  tintAlpha.scale = 0.008f;
  tintAlpha = 31u;
  horizonFactor.scale = 0.01f;
  horizonFactor = 58u;
  CoCreateGuid(&bumpGuid);
}

FakeLake2D::~FakeLake2D() = default;

float FakeLake2D::HeldLakeHeight() const {
  // A stored height above 100 would give a negative fraction, turning the lake upside down over
  // the sky: it is held at 100, the flat horizon.
  return std::max(lakeHeight.derived, 0.0f);
}

void FakeLake2D::MirrorLowerPart(QuadCorners& quad, float x) {
  QuadCorner& lowerLeft = quad.corners[0];
  QuadCorner& upperLeft = quad.corners[1];
  QuadCorner& lowerRight = quad.corners[2];
  QuadCorner& upperRight = quad.corners[3];
  const float top = upperLeft.y, height = lowerLeft.y - upperLeft.y;
  const float vTop = upperLeft.v, vRange = lowerLeft.v - upperLeft.v;
  const float horizon = top + (1.0f - x) * height;
  const float vHorizon = vTop + (1.0f - x) * vRange;
  const float vLower = vTop + (1.0f - 2.0f * x) * vRange;
  upperLeft.y = upperRight.y = horizon;
  upperLeft.v = upperRight.v = vHorizon;
  lowerLeft.v = lowerRight.v = vLower;
}

void FakeLake2D::CreateDeviceResources() {
  DS_2D_Light::CreateDeviceResources();
  CreateLakeMesh();

  QuadCorners screen;
  screen.FullBackBuffer();
  MirrorLowerPart(screen, HeldLakeHeight());
  const D3DCOLOR color = VertexColor(lakeColor.value);
  tintQuad.BuildQuad(color, screen);
  bandQuad.BuildQuad(color, screen);
  SetTintAlphas();

  OnImageChanged();
  UpdateLakeGeometry();
  // Beyond one tiling the bump coordinates run past the clamped bump map and smear its edge.
  SetBumpCoordinates(std::min(bumpTiling.derived, 1.0f));
  tintQuad.SetRGB(color);
  bandQuad.SetRGB(color);
  reflection.SetSquareTextureCopy(reflectionSize.value, picture.texture.Get());

  // A GUID the document has no texture for leaves the bump stage without one.
  if (g_DocResManager)
    bumpTexture = g_DocResManager->GuidTexture(bumpGuid);
  else
    bumpTexture.Release();
  bumpPending = false;
}

void FakeLake2D::CreateLakeMesh() {
  lakeMesh.CreateVB(kLakeVertexCount, D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED);
  lakeMesh.primitiveType = D3DPT_TRIANGLELIST;
  lakeMesh.primitiveCount = 2;
  UploadLakeMesh();
}

void FakeLake2D::OnImageChanged() {
  LoadPicture();
  Resize(targetWidth, targetHeight);
  reflection.SetSquareTextureCopy(reflectionSize.value, picture.texture.Get());
  DS_2D_Light::Resize(targetWidth, targetHeight);
  UpdateLakeGeometry();
}

void FakeLake2D::UpdateLakeGeometry() {
  QuadCorners lake = PictureCorners(picture);
  MirrorLowerPart(lake, HeldLakeHeight());
  WriteLakeMesh(lake);
  PlaceTintQuads(lake);
}

void FakeLake2D::WriteLakeMesh(const QuadCorners& lake) {
  for (UINT i = 0; i < kLakeVertexCount; ++i) {
    const QuadCorner& corner = lake.corners[kCornerOfVertex[i]];
    LakeVertex& vertex = lakeVertices[i];
    vertex.x = corner.x, vertex.y = corner.y, vertex.z = 0.0f;
    vertex.u = corner.u, vertex.v = corner.v;
  }
  UploadLakeMesh();
}

void FakeLake2D::PlaceTintQuads(const QuadCorners& lake) {
  WriteQuad(tintQuad, lake);
  // The band's height works out to the band height value whatever the lake's height, also for a
  // lake without height, where the proportion it is derived from has no value.
  const float horizon = lake.corners[1].y;
  const float top = horizon - static_cast<float>(bandHeight.value);
  QuadCorners band = lake;
  band.corners[0].y = band.corners[2].y = horizon;
  band.corners[1].y = band.corners[3].y = top;
  WriteQuad(bandQuad, band);
}

void FakeLake2D::SetBumpCoordinates(float tiling) {
  const float u[4] = {kBumpStart, kBumpStart, tiling, tiling};
  const float v[4] = {tiling, kBumpStart, tiling, kBumpStart};
  for (UINT i = 0; i < kLakeVertexCount; ++i) {
    lakeVertices[i].bumpU = u[kCornerOfVertex[i]];
    lakeVertices[i].bumpV = v[kCornerOfVertex[i]];
  }
  UploadLakeMesh();
}

void FakeLake2D::SetTintAlphas() {
  const float a = tintAlpha.derived;
  const float b = a * (1.0f - horizonFactor.derived);
  // Lower corners, then the horizon's; the band fades from the horizon to nothing above it.
  tintQuad.SetCornerAlphas(a, a, b, b);
  bandQuad.SetCornerAlphas(b, b, 0.0f, 0.0f);
}

void FakeLake2D::UploadLakeMesh() {
  if (!lakeMesh.LockVertices()) return;
  std::memcpy(lakeMesh.lockedVertices, lakeVertices, sizeof lakeVertices);
  lakeMesh.UnlockVertices();
}

void FakeLake2D::AdvanceFrame(float t) {
  DS_2D_Light::AdvanceFrame(t);
  waveSpeed.Update(t);
  const float a = waveSpeed.accumulated * kRadiansPerSecond;
  const float c = std::cos(a), s = std::sin(a);
  bumpMatrix[0] = kBumpScale * c;
  bumpMatrix[1] = -kBumpScale * s;
  bumpMatrix[2] = kBumpScale * s;
  bumpMatrix[3] = kBumpScale * c;
}

void FakeLake2D::SetLakeStages() {
  IDirect3DDevice9* device = g_Device;
  device->SetTexture(0, bumpTexture.Get());
  device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  device->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, FloatBits(bumpMatrix[0]));
  device->SetTextureStageState(0, D3DTSS_BUMPENVMAT01, FloatBits(bumpMatrix[1]));
  device->SetTextureStageState(0, D3DTSS_BUMPENVMAT10, FloatBits(bumpMatrix[2]));
  device->SetTextureStageState(0, D3DTSS_BUMPENVMAT11, FloatBits(bumpMatrix[3]));
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
  device->SetTexture(1, reflection.texture.Get());
  device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
}

void FakeLake2D::RestoreDeviceResources() {
  if (g_Device) {
    IDirect3DDevice9* device = g_Device;
    const auto textureTimesDiffuse = [device] {
      device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFFu);
      device->SetRenderState(D3DRS_DITHERENABLE, TRUE);
      device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
      device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
      device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
      device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    };
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    textureTimesDiffuse();
    for (DWORD sampler = 0; sampler < 2; ++sampler) {
      device->SetSamplerState(sampler, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
      device->SetSamplerState(sampler, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
      device->SetSamplerState(sampler, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
      device->SetSamplerState(sampler, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR);
    }
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    SetLakeStages();
    textureTimesDiffuse();
    device->SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    // The picture of the first frame is drawn before the lake: left selecting the reflection,
    // stage 1 would paint the reflection over it. Render leaves stage 1 the same way.
    device->SetTexture(1, nullptr);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  }
  // Fonts, effects and text targets of the document come back after a device reset here, as in
  // every other layer.
  if (g_DocResManager) g_DocResManager->OnResetDevice();
  const D3DSURFACE_DESC desc = GetBackBufferDesc();
  layerTarget.Create(desc.Width, desc.Height);
}

void FakeLake2D::Render(bool) {
  if (g_Device) g_Device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
  DS_2D_Light::Render(false);
  if (!g_Device) return;
  IDirect3DDevice9* device = g_Device;
  // A lake whose buffer or reflection could not be made is left out rather than drawn as a white
  // rectangle; the tint still lies over the picture.
  if (lakeMesh.vertexBuffer && reflection.texture) {
    device->SetStreamSource(0, lakeMesh.vertexBuffer.Get(), 0, sizeof(LakeVertex));
    SetLakeStages();
    device->SetVertexShader(nullptr);
    device->SetFVF(LakeVertex::FVF);
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    device->DrawPrimitive(lakeMesh.primitiveType, 0, lakeMesh.primitiveCount);
  }
  device->SetTexture(1, nullptr);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  DrawColorQuad(tintQuad);
  DrawColorQuad(bandQuad);
}

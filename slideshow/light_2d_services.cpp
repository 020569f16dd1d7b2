// The drawing services of the layer's render context: everything a render object draws goes through
// these, placed in picture pixels by the 2D view.
#include <mmsystem.h>

#include <cmath>
#include <cstring>

#include "render/mesh_part.h"
#include "document/device.h"
#include "slideshow/light_2d.h"
#include "slideshow/render_prepare.h"

namespace {
// Handle textures of the selection corners: vertices 1, 3, 2 and 0 take textures 0 to 3 in turn.
constexpr UINT kCornerOrder[4] = {1, 3, 2, 0};
constexpr int kAllCornersHandle = 4;

DWORD FloatBits(float value) {
  DWORD bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Seconds of the current time modulo 1000 with their milliseconds: the phase of the editing aids'
// pulsing, which only has to move on steadily.
float EditorAidTime() {
  const DWORD ms = timeGetTime();
  return static_cast<float>((ms / 1000) % 1000) + static_cast<float>(ms % 1000) / 1000.0f;
}

// trunc(207 sin^2(k t) + 48): from 48 to 255.
int PulseAlpha(float k, float t) {
  const float s = std::sin(k * t);
  return static_cast<int>(207.0f * s * s + 48.0f);
}

// Texture colour, and texture alpha scaled by the factor alpha.
void SelectHandleStages(IDirect3DDevice9* device, int alpha) {
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
  device->SetRenderState(D3DRS_TEXTUREFACTOR, (static_cast<DWORD>(alpha) << 24) | 0x00FFFFFFu);
}

void RestoreDiffuseArguments(IDirect3DDevice9* device) {
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

// Every pass of the effect around `draw`; the caller has chosen the technique and parameters.
template <class Draw>
void ForEachPass(ID3DXEffect* effect, Draw draw) {
  UINT passes = 0;
  if (!effect || FAILED(effect->Begin(&passes, 0))) return;
  // An object's quad faces either way; what an earlier draw left culled must not hide it.
  g_Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  for (UINT pass = 0; pass < passes; ++pass) {
    effect->BeginPass(pass);
    draw();
    effect->EndPass();
  }
  effect->End();
}
}  // namespace

void DS_2D_Light::DrawSpritesWithEffect(DS_IndexedMesh<DX_V::PCT>& sprites, ID3DXEffect* effect) {
  if (!g_Device) return;
  g_View2D.SetWorld(sprites.local);
  PrepareIndexedPCT(sprites);
  ForEachPass(effect, [&] { DrawIndexedMesh(sprites); });
}

void DS_2D_Light::DrawQuadWithEffect(DS_SimpleMesh<DX_V::PT>& quad, ID3DXEffect* effect) {
  if (!g_Device) return;
  g_View2D.SetWorld(quad.local);
  g_Device->SetVertexShader(nullptr);
  g_Device->SetFVF(DX_V::PT::FVF);
  g_Device->SetStreamSource(0, quad.vertexBuffer.Get(), 0, sizeof(DX_V::PT));
  ForEachPass(effect, [&] {
    if (quad.vertexBuffer) g_Device->DrawPrimitive(quad.primitiveType, 0, quad.primitiveCount);
  });
}

void DS_2D_Light::DrawGridWithEffect(DS_IndexedMesh<DX_V::PT>& grid, ID3DXEffect* effect) {
  if (!g_Device) return;
  // The effect takes its matrices from the caller: the device's world matrix is left alone.
  PrepareIndexedPT(grid);
  ForEachPass(effect, [&] { DrawIndexedMesh(grid); });
}

void DS_2D_Light::DrawSpriteArray(const SpriteArrayDraw& sprites) {
  if (!g_Device || !sprites.geometry) return;
  IDirect3DDevice9* device = g_Device;
  const DS_IndexedMesh<DX_V::PCT>& geometry = *sprites.geometry;
  const bool additive = sprites.blendMode == 1;
  g_View2D.SetTransforms();
  g_View2D.SetWorld(geometry.local);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  // A masked array blends its picture normally and adds only through its mask.
  device->SetRenderState(D3DRS_DESTBLEND, (sprites.mask || !additive) ? D3DBLEND_INVSRCALPHA : D3DBLEND_ONE);
  device->SetTexture(0, sprites.texture);
  PrepareIndexedPCT(geometry);
  DrawIndexedMesh(geometry);
  if (sprites.mask) {
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTexture(0, sprites.mask.Get());
    if (additive) device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    DrawIndexedMesh(geometry);
  }
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
}

void DS_2D_Light::DrawMeshFrame(MeshPart& part) {
  if (!g_Device) return;
  IDirect3DDevice9* device = g_Device;
  const bool twoPass = part.twoPass != 0;
  g_View2D.SetTransforms();
  if (twoPass) device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetTexture(0, part.texture.Get());
  PrepareIndexedPNT(part);
  const auto drawInstances = [&](bool flipped) {
    for (const DS_Frame* frame : part.frames) {
      if (!frame) continue;
      g_View2D.SetWorld(frame->world);
      const bool counterClockwise = (frame->cullMode != 0) != flipped;
      device->SetRenderState(D3DRS_CULLMODE, counterClockwise ? D3DCULL_CCW : D3DCULL_CW);
      DrawIndexedMesh(part);
    }
  };
  drawInstances(false);
  if (twoPass) drawInstances(true);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

void DS_2D_Light::Draw3DInLayer(TexturedMesh<DX_V::PNT>& mesh) {
  if (!g_Device) return;
  IDirect3DDevice9* device = g_Device;
  g_View2D.SetTransforms();
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTexture(0, mesh.texture.Get());
  PrepareIndexedPNT(mesh);
  // Each child twice: its clockwise faces, then its counter-clockwise ones.
  for (const DS_Frame* child : mesh.children) {
    if (!child) continue;
    g_View2D.SetWorld(child->world);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    DrawIndexedMesh(mesh);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    DrawIndexedMesh(mesh);
  }
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

void DS_2D_Light::DrawSelection(DS_SimpleMesh<DX_V::PC>& quad, int selected, bool steady) {
  if (!g_Device) return;
  IDirect3DDevice9* device = g_Device;
  g_View2D.SetWorld(quad.local);
  if (selected == 0) DrawColorQuad(quad);
  device->SetVertexShader(nullptr);
  device->SetFVF(DX_V::PC::FVF);
  device->SetStreamSource(0, quad.vertexBuffer.Get(), 0, sizeof(DX_V::PC));
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  const float t = EditorAidTime();
  int alpha = 255;
  if (selected == 0)
    alpha = 80 + PulseAlpha(5.0f, t) / 3;
  else if (!steady)
    alpha = PulseAlpha(2.5f, t);
  SelectHandleStages(device, alpha);
  device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
  device->SetRenderState(D3DRS_POINTSCALEENABLE, FALSE);
  device->SetRenderState(D3DRS_POINTSIZE, FloatBits(60.0f));
  if (quad.vertexBuffer && quad.vertexCount >= 4) {
    if (selected == 0) {
      device->SetTexture(0, handleTextures[kAllCornersHandle].Get());
      device->DrawPrimitive(D3DPT_POINTLIST, 0, 4);
    } else {
      for (int i = 0; i < 4; ++i) {
        device->SetTexture(0, handleTextures[i].Get());
        device->DrawPrimitive(D3DPT_POINTLIST, kCornerOrder[i], 1);
      }
    }
  }
  RestoreDiffuseArguments(device);
}

void DS_2D_Light::DrawPulsingQuad(TexturedQuad<DX_V::PT>& quad, const D3DXMATRIX* parent, bool pulse) {
  if (!g_Device) return;
  IDirect3DDevice9* device = g_Device;
  quad.UpdateMatrices(parent);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  // Undoes the fit's scaling, so that the quad keeps its size in target pixels.
  const float s = g_View2D.picturePixelsPerTargetPixel;
  D3DXMATRIX world;
  D3DXMatrixScaling(&world, s, s, 1.0f);
  D3DXMatrixMultiply(&world, &world, &quad.world);
  g_View2D.SetWorld(world);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  SelectHandleStages(device, pulse ? PulseAlpha(2.5f, EditorAidTime()) : 255);
  quad.PrepareDraw();
  if (quad.vertexBuffer) device->DrawPrimitive(quad.primitiveType, 0, quad.primitiveCount);
  RestoreDiffuseArguments(device);
}

#include "slideshow/water_ring_light.h"

#include <algorithm>

#include "document/doc_res_manager.h"
#include "document/device.h"

namespace {

constexpr float kHalfPi = 1.57079633f;
// Half the water's depth: the view volume is fitted around it.
constexpr float kHalfDepth = DS_WaterRingLight::kWaterDepth / 2.0f;

// The picture's height / width; a picture without a height has no proportions to follow.
float PictureAspect(const TextureEntry& picture) { return picture.aspect > 0.0f ? picture.aspect : 1.0f; }

// Opaque black over the whole target, and its depth when there is a depth surface to clear.
void ClearToBlack(IDirect3DDevice9* device) {
  DWORD flags = D3DCLEAR_TARGET;
  ComHolder<IDirect3DSurface9> depth;
  if (SUCCEEDED(device->GetDepthStencilSurface(depth.Out())) && depth) flags |= D3DCLEAR_ZBUFFER;
  device->Clear(0, nullptr, flags, 0xFF000000u, 1.0f, 0);
}

// The four services objects draw with show them unlit.
template <class Draw>
void Unlit(Draw draw) {
  if (g_Device) g_Device->SetRenderState(D3DRS_LIGHTING, FALSE);
  draw();
  if (g_Device) g_Device->SetRenderState(D3DRS_LIGHTING, TRUE);
}

}  // namespace

DS_WaterRingLight::DS_WaterRingLight() : grid(std::make_unique<RippleGrid>()) {
  dropRate.scale = 1.0f / 60.0f;
  dropRate = 30u;
  specularLevel.scale = 0.01f;
  specularLevel = 90u;
  specularPower.scale = 0.8f;
  specularPower = 50u;
  D3DXMatrixIdentity(&world);
  D3DXMatrixIdentity(&view);
  D3DXMatrixIdentity(&cameraMatrix);
  D3DXMatrixIdentity(&projection);
}

DS_WaterRingLight::~DS_WaterRingLight() = default;

void DS_WaterRingLight::DrawSelection(DS_SimpleMesh<DX_V::PC>& quad, int selected, bool steady) {
  Unlit([&] { DS_2D_Light::DrawSelection(quad, selected, steady); });
}

void DS_WaterRingLight::DrawMeshFrame(MeshPart& part) {
  Unlit([&] { DS_2D_Light::DrawMeshFrame(part); });
}

void DS_WaterRingLight::DrawSpriteArray(const SpriteArrayDraw& sprites) {
  Unlit([&] { DS_2D_Light::DrawSpriteArray(sprites); });
}

void DS_WaterRingLight::Draw3DInLayer(TexturedMesh<DX_V::PNT>& mesh) {
  Unlit([&] { DS_2D_Light::Draw3DInLayer(mesh); });
}

void DS_WaterRingLight::SetDampingFromValue(UINT value) {
  // Above 100 the damping would pass 1 and every ripple would grow without bound: held at 100.
  const float v = static_cast<float>(std::min(value, 100u));
  grid->damping = value < 50 ? 0.9f + 0.0018f * v : 0.99f + 0.00018f * (v - 50.0f);
}

void DS_WaterRingLight::CreateDeviceResources() {
  DS_2D_Light::CreateDeviceResources();
  grid->BuildRefractionTable();

  // Straight down onto the water from kEyeHeight above it.
  D3DXMatrixRotationX(&cameraMatrix, -kHalfPi);
  cameraMatrix._41 = 0.0f;
  cameraMatrix._42 = kEyeHeight;
  cameraMatrix._43 = 0.0f;
  D3DXMatrixInverse(&view, nullptr, &cameraMatrix);

  // A velocity scale of 6 (1 + damping) or more makes every ring grow at each pass until the water
  // is no number and draws nothing; at the least damping, 0.9, that is a value of 520: held at 500.
  grid->velocityScale = 1.0f + 0.02f * static_cast<float>(std::min(velocityValue.value, 500u));
  // Rings rise up to five times the drop strength where drops fall every frame at the most velocity
  // and damping; a ring that reached the eye, 120 units up, would leave the view and the water with
  // it. Held at 1000 (strength 7.1), which keeps every ring well below the eye.
  grid->dropStrength = 0.1f + 0.007f * static_cast<float>(std::min(strengthValue.value, 1000u));
  SetDampingFromValue(dampingValue.value);
  grid->refractionDepth = 0.01f * static_cast<float>(depthValue.value);

  ConfigureGrid();
  ApplyMaterial();
}

void DS_WaterRingLight::ConfigureGrid() {
  grid->Resize(kWaterDepth / PictureAspect(picture), kWaterDepth, 1.0f + 0.01f * static_cast<float>(stretchValue.value),
               1.0f + 0.01f * static_cast<float>(densityValue.value));
  grid->AddDrop();
}

void DS_WaterRingLight::ApplyMaterial() {
  if (!g_Device) return;
  D3DMATERIAL9 material{};
  material.Diffuse.a = 1.0f;
  material.Specular.r = specularLevel.derived;
  material.Specular.g = specularLevel.derived;
  material.Specular.b = specularLevel.derived;
  material.Power = specularPower.derived;
  g_Device->SetMaterial(&material);
}

void DS_WaterRingLight::RestoreDeviceResources() {
  if (g_Device) {
    IDirect3DDevice9* device = g_Device;
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);

    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = lightColor;
    light.Specular = {1.0f, 1.0f, 1.0f, 0.0f};
    light.Direction = {lightDirection.x, lightDirection.y, lightDirection.z};
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);

    ApplyMaterial();
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_WORLD, &world);

    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);

    for (DWORD stage : {0u, 1u}) {
      device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
      device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
      device->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
      device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
      device->SetTextureStageState(stage, D3DTSS_COLORARG2, D3DTA_CURRENT);
      device->SetTextureStageState(stage, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    }
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR);
  }
  // Effects and fonts of the slide's objects come back with the device, as in every other layer.
  if (g_DocResManager) g_DocResManager->OnResetDevice();

  ConfigureGrid();
  Resize(lastWidth, lastHeight);
  const D3DSURFACE_DESC desc = GetBackBufferDesc();
  layerTarget.Create(desc.Width, desc.Height);
}

void DS_WaterRingLight::ReleaseDeviceResources() {
  DS_2D_Light::ReleaseDeviceResources();
  grid->ReleaseBuffers();
}

void DS_WaterRingLight::Resize(int width, int height) {
  lastWidth = width;
  lastHeight = height;
  if (width <= 0 || height <= 0) return;
  DS_2D_Light::Resize(width, height);

  const float aspect = PictureAspect(picture);
  const float ratio = static_cast<float>(width) / static_cast<float>(height);
  float halfWidth, halfHeight;
  if (aspect * ratio > 1.0f) {
    halfWidth = kHalfDepth * ratio;
    halfHeight = kHalfDepth;
  } else {
    halfWidth = kHalfDepth / aspect;
    halfHeight = halfWidth / ratio;
  }
  D3DXMatrixOrthoOffCenterRH(&projection, -halfWidth, halfWidth, -halfHeight, halfHeight, -1.0f, 2000.0f);
  if (g_Device) g_Device->SetTransform(D3DTS_PROJECTION, &projection);
}

void DS_WaterRingLight::SetPicturePosition(int newMode) {
  DS_2D_Light::SetPicturePosition(newMode);
  Resize(lastWidth, lastHeight);
}

void DS_WaterRingLight::AdvanceFrame(float t) {
  DS_2D_Light::AdvanceFrame(t);
  // A clock that went back starts the interval again from the new time.
  if (t < lastDropTime) lastDropTime = t;
  if (dropRate.derived > 0.0f && 1.0f / dropRate.derived < t - lastDropTime) {
    grid->AddDrop();
    lastDropTime = t;
  }
  grid->Simulate(D3DXVECTOR3(cameraMatrix._41, cameraMatrix._42, cameraMatrix._43));
}

void DS_WaterRingLight::DrawRippleMesh(IDirect3DTexture9* texture) {
  if (!g_Device) return;
  IDirect3DDevice9* device = g_Device;
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
  device->SetTransform(D3DTS_WORLD, &world);

  // The camera's pan and the picture position, turned from picture pixels into water units, so that
  // the water moves and zooms as the picture would.
  D3DXMATRIX placement;
  D3DXMatrixMultiply(&placement, &g_View2D.camera, &g_View2D.picturePosition);
  const float a = grid->width, b = grid->depth;
  const float pictureWidth = static_cast<float>(GetWidth());
  const float pictureHeight = static_cast<float>(GetHeight());
  // Without a picture size there is no pan to measure: the water stays centred.
  const float u = (pictureWidth > 0.0f ? a * (placement._41 / placement._11) / pictureWidth : 0.0f) + a / 2.0f;
  const float t = (pictureHeight > 0.0f ? b * (placement._42 / placement._22) / pictureHeight : 0.0f) + b / 2.0f;
  D3DXMATRIX scaling = placement;
  scaling._41 = 0.0f;
  scaling._42 = 0.0f;

  D3DXMATRIX toCorner, fromCorner, waterView;
  D3DXMatrixTranslation(&toCorner, u, 0.0f, t);
  D3DXMatrixTranslation(&fromCorner, -a / 2.0f, b / 2.0f, 0.0f);
  D3DXMatrixMultiply(&waterView, &toCorner, &view);
  D3DXMatrixMultiply(&waterView, &waterView, &scaling);
  D3DXMatrixMultiply(&waterView, &waterView, &fromCorner);
  device->SetTransform(D3DTS_VIEW, &waterView);
  device->SetTransform(D3DTS_PROJECTION, &projection);

  device->SetTexture(0, texture);
  grid->Draw();
  g_View2D.SetTransforms();
}

void DS_WaterRingLight::Render(bool) {
  if (waterMode.value == 1) {
    // The picture as it is, unlit (it has no normals): a restore leaves the water's light on and
    // stage 0 disabled, which would draw it black or white on the first frame.
    if (g_Device) {
      g_Device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
      g_Device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    }
    Unlit([&] { DS_2D_Light::Render(false); });
    return;
  }
  // The view is shared by every layer: the water follows this layer's camera and picture position.
  ReapplyView();
  if (!g_Device) return;
  // Outside the water (bars beside a picture of other proportions) the target shows black rather
  // than whatever it held before.
  ClearToBlack(g_Device);
  screenQuad.PrepareDraw();
  DrawRippleMesh(picture.texture.Get());
}

void DS_WaterRingLight::PostRender() {
  if (waterMode.value == 1) {
    ApplyView(mode, false);
    layerTarget.EndRender();
    if (g_Device) {
      ClearToBlack(g_Device);
      DrawRippleMesh(layerTarget.Current());
    }
  }
  g_View2D.DrawBorders();
}

void DS_WaterRingLight::DrawFadeQuad(DS_SimpleMesh<DX_V::PWC>& overlay) {
  DS_2D_Light::DrawFadeQuad(overlay);
  if (g_Device) g_Device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

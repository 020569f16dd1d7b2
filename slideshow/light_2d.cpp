#include "slideshow/light_2d.h"

#include <memory>

#include "document/doc_res_manager.h"
#include "document/resource_store.h"
#include "document/device.h"
#include "slideshow/render_prepare.h"

namespace {
// The executable's own pictures of the selection handles (which the executable does not carry).
constexpr INT kHandleIds[5] = {54, 55, 56, 57, 61};
}  // namespace

DS_2D_Light::DS_2D_Light() {
  pictureLink = DS_FileLink3::ConstructFromResource(5, u"vaultkit.dll");
  BindImageLink();
}

DS_2D_Light::~DS_2D_Light() {
  // The shared view must not keep drawing quads that die with this layer.
  if (g_View2D.Borders() == &borders) g_View2D.UseBorders(nullptr);
}

void DS_2D_Light::BindImageLink() {
  auto observer = std::make_unique<DS_FunLightCtrl2<DS_2D_Light>>(&DS_2D_Light::OnImageChanged, this);
  observer->Attach(&pictureLink);
  controls.Add(std::move(observer));
}

void DS_2D_Light::CreateDeviceResources() {
  CreateScreenQuad();
  LoadPicture();
  g_View2D.UseBorders(&borders);
  g_View2D.SetBorderTextures(camera.borderPicture);
  ResourceStore* store = g_ResourceStore ? *g_ResourceStore : nullptr;
  for (int i = 0; i < 5; ++i) {
    if (store)
      handleTextures[i].Attach(store->GetOwnTexture(kHandleIds[i]));
    else
      handleTextures[i].Release();
  }
}

void DS_2D_Light::CreateScreenQuad() {
  const float vertices[20] = {0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 1, 0};
  screenQuad.SetVertices(vertices);
}

void DS_2D_Light::LoadPicture() {
  const TextureSet* set = g_DocResManager ? g_DocResManager->GetTextureSet(pictureLink) : nullptr;
  if (set)
    picture.FromTextureSet(*set);
  else
    picture = TextureEntry{};
  screenQuad.SetTextureEntry(picture);
}

void DS_2D_Light::RestoreDeviceResources() {
  if (g_Device) {
    IDirect3DDevice9* device = g_Device;
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    // Quads are placed by mirrored matrices as often as not; the device's default culling would
    // drop them unless a slide before this one happened to turn it off.
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR);
    // The further stages are sampled only by the objects' effects (noise, patterns, masks), which
    // scroll their textures: smooth and repeating, whatever the slide before left there.
    for (DWORD sampler = 1; sampler < 4; ++sampler) {
      device->SetSamplerState(sampler, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
      device->SetSamplerState(sampler, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
      device->SetSamplerState(sampler, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
      device->SetSamplerState(sampler, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    }
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  }
  if (g_DocResManager) g_DocResManager->OnResetDevice();
  const D3DSURFACE_DESC desc = GetBackBufferDesc();
  layerTarget.Create(desc.Width, desc.Height);
}

void DS_2D_Light::ReleaseDeviceResources() {
  layerTarget.ReleaseTextures();
  background.Release();
}

void DS_2D_Light::Render(bool clearOnly) {
  ReapplyView();
  if (!g_Device) return;
  g_View2D.SetTransforms();
  g_View2D.SetWorld(screenQuad.local);
  g_Device->Clear(0, nullptr, D3DCLEAR_TARGET, clearOnly ? 0x00FFFFFFu : 0u, 1.0f, 0);
  // A picture that could not be made draws nothing rather than an untextured white rectangle.
  if (clearOnly || !screenQuad.texture || !screenQuad.vertexBuffer) return;
  screenQuad.PrepareDraw();
  g_Device->DrawPrimitive(screenQuad.primitiveType, 0, screenQuad.primitiveCount);
}

void DS_2D_Light::PostRender() { g_View2D.DrawBorders(); }

void DS_2D_Light::AdvanceFrame(float t) {
  ReapplyView();
  camera.AdvanceFrame(t);
}

void DS_2D_Light::DrawFadeQuad(DS_SimpleMesh<DX_V::PWC>& overlay) {
  if (!g_Device) return;
  IDirect3DDevice9* device = g_Device;
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  const StageOperations saved = SelectDiffuse(device);
  PreparePWC(overlay);
  if (overlay.vertexBuffer) device->DrawPrimitive(overlay.primitiveType, 0, overlay.primitiveCount);
  RestoreTextureArguments(device, saved);
}

bool DS_2D_Light::StartCamera() {
  const bool wasRunning = camera.mode.value == 1;
  camera.mode = 1;
  camera.startPanX = camera.endPanX = 0.0f;
  camera.startPanY = camera.endPanY = 0.0f;
  camera.startTime = camera.endTime = 0.0f;
  return wasRunning;
}

void DS_2D_Light::OnImageChanged() {
  LoadPicture();
  Resize(targetWidth, targetHeight);
}

#include "objects/flame_light.h"

#include "document/doc_res_manager.h"
#include "document/device.h"
#include "slideshow/view_2d.h"

namespace {

const ds_string kLibrary = u"vaultkit.dll";
constexpr INT kPatternId = 7;
constexpr INT kNoiseId = 8;
constexpr INT kBumpId = 62;
constexpr INT kDistortionEffectId = 63;

// The flames are this part of the picture's height tall.
constexpr float kFlameHeight = 0.65f;

// A new four-vertex strip with these (x, y, z, u, v) vertices.
void FillQuad(DS_SimpleMesh<DX_V::PT>& mesh, const DX_V::PT (&vertices)[4]) {
  mesh.CreateQuadBuffer();
  DX_V::PT* v = mesh.LockVertices();
  if (!v) return;
  for (int i = 0; i < 4; ++i) v[i] = vertices[i];
  mesh.UnlockVertices();
}

// New positions (x, y) at z = 0 for the four vertices; the texture coordinates stay.
void MoveQuad(DS_SimpleMesh<DX_V::PT>& mesh, const float (&positions)[4][2]) {
  if (mesh.vertexCount < 4) return;
  DX_V::PT* v = mesh.LockVertices();
  if (!v) return;
  for (int i = 0; i < 4; ++i) {
    v[i].x = positions[i][0];
    v[i].y = positions[i][1];
    v[i].z = 0.0f;
  }
  mesh.UnlockVertices();
}

}  // namespace

HeatDistortion::HeatDistortion() {
  quad.primitiveType = D3DPT_TRIANGLESTRIP;
  bumpLink = DS_FileLink3::ConstructFromResource(kBumpId, kLibrary);
  effectLink = DS_FileLink3::ConstructFromResource(kDistortionEffectId, kLibrary);
  speed.scale = 0.001f;
  speed.offset = 0.0f;
  speed = 50u;
  strength.scale = 0.002f;
  strength.offset = 0.0f;
  strength = 25u;
  bumpScale.scale = -0.009f;
  bumpScale.offset = 1.0f;
  bumpScale = 88u;
}

bool HeatDistortion::Init() {
  FillQuad(quad, {{0, 600, 0, 0, 1}, {0, 0, 0, 0, 0}, {800, 600, 0, 1, 1}, {800, 0, 0, 1, 0}});
  const TextureSet* set = g_DocResManager ? g_DocResManager->GetTextureSet(bumpLink) : nullptr;
  // A set without pictures leaves the effect without its bump map rather than reading past the set.
  bumpTexture.Set(set && !set->textures.empty() ? set->textures.front().Get() : nullptr);
  // The manager adds the reference that the distortion keeps.
  effect.Attach(g_DocResManager ? g_DocResManager->GetEffect(effectLink) : nullptr);
  return static_cast<bool>(effect);
}

void HeatDistortion::SetSize(float width, float height) {
  MoveQuad(quad, {{0, height}, {0, 0}, {width, height}, {width, 0}});
  // A picture without a width has no aspect; the bump map then stays square.
  aspect = width > 0.0f ? height / width : 1.0f;
}

void HeatDistortion::Update(float time) {
  if (!effect) return;
  speed.Update(time);
  const float c = speed.accumulated;
  effect->SetFloat("stenght", strength.derived * 0.05f);
  const float offset[2] = {c, -c};
  effect->SetFloatArray("Offset", offset, 2);
  const float s = bumpScale.derived;
  const float scale[2] = {s, s * aspect};
  effect->SetFloatArray("bump_scale", scale, 2);
}

void HeatDistortion::Draw(RenderTargetPair& pair) {
  if (!effect || !g_Device) return;
  IDirect3DDevice9* device = g_Device;
  effect->SetTexture("SceneTex", pair.Current());
  effect->SetTexture("Bumpmap", bumpTexture.Get());
  effect->SetTechnique("BumpmapDistortLow2");
  UINT passes = 0;
  if (FAILED(effect->Begin(&passes, 0))) return;
  for (UINT pass = 0; pass < passes; ++pass) {
    effect->BeginPass(pass);
    device->SetVertexShader(nullptr);
    device->SetFVF(DX_V::PT::FVF);
    device->SetStreamSource(0, quad.vertexBuffer.Get(), 0, sizeof(DX_V::PT));
    if (quad.vertexBuffer) device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    effect->EndPass();
  }
  effect->End();
}

DS_FlameLight::DS_FlameLight() {
  fire.patternLink = DS_FileLink3::ConstructFromResource(kPatternId, kLibrary);
  fire.noiseLink = DS_FileLink3::ConstructFromResource(kNoiseId, kLibrary);
  fireQuad.primitiveType = D3DPT_TRIANGLESTRIP;
}

DS_FlameLight::~DS_FlameLight() = default;

void DS_FlameLight::CreateDeviceResources() {
  DS_2D_Light::CreateDeviceResources();
  FillQuad(fireQuad, {{0, 0, 0, 0, 0}, {800, 0, 0, 1, 0}, {0, 600, 0, 0, 0.95f}, {800, 600, 0, 1, 0.95f}});
  // Without its effect the distortion stays off for the rest of the run; only the undo history hears.
  if (!distortion.Init()) distortionSwitch = 0;
  OnImageChanged();
  MaskHolder noMask;
  fire.Load(&noMask);
}

void DS_FlameLight::OnImageChanged() {
  LoadPicture();
  DS_2D_Light::Resize(targetWidth, targetHeight);
  const float W = static_cast<float>(picture.width);
  const float H = static_cast<float>(picture.height);
  distortion.SetSize(W, H);
  const float bottom = (1.0f + 0.005f * static_cast<float>(fireHeight.value)) * H;
  const float top = bottom - kFlameHeight * H;
  MoveQuad(fireQuad, {{0, top}, {W, top}, {0, bottom}, {W, bottom}});
}

void DS_FlameLight::RestoreDeviceResources() {
  if (g_Device) {
    IDirect3DDevice9* device = g_Device;
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    for (DWORD sampler = 0; sampler < 4; ++sampler) {
      device->SetSamplerState(sampler, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
      device->SetSamplerState(sampler, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    }
    // The flames' noise and the shimmer's bump map scroll over the further stages: they repeat,
    // whatever the slide before left there (the lake leaves its reflection's stage mirroring).
    for (DWORD sampler = 1; sampler < 4; ++sampler) {
      device->SetSamplerState(sampler, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
      device->SetSamplerState(sampler, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    }
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
  }
  DS_2D_Light::Resize(targetWidth, targetHeight);
  const D3DSURFACE_DESC desc = GetBackBufferDesc();
  layerTarget.Create(desc.Width, desc.Height);
}

void DS_FlameLight::ReleaseDeviceResources() {
  if (distortion.effect) distortion.effect->SetTexture("SceneTex", nullptr);
  DS_2D_Light::ReleaseDeviceResources();
}

void DS_FlameLight::AdvanceFrame(float t) {
  fire.Update(t);
  DS_2D_Light::AdvanceFrame(t);
  distortion.Update(t);
}

void DS_FlameLight::Render(bool) {
  DS_2D_Light::Render(false);
  if (fireSwitch.value == 0 || !fire.effect) return;
  fire.SetPartParameters(fireQuad);
  fire.effect->SetTechnique("AsEffect");
  DrawQuadWithEffect(fireQuad, fire.effect.Get());
}

void DS_FlameLight::PostRender() {
  if (HasPostEffect()) {
    RenderTargetPair& pair = EndLayerTarget(false);
    g_View2D.SetWorld(distortion.quad.local);
    distortion.Draw(pair);
  }
  if (g_Device) g_Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  g_View2D.DrawBorders();
  if (g_Device) g_Device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
}

#include "slideshow/glass_ball_light.h"

#include <cmath>
#include <cstring>

#include "document/doc_res_manager.h"
#include "document/device.h"

namespace {

constexpr float kPi = 3.141592654f;
constexpr D3DCOLOR kBarColor = 0xFF000000u;
constexpr UINT kQuadBytes = 4 * sizeof(DS_GlassBallLight::SphereVertex);

DWORD FloatBits(float value) {
  DWORD bits = 0;
  static_assert(sizeof bits == sizeof value);
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

float Fraction(float x) { return x - std::floor(x); }

// The first texture of the link's set; none when the set is missing or empty.
void TakeFirstTexture(const DS_ImageFileLink& link, ComHolder<IDirect3DTexture9>& texture) {
  const TextureSet* set = g_DocResManager ? g_DocResManager->GetTextureSet(link) : nullptr;
  if (set && !set->textures.empty())
    texture = set->textures.front();
  else
    texture.Release();
}

// A managed write-only quad of four sphere vertices, each given as x, y, u, v at z 0; the second
// coordinate pair stays zero (stage 1 generates its coordinates). False when it cannot be made.
bool CreateSphereVertices(ComHolder<IDirect3DVertexBuffer9>& buffer, const float corners[4][4]) {
  buffer.Release();
  if (!g_Device || FAILED(g_Device->CreateVertexBuffer(kQuadBytes, D3DUSAGE_WRITEONLY, DS_GlassBallLight::SphereVertex::FVF,
                                                       D3DPOOL_MANAGED, buffer.Out(), nullptr)) ||
      !buffer)
    return false;
  void* data = nullptr;
  if (FAILED(buffer->Lock(0, 0, &data, 0)) || !data) return true;
  DS_GlassBallLight::SphereVertex vertices[4] = {};
  for (int i = 0; i < 4; ++i) {
    vertices[i].x = corners[i][0];
    vertices[i].y = corners[i][1];
    vertices[i].u0 = corners[i][2];
    vertices[i].v0 = corners[i][3];
  }
  std::memcpy(data, vertices, kQuadBytes);
  buffer->Unlock();
  return true;
}

}  // namespace

GlassBallScrollClock& SharedGlassBallScroll() {
  static GlassBallScrollClock clock;
  return clock;
}

DS_GlassBallLight::DS_GlassBallLight() {
  highlightLink = DS_FileLink3::ConstructFromResource(58, u"vaultkit.dll");
  secondHighlightLink = DS_FileLink3::ConstructFromResource(59, u"vaultkit.dll");
  standLink = DS_FileLink3::ConstructFromResource(60, u"vaultkit.dll");
  backgroundLink = DS_FileLink3::ConstructFromResource(5, u"vaultkit.dll");
  scrollSpeed.scale = 0.02f;
  scrollSpeed.offset = 1.0f;
  scrollSpeed = 0u;
  D3DXMatrixIdentity(&textureMatrix);
}

DS_GlassBallLight::~DS_GlassBallLight() = default;

void DS_GlassBallLight::Render(bool) { DS_2D_Light::Render(false); }

void DS_GlassBallLight::SetBackgroundTexture(IDirect3DTexture9* texture) {
  // A background picture that could not be made leaves the gradient in its place.
  backgroundTexture.Set(texture ? texture : gradient.Get());
  backgroundQuad.texture = backgroundTexture;
}

void DS_GlassBallLight::CreateDeviceResources() {
  DS_2D_Light::CreateDeviceResources();
  TakeFirstTexture(highlightLink, highlight);
  TakeFirstTexture(secondHighlightLink, secondHighlight);
  TakeFirstTexture(standLink, stand);
  CreateSphereBumpMap();
  CreateGradientTexture();
  CreateSphereMask();

  QuadCorners full;
  full.FullBackBuffer();
  backgroundQuad.SetTextureAndCorners(gradient.Get(), full);
  for (TexturedQuad<DX_V::PWCT>& quad : scrollQuads) quad.SetCornersOwnResource0(full);

  // A buffer that cannot be made only leaves its quad undrawn: the background is still chosen.
  const float sphere[4][4] = {{-256, -256, 0, 1}, {-256, 256, 0, 0}, {256, -256, 1, 1}, {256, 256, 1, 0}};
  CreateSphereVertices(sphereQuad, sphere);
  for (DS_SimpleMesh<DX_V::PWC>& bar : bars) bar.BuildQuad(kBarColor, full);
  const float standCorners[4][4] = {{-230.4f, -372.19293f, 0, 1},
                                    {-230.4f, -185.61412f, 0, 0},
                                    {232.9f, -372.19293f, 1, 1},
                                    {232.9f, -185.61412f, 1, 0}};
  CreateSphereVertices(standQuad, standCorners);

  if (g_Device) {
    D3DXMATRIX world, view, projection;
    D3DXMatrixIdentity(&world);
    const D3DXVECTOR3 eye(0.0f, 0.0f, -2001.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, kPi / 4.0f, 1.0f, 1.0f, 3000.0f);
    g_Device->SetTransform(D3DTS_WORLD, &world);
    g_Device->SetTransform(D3DTS_VIEW, &view);
    g_Device->SetTransform(D3DTS_PROJECTION, &projection);
  }
  UseGradientBackground();
  SelectBackground();
  LoadBackgroundPicture();
}

void DS_GlassBallLight::UseGradientBackground() {
  CreateGradientTexture();
  SetBackgroundTexture(gradient.Get());
}

void DS_GlassBallLight::SelectBackground() {
  if (backgroundPictureSwitch.value == 1) {
    SetBackgroundTexture(backgroundPicture.texture.Get());
    effectiveMode = kFit;
  } else {
    SetBackgroundTexture(gradient.Get());
    effectiveMode = kFill;
  }
  Resize(targetWidth, targetHeight);
  Resize(targetWidth, targetHeight);
}

void DS_GlassBallLight::LoadBackgroundPicture() {
  const TextureSet* set = g_DocResManager ? g_DocResManager->GetTextureSet(backgroundLink) : nullptr;
  if (set)
    backgroundPicture.FromTextureSet(*set);
  else
    backgroundPicture = TextureEntry{};
  if (backgroundPictureSwitch.value != 1) return;
  SetBackgroundTexture(backgroundPicture.texture.Get());
  Resize(targetWidth, targetHeight);
}

void DS_GlassBallLight::RestoreDeviceResources() {
  DS_2D_Light::RestoreDeviceResources();
  if (!g_Device) return;
  IDirect3DDevice9* device = g_Device;
  device->SetSamplerState(1, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
  device->SetSamplerState(1, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
  device->SetSamplerState(1, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, FloatBits(0.2f));
  device->SetTextureStageState(0, D3DTSS_BUMPENVMAT01, FloatBits(0.0f));
  device->SetTextureStageState(0, D3DTSS_BUMPENVMAT10, FloatBits(0.0f));
  device->SetTextureStageState(0, D3DTSS_BUMPENVMAT11, FloatBits(0.25f));
  device->SetTextureStageState(0, D3DTSS_BUMPENVLSCALE, FloatBits(1.0f));
  device->SetTextureStageState(0, D3DTSS_BUMPENVLOFFSET, FloatBits(0.0f));
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
  device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  // Stage 1 now shows its texture over everything drawn: one that an earlier slide left bound
  // would cover the first frame's background.
  device->SetTexture(1, nullptr);
}

void DS_GlassBallLight::ReleaseDeviceResources() {
  DS_2D_Light::ReleaseDeviceResources();
  for (TexturedQuad<DX_V::PWCT>& quad : scrollQuads) quad.texture.Release();
}

void DS_GlassBallLight::AdvanceFrame(float t) {
  camera.AdvanceFrame(t);
  Resize(targetWidth, targetHeight);
  if (scrollMode.value == 0) {
    sway = 0.0f;
    return;
  }
  GlassBallScrollClock& clock = SharedGlassBallScroll();
  if (!clock.started) {
    clock.lastTime = t;
    clock.started = true;
  }
  clock.phase += (t - clock.lastTime) * scrollSpeed.derived * 0.0625f;
  if (scrollMode.value == 1 || scrollMode.value == 2) {
    sway = 0.0f;
    PlaceScrollQuads();
  } else if (scrollMode.value == 3) {
    const float g = Fraction(clock.phase * 0.5f) * 2.0f - 1.0f;
    sway = std::fabs(g) * 2.0f - 1.0f;
  }
  clock.lastTime = t;
}

void DS_GlassBallLight::PlaceScrollQuads() {
  const D3DSURFACE_DESC desc = GetBackBufferDesc();
  const float W = static_cast<float>(desc.Width), H = static_cast<float>(desc.Height);
  const float t = SharedGlassBallScroll().phase * (scrollMode.value == 1 ? -0.5f : 0.5f);
  const float f = Fraction(t);
  const float left[2] = {f * W, f * W - W};
  const float right[2] = {W + f * W, f * W};
  for (int i = 0; i < 2; ++i) {
    QuadCorners quad;  // rhw 1 and the standard texture coordinates
    quad.corners[0].x = left[i], quad.corners[0].y = H;
    quad.corners[1].x = left[i], quad.corners[1].y = 0.0f;
    quad.corners[2].x = right[i], quad.corners[2].y = H;
    quad.corners[3].x = right[i], quad.corners[3].y = 0.0f;
    scrollQuads[i].UpdateCorners(quad);
  }
}

void DS_GlassBallLight::DrawSphereQuad(IDirect3DVertexBuffer9* buffer) {
  if (!buffer) return;
  g_Device->SetFVF(SphereVertex::FVF);
  g_Device->SetStreamSource(0, buffer, 0, sizeof(SphereVertex));
  g_Device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
}

void DS_GlassBallLight::PostRender() {
  if (!g_Device) return;
  IDirect3DDevice9* device = g_Device;
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);

  if (scrollMode.value == 1 || scrollMode.value == 2) {
    IDirect3DTexture9* drawn = layerTarget.Swap();
    for (TexturedQuad<DX_V::PWCT>& quad : scrollQuads) {
      quad.texture.Set(drawn);
      // Without the drawn texture the quads would cover the target in untextured white.
      if (!drawn || !quad.vertexBuffer) continue;
      quad.PrepareDraw();
      device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    }
  }

  ComHolder<IDirect3DTexture9> slide;
  slide.Set(EndLayerTarget(false).Current());

  if (backgroundQuad.texture && backgroundQuad.vertexBuffer) {
    backgroundQuad.PrepareDraw();
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  } else {
    // Nothing to show behind the glass: black rather than whatever the back buffer held.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  }

  SetSphereTransforms(true);
  device->SetTexture(0, bumpMap.Get());
  device->SetTexture(1, slide.Get());
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  // Without the slide the sphere would show as a white square.
  if (slide) DrawSphereQuad(sphereQuad.Get());

  SetSphereTransforms(false);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTexture(1, nullptr);

  // An image that could not be made is skipped: untextured, it would be an opaque white square.
  if (highlightSwitch.value != 0 && highlight) {
    device->SetTexture(0, highlight.Get());
    DrawSphereQuad(sphereQuad.Get());
  }
  if (secondHighlightSwitch.value != 0 && secondHighlight) {
    device->SetTexture(0, secondHighlight.Get());
    DrawSphereQuad(sphereQuad.Get());
  }

  device->SetTexture(0, sphereMask.Get());
  device->SetTexture(1, backgroundTexture.Get());
  float W = 0.0f, H = 0.0f;
  MeasureSize(W, H);
  textureMatrix._11 /= sx;
  textureMatrix._22 /= sy;
  // A target of no size has no offset to undo.
  const float shiftX = W * rx != 0.0f ? ox / (W * rx) : 0.0f;
  const float shiftY = H * ry != 0.0f ? oy / (H * ry) : 0.0f;
  textureMatrix._41 = (textureMatrix._41 - shiftX) / sx;
  textureMatrix._42 = (textureMatrix._42 - shiftY) / sy;
  device->SetTransform(D3DTS_TEXTURE1, &textureMatrix);
  // Without the mask the background would cover the whole sphere quad.
  if (sphereMask) DrawSphereQuad(sphereQuad.Get());
  device->SetTexture(1, nullptr);

  if (standSwitch.value != 0 && stand) {
    device->SetTexture(0, stand.Get());
    DrawSphereQuad(standQuad.Get());
  }
  device->SetTexture(0, nullptr);

  if (backgroundPictureSwitch.value == 1 && effectiveMode == kFit)
    for (DS_SimpleMesh<DX_V::PWC>& bar : bars) DrawFadeQuad(bar);
}

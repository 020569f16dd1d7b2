#include "objects/fire_brush.h"

#include "document/doc_res_manager.h"
#include "render/ab_render.h"
#include "slideshow/view_2d.h"

namespace {

const ds_string kLibrary = u"vaultkit.dll";
constexpr INT kFireEffectId = 92;
constexpr INT kPatternId = 93;
constexpr INT kNoiseId = 8;
constexpr INT kCells = 8;
constexpr UINT kGridVertices = (kCells + 1) * (kCells + 1);

// The first picture of the link's set; null without a manager or without pictures.
IDirect3DTexture9* FirstTexture(const DS_ImageFileLink& link) {
  if (!g_DocResManager) return nullptr;
  const TextureSet* set = g_DocResManager->GetTextureSet(link);
  return set && !set->textures.empty() ? set->textures.front().Get() : nullptr;
}

// The grid's frame, counts and shared buffers (one reference more each).
void CopyGrid(GridMesh& to, const GridMesh& from) {
  to.boundingRadius = from.boundingRadius;
  to.boundingCentre = from.boundingCentre;
  to.world = from.world;
  to.local = from.local;
  to.cullMode = from.cullMode;
  to.vertexBuffer = from.vertexBuffer;
  to.vertexCount = from.vertexCount;
  to.primitiveType = from.primitiveType;
  to.primitiveCount = from.primitiveCount;
  to.indexBuffer = from.indexBuffer;
  to.triangleCount = from.triangleCount;
  to.columns = from.columns;
  to.rows = from.rows;
}

float Channel(DWORD color, int shift) { return static_cast<float>((color >> shift) & 0xFFu) / 255.0f; }

}  // namespace

DS_FireFX::DS_FireFX() {
  effectLink = DS_FileLink3::ConstructFromResource(kFireEffectId, kLibrary);
  // One clock unit per second at the value 50.
  speed.scale = 0.02f;
  speed.offset = 0.0f;
  speed = 50u;
  patternLink = DS_FileLink3::ConstructFromResource(kPatternId, kLibrary);
  noiseLink = DS_FileLink3::ConstructFromResource(kNoiseId, kLibrary);
  density.scale = 0.01f;
  density.offset = -1.0f;
  density = 100u;
  brightness.scale = 0.02f;
  brightness = 15u;
  textureRepeat.scale = 0.01f;
  textureRepeat = 100u;
}

DS_FireFX::DS_FireFX(const DS_FireFX& other)
    : DS_FX_Constructor(other),
      quad(other.quad),
      colorA(other.colorA),
      colorB(other.colorB),
      storedInt1(other.storedInt1),
      patternLink(other.patternLink),
      noiseLink(other.noiseLink),
      storedInt2(other.storedInt2),
      density(other.density),
      brightness(other.brightness),
      textureRepeat(other.textureRepeat),
      patternTexture(other.patternTexture),
      noiseTexture(other.noiseTexture) {
  CopyGrid(part, other.part);
}

void DS_FireFX::Assign(const DS_FireFX& source) {
  if (&source == this) return;
  DS_FX_Constructor::Assign(source);
  quad = source.quad;
  colorA = source.colorA.value;
  colorB = source.colorB.value;
  storedInt1 = source.storedInt1.value;
  patternLink = source.patternLink;
  noiseLink = source.noiseLink;
  storedInt2 = source.storedInt2.value;
  density = source.density;
  brightness = source.brightness;
  textureRepeat = source.textureRepeat;
  patternTexture = source.patternTexture;
  noiseTexture = source.noiseTexture;
  CopyGrid(part, source.part);
}

void DS_FireFX::Load(MaskHolder* maskHolder) {
  DS_FX_Constructor::Load(maskHolder);
  patternTexture.Set(FirstTexture(patternLink));
  noiseTexture.Set(FirstTexture(noiseLink));
  CreatePart();
  BuildPart();
}

void DS_FireFX::CreatePart() {
  part.columns = kCells;
  part.rows = kCells;
  part.CreateVB(kGridVertices, D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED);
  part.primitiveType = D3DPT_TRIANGLELIST;
  part.primitiveCount = 0;
  CreateGridIndices9x9(part);
}

void DS_FireFX::BuildPart() {
  // A repeat of 0 would send u to infinity; the grid then keeps one repeat.
  const float r = textureRepeat.derived;
  const float uEnd = r > 0.0f ? 1.0f / r : 1.0f;
  const float u[4] = {0.0f, 0.0f, uEnd, uEnd};
  const float v[4] = {0.0f, 1.0f, 0.0f, 1.0f};
  QuadCorners corners;
  for (int i = 0; i < 4; ++i) {
    const D3DXVECTOR3& p = quad.corners[i].value;
    corners.corners[i] = QuadCorner{p.x, p.y, p.z, u[i], v[i]};
  }
  FillGridBilinear(part, corners);
}

void DS_FireFX::SetPartParameters(const DS_Frame& geometry) {
  if (!effect) return;
  D3DXMATRIX matrix;
  g_View2D.GetWorldViewProjection(&matrix, geometry.world);
  effect->SetMatrix("WorldViewProj", &matrix);
  g_View2D.GetViewProjection(&matrix);
  effect->SetMatrix("ViewProj", &matrix);
  effect->SetTexture("Noise", noiseTexture.Get());
  effect->SetTexture("Pattern", patternTexture.Get());
  const float t = speed.accumulated;
  const float c11[2] = {0.0f, 1.3f * t};
  const float c12[2] = {0.0f, 2.1f * t};
  const float c13[2] = {0.0f, 2.3f * t};
  effect->SetFloatArray("c11", c11, 2);
  effect->SetFloatArray("c12", c12, 2);
  effect->SetFloatArray("c13", c13, 2);
}

void DS_FireFX::Apply(DS_ABRender& layer) {
  // Without its effect the brush draws nothing.
  if (!effect) return;
  SetPartParameters(part);
  float bg[2] = {1.0f, 1.0f};
  if (g_View2D.mode != kLayerTarget) {
    bg[0] = g_View2D.ratioX;
    bg[1] = g_View2D.ratioY;
  }
  const DWORD a = colorA.value;
  const DWORD b = colorB.value;
  const float k1[3] = {Channel(b, 0), Channel(b, 8), Channel(b, 16)};
  const float k2[3] = {Channel(a, 0) - Channel(b, 0), Channel(a, 8) - Channel(b, 8), Channel(a, 16) - Channel(b, 16)};
  effect->SetFloatArray("ColorK1", k1, 3);
  effect->SetFloatArray("ColorK2", k2, 3);
  effect->SetFloatArray("bg_scale_factor", bg, 2);
  effect->SetTexture("Mask", mask.Get());
  effect->SetTexture("Background", layer.GetBackground().Get());
  effect->SetFloat("Brightness", brightness.derived);
  effect->SetFloat("Density", density.derived);
  // The "MainFX" flag only decides whether the layer hands over its background.
  effect->SetTechnique("Main");
  layer.DrawGridWithEffect(part, effect.Get());
}

// The water brush and its stored record "DS_WaterFX", version 1: the shape, bump-rotation and two
// wave scale values, the angle, the shadows and half-vector height values, the colour and the bump
// link, then a whole "DS_FX_Constructor" record.
#include "objects/water_brush.h"

#include <cmath>
#include <memory>

#include "document/class_registry.h"
#include "document/doc_res_manager.h"
#include "objects/water_brush_program.h"
#include "platform/d3dx9/effect_programs.h"
#include "render/ab_render.h"

namespace {
const ds_string kClassName = u"DS_WaterFX";
constexpr DWORD kVersion = 1;
constexpr INT kEffectId = 90;
constexpr INT kBumpId = 89;
// Pi as the single-precision value the angle arithmetic has always used.
constexpr float kPi = 3.14159265358979f;

const IOF_Virtual_ReaderT<DS_WaterFX> g_WaterFXReader;
const bool g_WaterFXRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_WaterFXReader);
const bool g_WaterProgramRegistered = d3dx9::RegisterEffectProgram("water_surface", &WaterSurfaceProgram);

void SetScaled(UINTSclaleTo<float>& property, float scale, float offset, UINT value) {
  property.scale = scale;
  property.offset = offset;
  property = value;
}
}  // namespace

template <>
void IOF_ReadFields<DS_WaterFX>(DS_IOF_Virtual** stream, DWORD, DS_WaterFX& brush) {
  brush.ReadFields(stream);
}

DS_WaterFX::DS_WaterFX() : color(0xFFFFFFu) {
  effectLink = DS_FileLink3::ConstructFromResource(kEffectId, u"vaultkit.dll");
  // One clock unit per second at the value 50.
  speed.scale = 0.02f;
  speed.offset = 0.0f;
  speed = 50u;
  zoom = 30u;
  SetScaled(shape, 0.0001f, 0.0f, 20u);
  SetScaled(bumpRotationScale, 0.001f, 0.0f, 20u);
  SetScaled(wave2Scale, 0.00025f, 0.0f, 20u);
  SetScaled(wave1Scale, 0.0005f, 0.001f, 20u);
  angle = 40u;
  SetScaled(shadows, 0.01f, 0.0f, 0u);
  SetScaled(halfVectorHeight, 0.1f, 0.0f, 0u);
  bumpLink = DS_FileLink3::ConstructFromResource(kBumpId, u"vaultkit.dll");
  BindAndUpdate();
}

DS_WaterFX::DS_WaterFX(const DS_WaterFX& other)
    : DS_FX_Constructor(other),
      shape(other.shape),
      bumpRotationScale(other.bumpRotationScale),
      wave2Scale(other.wave2Scale),
      wave1Scale(other.wave1Scale),
      angle(other.angle),
      shadows(other.shadows),
      halfVectorHeight(other.halfVectorHeight),
      color(other.color),
      bumpLink(other.bumpLink) {
  BindAndUpdate();
}

void DS_WaterFX::BindAndUpdate() {
  BindDirectionRecompute(angle);
  UpdateDirection();
}

void DS_WaterFX::BindDirectionRecompute(MediaParam& property) {
  auto observer = std::make_unique<DS_FunLightCtrl2<DS_WaterFX>>(&DS_WaterFX::UpdateDirection, this);
  observer->Attach(&property);
  controls.Add(std::move(observer));
}

void DS_WaterFX::UpdateDirection() {
  const int32_t degrees = static_cast<int32_t>(angle.value);
  const float theta = static_cast<float>(degrees * static_cast<double>(kPi) / 180.0);
  D3DXMATRIX rotation;
  D3DXMatrixRotationZ(&rotation, theta);
  const D3DXVECTOR4 unitX(1.0f, 0.0f, 0.0f, 0.0f);
  D3DXVec4Transform(&direction, &unitX, &rotation);
}

void DS_WaterFX::Load(MaskHolder* maskHolder) {
  TextureSet* set = g_DocResManager ? g_DocResManager->GetTextureSet(bumpLink) : nullptr;
  // A link that gives no picture leaves the brush without bump texture: the surface draws flat.
  bumpTexture = (set && !set->textures.empty()) ? set->textures.front() : ComHolder<IDirect3DTexture9>();
  DS_FX_Constructor::Load(maskHolder);
}

void DS_WaterFX::Update(float time) {
  speed.Update(time);
  const float c = speed.accumulated;
  const float phi = static_cast<float>(static_cast<float>(c * 0.5) * 9.0);
  const float k = bumpRotationScale.derived;
  bumpTransform[0] = k * std::cos(phi);
  bumpTransform[1] = -k * std::sin(phi);
  bumpTransform[2] = k * std::sin(phi);
  bumpTransform[3] = k * std::cos(phi);
}

void DS_WaterFX::Apply(DS_ABRender& layer) {
  if (!effect) return;
  const float a = shape.derived;
  const float q = 2.0f / a - 1.0f;
  const float r = std::sqrt(q);
  const float w = (q + r) / (q - 1.0f);
  const float p1[3] = {a - 1.0f, -1.0f, a - 1.0f};
  const float p2[3] = {1.0f, w, 1.0f};
  const float towards1 = 0.5f / wave1Scale.derived;
  const float towards2 = 0.5f * wave2Scale.derived;
  const float direction1[2] = {-direction.x * towards1, -direction.y * towards1};
  const float direction2[2] = {-direction.x * towards2, -direction.y * towards2};
  D3DXVECTOR3 half(1.0f, 2.0f, halfVectorHeight.derived);
  D3DXVec3Normalize(&half, &half);
  const float halfValues[3] = {half.x, half.y, half.z};
  const DWORD rgb = color.value;
  const float tint[3] = {float(rgb & 0xFFu) / 255.0f, float(rgb >> 8 & 0xFFu) / 255.0f,
                         float(rgb >> 16 & 0xFFu) / 255.0f};
  effect->SetTexture("BumpMap", bumpTexture.Get());
  effect->SetFloatArray("BampTrans", bumpTransform, 4);
  effect->SetFloatArray("P1", p1, 3);
  effect->SetFloatArray("P2", p2, 3);
  effect->SetFloat("Time", 2.0f * speed.accumulated);
  effect->SetFloatArray("Direction1", direction1, 2);
  effect->SetFloatArray("Direction2", direction2, 2);
  effect->SetFloat("Shadows", shadows.derived);
  effect->SetFloatArray("Vhalf", halfValues, 3);
  effect->SetFloatArray("Color", tint, 3);
  DrawBrush(layer);
}

void DS_WaterFX::ReadFields(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* in = *stream;
  ReadScaledValue(in, shape);
  ReadScaledValue(in, bumpRotationScale);
  ReadScaledValue(in, wave2Scale);
  ReadScaledValue(in, wave1Scale);
  in->ReadUInt(&angle.value);
  ReadScaledValue(in, shadows);
  ReadScaledValue(in, halfVectorHeight);
  in->ReadULong(&color.value);
  ReadFileLink(stream, &bumpLink);
  ReadBase(stream);
}

bool DS_WaterFX::Save(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  out->WriteUInt(&shape.value);
  out->WriteUInt(&bumpRotationScale.value);
  out->WriteUInt(&wave2Scale.value);
  out->WriteUInt(&wave1Scale.value);
  out->WriteUInt(&angle.value);
  out->WriteUInt(&shadows.value);
  out->WriteUInt(&halfVectorHeight.value);
  out->WriteULong(&color.value);
  if (g_DocResManager) g_DocResManager->MarkUsed(bumpLink);
  WriteFileLink(stream, bumpLink);
  return SaveBase(stream);
}

// The pattern brushes and their stored records: "DS_PatternBrush" version 1 (the pattern link, both
// flips, the angle, the pattern scale and the two offsets, then a whole "DS_FX_Constructor" record),
// and "DS_PatternBrushC" version 1, which holds a whole "DS_PatternBrush" record.
#include "objects/pattern_brush.h"

#include "document/class_registry.h"
#include "document/doc_res_manager.h"
#include "objects/pattern_brush_program.h"
#include "platform/d3dx9/effect_programs.h"
#include "render/ab_render.h"

namespace {
const ds_string kClassName = u"DS_PatternBrush";
const ds_string kClassNameC = u"DS_PatternBrushC";
constexpr DWORD kVersion = 1;
constexpr INT kEffectId = 78;
// Pi as the single-precision value the angle arithmetic has always used.
constexpr float kPi = 3.14159265358979f;

const IOF_Virtual_ReaderT<DS_PatternBrush> g_PatternBrushReader;
const IOF_Virtual_ReaderT<DS_PatternBrushC> g_PatternBrushCReader;
const bool g_PatternBrushRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_PatternBrushReader);
const bool g_PatternBrushCRegistered = RegisterReader(GetConstructorRegistry(), kClassNameC, g_PatternBrushCReader);
const bool g_PatternProgramRegistered = d3dx9::RegisterEffectProgram("tiled_pattern", &TiledPatternProgram);
}  // namespace

template <>
void IOF_ReadFields<DS_PatternBrush>(DS_IOF_Virtual** stream, DWORD, DS_PatternBrush& brush) {
  brush.ReadFields(stream);
}

template <>
void IOF_ReadFields<DS_PatternBrushC>(DS_IOF_Virtual** stream, DWORD, DS_PatternBrushC& brush) {
  brush.ReadHeaderAndFields(stream);
}

DS_PatternBrush::DS_PatternBrush() {
  effectLink = DS_FileLink3::ConstructFromResource(kEffectId, u"vaultkit.dll");
  // One clock unit per second at the value 50: the frame times are seconds.
  speed.scale = 0.02f;
  speed.offset = 0.0f;
  speed = 50u;
  patternScale.scale = 0.01f;
  patternScale = 100u;
  offsetX.scale = -0.01f;
  offsetX = 0u;
  offsetY.scale = 0.01f;
  offsetY = 0u;
}

void DS_PatternBrush::Load(MaskHolder* maskHolder) {
  DS_FX_Constructor::Load(maskHolder);
  LoadPattern();
}

void DS_PatternBrush::LoadPattern() {
  TextureSet* set = nullptr;
  if (g_DocResManager)
    set = patternLink.LowerExtension() == u".dll" ? g_DocResManager->LoadPackageTextures(patternLink)
                                                  : g_DocResManager->GetTextureSet(patternLink);
  frames = set ? *set : TextureSet{};
  frameIndex = 0;
}

void DS_PatternBrush::Update(float time) {
  speed.Update(time);
  const float c = speed.accumulated;
  if (c - lastSwitch < 0.0f) lastSwitch = c;
  if (frames.frameTimes.empty()) return;
  if (frames.frameTimes[frameIndex] < c - lastSwitch) {
    lastSwitch = c;
    frameIndex = static_cast<DWORD>((frameIndex + 1) % frames.frameTimes.size());
  }
}

void DS_PatternBrush::Apply(DS_ABRender& layer) {
  const float pw = static_cast<float>(frames.width);
  const float ph = static_cast<float>(frames.height);
  if (ph == 0.0f || !effect) return;
  // A set with fewer pictures than frame times shows its pictures in turn rather than reading past
  // its list.
  if (!frames.textures.empty())
    effect->SetTexture("Pattern", frames.textures[frameIndex % frames.textures.size()].Get());
  const float tileShape[2] = {pw / ph, 1.0f};
  effect->SetFloatArray("scale", tileShape, 2);
  const float offset[2] = {offsetX.derived, offsetY.derived};
  effect->SetFloatArray("offset", offset, 2);
  const float r = patternScale.derived;
  float sx = static_cast<float>(layer.GetWidth()) / (pw * r);
  float sy = static_cast<float>(layer.GetHeight()) / (ph * r);
  if (flipX.value != 0) sx = -sx;
  if (flipY.value != 0) sy = -sy;
  const float a = static_cast<float>(static_cast<int32_t>(angle.value) * static_cast<double>(kPi) / 180.0);
  D3DXMATRIX scaling, rotation, m;
  D3DXMatrixScaling(&scaling, sx, sy, 1.0f);
  D3DXMatrixRotationZ(&rotation, a);
  D3DXMatrixMultiply(&m, &scaling, &rotation);
  const float transform[4] = {m._11, m._12, m._21, m._22};
  effect->SetFloatArray("coord_transf", transform, 4);
  DrawBrush(layer);
}

void DS_PatternBrush::ReadFields(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* in = *stream;
  ReadFileLink(stream, &patternLink);
  in->ReadInt(&flipY.value);
  in->ReadInt(&flipX.value);
  in->ReadUInt(&angle.value);
  ReadScaledValue(in, patternScale);
  ReadScaledValue(in, offsetX);
  ReadScaledValue(in, offsetY);
  ReadBase(stream);
}

void DS_PatternBrush::ReadHeaderAndFields(DS_IOF_Virtual** stream) {
  ds_string className;  // known from its place: read and ignored
  DWORD version = 0;
  (*stream)->ReadString(&className);
  (*stream)->ReadULong(&version);
  ReadFields(stream);
}

bool DS_PatternBrush::Save(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  if (g_DocResManager) g_DocResManager->MarkUsed(patternLink);
  WriteFileLink(stream, patternLink);
  out->WriteInt(&flipY.value);
  out->WriteInt(&flipX.value);
  out->WriteUInt(&angle.value);
  out->WriteUInt(&patternScale.value);
  out->WriteUInt(&offsetX.value);
  out->WriteUInt(&offsetY.value);
  return SaveBase(stream);
}

bool DS_PatternBrushC::Save(DS_IOF_Virtual** stream) {
  (*stream)->WriteString(&kClassNameC);
  (*stream)->WriteULong(&kVersion);
  return DS_PatternBrush::Save(stream);
}

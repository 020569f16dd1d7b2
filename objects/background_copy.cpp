// The background copy brush and its stored record "DS_BackgroundCopy", version 1: the rectangle (six
// signed values), the y wrap and the x wrap, then a whole "DS_FX_Constructor" record.
#include "objects/background_copy.h"

#include "document/class_registry.h"
#include "objects/screen_brush_programs.h"
#include "platform/d3dx9/effect_programs.h"
#include "render/ab_render.h"

namespace {
const ds_string kClassName = u"DS_BackgroundCopy";
constexpr DWORD kVersion = 1;
constexpr INT kEffectId = 75;

const IOF_Virtual_ReaderT<DS_BackgroundCopy> g_BackgroundCopyReader;
const bool g_BackgroundCopyRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_BackgroundCopyReader);
const bool g_BackgroundCopyProgramRegistered = d3dx9::RegisterEffectProgram("background_copy", &BackgroundCopyProgram);

// An offset as a fraction of the picture's size; a layer without a picture has no size, and the
// offset then moves nothing instead of becoming infinite.
float Fraction(INT offset, UINT size) {
  return size > 0 ? static_cast<float>(static_cast<double>(offset) / static_cast<double>(size)) : 0.0f;
}
}  // namespace

template <>
void IOF_ReadFields<DS_BackgroundCopy>(DS_IOF_Virtual** stream, DWORD, DS_BackgroundCopy& brush) {
  brush.ReadFields(stream);
}

DS_BackgroundCopy::DS_BackgroundCopy() { effectLink = DS_FileLink3::ConstructFromResource(kEffectId, u"vaultkit.dll"); }

void DS_BackgroundCopy::Apply(DS_ABRender& layer) {
  if (!effect) return;
  float offset[2] = {Fraction(rectangle.centreX.value, layer.GetWidth()),
                     Fraction(rectangle.centreY.value, layer.GetHeight())};
  if (yWrap.value != 0) offset[1] += 1.0f;
  if (xWrap.value != 0) offset[0] += 1.0f;
  effect->SetFloatArray("offset", offset, 2);
  DrawBrush(layer);
}

void DS_BackgroundCopy::ReadFields(DS_IOF_Virtual** stream) {
  ReadMediaRectangle(stream, &rectangle);
  (*stream)->ReadInt(&yWrap.value);
  (*stream)->ReadInt(&xWrap.value);
  ReadBase(stream);
}

bool DS_BackgroundCopy::Save(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  WriteMediaRectangle(stream, rectangle);
  out->WriteInt(&yWrap.value);
  out->WriteInt(&xWrap.value);
  return SaveBase(stream);
}

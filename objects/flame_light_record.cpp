// The stored record "DS_FlameLight", version 2: the two switches and the fire height, the distortion's
// links and three values, a whole "DS_FireFX" record, then a whole "DS_2D_Light" record. Version 1
// held the fire brush's speed alone and two image links that are no longer used. The distortion
// effect's native program joins the effect programs from here, with the reader.
#include <memory>

#include "document/doc_res_manager.h"
#include "objects/flame_light.h"
#include "objects/heat_distortion_program.h"
#include "platform/d3dx9/effect_programs.h"

namespace {
constexpr DWORD kFlameVersion = 2;
const ds_string kFlameClass = u"DS_FlameLight";

const IOF_Virtual_ReaderT_II<DS_FlameLight, DS_2D_Light> g_FlameLightReader;
const bool g_FlameLightRegistered = RegisterReader(GetLightRegistry(), kFlameClass, g_FlameLightReader);
const bool g_HeatProgramRegistered = d3dx9::RegisterEffectProgram("heat_distortion", &HeatDistortionProgram);

// A value that feeds a derived value is set and its observers told.
void ReadNotified(DS_IOF_Virtual* in, UINTSclaleTo<float>& property) {
  UINT value = property.value;
  in->ReadUInt(&value);
  property.SetAndNotify(value);
}
}  // namespace

template <>
void IOF_ReadFields<DS_FlameLight>(DS_IOF_Virtual** stream, DWORD version, DS_FlameLight& light) {
  ReadFlameLightFields(stream, version, light);
}

void ReadFlameLightFields(DS_IOF_Virtual** stream, DWORD version, DS_FlameLight& light) {
  DS_IOF_Virtual* in = *stream;
  const bool current = version >= 2;
  in->ReadInt(&light.fireSwitch.value);
  in->ReadInt(&light.distortionSwitch.value);
  in->ReadUInt(&light.fireHeight.value);
  if (!current) ReadNotified(in, light.fire.speed);
  ReadFileLink(stream, &light.distortion.bumpLink);
  ReadFileLink(stream, &light.distortion.effectLink);
  ReadNotified(in, light.distortion.speed);
  ReadNotified(in, light.distortion.strength);
  ReadNotified(in, light.distortion.bumpScale);
  if (current) {
    std::unique_ptr<DS_FireFX> stored(ReadFireFX(stream));
    light.fire.Assign(*stored);
  } else {
    DS_FileLink3 unused;
    ReadFileLink(stream, &unused);
    ReadFileLink(stream, &unused);
  }
  Read2DLightRecord(stream, light);
}

void WriteFlameLightRecord(DS_IOF_Virtual** stream, DS_FlameLight& light) {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kFlameClass);
  out->WriteULong(&kFlameVersion);
  out->WriteInt(&light.fireSwitch.value);
  out->WriteInt(&light.distortionSwitch.value);
  out->WriteUInt(&light.fireHeight.value);
  if (g_DocResManager) g_DocResManager->MarkUsed(light.distortion.bumpLink);
  WriteFileLink(stream, light.distortion.bumpLink);
  WriteFileLink(stream, light.distortion.effectLink);
  out->WriteUInt(&light.distortion.speed.value);
  out->WriteUInt(&light.distortion.strength.value);
  out->WriteUInt(&light.distortion.bumpScale.value);
  light.fire.Save(stream);
  Write2DLightRecord(stream, light);
}

bool DS_FlameLight::Save(DS_IOF_Virtual** stream) {
  WriteFlameLightRecord(stream, *this);
  return true;
}

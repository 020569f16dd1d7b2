// The stored record "DS_WaterRingLight", version 2: the six grid tuning values, drop rate, specular
// level and power (from version 2), the mode, then a whole "DS_2D_Light" record as the base part.
#include "slideshow/water_ring_light.h"

namespace {
constexpr DWORD kWaterRingVersion = 2;
const ds_string kWaterRingClass = u"DS_WaterRingLight";

const IOF_Virtual_ReaderT_II<DS_WaterRingLight, DS_2D_Light> g_WaterRingReader;
const bool g_WaterRingRegistered = RegisterReader(GetLightRegistry(), kWaterRingClass, g_WaterRingReader);
}  // namespace

template <>
void IOF_ReadFields<DS_WaterRingLight>(DS_IOF_Virtual** stream, DWORD version, DS_WaterRingLight& light) {
  ReadWaterRingLightFields(stream, version, light);
}

void ReadWaterRingLightFields(DS_IOF_Virtual** stream, DWORD version, DS_WaterRingLight& light) {
  DS_IOF_Virtual* in = *stream;
  if (version > 1) {
    in->ReadUInt(&light.velocityValue.value);
    in->ReadUInt(&light.stretchValue.value);
    in->ReadUInt(&light.densityValue.value);
    in->ReadUInt(&light.strengthValue.value);
    in->ReadUInt(&light.dampingValue.value);
    in->ReadUInt(&light.depthValue.value);
    ReadScaledValue(in, light.dropRate);
    ReadScaledValue(in, light.specularLevel);
    ReadScaledValue(in, light.specularPower);
  }
  in->ReadInt(&light.waterMode.value);
  Read2DLightRecord(stream, light);
}

void WriteWaterRingLightRecord(DS_IOF_Virtual** stream, DS_WaterRingLight& light) {
  (*stream)->WriteString(&kWaterRingClass);
  (*stream)->WriteULong(&kWaterRingVersion);
  WriteWaterRingLightFields(stream, light);
}

void WriteWaterRingLightFields(DS_IOF_Virtual** stream, DS_WaterRingLight& light) {
  DS_IOF_Virtual* out = *stream;
  out->WriteUInt(&light.velocityValue.value);
  out->WriteUInt(&light.stretchValue.value);
  out->WriteUInt(&light.densityValue.value);
  out->WriteUInt(&light.strengthValue.value);
  out->WriteUInt(&light.dampingValue.value);
  out->WriteUInt(&light.depthValue.value);
  out->WriteUInt(&light.dropRate.value);
  out->WriteUInt(&light.specularLevel.value);
  out->WriteUInt(&light.specularPower.value);
  out->WriteInt(&light.waterMode.value);
  Write2DLightRecord(stream, light);
}

bool DS_WaterRingLight::Save(DS_IOF_Virtual** stream) {
  WriteWaterRingLightRecord(stream, *this);
  return true;
}

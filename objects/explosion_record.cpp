// The stored record "DS_ExplosionConstructor", version 1: three noise scales, the noise direction
// and speed, the five durations, seed, random-shift flag and second colour, then the static effect
// level.
#include "objects/explosion.h"

namespace {

const ds_string kClassName = u"DS_ExplosionConstructor";
constexpr DWORD kVersion = 1;

const IOF_Virtual_ReaderT<DS_ExplosionConstructor> g_ExplosionReader;
const bool g_ExplosionRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_ExplosionReader);

}  // namespace

template <>
void IOF_ReadFields<DS_ExplosionConstructor>(DS_IOF_Virtual** stream, DWORD version,
                                             DS_ExplosionConstructor& explosion) {
  explosion.ReadFields(stream, version);
}

bool DS_ExplosionConstructor::Save(DS_IOF_Virtual** stream) { return SaveBase(stream); }

bool DS_ExplosionConstructor::SaveBase(DS_IOF_Virtual** stream) const {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  for (const UINT* value : {&noiseScale1.value, &noiseScale2.value, &noiseScale3.value, &noiseDirection.value,
                            &noiseSpeed.value, &firstPhase.value, &secondPhase.value, &thirdPhase.value,
                            &delay.value, &pause.value, &seed.value})
    out->WriteUInt(value);
  out->WriteInt(&randomShifts.value);
  out->WriteULong(&secondColor.value);
  return DS_StatBaseFXCtrl::SaveBase(stream);
}

bool DS_ExplosionConstructor::ReadFields(DS_IOF_Virtual** stream, DWORD) {
  DS_IOF_Virtual* in = *stream;
  ReadScaledValue(in, noiseScale1);
  ReadScaledValue(in, noiseScale2);
  ReadScaledValue(in, noiseScale3);
  in->ReadUInt(&noiseDirection.value);
  ReadScaledValue(in, noiseSpeed);
  for (UINT* value : {&firstPhase.value, &secondPhase.value, &thirdPhase.value, &delay.value, &pause.value, &seed.value})
    in->ReadUInt(value);
  in->ReadInt(&randomShifts.value);
  in->ReadULong(&secondColor.value);
  return DS_StatBaseFXCtrl::ReadBase(stream);
}

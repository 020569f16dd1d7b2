// The stored record "DS_FlowConstructor", version 4: angle, stored wobble amplitude and rate, speed,
// orientation (a flag in version 2, from version 3 the value), the four edge records (from
// version 4), then the sprite record. A version-1 record has neither orientation nor edges.
#include "objects/flow_constructor.h"

namespace {
const ds_string kClassName = u"DS_FlowConstructor";
constexpr DWORD kVersion = 4;

const IOF_Virtual_ReaderT<DS_FlowConstructor> g_FlowReader;
const bool g_FlowRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_FlowReader);
}  // namespace

template <>
void IOF_ReadFields<DS_FlowConstructor>(DS_IOF_Virtual** stream, DWORD version, DS_FlowConstructor& flow) {
  flow.ReadFields(stream, version);
}

bool DS_FlowConstructor::Save(DS_IOF_Virtual** stream) {
  SaveRecord(stream);
  return true;
}

bool DS_FlowConstructor::SaveRecord(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  out->WriteUInt(&angle.value);
  out->WriteUInt(&wobbleAmplitude.value);
  out->WriteUInt(&wobbleRate.value);
  out->WriteFloat(&speed);
  out->WriteInt(&orientation.value);
  for (int i = 0; i < 4; ++i) Edge(i).Save(stream);
  return SaveBase(stream);
}

bool DS_FlowConstructor::ReadFields(DS_IOF_Virtual** stream, DWORD version) {
  DS_IOF_Virtual* in = *stream;
  in->ReadUInt(&angle.value);
  in->ReadUInt(&wobbleAmplitude.value);
  in->ReadUInt(&wobbleRate.value);
  in->ReadFloat(&speed);
  if (version == 2) {
    // Version 2 stored only whether the sprites turn with the flow.
    INT turned = 0;
    in->ReadInt(&turned);
    orientation.SetAndNotify(turned != 0 ? kTurned : kUpright);
  } else if (version >= 3) {
    in->ReadInt(&orientation.value);
  }
  if (version >= 4)
    for (int i = 0; i < 4; ++i) Edge(i).Read(stream);
  return ReadBase(stream);
}

#include "sound/sound_ctrl.h"

#include "sound/sound_object.h"

namespace {
const ds_string kClassName = u"DS_Sound_Ctrl";
constexpr DWORD kVersion = 2;
}  // namespace

DS_Sound_Ctrl::DS_Sound_Ctrl() {
  volume = 100;
  balance = 50;
  mode = 0;
  minimumInterval = 0;
  maximumInterval = 5;
}

bool DS_Sound_Ctrl::Save(DS_IOF_Virtual** stream) {
  WriteBody(stream);
  return true;
}

DS_Sound* DS_Sound_Ctrl::CreateRenderObject() { return new DS_Sound(Clone()); }

DS_ABObj* DS_Sound_Ctrl::CreateObject() { return CreateRenderObject(); }

void DS_Sound_Ctrl::Read(DS_IOF_Virtual** stream) {
  ds_string className;
  DWORD version = 0;
  DS_IOF_Virtual* in = *stream;
  in->ReadString(&className);
  in->ReadULong(&version);
  in->ReadUInt(&volume.value);
  in->ReadUInt(&balance.value);
  in->ReadInt(&mode.value);
  in->ReadUInt(&minimumInterval.value);
  in->ReadUInt(&maximumInterval.value);
  ReadBase(stream);
}

void DS_Sound_Ctrl::WriteBody(DS_IOF_Virtual** stream) const {
  (*stream)->WriteString(&kClassName);
  (*stream)->WriteULong(&kVersion);
  WriteFields(stream);
  SaveBase(stream);
}

void DS_Sound_Ctrl::WriteFields(DS_IOF_Virtual** stream) const {
  DS_IOF_Virtual* out = *stream;
  out->WriteUInt(&volume.value);
  out->WriteUInt(&balance.value);
  out->WriteInt(&mode.value);
  out->WriteUInt(&minimumInterval.value);
  out->WriteUInt(&maximumInterval.value);
}

// The stored record "DS_3D_in_2D_array_Constructor", version 1: the element name, the item count,
// the embedded mesh and picture, the drift parameters, then the DS_ABObj_Constructor level.
#include "objects/array_3d_in_2d.h"

namespace {
const ds_string kClassName = u"DS_3D_in_2D_array_Constructor";
constexpr DWORD kVersion = 1;

const IOF_Virtual_ReaderT<DS_3D_in_2D_array_Constructor> g_Array3DIn2DReader;
const bool g_Array3DIn2DRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_Array3DIn2DReader);
}  // namespace

template <>
void IOF_ReadFields<DS_3D_in_2D_array_Constructor>(DS_IOF_Virtual** stream, DWORD,
                                                   DS_3D_in_2D_array_Constructor& array) {
  array.ReadFields(stream);
}

bool DS_3D_in_2D_array_Constructor::ReadFields(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* in = *stream;
  in->ReadString(&name);
  in->ReadUInt(&itemCount.value);
  in->ReadResourceRecord(&meshRecord);
  in->ReadResourceRecord(&imageRecord);
  in->ReadUInt(&drift.itemSize.value);
  in->ReadUInt(&drift.speed.value);
  in->ReadUInt(&drift.sway.value);
  in->ReadUInt(&drift.swayRenewal.value);
  in->ReadUInt(&drift.tumbleSpeed.value);
  UINT angle = 0;
  in->ReadUInt(&angle);
  drift.direction.SetAngle(angle);
  return DS_ABObj_Constructor::ReadBase(stream);
}

bool DS_3D_in_2D_array_Constructor::SaveBase(DS_IOF_Virtual** stream) const {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  out->WriteString(&name);
  out->WriteUInt(&itemCount.value);
  out->WriteResourceRecord(&meshRecord);
  out->WriteResourceRecord(&imageRecord);
  out->WriteUInt(&drift.itemSize.value);
  out->WriteUInt(&drift.speed.value);
  out->WriteUInt(&drift.sway.value);
  out->WriteUInt(&drift.swayRenewal.value);
  out->WriteUInt(&drift.tumbleSpeed.value);
  out->WriteUInt(&drift.direction.angle);
  return DS_ABObj_Constructor::SaveBase(stream);
}

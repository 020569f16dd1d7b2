// The stored form of the bolt: its own fields, then the glow record.
#include "objects/discharge_fx_constructor.h"

namespace {

const ds_string kClassName = u"DS_DischargeFXConstructor";
constexpr DWORD kVersion = 1;

const IOF_Virtual_ReaderT<DS_DischargeFXConstructor> g_DischargeFXReader;
const bool g_DischargeFXRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_DischargeFXReader);

void WritePoint(DS_IOF_Virtual* out, const D3DXVECTOR3& v) {
  out->WriteFloat(&v.x);
  out->WriteFloat(&v.y);
  out->WriteFloat(&v.z);
}

void ReadPoint(DS_IOF_Virtual* in, D3DXVECTOR3& v) {
  in->ReadFloat(&v.x);
  in->ReadFloat(&v.y);
  in->ReadFloat(&v.z);
}

}  // namespace

template <>
void IOF_ReadFields<DS_DischargeFXConstructor>(DS_IOF_Virtual** stream, DWORD version,
                                               DS_DischargeFXConstructor& bolt) {
  bolt.ReadFields(stream, version);
}

bool DS_DischargeFXConstructor::Save(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  WritePoint(out, startPoint.value);
  WritePoint(out, endPoint.value);
  out->WriteUInt(&jitter.value);
  out->WriteInt(&textureStyle.value);
  out->WriteUInt(&flickerInterval.value);
  out->WriteUInt(&morphRate.value);
  SaveBase(stream);
  return true;
}

bool DS_DischargeFXConstructor::ReadFields(DS_IOF_Virtual** stream, DWORD) {
  DS_IOF_Virtual* in = *stream;
  ReadPoint(in, startPoint.value);
  ReadPoint(in, endPoint.value);
  ReadScaledValue(in, jitter);
  in->ReadInt(&textureStyle.value);
  ReadScaledValue(in, flickerInterval);
  ReadScaledValue(in, morphRate);
  const bool read = ReadBase(stream) && !in->Failed();
  if (count.value > kMaxSegments) count.value = kMaxSegments;
  return read;
}

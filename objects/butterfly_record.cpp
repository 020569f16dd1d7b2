// The stored record "DS_ButterflyConstructor", version 2: the body links, two stored values, the
// wing scale (from version 2), then the DS_3D_Obj_Ctrl level.
#include "document/doc_res_manager.h"
#include "objects/butterfly_constructor.h"

namespace {
const ds_string kClassName = u"DS_ButterflyConstructor";
constexpr DWORD kVersion = 2;

const IOF_Virtual_ReaderT<DS_ButterflyConstructor> g_ButterflyReader;
const bool g_ButterflyRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_ButterflyReader);
}  // namespace

template <>
void IOF_ReadFields<DS_ButterflyConstructor>(DS_IOF_Virtual** stream, DWORD version,
                                             DS_ButterflyConstructor& butterfly) {
  butterfly.ReadFields(stream, version);
}

bool DS_ButterflyConstructor::ReadFields(DS_IOF_Virtual** stream, DWORD version) {
  ReadFileLink(stream, &bodyImageLink);
  ReadFileLink(stream, &bodyMeshLink);
  ReadScaledValue(*stream, storedValue1);
  ReadScaledValue(*stream, storedValue2);
  if (version >= 2) (*stream)->ReadFloat(&wingScale);
  return DS_3D_Obj_Ctrl::ReadBase(stream);
}

bool DS_ButterflyConstructor::SaveBase(DS_IOF_Virtual** stream) const {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  if (g_DocResManager) g_DocResManager->MarkUsed(bodyImageLink);
  out->WriteString(&bodyImageLink.path);
  out->WriteInt64(&bodyImageLink.stamp);
  WriteFileLink(stream, bodyMeshLink);
  out->WriteUInt(&storedValue1.value);
  out->WriteUInt(&storedValue2.value);
  out->WriteFloat(&wingScale);
  return DS_3D_Obj_Ctrl::SaveBase(stream);
}

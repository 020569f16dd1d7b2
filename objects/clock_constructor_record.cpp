// The stored record "DS_ClockConstructor", version 1: the rectangle with its centre, the hands
// link, then the DS_3D_Obj_Ctrl level.
#include "document/doc_res_manager.h"
#include "objects/clock_constructor.h"

namespace {
const ds_string kClassName = u"DS_ClockConstructor";
constexpr DWORD kVersion = 1;

const IOF_Virtual_ReaderT<DS_ClockConstructor> g_ClockReader;
const bool g_ClockRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_ClockReader);
}  // namespace

template <>
void IOF_ReadFields<DS_ClockConstructor>(DS_IOF_Virtual** stream, DWORD, DS_ClockConstructor& clock) {
  clock.ReadFields(stream);
}

bool DS_ClockConstructor::ReadFields(DS_IOF_Virtual** stream) {
  ReadMediaRectangle(stream, &rectangle);
  ReadFileLink(stream, &handsImageLink);
  return DS_3D_Obj_Ctrl::ReadBase(stream);
}

bool DS_ClockConstructor::SaveBase(DS_IOF_Virtual** stream) const {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  WriteMediaRectangle(stream, rectangle);
  if (g_DocResManager) g_DocResManager->MarkUsed(handsImageLink);
  out->WriteString(&handsImageLink.path);
  out->WriteInt64(&handsImageLink.stamp);
  return DS_3D_Obj_Ctrl::SaveBase(stream);
}

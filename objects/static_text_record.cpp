// The stored record "DS_StaticTextConstructor", version 1: alignments, text, font, the four
// durations, then the static effect level.
#include "objects/static_text.h"

namespace {

const ds_string kClassName = u"DS_StaticTextConstructor";
constexpr DWORD kVersion = 1;

const IOF_Virtual_ReaderT<DS_StaticTextConstructor> g_StaticTextReader;
const bool g_StaticTextRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_StaticTextReader);

}  // namespace

template <>
void IOF_ReadFields<DS_StaticTextConstructor>(DS_IOF_Virtual** stream, DWORD version,
                                              DS_StaticTextConstructor& text) {
  text.ReadFields(stream, version);
}

bool DS_StaticTextConstructor::Save(DS_IOF_Virtual** stream) { return SaveBase(stream); }

bool DS_StaticTextConstructor::SaveBase(DS_IOF_Virtual** stream) const {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  out->WriteInt(&verticalAlignment.value);
  out->WriteInt(&horizontalAlignment.value);
  out->WriteString(&text.value);
  out->WriteInt(&font.height);
  const UINT weight = static_cast<UINT>(font.weight);
  out->WriteUInt(&weight);
  out->WriteInt(&font.italic);
  out->WriteString(&font.faceName);
  for (const UINT* value : {&fadeIn.value, &fadeOut.value, &hold.value, &delay.value}) out->WriteUInt(value);
  return DS_StatBaseFXCtrl::SaveBase(stream);
}

bool DS_StaticTextConstructor::ReadFields(DS_IOF_Virtual** stream, DWORD) {
  DS_IOF_Virtual* in = *stream;
  in->ReadInt(&verticalAlignment.value);
  in->ReadInt(&horizontalAlignment.value);
  in->ReadString(&text.value);
  in->ReadInt(&font.height);
  UINT weight = static_cast<UINT>(font.weight);
  in->ReadUInt(&weight);
  font.weight = static_cast<INT>(weight);
  in->ReadInt(&font.italic);
  in->ReadString(&font.faceName);
  for (UINT* value : {&fadeIn.value, &fadeOut.value, &hold.value, &delay.value}) in->ReadUInt(value);
  return DS_StatBaseFXCtrl::ReadBase(stream);
}

// The stored record "FakeLake2D", version 2: the lake's tuning values and colour (from version 2),
// the bump texture's GUID, a text and a flag, then a whole "DS_2D_Light" record as the base part.
#include "document/doc_res_manager.h"
#include "document/stream_reads.h"
#include "slideshow/lake_light.h"

namespace {
constexpr DWORD kLakeVersion = 2;
const ds_string kLakeClass = u"FakeLake2D";

const IOF_Virtual_ReaderT_II<FakeLake2D, DS_2D_Light> g_LakeReader;
const bool g_LakeRegistered = RegisterReader(GetLightRegistry(), kLakeClass, g_LakeReader);
}  // namespace

template <>
void IOF_ReadFields<FakeLake2D>(DS_IOF_Virtual** stream, DWORD version, FakeLake2D& lake) {
  ReadFakeLake2DFields(stream, version, lake);
}

void ReadFakeLake2DFields(DS_IOF_Virtual** stream, DWORD version, FakeLake2D& lake) {
  DS_IOF_Virtual* in = *stream;
  if (version > 1) {
    ReadScaledValue(in, lake.bumpTiling);
    ReadScaledValue(in, lake.waveSpeed);
    ReadScaledValue(in, lake.lakeHeight);
    ReadScaledValue(in, lake.sizeValue);
    ReadScaledValue(in, lake.tintAlpha);
    ReadScaledValue(in, lake.horizonFactor);
    in->ReadUInt(&lake.amplitude.value);
    in->ReadUInt(&lake.bandHeight.value);
    in->ReadInt(&lake.reflectionSize.value);
    in->ReadULong(&lake.lakeColor.value);
  }
  ReadGuid(stream, &lake.bumpGuid);
  in->ReadString(&lake.text);
  in->ReadBool(&lake.storedFlag);
  Read2DLightRecord(stream, lake);
}

void WriteFakeLake2DRecord(DS_IOF_Virtual** stream, FakeLake2D& lake) {
  (*stream)->WriteString(&kLakeClass);
  (*stream)->WriteULong(&kLakeVersion);
  WriteFakeLake2DFields(stream, lake);
}

void WriteFakeLake2DFields(DS_IOF_Virtual** stream, FakeLake2D& lake) {
  // The document keeps the bump texture under the layer's GUID. A layer that has not taken its
  // texture from the document yet holds none, and must not wipe out the document's.
  if (g_DocResManager && !lake.bumpPending) g_DocResManager->GuidTexture(lake.bumpGuid) = lake.bumpTexture;
  DS_IOF_Virtual* out = *stream;
  out->WriteUInt(&lake.bumpTiling.value);
  out->WriteUInt(&lake.waveSpeed.value);
  out->WriteUInt(&lake.lakeHeight.value);
  out->WriteUInt(&lake.sizeValue.value);
  out->WriteUInt(&lake.tintAlpha.value);
  out->WriteUInt(&lake.horizonFactor.value);
  out->WriteUInt(&lake.amplitude.value);
  out->WriteUInt(&lake.bandHeight.value);
  out->WriteInt(&lake.reflectionSize.value);
  out->WriteULong(&lake.lakeColor.value);
  WriteGuid(stream, lake.bumpGuid);
  out->WriteString(&lake.text);
  out->WriteBool(&lake.storedFlag);
  Write2DLightRecord(stream, lake);
}

bool FakeLake2D::Save(DS_IOF_Virtual** stream) {
  WriteFakeLake2DRecord(stream, *this);
  return true;
}

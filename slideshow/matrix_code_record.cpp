// The stored record "DS_MatrixCodeLight", version 2: the grid and colour settings, the brightness,
// the glyph strip link (from version 2), then a whole "DS_2D_Light" record as the base part.
#include "document/doc_res_manager.h"
#include "slideshow/matrix_code_light.h"

namespace {
constexpr DWORD kMatrixCodeVersion = 2;
const ds_string kMatrixCodeClass = u"DS_MatrixCodeLight";

const IOF_Virtual_ReaderT_II<DS_MatrixCodeLight, DS_2D_Light> g_MatrixCodeReader;
const bool g_MatrixCodeRegistered = RegisterReader(GetLightRegistry(), kMatrixCodeClass, g_MatrixCodeReader);
}  // namespace

template <>
void IOF_ReadFields<DS_MatrixCodeLight>(DS_IOF_Virtual** stream, DWORD version, DS_MatrixCodeLight& light) {
  ReadMatrixCodeLightFields(stream, version, light);
}

void ReadMatrixCodeLightFields(DS_IOF_Virtual** stream, DWORD version, DS_MatrixCodeLight& light) {
  DS_IOF_Virtual* in = *stream;
  in->ReadUInt(&light.cellSize.value);
  in->ReadUInt(&light.density.value);
  in->ReadUInt(&light.flickerCount.value);
  in->ReadInt(&light.sparkle.value);
  in->ReadInt(&light.displayMode.value);
  in->ReadInt(&light.columnStyle.value);
  in->ReadULong(&light.normalColor.value);
  in->ReadULong(&light.brightColor.value);
  // The brightness feeds a scaled value, so it is set and its derived opacity follows.
  UINT brightness = light.brightness.value;
  in->ReadUInt(&brightness);
  light.brightness.SetAndNotify(brightness);
  if (version > 1) ReadFileLink(stream, &light.glyphLink);
  Read2DLightRecord(stream, light);
}

void WriteMatrixCodeLightRecord(DS_IOF_Virtual** stream, DS_MatrixCodeLight& light) {
  (*stream)->WriteString(&kMatrixCodeClass);
  (*stream)->WriteULong(&kMatrixCodeVersion);
  WriteMatrixCodeLightFields(stream, light);
}

void WriteMatrixCodeLightFields(DS_IOF_Virtual** stream, DS_MatrixCodeLight& light) {
  DS_IOF_Virtual* out = *stream;
  out->WriteUInt(&light.cellSize.value);
  out->WriteUInt(&light.density.value);
  out->WriteUInt(&light.flickerCount.value);
  out->WriteInt(&light.sparkle.value);
  out->WriteInt(&light.displayMode.value);
  out->WriteInt(&light.columnStyle.value);
  out->WriteULong(&light.normalColor.value);
  out->WriteULong(&light.brightColor.value);
  out->WriteUInt(&light.brightness.value);
  if (g_DocResManager) g_DocResManager->MarkUsed(light.glyphLink);
  WriteFileLink(stream, light.glyphLink);
  Write2DLightRecord(stream, light);
}

bool DS_MatrixCodeLight::Save(DS_IOF_Virtual** stream) {
  WriteMatrixCodeLightRecord(stream, *this);
  return true;
}

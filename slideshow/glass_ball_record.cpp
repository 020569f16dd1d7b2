// The stored record "DS_GlassBallLight", version 1: the highlight, second highlight, stand and
// background picture links, the scroll speed, the sphere and switch settings, the gradient colours,
// then a whole "DS_2D_Light" record as the base part.
#include "document/doc_res_manager.h"
#include "slideshow/glass_ball_light.h"

namespace {
constexpr DWORD kGlassBallVersion = 1;
const ds_string kGlassBallClass = u"DS_GlassBallLight";

const IOF_Virtual_ReaderT_II<DS_GlassBallLight, DS_2D_Light> g_GlassBallReader;
const bool g_GlassBallRegistered = RegisterReader(GetLightRegistry(), kGlassBallClass, g_GlassBallReader);

void WriteLink(DS_IOF_Virtual** stream, const DS_ImageFileLink& link) {
  if (g_DocResManager) g_DocResManager->MarkUsed(link);
  WriteFileLink(stream, link);
}
}  // namespace

// Every version is read alike.
template <>
void IOF_ReadFields<DS_GlassBallLight>(DS_IOF_Virtual** stream, DWORD, DS_GlassBallLight& light) {
  ReadGlassBallLightFields(stream, light);
}

void ReadGlassBallLightFields(DS_IOF_Virtual** stream, DS_GlassBallLight& light) {
  ReadFileLink(stream, &light.highlightLink);
  ReadFileLink(stream, &light.secondHighlightLink);
  ReadFileLink(stream, &light.standLink);
  ReadFileLink(stream, &light.backgroundLink);
  DS_IOF_Virtual* in = *stream;
  // The speed feeds a scaled value, so it is set and its derived factor follows.
  UINT speed = light.scrollSpeed.value;
  in->ReadUInt(&speed);
  light.scrollSpeed.SetAndNotify(speed);
  in->ReadPoint(&light.spherePosition.value);
  in->ReadUInt(&light.sphereSize.value);
  in->ReadUInt(&light.magnification.value);
  in->ReadInt(&light.highlightSwitch.value);
  in->ReadInt(&light.secondHighlightSwitch.value);
  in->ReadInt(&light.standSwitch.value);
  in->ReadInt(&light.backgroundPictureSwitch.value);
  in->ReadInt(&light.scrollMode.value);
  in->ReadULong(&light.topColor.value);
  in->ReadULong(&light.bottomColor.value);
  Read2DLightRecord(stream, light);
}

void WriteGlassBallLightRecord(DS_IOF_Virtual** stream, DS_GlassBallLight& light) {
  (*stream)->WriteString(&kGlassBallClass);
  (*stream)->WriteULong(&kGlassBallVersion);
  WriteGlassBallLightFields(stream, light);
}

void WriteGlassBallLightFields(DS_IOF_Virtual** stream, DS_GlassBallLight& light) {
  WriteLink(stream, light.highlightLink);
  WriteLink(stream, light.secondHighlightLink);
  WriteLink(stream, light.standLink);
  WriteLink(stream, light.backgroundLink);
  DS_IOF_Virtual* out = *stream;
  out->WriteUInt(&light.scrollSpeed.value);
  out->WritePoint(&light.spherePosition.value);
  out->WriteUInt(&light.sphereSize.value);
  out->WriteUInt(&light.magnification.value);
  out->WriteInt(&light.highlightSwitch.value);
  out->WriteInt(&light.secondHighlightSwitch.value);
  out->WriteInt(&light.standSwitch.value);
  out->WriteInt(&light.backgroundPictureSwitch.value);
  out->WriteInt(&light.scrollMode.value);
  out->WriteULong(&light.topColor.value);
  out->WriteULong(&light.bottomColor.value);
  Write2DLightRecord(stream, light);
}

bool DS_GlassBallLight::Save(DS_IOF_Virtual** stream) {
  WriteGlassBallLightRecord(stream, *this);
  return true;
}

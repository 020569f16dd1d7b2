// The stored record "DS_2D_Light", version 3: picture link (from version 2) and camera (from 3). It is
// the whole record of a plain layer and the base part of every layer subclass's record.
#include "document/doc_res_manager.h"
#include "slideshow/light_2d.h"

namespace {
constexpr DWORD kLightVersion = 3;
const ds_string kLightClass = u"DS_2D_Light";

const IOF_Virtual_ReaderT_II<DS_2D_Light, DS_2D_Light> g_2DLightReader;
const bool g_2DLightRegistered = RegisterReader(GetLightRegistry(), kLightClass, g_2DLightReader);
}  // namespace

template <>
void IOF_ReadFields<DS_2D_Light>(DS_IOF_Virtual** stream, DWORD version, DS_2D_Light& light) {
  Read2DLightFields(stream, version, light);
}

void Read2DLightFields(DS_IOF_Virtual** stream, DWORD version, DS_2D_Light& light) {
  // Read without telling the link's observers: the picture is loaded with the device resources.
  if (version > 1) ReadFileLink(stream, &light.pictureLink);
  if (version > 2) light.camera = *ReadCameraObject(stream);
}

void Read2DLightRecord(DS_IOF_Virtual** stream, DS_2D_Light& light) {
  ds_string name;
  DWORD version = 0;
  (*stream)->ReadString(&name);
  (*stream)->ReadULong(&version);
  Read2DLightFields(stream, version, light);
}

void Write2DLightRecord(DS_IOF_Virtual** stream, DS_2D_Light& light) {
  (*stream)->WriteString(&kLightClass);
  (*stream)->WriteULong(&kLightVersion);
  if (g_DocResManager) g_DocResManager->MarkUsed(light.pictureLink);
  WriteFileLink(stream, light.pictureLink);
  WriteCameraRecord(stream, light.camera);
}

bool DS_2D_Light::Save(DS_IOF_Virtual** stream) {
  Write2DLightRecord(stream, *this);
  return true;
}

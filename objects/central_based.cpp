#include "objects/central_based.h"

#include "slideshow/view_2d.h"

namespace {
const ds_string kClassName = u"DS_CentralBased";
constexpr DWORD kVersion = 1;

float Fraction(float pixels, int size) { return size != 0 ? pixels / static_cast<float>(size) : 0.5f; }
}  // namespace

DS_CentralBased::DS_CentralBased()
    : centre(D3DXVECTOR3(static_cast<float>(g_LayerView.pictureWidth) / 2.0f,
                         static_cast<float>(g_LayerView.pictureHeight) / 2.0f, 0.0f)) {}

float DS_CentralBased::CentreU() const { return Fraction(centre.value.x, g_LayerView.pictureWidth); }
float DS_CentralBased::CentreV() const { return Fraction(centre.value.y, g_LayerView.pictureHeight); }

bool DS_CentralBased::ReadBase(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* in = *stream;
  ds_string className;  // known from its place: read and ignored, as is the version
  DWORD version = 0;
  in->ReadString(&className);
  in->ReadULong(&version);
  in->ReadFloat(&centre.value.x);
  in->ReadFloat(&centre.value.y);
  in->ReadFloat(&centre.value.z);
  return DS_FX_Constructor::ReadBase(stream);
}

bool DS_CentralBased::SaveBase(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  out->WriteFloat(&centre.value.x);
  out->WriteFloat(&centre.value.y);
  out->WriteFloat(&centre.value.z);
  return DS_FX_Constructor::SaveBase(stream);
}

#include "objects/stat_base_fx_ctrl.h"

#include <memory>

#include "render/effect_particle_objs.h"
#include "slideshow/view_2d.h"

namespace {

const ds_string kClassName = u"DS_StatBaseFXCtrl";
constexpr DWORD kVersion = 2;

void WriteHeader(DS_IOF_Virtual** stream, const ds_string& className, DWORD version) {
  (*stream)->WriteString(&className);
  (*stream)->WriteULong(&version);
}

// A base level's class is known from its place; its version changes nothing here.
DWORD ReadHeader(DS_IOF_Virtual** stream) {
  ds_string className;
  DWORD version = 0;
  (*stream)->ReadString(&className);
  (*stream)->ReadULong(&version);
  return version;
}

}  // namespace

DS_StatBaseFXCtrl::DS_StatBaseFXCtrl()
    : position(D3DXVECTOR3(static_cast<float>(g_LayerView.pictureWidth) * 0.5f,
                           static_cast<float>(g_LayerView.pictureHeight) * 0.5f, 0.0f)) {}

bool DS_StatBaseFXCtrl::Save(DS_IOF_Virtual** stream) { return SaveBase(stream); }

DS_ABObj* DS_StatBaseFXCtrl::CreateObject() {
  // Clone gives a description of this very class, so the cast only names what it is.
  return new DS_FXObj(std::unique_ptr<DS_BaseFXCtrl>(static_cast<DS_BaseFXCtrl*>(Clone())));
}

void DS_StatBaseFXCtrl::LoadResources() { DS_FXParticleSystemCtrl::LoadResources(); }

bool DS_StatBaseFXCtrl::SaveBase(DS_IOF_Virtual** stream) const {
  DS_IOF_Virtual* out = *stream;
  WriteHeader(stream, kClassName, kVersion);
  out->WriteFloat(&position.value.x);
  out->WriteFloat(&position.value.y);
  out->WriteFloat(&position.value.z);
  out->WriteUInt(&height.value);
  out->WriteUInt(&width.value);
  DS_BaseFXCtrl::SaveBase(stream);
  return true;
}

bool DS_StatBaseFXCtrl::ReadBase(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* in = *stream;
  const DWORD version = ReadHeader(stream);
  in->ReadFloat(&position.value.x);
  in->ReadFloat(&position.value.y);
  in->ReadFloat(&position.value.z);
  if (version >= 2) {
    in->ReadUInt(&height.value);
    in->ReadUInt(&width.value);
  }
  return DS_BaseFXCtrl::ReadBase(stream) && !in->Failed();
}

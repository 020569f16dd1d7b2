#include "objects/stat_base_fx_ctrl.h"

#include <memory>

#include "document/file_link.h"
#include "render/effect_particle_objs.h"
#include "slideshow/view_2d.h"

namespace {

const ds_string kClassName = u"DS_StatBaseFXCtrl";
constexpr DWORD kVersion = 2;
const ds_string kBaseFXClass = u"DS_BaseFXCtrl";
const ds_string kFXParticleClass = u"DS_FXParticleSystemCtrl";
constexpr DWORD kEffectLevelVersion = 1;

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

// The "DS_BaseFXCtrl" level (no fields of its own) around the "DS_FXParticleSystemCtrl" level: the
// effect link, then the sprite record.
void WriteEffectLevels(DS_IOF_Virtual** stream, const DS_BaseFXCtrl& d) {
  WriteHeader(stream, kBaseFXClass, kEffectLevelVersion);
  WriteHeader(stream, kFXParticleClass, kEffectLevelVersion);
  WriteFileLink(stream, d.effectLink);
  d.DS_BaseSpriteProp::SaveBase(stream);
}

bool ReadEffectLevels(DS_IOF_Virtual** stream, DS_BaseFXCtrl& d) {
  ReadHeader(stream);
  ReadHeader(stream);
  ReadFileLink(stream, &d.effectLink);
  return d.DS_BaseSpriteProp::ReadBase(stream);
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
  WriteEffectLevels(stream, *this);
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
  return ReadEffectLevels(stream, *this) && !in->Failed();
}

// The stored levels of the effect particle descriptions: "DS_FXParticleSystemCtrl" (the effect link
// above the sprite record), "DS_GlowEffectCtrl" (glow colour and intensity above it) and
// "DS_BaseFXCtrl" (a bare header above it). Each level's class is known from its place, so the
// stored name and version are read and left alone.
#include "document/file_link.h"
#include "render/particle_fx_ctrl.h"

namespace {

const ds_string kFXParticleClass = u"DS_FXParticleSystemCtrl";
const ds_string kGlowClass = u"DS_GlowEffectCtrl";
const ds_string kBaseFXClass = u"DS_BaseFXCtrl";
constexpr DWORD kLevelVersion = 1;

void WriteHeader(DS_IOF_Virtual** stream, const ds_string& className) {
  (*stream)->WriteString(&className);
  (*stream)->WriteULong(&kLevelVersion);
}

void SkipHeader(DS_IOF_Virtual** stream) {
  ds_string className;
  DWORD version = 0;
  (*stream)->ReadString(&className);
  (*stream)->ReadULong(&version);
}

}  // namespace

bool DS_FXParticleSystemCtrl::Save(DS_IOF_Virtual** stream) {
  SaveBase(stream);
  return true;
}

bool DS_FXParticleSystemCtrl::SaveBase(DS_IOF_Virtual** stream) const {
  WriteHeader(stream, kFXParticleClass);
  WriteFileLink(stream, effectLink);
  return DS_BaseSpriteProp::SaveBase(stream);
}

bool DS_FXParticleSystemCtrl::ReadBase(DS_IOF_Virtual** stream) {
  SkipHeader(stream);
  ReadFileLink(stream, &effectLink);
  return DS_BaseSpriteProp::ReadBase(stream);
}

bool DS_GlowEffectCtrl::Save(DS_IOF_Virtual** stream) {
  SaveBase(stream);
  return true;
}

bool DS_GlowEffectCtrl::SaveBase(DS_IOF_Virtual** stream) const {
  WriteHeader(stream, kGlowClass);
  (*stream)->WriteULong(&glowColor.value);
  (*stream)->WriteUInt(&glowIntensity.value);
  return DS_FXParticleSystemCtrl::SaveBase(stream);
}

bool DS_GlowEffectCtrl::ReadBase(DS_IOF_Virtual** stream) {
  SkipHeader(stream);
  (*stream)->ReadULong(&glowColor.value);
  ReadScaledValue(*stream, glowIntensity);
  return DS_FXParticleSystemCtrl::ReadBase(stream);
}

bool DS_BaseFXCtrl::SaveBase(DS_IOF_Virtual** stream) const {
  WriteHeader(stream, kBaseFXClass);
  return DS_FXParticleSystemCtrl::SaveBase(stream);
}

bool DS_BaseFXCtrl::ReadBase(DS_IOF_Virtual** stream) {
  SkipHeader(stream);
  return DS_FXParticleSystemCtrl::ReadBase(stream);
}

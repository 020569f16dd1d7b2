#include "render/ab_obj_constructor.h"

namespace {
const ds_string kClassName = u"DS_ABObj_Constructor";
constexpr DWORD kVersion = 1;
}  // namespace

bool DS_ABObj_Constructor::Save(DS_IOF_Virtual** stream) { return SaveBase(stream); }

DS_ABObj_Constructor* DS_ABObj_Constructor::QueryFromObject(DS_ABObj*) { return nullptr; }

bool DS_ABObj_Constructor::SaveBase(DS_IOF_Virtual** stream) const {
  (*stream)->WriteString(&kClassName);
  (*stream)->WriteULong(&kVersion);
  (*stream)->WriteString(&name);
  return true;
}

bool DS_ABObj_Constructor::ReadBase(DS_IOF_Virtual** stream) {
  ds_string className;  // a base level's name is known from its place: read and ignored
  DWORD version = 0;
  (*stream)->ReadString(&className);
  (*stream)->ReadULong(&version);
  (*stream)->ReadString(&name);
  return !(*stream)->Failed();
}

#include "document/class_registry.h"

namespace {

template <class Reader>
auto ReadByClassName(DS_IOF_Virtual** stream, const ClassRegistry<Reader>& registry)
    -> decltype(registry.begin()->second->Create(stream, 0)) {
  ds_string name;
  DWORD version = 0;
  (*stream)->ReadString(&name);
  (*stream)->ReadULong(&version);
  if ((*stream)->Failed()) return nullptr;
  const auto found = registry.find(name);
  if (found == registry.end()) {
    (*stream)->Fail();
    return nullptr;
  }
  return found->second->Create(stream, version);
}

}  // namespace

LightRegistry& GetLightRegistry() {
  static LightRegistry g_LightRegistry;
  return g_LightRegistry;
}

SlideRegistry& GetSlideRegistry() {
  static SlideRegistry g_SlideRegistry;
  return g_SlideRegistry;
}

ConstructorRegistry& GetConstructorRegistry() {
  static ConstructorRegistry g_ConstructorRegistry;
  return g_ConstructorRegistry;
}

DS_2D_Light* ReadLightByClassName(DS_IOF_Virtual** stream) {
  return ReadByClassName(stream, GetLightRegistry());
}

DS_SlideContainer* ReadSlideByClassName(DS_IOF_Virtual** stream) {
  return ReadByClassName(stream, GetSlideRegistry());
}

DS_ABObj_Constructor* ReadConstructorByClassName(DS_IOF_Virtual** stream) {
  return ReadByClassName(stream, GetConstructorRegistry());
}

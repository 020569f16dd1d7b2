// Class registries: the stored name of a class to the reader object that builds it and reads its
// fields. Three places of a document hold an object whose class only the document knows: a slide, a
// slide's 2D light layer, and each stored description of a slide's lists.
//
// A class joins a registry from its own source file, during static initialisation:
//
//   template <> void IOF_ReadFields<DS_FireFX>(DS_IOF_Virtual** stream, DWORD version, DS_FireFX& fx)
//   { ...read the fields of `version`... }   // declared in the class's header
//   static const IOF_Virtual_ReaderT<DS_FireFX> g_FireFXReader;
//   static const bool g_FireFXRegistered =
//       RegisterReader(GetConstructorRegistry(), u"DS_FireFX", g_FireFXReader);
//
// (A file whose only job is to register must still be linked in: static libraries drop object files
// that nothing references.)
#pragma once
#include <map>
#include <memory>
#include <type_traits>

#include <windows.h>

#include "document/ds_string.h"
#include "document/iof_virtual.h"

class DS_2D_Light;
class DS_SlideContainer;
class DS_ABObj_Constructor;

// The reading step of one registered class, after its header: every class that a reader template
// builds specialises it for exactly its own type (no base class's step is ever taken by mistake).
template <class T>
void IOF_ReadFields(DS_IOF_Virtual** stream, DWORD version, T& object);

class IOF_Virtual_Reader {
 public:
  virtual DS_ABObj_Constructor* Create(DS_IOF_Virtual** stream, DWORD version) const = 0;

 protected:
  ~IOF_Virtual_Reader() = default;
};

template <class Base>
class IOF_Virtual_ReaderII {
 public:
  virtual Base* Create(DS_IOF_Virtual** stream, DWORD version) const = 0;

 protected:
  ~IOF_Virtual_ReaderII() = default;
};

// Builds a T with its defaults, then reads the fields of the stored version into it.
template <class T>
class IOF_Virtual_ReaderT final : public IOF_Virtual_Reader {
 public:
  DS_ABObj_Constructor* Create(DS_IOF_Virtual** stream, DWORD version) const override {
    auto object = std::make_unique<T>();
    IOF_ReadFields<T>(stream, version, *object);
    return object.release();
  }
};

template <class T, class Base>
class IOF_Virtual_ReaderT_II final : public IOF_Virtual_ReaderII<Base> {
 public:
  Base* Create(DS_IOF_Virtual** stream, DWORD version) const override {
    auto object = std::make_unique<T>();
    IOF_ReadFields<T>(stream, version, *object);
    return object.release();
  }
};

// Names compare code unit by code unit, case-sensitively. A registry never owns its readers.
template <class Reader>
using ClassRegistry = std::map<ds_string, const Reader*>;

using LightRegistry = ClassRegistry<IOF_Virtual_ReaderII<DS_2D_Light>>;
using SlideRegistry = ClassRegistry<IOF_Virtual_ReaderII<DS_SlideContainer>>;
using ConstructorRegistry = ClassRegistry<IOF_Virtual_Reader>;

// Each registry is created empty on the first call, whatever the order of static initialisation.
LightRegistry& GetLightRegistry();
SlideRegistry& GetSlideRegistry();
ConstructorRegistry& GetConstructorRegistry();

// Stores registry[name] = reader unless this reader object is registered already (under any name).
// Returns true, so that a static initialiser can hold the call.
template <class Reader>
bool RegisterReader(ClassRegistry<Reader>& registry, const ds_string& name,
                    const std::type_identity_t<Reader>& reader) {
  for (const auto& entry : registry)
    if (entry.second == &reader) return true;
  registry[name] = &reader;
  return true;
}

// Reads a class name and a version, then the object through the registered reader. A name that the
// registry does not hold (an empty one too) fails the stream: the object's fields cannot be skipped,
// and reading on would take them for whatever follows. The result is new and owned by the caller;
// null when the header could not be read or names no registered class. The caller checks the stream
// for failure: an object whose fields ran out is returned with the defaults of what is missing.
DS_2D_Light* ReadLightByClassName(DS_IOF_Virtual** stream);
DS_SlideContainer* ReadSlideByClassName(DS_IOF_Virtual** stream);
DS_ABObj_Constructor* ReadConstructorByClassName(DS_IOF_Virtual** stream);

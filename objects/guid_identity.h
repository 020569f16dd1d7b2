// The identity under which the document keeps an object's own device data (a brush's mask, a
// text's target): a GUID, a name and a flag.
#pragma once
#include <objbase.h>
#include <windows.h>

#include "document/ds_string.h"

struct GuidIdentity {
  // A fresh GUID, an empty name and flag 1.
  static GuidIdentity New() {
    GuidIdentity identity;
    CoCreateGuid(&identity.guid);
    return identity;
  }

  GUID guid{};
  ds_string name;
  BYTE flag = 1;
};

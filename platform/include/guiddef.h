// GUIDs as COM lays them out: 16 bytes, compared byte for byte.
#pragma once
#include <cstring>

#include "minwindef.h"

typedef struct _GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
} GUID;
typedef GUID IID;
typedef GUID CLSID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;
typedef GUID* LPGUID;

static_assert(sizeof(GUID) == 16);

inline bool IsEqualGUID(REFGUID a, REFGUID b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool operator==(REFGUID a, REFGUID b) { return IsEqualGUID(a, b); }

#define GUID_NULL (GUID{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}})

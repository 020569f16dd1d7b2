// COM helpers the system calls: GUIDs from and to their brace text, fresh GUIDs, streams over
// global memory, and the creation of the classes this machine provides.
#pragma once
#include "guiddef.h"
#include "objidl.h"
#include "minwindef.h"
#include "winerror.h"

typedef WCHAR OLECHAR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;
typedef CLSID* LPCLSID;

// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (either case). Any other text gives
// CO_E_CLASSSTRING and the null GUID.
HRESULT WINAPI CLSIDFromString(LPCOLESTR text, LPCLSID clsid);
// Writes the brace text in upper case with its terminator (39 characters); 0 when it does not fit.
int WINAPI StringFromGUID2(REFGUID guid, LPOLESTR buffer, int capacity);
HRESULT WINAPI CoCreateGuid(GUID* guid);

// A stream over the bytes of a global memory block (GlobalAlloc), from its start. With
// deleteOnRelease the block is freed with the stream's last Release; otherwise the caller frees it,
// after the stream. A null block makes a new, empty one.
HRESULT WINAPI CreateStreamOnHGlobal(HGLOBAL block, BOOL deleteOnRelease, LPSTREAM* stream);

#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_INPROC_HANDLER 0x2
#define REGDB_E_CLASSNOTREG ((HRESULT)0x80040154)
#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110)

// Counted per process: S_OK the first time, S_FALSE when COM is initialised already.
HRESULT WINAPI CoInitialize(LPVOID reserved);
void WINAPI CoUninitialize();
// The one class this machine can create is the filter graph (CLSID_FilterGraph, dshow.h), served
// by platform/dshow; any other gives REGDB_E_CLASSNOTREG.
HRESULT WINAPI CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid, LPVOID* object);

// COM helpers the system calls: GUIDs from and to their brace text, and fresh GUIDs.
#pragma once
#include "guiddef.h"
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

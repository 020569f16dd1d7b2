// Composite reads built on the stream's primitives, shared by many stored classes.
#pragma once
#include <vector>

#include <windows.h>

#include "document/iof_virtual.h"

// A string holding a GUID's brace text; a text that does not convert gives the null GUID.
void ReadGuid(DS_IOF_Virtual** stream, GUID* target);
void WriteGuid(DS_IOF_Virtual** stream, const GUID& guid);

// A u32 count and that many floats, appended to the target.
void ReadFloatVector(DS_IOF_Virtual** stream, std::vector<float>* target);

// A u32 count of entries that each take at least `minEntryBytes` bytes. A count that the bytes left
// cannot hold fails the stream and reads as 0, so that no loop runs on a corrupt count.
DWORD ReadCount(DS_IOF_Virtual** stream, DWORD minEntryBytes);

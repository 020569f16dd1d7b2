// Resources of resource libraries, as the resource manager reads them.
#pragma once
#include <vector>

#include <windows.h>

#include "document/doc_res_tables.h"
#include "document/resource_record.h"

// The resource id a library link names: the low 32 bits of its stamp.
inline INT LibraryId(LONGLONG stamp) { return static_cast<INT>(static_cast<UINT>(static_cast<ULONGLONG>(stamp))); }

// Fills a library record (id and library set) with a copy of the library's "DDS" resource of the
// record's id. An absent library searches the executable's own module. False when nothing was found.
bool LoadFromLibrary(ResourceRecord& record);

// The same with a resource type of the caller's choice.
bool LoadLibraryResource(ResourceRecord& record, LPCWSTR type);

// A picture sequence packed into one resource: frame count, frame times, record count, records.
struct PicturePackage {
  std::vector<float> frameTimes;
  RecordList records;
};

// Reads the package of a library link: its "DDS" resource of the stamp's id. False when there is no
// such resource or its bytes are not a whole package.
bool ReadPicturePackage(const ds_string& library, LONGLONG stamp, PicturePackage* package);

#include "document/stream_reads.h"

#include <objbase.h>

void ReadGuid(DS_IOF_Virtual** stream, GUID* target) {
  ds_string text;
  (*stream)->ReadString(&text);
  if ((*stream)->Failed()) return;
  GUID guid;
  CLSIDFromString(text.c_str(), &guid);  // the null GUID when the text does not convert
  *target = guid;
}

void WriteGuid(DS_IOF_Virtual** stream, const GUID& guid) {
  WCHAR buffer[39];
  StringFromGUID2(guid, buffer, 39);
  const ds_string text(buffer);
  (*stream)->WriteString(&text);
}

void ReadFloatVector(DS_IOF_Virtual** stream, std::vector<float>* target) {
  const DWORD count = ReadCount(stream, sizeof(float));
  std::vector<float> values(count);
  for (float& value : values) (*stream)->ReadFloat(&value);
  if (!(*stream)->Failed()) target->insert(target->end(), values.begin(), values.end());
}

DWORD ReadCount(DS_IOF_Virtual** stream, DWORD minEntryBytes) {
  DWORD count = 0;
  (*stream)->ReadULong(&count);
  if ((*stream)->Failed()) return 0;
  if (!(*stream)->Holds(uint64_t{count} * minEntryBytes)) {
    (*stream)->Fail();
    return 0;
  }
  return count;
}

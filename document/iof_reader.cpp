#include "document/iof_reader.h"

#include <cstring>

#include "document/resource_record.h"

template <class T>
bool DS_IOF_R<ResourceBuffer>::ReadRaw(T* target) {
  const BYTE* bytes = buffer_->Take(sizeof(T));
  if (!bytes) return false;
  std::memcpy(target, bytes, sizeof(T));
  return true;
}

void DS_IOF_R<ResourceBuffer>::ReadInt64(LONGLONG* target) { ReadRaw(target); }
void DS_IOF_R<ResourceBuffer>::ReadFloat(float* target) { ReadRaw(target); }
void DS_IOF_R<ResourceBuffer>::ReadULong(DWORD* target) { ReadRaw(target); }
void DS_IOF_R<ResourceBuffer>::ReadUInt(UINT* target) { ReadRaw(target); }
void DS_IOF_R<ResourceBuffer>::ReadByte(BYTE* target) { ReadRaw(target); }
void DS_IOF_R<ResourceBuffer>::ReadInt(INT* target) { ReadRaw(target); }

void DS_IOF_R<ResourceBuffer>::ReadPoint(POINT* target) {
  INT xy[2];
  if (!ReadRaw(&xy)) return;
  target->x = xy[0];
  target->y = xy[1];
}

// A stored flag byte other than 0 or 1 still means true; it never reaches a bool as it stands.
void DS_IOF_R<ResourceBuffer>::ReadBool(bool* target) {
  BYTE byte;
  if (ReadRaw(&byte)) *target = byte != 0;
}

bool DS_IOF_R<ResourceBuffer>::ReadStringLength(uint64_t* length) {
  BYTE marker[3];
  BYTE shortLength;
  if (!ReadRaw(&marker) || !ReadRaw(&shortLength)) return false;
  if (shortLength < 0xFF) {
    *length = shortLength;
    return true;
  }
  WORD wordLength;
  if (!ReadRaw(&wordLength)) return false;
  if (wordLength < 0xFFFF) {
    *length = wordLength;
    return true;
  }
  DWORD longLength;
  if (!ReadRaw(&longLength)) return false;
  *length = longLength;
  return true;
}

void DS_IOF_R<ResourceBuffer>::ReadString(ds_string* target) {
  uint64_t length = 0;
  if (!ReadStringLength(&length)) return;
  // The length is checked against the bytes left before anything is allocated for it.
  const BYTE* units = buffer_->Take(length * 2);
  if (!units || length == 0) return;
  ds_string text;
  for (uint64_t i = 0; i < length; ++i) {
    const WCHAR unit = static_cast<WCHAR>(units[2 * i] | (units[2 * i + 1] << 8));
    if (unit == 0) break;  // an embedded U+0000 ends the value; the position has passed all units
    text.push_back(unit);
  }
  *target = std::move(text);
}

bool DS_IOF_R<ResourceBuffer>::ReadBlobInto(ResourceRecord* target) {
  DWORD size = 0;
  if (!ReadRaw(&size)) return false;
  const BYTE* bytes = buffer_->Take(size);
  if (!bytes) return false;
  ds_string name = target->name;
  ReadString(&name);
  if (Failed()) return false;
  target->SetBytes(size, bytes);
  target->name = std::move(name);
  return true;
}

void DS_IOF_R<ResourceBuffer>::ReadBlob(ResourceRecord* target) { ReadBlobInto(target); }

void DS_IOF_R<ResourceBuffer>::ReadResourceRecord(ResourceRecord* target) {
  ResourceRecord record;
  if (!ReadRaw(&record.id)) return;
  ReadString(&record.library);
  if (Failed() || !ReadBlobInto(&record)) return;
  *target = std::move(record);
}

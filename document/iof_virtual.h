// The document stream. Every stored class reads (and, in mirror, writes) its fields through these
// operations; readers receive a pointer to the stream pointer so that nested readers share one position.
//
// Reading is bounded by the document: a read that would pass the end, a length or count that cannot
// fit in the bytes left, or an object of unknown class puts the stream into a failed state that never
// clears. A failed stream reads nothing more and leaves every target as it was, so a reader may go on
// to its end and the caller checks Failed() once.
#pragma once
#include <cstdint>

#include <windows.h>

#include "document/ds_string.h"

class ResourceRecord;

class DS_IOF_Virtual {
 public:
  virtual ~DS_IOF_Virtual() = default;

  virtual void WriteResourceRecord(const ResourceRecord* value) = 0;
  virtual void WriteBlob(const ResourceRecord* value) = 0;
  virtual void WriteString(const ds_string* value) = 0;
  virtual void WriteInt64(const LONGLONG* value) = 0;
  virtual void WriteFloat(const float* value) = 0;
  virtual void WritePoint(const POINT* value) = 0;
  virtual void WriteULong(const DWORD* value) = 0;
  virtual void WriteUInt(const UINT* value) = 0;
  virtual void WriteByte(const BYTE* value) = 0;
  virtual void WriteBool(const bool* value) = 0;
  virtual void WriteInt(const INT* value) = 0;

  virtual void ReadResourceRecord(ResourceRecord* target) = 0;
  // Fills name, bytes and size; the record's id and library keep their values.
  virtual void ReadBlob(ResourceRecord* target) = 0;
  // A stored length of 0 leaves the target as it was.
  virtual void ReadString(ds_string* target) = 0;
  virtual void ReadInt64(LONGLONG* target) = 0;
  virtual void ReadFloat(float* target) = 0;
  virtual void ReadPoint(POINT* target) = 0;
  virtual void ReadULong(DWORD* target) = 0;
  virtual void ReadUInt(UINT* target) = 0;
  virtual void ReadByte(BYTE* target) = 0;
  virtual void ReadBool(bool* target) = 0;
  virtual void ReadInt(INT* target) = 0;

  virtual bool Failed() const = 0;
  // Puts the stream into the failed state (a reader that finds its input unusable calls it).
  virtual void Fail() = 0;
  // True while at least `bytes` unread bytes remain; lets a reader refuse a count before looping.
  virtual bool Holds(uint64_t bytes) const = 0;
};

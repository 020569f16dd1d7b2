// The document reader: decodes the primitive encodings from a ResourceBuffer it does not own.
// Its write operations accept their argument and do nothing: the system never writes documents.
//
// Encodings (little-endian, no padding): integers and floats as stored; a 64-bit integer low dword
// first; a flag is one byte, true when not 0; a string is FF FE FF, a length L (u8), M (u16) when L is
// 0xFF, N (u32) when M is 0xFFFF, then that many UTF-16 code units; a blob is a u32 size, the bytes and
// a name string; a resource record is an i32 id, a library string, then a blob.
#pragma once
#include "document/iof_virtual.h"
#include "document/resource_buffer.h"

template <class Source>
class DS_IOF_R;

template <>
class DS_IOF_R<ResourceBuffer> final : public DS_IOF_Virtual {
 public:
  explicit DS_IOF_R(ResourceBuffer* buffer) : buffer_(buffer) {}

  void WriteResourceRecord(const ResourceRecord*) override {}
  void WriteBlob(const ResourceRecord*) override {}
  void WriteString(const ds_string*) override {}
  void WriteInt64(const LONGLONG*) override {}
  void WriteFloat(const float*) override {}
  void WritePoint(const POINT*) override {}
  void WriteULong(const DWORD*) override {}
  void WriteUInt(const UINT*) override {}
  void WriteByte(const BYTE*) override {}
  void WriteBool(const bool*) override {}
  void WriteInt(const INT*) override {}

  void ReadResourceRecord(ResourceRecord* target) override;
  void ReadBlob(ResourceRecord* target) override;
  void ReadString(ds_string* target) override;
  void ReadInt64(LONGLONG* target) override;
  void ReadFloat(float* target) override;
  void ReadPoint(POINT* target) override;
  void ReadULong(DWORD* target) override;
  void ReadUInt(UINT* target) override;
  void ReadByte(BYTE* target) override;
  void ReadBool(bool* target) override;
  void ReadInt(INT* target) override;

  bool Failed() const override { return buffer_->failed; }
  void Fail() override { buffer_->failed = true; }
  bool Holds(uint64_t bytes) const override { return bytes <= buffer_->Remaining(); }

 private:
  template <class T>
  bool ReadRaw(T* target);
  // The stored string's length in code units, after its marker; false when the buffer ran out.
  bool ReadStringLength(uint64_t* length);
  // A blob's size, bytes and name into `target`, which keeps its old values unless all of it is there.
  bool ReadBlobInto(ResourceRecord* target);

  ResourceBuffer* buffer_;
};

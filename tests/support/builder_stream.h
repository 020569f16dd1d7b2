// A writing stream for tests of save operations: every value written is encoded by a
// DocumentBuilder, so that what a class saves can be compared with the bytes a test built by hand
// for the same record. It reads nothing.
#pragma once
#include <windows.h>

#include "document/iof_virtual.h"
#include "document/resource_record.h"
#include "tests/support/document_builder.h"

namespace docbuild {

class BuilderStream final : public DS_IOF_Virtual {
 public:
  void WriteResourceRecord(const ResourceRecord* value) override {
    doc.Resource(Record{value->id, value->library, BytesOf(*value), value->name});
  }
  void WriteBlob(const ResourceRecord* value) override { doc.Blob(BytesOf(*value), value->name); }
  void WriteString(const ds_string* value) override { doc.String(*value); }
  void WriteInt64(const LONGLONG* value) override { doc.I64(*value); }
  void WriteFloat(const float* value) override { doc.F32(*value); }
  void WritePoint(const POINT* value) override { doc.Point(value->x, value->y); }
  void WriteULong(const DWORD* value) override { doc.U32(*value); }
  void WriteUInt(const UINT* value) override { doc.U32(*value); }
  void WriteByte(const BYTE* value) override { doc.U8(*value); }
  void WriteBool(const bool* value) override { doc.U8(*value ? 1 : 0); }
  void WriteInt(const INT* value) override { doc.I32(*value); }

  void ReadResourceRecord(ResourceRecord*) override {}
  void ReadBlob(ResourceRecord*) override {}
  void ReadString(ds_string*) override {}
  void ReadInt64(LONGLONG*) override {}
  void ReadFloat(float*) override {}
  void ReadPoint(POINT*) override {}
  void ReadULong(DWORD*) override {}
  void ReadUInt(UINT*) override {}
  void ReadByte(BYTE*) override {}
  void ReadBool(bool*) override {}
  void ReadInt(INT*) override {}
  bool Failed() const override { return false; }
  void Fail() override {}
  bool Holds(uint64_t) const override { return false; }

  const Bytes& Written() const { return doc.Document(); }

  DocumentBuilder doc;

 private:
  static Bytes BytesOf(const ResourceRecord& record) {
    return Bytes(record.Bytes(), record.Bytes() + record.Size());
  }
};

}  // namespace docbuild

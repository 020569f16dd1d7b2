// A document stream that writes: the classes' own save operations lay their records out through it
// into a DocumentWriter, in the encodings the reader takes. It also notes every resource-library
// link that passes (the library's name followed by an id), so that the document can carry copies of
// exactly the library resources its records name.
#pragma once
#include <set>

#include <windows.h>

#include "document/iof_virtual.h"
#include "document_writer.h"

namespace scene_writer {

class ByteStream final : public DS_IOF_Virtual {
 public:
  explicit ByteStream(DocumentWriter& out) : out_(out) {}

  void WriteResourceRecord(const ResourceRecord* value) override;
  void WriteBlob(const ResourceRecord* value) override;
  void WriteString(const ds_string* value) override;
  void WriteInt64(const LONGLONG* value) override;
  void WriteFloat(const float* value) override;
  void WritePoint(const POINT* value) override;
  void WriteULong(const DWORD* value) override;
  void WriteUInt(const UINT* value) override;
  void WriteByte(const BYTE* value) override;
  void WriteBool(const bool* value) override;
  void WriteInt(const INT* value) override;

  // A writing stream reads nothing; a read is a mistake of the caller and fails the stream.
  void ReadResourceRecord(ResourceRecord*) override { Fail(); }
  void ReadBlob(ResourceRecord*) override { Fail(); }
  void ReadString(ds_string*) override { Fail(); }
  void ReadInt64(LONGLONG*) override { Fail(); }
  void ReadFloat(float*) override { Fail(); }
  void ReadPoint(POINT*) override { Fail(); }
  void ReadULong(DWORD*) override { Fail(); }
  void ReadUInt(UINT*) override { Fail(); }
  void ReadByte(BYTE*) override { Fail(); }
  void ReadBool(bool*) override { Fail(); }
  void ReadInt(INT*) override { Fail(); }
  bool Failed() const override { return failed_; }
  void Fail() override { failed_ = true; }
  bool Holds(uint64_t) const override { return false; }

  // The ids of the library links written so far.
  const std::set<int64_t>& LibraryIds() const { return libraryIds_; }

 private:
  void Written() { afterLibrary_ = false; }
  DocumentWriter& out_;
  bool failed_ = false;
  bool afterLibrary_ = false;
  std::set<int64_t> libraryIds_;
};

}  // namespace scene_writer

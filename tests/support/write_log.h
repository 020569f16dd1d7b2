// A writing stream for tests of save operations that name each written value as "kind value"
// ("string DS_2D_Light", "ulong 3", "point -4 9"), so a test can compare a save with the fields it
// expects in order. It reads nothing.
#pragma once
#include <string>
#include <vector>

#include <windows.h>

#include "document/iof_virtual.h"

namespace docbuild {

class WriteLog final : public DS_IOF_Virtual {
 public:
  void WriteResourceRecord(const ResourceRecord*) override { entries.push_back("record"); }
  void WriteBlob(const ResourceRecord*) override { entries.push_back("blob"); }
  void WriteString(const ds_string* value) override {
    entries.push_back("string " + std::string(value->begin(), value->end()));
  }
  void WriteInt64(const LONGLONG* value) override { entries.push_back("int64 " + std::to_string(*value)); }
  void WriteFloat(const float* value) override { entries.push_back("float " + std::to_string(*value)); }
  void WritePoint(const POINT* value) override {
    entries.push_back("point " + std::to_string(value->x) + " " + std::to_string(value->y));
  }
  void WriteULong(const DWORD* value) override { entries.push_back("ulong " + std::to_string(*value)); }
  void WriteUInt(const UINT* value) override { entries.push_back("uint " + std::to_string(*value)); }
  void WriteByte(const BYTE* value) override { entries.push_back("byte " + std::to_string(*value)); }
  void WriteBool(const bool* value) override { entries.push_back(*value ? "bool 1" : "bool 0"); }
  void WriteInt(const INT* value) override { entries.push_back("int " + std::to_string(*value)); }
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

  std::vector<std::string> entries;
};

}  // namespace docbuild

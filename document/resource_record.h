// One embedded file: its name (the path it had when embedded), its bytes, and for a file taken from a
// resource library the library's file name and the resource id. A record owns its bytes; copying a
// record copies them.
#pragma once
#include <memory>

#include <windows.h>

#include "document/ds_string.h"

class ResourceRecord {
 public:
  ResourceRecord() = default;
  ResourceRecord(const ResourceRecord& other);
  ResourceRecord(ResourceRecord&& other) noexcept;
  ResourceRecord& operator=(const ResourceRecord& other);
  ResourceRecord& operator=(ResourceRecord&& other) noexcept;
  ~ResourceRecord() = default;

  // A record naming resource `id` of `library`, without a name or bytes.
  static ResourceRecord ConstructForLibrary(INT id, const ds_string& library);

  // Replaces the bytes by a copy of `size` bytes; a size of 0 leaves the record without bytes.
  void SetBytes(DWORD size, const void* bytes);
  // A new name means a different file: the bytes are dropped. An equal name changes nothing.
  void SetName(const ds_string& newName);

  const BYTE* Bytes() const { return bytes_.get(); }
  DWORD Size() const { return size_; }

  ds_string name;
  INT id = 0;
  ds_string library;

 private:
  std::unique_ptr<BYTE[]> bytes_;
  DWORD size_ = 0;
};

// The text after the last backslash of a path; the whole path when it has none.
ds_string FileNameOfPath(const ds_string& path);

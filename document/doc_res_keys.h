// Keys of the resource manager's tables. A file key is the (path, stamp) pair of a file link, ordered
// as file links order: the paths by UTF-16 code unit (a proper prefix first, case-sensitive), then the
// stamps as signed 64-bit numbers. A GUID key orders by the GUID's sixteen bytes as unsigned bytes.
#pragma once
#include <cstring>
#include <tuple>

#include <windows.h>

#include "document/ds_string.h"

struct FileKey {
  ds_string path;
  LONGLONG stamp = 0;

  friend bool operator<(const FileKey& a, const FileKey& b) {
    return std::tie(a.path, a.stamp) < std::tie(b.path, b.stamp);
  }
  friend bool operator==(const FileKey& a, const FileKey& b) = default;
};

struct GuidKeyLess {
  bool operator()(const GUID& a, const GUID& b) const { return std::memcmp(&a, &b, sizeof(GUID)) < 0; }
};

// File links: a path and a 64-bit stamp naming one file, the key under which the resource manager
// finds the embedded file and the device objects made from it. The same path with different stamps
// names different files.
//
// What a stamp means depends on the path: for a library link (extension ".dll") its low 32 bits are
// the resource id in that library; for a file on disk its modification time; for a file embedded by
// the authoring tool a number given at embedding; for a texture with an empty path, resource N of
// type "DDS" of the executable.
#pragma once
#include <windows.h>

#include "document/ds_string.h"
#include "document/iof_virtual.h"
#include "document/media_param.h"

class ResourceRecord;

class DS_FileLink3 : public MediaParam {
 public:
  DS_FileLink3() = default;
  // Copies path and stamp, never observers.
  DS_FileLink3(const DS_FileLink3& other) : MediaParam(), path(other.path), stamp(other.stamp) {}
  DS_FileLink3& operator=(const DS_FileLink3& other) {
    path = other.path;
    stamp = other.stamp;
    return *this;
  }

  // The file's modification time, in seconds since 1970; 0 when the file cannot be examined.
  static DS_FileLink3 ConstructFromPath(const ds_string& path);
  // Resource `id` of `library`; the id is taken as unsigned, as in every other form.
  static DS_FileLink3 ConstructFromResource(INT id, const ds_string& library);
  // A library record: its library and id. An embedded record (id 0): its name and the next value of
  // g_EmbeddedFileCounter.
  static DS_FileLink3 ConstructFromRecord(const ResourceRecord& record);
  static DS_FileLink3 ConstructFromSnapshot(const ds_string& path, LONGLONG stamp);

  ds_string GetPath() const { return path; }
  // From the last "." to the end with A to Z lower-cased; empty without a ".".
  ds_string LowerExtension() const;

  ds_string path;
  LONGLONG stamp = 0;
};

// Compiled effects.
class DS_HLSLEffectFile : public DS_FileLink3 {
 public:
  DS_HLSLEffectFile() = default;
  explicit DS_HLSLEffectFile(const DS_FileLink3& link) : DS_FileLink3(link) {}
  using DS_FileLink3::operator=;
};

// .x meshes.
class DS_MeshFile : public DS_FileLink3 {
 public:
  DS_MeshFile() = default;
  explicit DS_MeshFile(const DS_FileLink3& link) : DS_FileLink3(link) {}
  using DS_FileLink3::operator=;
};

// The stamp of the next link built at run time from an embedded record; starts at 0, never reset.
extern LONGLONG g_EmbeddedFileCounter;

// Paths by UTF-16 code unit (case-sensitive, a proper prefix first), then stamps as signed values.
bool FileLinkLess(const DS_FileLink3& a, const DS_FileLink3& b);
// The sixteen bytes of the GUIDs as they lie in memory, compared as unsigned bytes.
bool GuidLess(const GUID& a, const GUID& b);

// A stored link: its path (an empty stored path clears the link's) and stamp. Nobody is told.
void ReadFileLink(DS_IOF_Virtual** stream, DS_FileLink3* link);
// The save-side twin; a link with a path also registers its files with g_DocResManager.
void WriteFileLink(DS_IOF_Virtual** stream, const DS_FileLink3& link);

#include "document/file_link.h"

#include <wstat.h>

#include <cstring>

#include "document/doc_res_manager.h"
#include "document/resource_record.h"

LONGLONG g_EmbeddedFileCounter = 0;

DS_FileLink3 DS_FileLink3::ConstructFromPath(const ds_string& path) {
  struct _stat64i32 status;
  const LONGLONG modified = _wstat64i32(path.c_str(), &status) == 0 ? status.st_mtime : 0;
  return ConstructFromSnapshot(path, modified);
}

DS_FileLink3 DS_FileLink3::ConstructFromResource(INT id, const ds_string& library) {
  return ConstructFromSnapshot(library, static_cast<LONGLONG>(static_cast<DWORD>(id)));
}

DS_FileLink3 DS_FileLink3::ConstructFromRecord(const ResourceRecord& record) {
  if (record.id != 0) return ConstructFromResource(record.id, record.library);
  return ConstructFromSnapshot(record.name, g_EmbeddedFileCounter++);
}

DS_FileLink3 DS_FileLink3::ConstructFromSnapshot(const ds_string& path, LONGLONG stamp) {
  DS_FileLink3 link;
  link.path = path;
  link.stamp = stamp;
  return link;
}

ds_string DS_FileLink3::LowerExtension() const {
  const size_t dot = path.rfind(u'.');
  if (dot == ds_string::npos) return {};
  ds_string extension = path.substr(dot);
  for (WCHAR& c : extension)
    if (c >= u'A' && c <= u'Z') c = static_cast<WCHAR>(c - u'A' + u'a');
  return extension;
}

bool FileLinkLess(const DS_FileLink3& a, const DS_FileLink3& b) {
  if (a.path != b.path) return a.path < b.path;
  return a.stamp < b.stamp;
}

bool GuidLess(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) < 0; }

void ReadFileLink(DS_IOF_Virtual** stream, DS_FileLink3* link) {
  ds_string path;
  LONGLONG stamp = 0;
  (*stream)->ReadString(&path);
  (*stream)->ReadInt64(&stamp);
  if ((*stream)->Failed()) return;
  link->path = std::move(path);
  link->stamp = stamp;
}

// A saved link takes its embedded files along into the document's tables.
void WriteFileLink(DS_IOF_Virtual** stream, const DS_FileLink3& link) {
  if (!link.path.empty() && g_DocResManager) g_DocResManager->RegisterFileLink(link);
  (*stream)->WriteString(&link.path);
  (*stream)->WriteInt64(&link.stamp);
}

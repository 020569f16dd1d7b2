#include "document/doc_res_library.h"

#include <span>

#include "document/iof_reader.h"
#include "document/stream_reads.h"

namespace {

// The bytes of resource (low 16 bits of `id`, `type`) of `library`. The module is never freed, and a
// library that cannot be loaded leaves a null module, which searches the executable's own resources.
std::span<const BYTE> FindLibraryResource(const ds_string& library, INT id, LPCWSTR type) {
  HMODULE module = LoadLibraryW(library.c_str());
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(static_cast<UINT>(id) & 0xFFFFu), type);
  if (!found) return {};
  const DWORD size = SizeofResource(module, found);
  HGLOBAL loaded = size > 0 ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return {};
  return {static_cast<const BYTE*>(bytes), size};
}

}  // namespace

bool LoadLibraryResource(ResourceRecord& record, LPCWSTR type) {
  std::span<const BYTE> bytes = FindLibraryResource(record.library, record.id, type);
  if (bytes.empty()) return false;
  record.SetBytes(static_cast<DWORD>(bytes.size()), bytes.data());
  return true;
}

bool LoadFromLibrary(ResourceRecord& record) { return LoadLibraryResource(record, u"DDS"); }

bool ReadPicturePackage(const ds_string& library, LONGLONG stamp, PicturePackage* package) {
  std::span<const BYTE> bytes = FindLibraryResource(library, LibraryId(stamp), u"DDS");
  if (bytes.empty()) return false;
  ResourceBuffer buffer(bytes.data(), bytes.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  PicturePackage read;
  const DWORD frames = ReadCount(&stream, 4);
  read.frameTimes.resize(frames);
  for (float& time : read.frameTimes) stream->ReadFloat(&time);
  const DWORD records = ReadCount(&stream, 16);
  for (DWORD i = 0; i < records && !stream->Failed(); ++i) stream->ReadResourceRecord(&read.records.emplace_back());
  if (stream->Failed()) return false;
  *package = std::move(read);
  return true;
}

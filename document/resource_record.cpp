#include "document/resource_record.h"

#include <cstring>
#include <utility>

ResourceRecord::ResourceRecord(const ResourceRecord& other)
    : name(other.name), id(other.id), library(other.library) {
  SetBytes(other.size_, other.bytes_.get());
}

ResourceRecord::ResourceRecord(ResourceRecord&& other) noexcept
    : name(std::move(other.name)),
      id(other.id),
      library(std::move(other.library)),
      bytes_(std::move(other.bytes_)),
      size_(std::exchange(other.size_, 0)) {}

ResourceRecord& ResourceRecord::operator=(const ResourceRecord& other) {
  if (this != &other) {
    ResourceRecord copy(other);
    *this = std::move(copy);
  }
  return *this;
}

ResourceRecord& ResourceRecord::operator=(ResourceRecord&& other) noexcept {
  name = std::move(other.name);
  id = other.id;
  library = std::move(other.library);
  bytes_ = std::move(other.bytes_);
  size_ = std::exchange(other.size_, 0);
  return *this;
}

ResourceRecord ResourceRecord::ConstructForLibrary(INT id, const ds_string& library) {
  ResourceRecord record;
  record.id = id;
  record.library = library;
  return record;
}

void ResourceRecord::SetBytes(DWORD size, const void* bytes) {
  bytes_.reset();
  size_ = 0;
  if (size == 0 || bytes == nullptr) return;
  bytes_ = std::make_unique_for_overwrite<BYTE[]>(size);
  std::memcpy(bytes_.get(), bytes, size);
  size_ = size;
}

void ResourceRecord::SetName(const ds_string& newName) {
  if (newName == name) return;
  bytes_.reset();
  size_ = 0;
  name = newName;
}

ds_string FileNameOfPath(const ds_string& path) {
  const size_t slash = path.rfind(u'\\');
  return slash == ds_string::npos ? path : path.substr(slash + 1);
}

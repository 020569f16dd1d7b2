#include "document/resource_bytes.h"

#include <libloaderapi.h>

std::span<const BYTE> FindDdsResource(HMODULE module, int id) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), u"DDS");
  if (!found) return {};
  const DWORD size = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  if (!loaded || size == 0) return {};
  const void* data = LockResource(loaded);
  if (!data) return {};
  return {static_cast<const BYTE*>(data), size};
}

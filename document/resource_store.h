// The cache of device objects made from resource records and resource libraries, one per resource
// manager and so one per device. Textures and meshes live in the managed pool and survive a reset.
#pragma once
#include <map>
#include <utility>

#include <d3d9.h>
#include <windows.h>

#include "document/ds_string.h"
#include "document/resource_record.h"
#include "document/com_holder.h"
#include "document/mesh_entry.h"
#include "document/texture_entry.h"

class ResourceStore {
 public:
  // The record's texture, with a reference for the caller. A named record with bytes is made from
  // them (not cached); a named record without bytes from the file of that name (cached by path). A
  // nameless record comes from its library's "DDS" resource, else from its own bytes; when the library
  // is not there, from its own bytes with the picture size preset to 800 x 600.
  TextureEntry GetRecordTexture(const ResourceRecord& record);
  // A texture from image bytes in memory; not cached.
  TextureEntry TextureFromMemory(const void* bytes, UINT size);
  // The texture of the file at the record's name; cached by path.
  TextureEntry GetFileTexture(const ResourceRecord& record);
  // The executable's own "DDS" resource `id` with a full mip chain, a reference added; null when the
  // executable has none (the next call tries again).
  IDirect3DTexture9* GetOwnTexture(INT id);
  // The record's mesh (a copy that shares the buffers). A library mesh is cached by (library, id) once
  // it has vertices; a library that lacks it, and an embedded record, fall back to the record's bytes
  // (or the file of its name). An empty result is never cached.
  MeshEntry GetRecordMesh(const ResourceRecord& record, UINT stride);
  // The module of a library (the empty name: the executable's own, the null handle). A library that
  // cannot be loaded is not remembered, so the next request tries again. Modules are never freed.
  bool GetModule(const ds_string& name, HMODULE* module);

 private:
  std::map<INT, ComHolder<IDirect3DTexture9>> ownTextures_;
  std::map<ds_string, TextureEntry> fileTextures_;
  std::map<std::pair<HMODULE, INT>, TextureEntry> moduleTextures_;
  std::map<std::pair<ds_string, INT>, TextureEntry> libraryNameTextures_;
  std::map<std::pair<ds_string, INT>, MeshEntry> meshes_;
  std::map<ds_string, HMODULE> modules_;
};

// The cell of the store of the current resource manager (see SetCurrentDocResManager).
extern ResourceStore** g_ResourceStore;

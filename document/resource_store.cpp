#include "document/resource_store.h"

#include <d3dx9.h>

#include "document/device.h"
#include "document/mesh_loaders.h"
#include "document/texture_loaders.h"

ResourceStore** g_ResourceStore = nullptr;

namespace {

// Resources are named by the low 16 bits of a record's id, as integer resource names are.
INT ResourceId(INT id) { return static_cast<INT>(static_cast<UINT>(id) & 0xFFFFu); }

TextureEntry EntryFromInfo(const D3DXIMAGE_INFO& info, const TextureHolder& texture) {
  TextureEntry entry;
  entry.SetFromInfo(info.Width, info.Height, texture.Get());
  return entry;
}

}  // namespace

TextureEntry ResourceStore::TextureFromMemory(const void* bytes, UINT size) {
  D3DXIMAGE_INFO info{};
  TextureHolder texture;
  TextureFromMemoryInfo(&info, bytes, size, texture);
  return texture ? EntryFromInfo(info, texture) : TextureEntry{};
}

TextureEntry ResourceStore::GetFileTexture(const ResourceRecord& record) {
  TextureEntry& entry = fileTextures_[record.name];
  if (entry.texture || !g_Device) return entry;
  D3DXIMAGE_INFO info{};
  TextureHolder texture;
  D3DXCreateTextureFromFileExW(g_Device, record.name.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN,
                               D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE, D3DX_FILTER_NONE, 0, &info, nullptr,
                               texture.Out());
  if (texture) entry = EntryFromInfo(info, texture);
  return entry;
}

TextureEntry ResourceStore::GetRecordTexture(const ResourceRecord& record) {
  if (!record.name.empty()) {
    if (record.Bytes()) return TextureFromMemory(record.Bytes(), record.Size());
    return GetFileTexture(record);
  }
  HMODULE module = nullptr;
  if (GetModule(record.library, &module)) {
    TextureEntry& entry = moduleTextures_[{module, record.id}];
    if (entry.texture) return entry;
    D3DXIMAGE_INFO info{};
    TextureHolder texture;
    LoadModuleResourceTexture(module, ResourceId(record.id), texture, &info);
    if (!texture) TextureFromMemoryInfo(&info, record.Bytes(), record.Size(), texture);
    if (texture) entry = EntryFromInfo(info, texture);
    return entry;
  }
  TextureEntry& entry = libraryNameTextures_[{record.library, record.id}];
  if (entry.texture) return entry;
  D3DXIMAGE_INFO info{};
  info.Width = 800;
  info.Height = 600;
  TextureHolder texture;
  TextureFromMemoryInfo(&info, record.Bytes(), record.Size(), texture);
  // Without a picture the entry keeps the preset size, so that the scene still lays out a 4:3 frame.
  if (!texture) {
    info.Width = 800;
    info.Height = 600;
  }
  entry = EntryFromInfo(info, texture);
  return entry;
}

IDirect3DTexture9* ResourceStore::GetOwnTexture(INT id) {
  ComHolder<IDirect3DTexture9>& slot = ownTextures_[id];
  if (!slot) LoadOwnResourceTexture(slot, id, true);
  if (slot) slot->AddRef();
  return slot.Get();
}

MeshEntry ResourceStore::GetRecordMesh(const ResourceRecord& record, UINT stride) {
  const std::pair<ds_string, INT> key{record.library, record.id};
  if (!record.library.empty()) {
    auto cached = meshes_.find(key);
    if (cached != meshes_.end()) return cached->second;
  }
  MeshEntry entry;
  HMODULE module = nullptr;
  if (!record.library.empty() && GetModule(record.library, &module)) {
    LoadModuleResourceMesh(entry, module, ResourceId(record.id), stride);
    if (entry.vertexCount > 0) {
      meshes_[key] = entry;
      return entry;
    }
  }
  if (record.Size() > 0)
    LoadMeshFromMemory(entry, record.Bytes(), record.Size(), stride);
  else if (!record.name.empty())
    LoadMeshFromFile(entry, record.name.c_str(), stride);
  return entry;
}

bool ResourceStore::GetModule(const ds_string& name, HMODULE* module) {
  auto found = modules_.find(name);
  if (found != modules_.end()) {
    *module = found->second;
    return true;
  }
  if (name.empty()) {
    modules_[name] = nullptr;
    *module = nullptr;
    return true;
  }
  HMODULE loaded = LoadLibraryW(name.c_str());
  if (!loaded) return false;
  modules_[name] = loaded;
  *module = loaded;
  return true;
}

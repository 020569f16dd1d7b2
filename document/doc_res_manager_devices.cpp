// The device objects the resource manager makes from its links and GUIDs, and their device resets.
#include <libloaderapi.h>

#include "document/doc_res_library.h"
#include "document/doc_res_manager.h"
#include "document/device.h"
#include "document/mesh_loaders.h"

namespace {

FileKey KeyOf(const DS_FileLink3& link) { return FileKey{link.path, link.stamp}; }

bool IsLibraryLink(const DS_FileLink3& link) { return link.LowerExtension() == u".dll"; }

void TakeSize(TextureSet& set, const TextureEntry& entry) {
  set.width = entry.width;
  set.height = entry.height;
  set.aspect = entry.aspect;
}

}  // namespace

void DS_DocResManager::LoadTextureFromLibrary(TextureSet& set, const FileKey& key) {
  RecordList& list = TouchFile(key);
  const ResourceRecord& record = list.emplace_back(ResourceRecord::ConstructForLibrary(LibraryId(key.stamp), key.path));
  TextureEntry entry = Store().GetRecordTexture(record);
  set.textures.assign(1, entry.texture);
  TakeSize(set, entry);
}

TextureSet* DS_DocResManager::GetTextureSet(const DS_ImageFileLink& link) {
  const FileKey key = KeyOf(link);
  TextureSet& set = tables_->textureSets[key];
  if (!set.textures.empty()) return &set;
  // A library link (or an empty path naming the executable's own picture) is made once, even when no
  // picture came of it; a file that is not embedded stays unmade and is tried again.
  if (IsLibraryLink(link) || key.path.empty())
    LoadTextureFromLibrary(set, key);
  else
    TouchFile(key);
  return &set;
}

TextureSet* DS_DocResManager::LoadPackageTextures(const DS_ImageFileLink& link) {
  const FileKey key = KeyOf(link);
  TextureSet& set = tables_->textureSets[key];
  if (!set.textures.empty()) return &set;
  PicturePackage package;
  if (!ReadPicturePackage(key.path, key.stamp, &package)) return &set;
  set.frameTimes = std::move(package.frameTimes);
  RecordList& list = tables_->resolution[key];
  list = std::move(package.records);
  set.textures.resize(list.size());
  size_t i = 0;
  for (const ResourceRecord& record : list) {
    TextureEntry entry = Store().GetRecordTexture(record);
    set.textures[i++] = entry.texture;
    TakeSize(set, entry);
  }
  return &set;
}

MeshEntry* DS_DocResManager::GetMesh(const DS_MeshFile& link, UINT stride) {
  const FileKey key = KeyOf(link);
  MeshEntry& entry = tables_->meshes[key];
  if (entry.vertexCount > 0) return &entry;
  RecordList& list = TouchFile(key);
  if (list.empty()) LoadFromLibrary(list.emplace_back(ResourceRecord::ConstructForLibrary(LibraryId(key.stamp), key.path)));
  const ResourceRecord& first = list.front();
  if (first.Size() > 0) LoadMeshFromMemory(entry, first.Bytes(), first.Size(), stride);
  return &entry;
}

ID3DXEffect* DS_DocResManager::GetEffect(const DS_HLSLEffectFile& link) {
  const FileKey key = KeyOf(link);
  ComHolder<ID3DXEffect>& slot = tables_->effects[key];
  if (!slot) {
    RecordList& list = TouchFile(key);
    if (list.empty())
      LoadLibraryResource(list.emplace_back(ResourceRecord::ConstructForLibrary(LibraryId(key.stamp), key.path)),
                          RT_RCDATA);
    // The effect comes from the last record of the list, not the first.
    const ResourceRecord& last = list.back();
    if (g_Device && last.Size() > 0)
      D3DXCreateEffect(g_Device, last.Bytes(), last.Size(), nullptr, nullptr, 0, nullptr, slot.Out(), nullptr);
  }
  if (slot) slot->AddRef();
  return slot.Get();
}

ID3DXFont* DS_DocResManager::CreateFont(const GUID& guid, const FontMediaParam& font) {
  ComHolder<ID3DXFont>& slot = tables_->fonts[guid];
  slot.Release();
  if (g_Device)
    D3DXCreateFontW(g_Device, font.height, 0, static_cast<UINT>(font.weight), 1, font.italic,
                    1 /* DEFAULT_CHARSET */, 0 /* OUT_DEFAULT_PRECIS */, 0 /* DEFAULT_QUALITY */, 0,
                    font.faceName.c_str(), slot.Out());
  if (slot) slot->AddRef();
  return slot.Get();
}

RenderTargetPair* DS_DocResManager::GetTextTarget(const GUID& guid) {
  auto found = tables_->textTargets.find(guid);
  if (found != tables_->textTargets.end()) return found->second.get();
  auto pair = std::make_unique<RenderTargetPair>();
  pair->CreateFromTexture(tables_->guidTextures[guid].Get(), 512, 512);
  return tables_->textTargets.emplace(guid, std::move(pair)).first->second.get();
}

std::unique_ptr<DS_ImageFileLink> DS_DocResManager::AddImageRecord(const ResourceRecord& record) {
  const DS_FileLink3 link = DS_FileLink3::ConstructFromRecord(record);
  const FileKey key = KeyOf(link);
  RecordList& list = TouchFile(key);
  if (list.empty()) list.push_back(record);
  TextureEntry entry = Store().GetRecordTexture(record);
  TextureSet& set = tables_->textureSets[key];
  set.textures.assign(1, entry.texture);
  TakeSize(set, entry);
  return std::make_unique<DS_ImageFileLink>(link);
}

std::unique_ptr<DS_ImageFileLink> DS_DocResManager::AddImageRecords(const std::vector<float>& frameTimes,
                                                                    const std::vector<ResourceRecord>& records) {
  // Without records there is nothing to name: the link comes from an empty record and stays unmade.
  const DS_FileLink3 link = DS_FileLink3::ConstructFromRecord(records.empty() ? ResourceRecord{} : records.front());
  const FileKey key = KeyOf(link);
  TextureSet& set = tables_->textureSets[key];
  if (set.textures.empty() && !records.empty()) {
    RecordList& list = TouchFile(key);
    for (const ResourceRecord& record : records) {
      TextureEntry entry = Store().GetRecordTexture(record);
      set.textures.push_back(entry.texture);
      TakeSize(set, entry);
      list.push_back(record);
    }
    set.frameTimes = frameTimes;
  }
  return std::make_unique<DS_ImageFileLink>(link);
}

std::unique_ptr<DS_ImageFileLink> DS_DocResManager::ImageLinkFromPath(const ds_string& path) {
  auto link = std::make_unique<DS_ImageFileLink>(DS_FileLink3::ConstructFromPath(path));
  GetTextureSet(*link);
  return link;
}

void DS_DocResManager::OnLostDevice() {
  for (auto& [key, effect] : tables_->effects)
    if (effect) effect->OnLostDevice();
  for (auto& [guid, pair] : tables_->textTargets) pair->ReleaseTextures();
  for (auto& [guid, font] : tables_->fonts)
    if (font) font->OnLostDevice();
}

void DS_DocResManager::OnResetDevice() {
  for (auto& [key, effect] : tables_->effects)
    if (effect) effect->OnResetDevice();
  for (auto& [guid, pair] : tables_->textTargets)
    pair->CreateFromTexture(tables_->guidTextures[guid].Get(), pair->Width(), pair->Height());
  for (auto& [guid, font] : tables_->fonts)
    if (font) font->OnResetDevice();
}

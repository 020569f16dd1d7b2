// The resource manager's tables: what the document stores (image files, frame times, other files,
// GUID blobs) and what the running scene makes from it. Records are kept in lists whose elements stay
// where they are while a list grows, so a record handed out by pointer stays valid.
#pragma once
#include <list>
#include <map>
#include <memory>
#include <vector>

#include <d3d9.h>
#include <d3dx9core.h>
#include <d3dx9effect.h>

#include "document/doc_res_keys.h"
#include "document/resource_record.h"
#include "document/com_holder.h"
#include "document/mesh_entry.h"
#include "document/render_target_pair.h"
#include "document/texture_set.h"

using RecordList = std::list<ResourceRecord>;

struct GuidEntry {
  GUID guid{};
  ds_string name;
  BYTE flag = 1;
  ResourceRecord blob;
};

template <class V>
using GuidMap = std::map<GUID, V, GuidKeyLess>;

struct ResourceTables {
  std::map<FileKey, RecordList> otherFiles;
  std::map<FileKey, RecordList> imageFiles;
  std::map<FileKey, std::vector<float>> frameTimes;
  GuidMap<GuidEntry> guidBlobs;
  std::map<FileKey, TextureSet> textureSets;
  std::map<FileKey, MeshEntry> meshes;
  GuidMap<std::unique_ptr<RenderTargetPair>> textTargets;
  std::map<FileKey, ComHolder<ID3DXEffect>> effects;
  GuidMap<ComHolder<ID3DXFont>> fonts;
  // Every link's embedded bytes: the document's image and other-file records, and the records of
  // library links resolved while the scene runs.
  std::map<FileKey, RecordList> resolution;
  GuidMap<ComHolder<IDirect3DTexture9>> guidTextures;
};

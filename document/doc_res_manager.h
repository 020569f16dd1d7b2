// The document resource manager: the embedded files of one scene document, keyed by file link or
// GUID, and the device objects made from them on the device of its monitor scene. The scene objects
// resolve their links through the current manager, g_DocResManager.
#pragma once
#include <memory>
#include <vector>

#include <d3dx9core.h>
#include <d3dx9effect.h>

#include "document/doc_res_tables.h"
#include "document/file_link.h"
#include "document/font_media_param.h"
#include "document/image_file_link.h"
#include "document/iof_item.h"
#include "document/resource_store.h"

class DS_DocResManager : public DS_IOF_Item {
 public:
  // Creates the manager's store and publishes it in g_ResourceStore.
  DS_DocResManager();
  // Gives up the device objects and clears the globals that point at this manager or its store.
  ~DS_DocResManager() override;
  DS_DocResManager(const DS_DocResManager&) = delete;
  DS_DocResManager& operator=(const DS_DocResManager&) = delete;

  // Reads the stored tables (after the object header) and makes the textures of every image entry on
  // the current device. False when the stream failed on the way.
  bool ReadTables(DS_IOF_Virtual** stream, DWORD version);

  // The link's first embedded record; for a library link not in the document, a record loaded from
  // the library (without bytes when it has none). Null for any other link without a record. The record
  // belongs to the manager and stays valid while the manager lives and the link's list only grows.
  ResourceRecord* GetFileRecord(const DS_FileLink3& link);

  // Save side: the version-3 record of the tables, and the registration of an image link's files.
  bool Save(DS_IOF_Virtual** stream) override;
  void MarkUsed(const DS_ImageFileLink& link);
  // What a saved link registers: its records, in the other-files table.
  void RegisterFileLink(const DS_FileLink3& link);

  // Device objects (each created at most once per key while creation succeeds).
  TextureSet* GetTextureSet(const DS_ImageFileLink& link);
  TextureSet* LoadPackageTextures(const DS_ImageFileLink& link);
  MeshEntry* GetMesh(const DS_MeshFile& link, UINT stride);
  // A reference is added for the caller; null when the effect cannot be made.
  ID3DXEffect* GetEffect(const DS_HLSLEffectFile& link);
  // A new font for the GUID every call, replacing the one before; a reference added for the caller.
  ID3DXFont* CreateFont(const GUID& guid, const FontMediaParam& font);
  RenderTargetPair* GetTextTarget(const GUID& guid);
  // The GUID-texture slot of `guid`; an empty slot is made when the GUID has none.
  ComHolder<IDirect3DTexture9>& GuidTexture(const GUID& guid) { return tables_->guidTextures[guid]; }
  std::unique_ptr<DS_ImageFileLink> AddImageRecord(const ResourceRecord& record);
  std::unique_ptr<DS_ImageFileLink> AddImageRecords(const std::vector<float>& frameTimes,
                                                    const std::vector<ResourceRecord>& records);
  std::unique_ptr<DS_ImageFileLink> ImageLinkFromPath(const ds_string& path);

  // Before a device reset: effects and fonts give up their device state, text targets their
  // render targets. After a successful reset: all of them are made again.
  void OnLostDevice();
  void OnResetDevice();

  ResourceStore& Store() { return **storeCell_; }
  ResourceStore** StoreCell() { return storeCell_.get(); }
  const ResourceTables& Tables() const { return *tables_; }

 private:
  void LoadTextureFromLibrary(TextureSet& set, const FileKey& key);
  RecordList& TouchFile(const FileKey& key) { return tables_->resolution[key]; }

  std::unique_ptr<ResourceStore*> storeCell_;
  std::unique_ptr<ResourceStore> store_;
  std::unique_ptr<ResourceTables> tables_;
};

// The manager of the monitor scene being worked on. Switch it with SetCurrentDocResManager, which
// also switches g_ResourceStore, so that every lookup lands on the store of the current device.
extern DS_DocResManager* g_DocResManager;
void SetCurrentDocResManager(DS_DocResManager* manager);


#include "document/doc_res_manager.h"

#include <utility>

#include "document/doc_res_library.h"
#include "document/stream_reads.h"

DS_DocResManager* g_DocResManager = nullptr;

void SetCurrentDocResManager(DS_DocResManager* manager) {
  g_DocResManager = manager;
  g_ResourceStore = manager ? manager->StoreCell() : nullptr;
}

namespace {

// Smallest stored sizes, by which a count is checked against the bytes left before any loop runs.
constexpr DWORD kMinFileEntry = 4 + 8 + 4;    // path, stamp, record count
constexpr DWORD kMinRecord = 4 + 4 + 4 + 4;   // id, library, size, name
constexpr DWORD kMinGuidEntry = 4 + 4 + 1 + 8;  // GUID text, name, flag, blob

bool ReadKey(DS_IOF_Virtual** stream, FileKey* key) {
  (*stream)->ReadString(&key->path);
  (*stream)->ReadInt64(&key->stamp);
  return !(*stream)->Failed();
}

// A duplicate key keeps the first entry; the later one is dropped with its records.
void ReadFileTable(DS_IOF_Virtual** stream, std::map<FileKey, RecordList>& table) {
  const DWORD entries = ReadCount(stream, kMinFileEntry);
  for (DWORD i = 0; i < entries && !(*stream)->Failed(); ++i) {
    FileKey key;
    if (!ReadKey(stream, &key)) return;
    RecordList records;
    const DWORD count = ReadCount(stream, kMinRecord);
    for (DWORD j = 0; j < count && !(*stream)->Failed(); ++j) (*stream)->ReadResourceRecord(&records.emplace_back());
    if ((*stream)->Failed()) return;
    table.emplace(std::move(key), std::move(records));
  }
}

void ReadFrameTimeTable(DS_IOF_Virtual** stream, std::map<FileKey, std::vector<float>>& table) {
  const DWORD entries = ReadCount(stream, kMinFileEntry);
  for (DWORD i = 0; i < entries && !(*stream)->Failed(); ++i) {
    FileKey key;
    if (!ReadKey(stream, &key)) return;
    std::vector<float> times;
    ReadFloatVector(stream, &times);
    if ((*stream)->Failed()) return;
    table.emplace(std::move(key), std::move(times));
  }
}

void ReadGuidTable(DS_IOF_Virtual** stream, GuidMap<GuidEntry>& table) {
  const DWORD entries = ReadCount(stream, kMinGuidEntry);
  for (DWORD i = 0; i < entries && !(*stream)->Failed(); ++i) {
    GuidEntry entry;
    ReadGuid(stream, &entry.guid);
    (*stream)->ReadString(&entry.name);
    bool flag = true;
    (*stream)->ReadBool(&flag);
    entry.flag = flag ? 1 : 0;
    (*stream)->ReadBlob(&entry.blob);
    if ((*stream)->Failed()) return;
    const GUID guid = entry.guid;
    table.emplace(guid, std::move(entry));
  }
}

void WriteFileTable(DS_IOF_Virtual** stream, const std::map<FileKey, RecordList>& table) {
  const DWORD entries = static_cast<DWORD>(table.size());
  (*stream)->WriteULong(&entries);
  for (const auto& [key, records] : table) {
    (*stream)->WriteString(&key.path);
    (*stream)->WriteInt64(&key.stamp);
    const DWORD count = static_cast<DWORD>(records.size());
    (*stream)->WriteULong(&count);
    for (const ResourceRecord& record : records) (*stream)->WriteResourceRecord(&record);
  }
}

}  // namespace

DS_DocResManager::DS_DocResManager()
    : storeCell_(std::make_unique<ResourceStore*>()),
      store_(std::make_unique<ResourceStore>()),
      tables_(std::make_unique<ResourceTables>()) {
  *storeCell_ = store_.get();
  g_ResourceStore = storeCell_.get();
}

DS_DocResManager::~DS_DocResManager() {
  OnLostDevice();
  if (g_DocResManager == this) g_DocResManager = nullptr;
  if (g_ResourceStore == storeCell_.get()) g_ResourceStore = nullptr;
}

bool DS_DocResManager::ReadTables(DS_IOF_Virtual** stream, DWORD version) {
  ReadFileTable(stream, tables_->imageFiles);
  ReadFrameTimeTable(stream, tables_->frameTimes);
  for (auto& [key, records] : tables_->imageFiles) {
    RecordList& list = tables_->resolution[key];
    list = std::move(records);
    TextureSet& set = tables_->textureSets[key];
    set.textures.clear();
    set.textures.resize(list.size());
    size_t i = 0;
    for (const ResourceRecord& record : list) {
      TextureEntry entry = Store().GetRecordTexture(record);
      set.textures[i++] = entry.texture;
      set.width = entry.width;
      set.height = entry.height;
      set.aspect = entry.aspect;
    }
    if (list.size() > 1) set.frameTimes = tables_->frameTimes[key];
  }
  tables_->imageFiles.clear();
  if (version != 1) {
    ReadFileTable(stream, tables_->otherFiles);
    for (const auto& [key, records] : tables_->otherFiles) tables_->resolution.emplace(key, records);
  }
  if (version != 1 && version != 2) {
    ReadGuidTable(stream, tables_->guidBlobs);
    for (const auto& [guid, entry] : tables_->guidBlobs)
      tables_->guidTextures[guid] = Store().TextureFromMemory(entry.blob.Bytes(), entry.blob.Size()).texture;
    tables_->guidBlobs.clear();
  }
  return !(*stream)->Failed();
}

ResourceRecord* DS_DocResManager::GetFileRecord(const DS_FileLink3& link) {
  const FileKey key{link.path, link.stamp};
  RecordList& list = TouchFile(key);
  if (!list.empty()) return &list.front();
  if (link.LowerExtension() != u".dll") return nullptr;
  ResourceRecord& record = list.emplace_back(ResourceRecord::ConstructForLibrary(LibraryId(key.stamp), key.path));
  LoadFromLibrary(record);
  return &record;
}

bool DS_DocResManager::Save(DS_IOF_Virtual** stream) {
  const ds_string name = u"DS_DocResManager";
  const DWORD version = 3;
  (*stream)->WriteString(&name);
  (*stream)->WriteULong(&version);
  WriteFileTable(stream, tables_->imageFiles);
  const DWORD timeEntries = static_cast<DWORD>(tables_->frameTimes.size());
  (*stream)->WriteULong(&timeEntries);
  for (const auto& [key, times] : tables_->frameTimes) {
    (*stream)->WriteString(&key.path);
    (*stream)->WriteInt64(&key.stamp);
    const DWORD count = static_cast<DWORD>(times.size());
    (*stream)->WriteULong(&count);
    for (const float& time : times) (*stream)->WriteFloat(&time);
  }
  WriteFileTable(stream, tables_->otherFiles);
  const DWORD guidEntries = static_cast<DWORD>(tables_->guidBlobs.size());
  (*stream)->WriteULong(&guidEntries);
  for (const auto& [guid, entry] : tables_->guidBlobs) {
    WriteGuid(stream, guid);
    (*stream)->WriteString(&entry.name);
    const bool flag = entry.flag != 0;
    (*stream)->WriteBool(&flag);
    (*stream)->WriteBlob(&entry.blob);
  }
  return true;
}

void DS_DocResManager::MarkUsed(const DS_ImageFileLink& link) {
  if (link.path.empty()) return;
  const FileKey key{link.path, link.stamp};
  auto set = tables_->textureSets.find(key);
  if (set != tables_->textureSets.end() && !set->second.frameTimes.empty())
    tables_->frameTimes[key] = set->second.frameTimes;
  auto records = tables_->resolution.find(key);
  tables_->imageFiles[key] = records != tables_->resolution.end() ? records->second : RecordList{};
}

void DS_DocResManager::RegisterFileLink(const DS_FileLink3& link) {
  if (link.path.empty()) return;
  const FileKey key{link.path, link.stamp};
  auto records = tables_->resolution.find(key);
  tables_->otherFiles[key] = records != tables_->resolution.end() ? records->second : RecordList{};
}

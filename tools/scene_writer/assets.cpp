#include "assets.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "library.h"

namespace scene_writer {

namespace {

ds_string Wide(const std::string& text) { return ds_string(text.begin(), text.end()); }

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Identities of the bump pictures: fixed, so that the document is the same on every build.
std::string GuidText(uint32_t serial) {
  char text[39];
  std::snprintf(text, sizeof text, "{5CE7E000-C0DE-4000-8000-%012X}", serial);
  return text;
}

}  // namespace

bool IsPicture(const std::string& file) {
  const std::string lower = Lower(file);
  for (const char* ending : {".png", ".jpg", ".jpeg", ".bmp", ".tga", ".dds"}) {
    const std::string e = ending;
    if (lower.size() > e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0) return true;
  }
  return false;
}

Assets::Assets(ReadFile read, std::map<int64_t, std::string> library)
    : read_(std::move(read)), library_(std::move(library)) {}

DS_FileLink3 Assets::Link(const std::string& file) {
  auto found = files_.find(file);
  if (found == files_.end()) {
    order_.push_back(file);
    // The path the file had on the authoring machine; the stamp tells files of one path apart.
    const Embedded embedded{file, (IsPicture(file) ? "pictures\\" : "media\\") + file, static_cast<int64_t>(order_.size())};
    found = files_.emplace(file, embedded).first;
  }
  return DS_FileLink3::ConstructFromSnapshot(Wide(found->second.path), found->second.stamp);
}

std::string Assets::GuidPicture(const std::string& file) {
  guidPictures_.emplace_back(GuidText(static_cast<uint32_t>(guidPictures_.size() + 1)), file);
  return guidPictures_.back().first;
}

std::vector<int64_t> Assets::Uncarried(const std::set<int64_t>& libraryIds) const {
  std::vector<int64_t> missing;
  for (int64_t id : libraryIds)
    if (!library_.contains(id)) missing.push_back(id);
  return missing;
}

void Assets::WriteTables(DocumentWriter& out, const std::set<int64_t>& libraryIds) const {
  struct Entry {
    std::string path;
    int64_t stamp;
    int32_t id;
    std::string file;
  };
  std::vector<Entry> pictures, others;
  for (const auto& file : order_) {
    const Embedded& e = files_.at(file);
    (IsPicture(file) ? pictures : others).push_back({e.path, e.stamp, 0, file});
  }
  for (int64_t id : libraryIds) {
    auto found = library_.find(id);
    if (found == library_.end()) continue;
    (IsPicture(found->second) ? pictures : others).push_back({std::string(kLibrary), id, static_cast<int32_t>(id), found->second});
  }
  auto table = [&](const std::vector<Entry>& entries) {
    out.U32(static_cast<uint32_t>(entries.size()));
    for (const auto& e : entries) {
      out.Link(e.path, e.stamp).U32(1);
      // An embedded file's record is named by its path; a library copy's by nothing, as the library
      // knows it by id.
      if (e.id == 0)
        out.Record(0, "", read_(e.file), e.path);
      else
        out.Record(e.id, kLibrary, read_(e.file), "");
    }
  };
  out.Header("DS_DocResManager", 3);
  table(pictures);
  out.U32(0);  // no frame times: every picture is a single frame
  table(others);
  out.U32(static_cast<uint32_t>(guidPictures_.size()));
  for (const auto& [guid, file] : guidPictures_) out.String(guid).String(file).U8(1).Blob(read_(file), file);
}

}  // namespace scene_writer

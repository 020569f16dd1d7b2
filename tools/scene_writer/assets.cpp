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

// Identities of the pictures of the GUID table (bumps and masks): fixed, so that the document is the same on every build.
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

DS_FileLink3 Assets::Link(const std::string& file) { return Sequence({file}, 0.0f); }

DS_FileLink3 Assets::Sequence(const std::vector<std::string>& frames, float frameTime) {
  if (frames.empty()) throw std::runtime_error("a sequence has pictures");
  const std::string& file = frames.front();
  auto found = files_.find(file);
  if (found == files_.end()) {
    if (frames.size() > 1 && !IsPicture(file)) throw std::runtime_error("a sequence is of pictures: " + file);
    order_.push_back(file);
    // The path the file had on the authoring machine; the stamp tells files of one path apart.
    const Embedded embedded{frames, (IsPicture(file) ? "pictures\\" : "media\\") + file,
                            static_cast<int64_t>(order_.size()), frameTime};
    found = files_.emplace(file, embedded).first;
  } else if (found->second.frames != frames) {
    throw std::runtime_error(file + " begins two different sequences");
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
    std::vector<std::string> frames;
  };
  std::vector<Entry> pictures, others, sequences;
  for (const auto& file : order_) {
    const Embedded& e = files_.at(file);
    (IsPicture(file) ? pictures : others).push_back({e.path, e.stamp, 0, e.frames});
    if (e.frames.size() > 1) sequences.push_back({e.path, e.stamp, 0, e.frames});
  }
  for (int64_t id : libraryIds) {
    auto found = library_.find(id);
    if (found == library_.end()) continue;
    (IsPicture(found->second) ? pictures : others).push_back({std::string(kLibrary), id, static_cast<int32_t>(id), {found->second}});
  }
  auto table = [&](const std::vector<Entry>& entries) {
    out.U32(static_cast<uint32_t>(entries.size()));
    for (const auto& e : entries) {
      out.Link(e.path, e.stamp).U32(static_cast<uint32_t>(e.frames.size()));
      // An embedded file's record is named by its path; a library copy's by nothing, as the library
      // knows it by id.
      for (const auto& frame : e.frames) {
        if (e.id == 0)
          out.Record(0, "", read_(frame), e.path);
        else
          out.Record(e.id, kLibrary, read_(frame), "");
      }
    }
  };
  out.Header("DS_DocResManager", 3);
  table(pictures);
  out.U32(static_cast<uint32_t>(sequences.size()));
  for (const auto& e : sequences) {
    out.Link(e.path, e.stamp).U32(static_cast<uint32_t>(e.frames.size()));
    for (size_t i = 0; i < e.frames.size(); ++i) out.F32(files_.at(e.frames.front()).frameTime);
  }
  table(others);
  out.U32(static_cast<uint32_t>(guidPictures_.size()));
  for (const auto& [guid, file] : guidPictures_) out.String(guid).String(file).U8(1).Blob(read_(file), file);
}

}  // namespace scene_writer

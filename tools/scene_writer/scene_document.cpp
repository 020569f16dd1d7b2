#include "scene_document.h"

#include <cstdio>
#include <map>
#include <stdexcept>
#include <utility>
#include <vector>

#include "scene_records.h"

namespace scene_writer {

namespace {

// Files embedded under their own names, keyed by the path an authoring tool would have linked and
// stamped with their place in their table (1, 2, ...).
class EmbeddedFiles {
 public:
  explicit EmbeddedFiles(std::string folder) : folder_(std::move(folder)) {}
  const LinkKey& Add(const std::string& file) {
    auto found = keys_.find(file);
    if (found != keys_.end()) return found->second;
    order_.push_back(file);
    return keys_[file] = {folder_ + "\\" + file, static_cast<int64_t>(order_.size())};
  }
  const LinkKey& At(const std::string& file) const {
    auto found = keys_.find(file);
    if (found == keys_.end()) throw std::runtime_error(file + " is not among the files the description embeds");
    return found->second;
  }
  const std::vector<std::string>& Order() const { return order_; }

 private:
  std::string folder_;
  std::map<std::string, LinkKey> keys_;
  std::vector<std::string> order_;
};

// Identities of the objects and the lakes' bump pictures: fixed, so that the document is the same on
// every build.
std::string GuidText(uint32_t serial) {
  char text[39];
  std::snprintf(text, sizeof text, "{5CE7E000-C0DE-4000-8000-%012X}", serial);
  return text;
}

struct GuidPicture {
  std::string guid;
  std::string file;
};

void WriteSlide(DocumentWriter& out, const SlideDescription& slide, const LinkKey& picture, const std::string& bumpGuid,
                const EmbeddedFiles& effects, uint32_t& serial) {
  out.Header("DS_SlideContainer", 2).U32(slide.fadeIn).U32(slide.fadeOut).U32(slide.show).I32(0).String(slide.name);
  WriteLayer(out, slide, picture, bumpGuid);
  out.U32(static_cast<uint32_t>(slide.objects.size()));
  for (const auto& object : slide.objects) {
    const bool text = object.kind == ObjectDescription::Kind::kText;
    WriteObject(out, object, text ? effects.At(object.text.effect) : LinkKey{}, GuidText(++serial));
  }
  out.U32(0);  // no sounds
}

}  // namespace

Bytes WriteSceneDocument(const SceneDescription& scene, const ReadFile& readPicture, const ReadFile& readEffect) {
  EmbeddedFiles pictures("pictures");
  for (const auto& slide : scene.slides) pictures.Add(slide.picture);
  EmbeddedFiles effects("effects");
  for (const auto& effect : scene.effects) effects.Add(effect);

  DocumentWriter out;
  out.String(scene.header);
  out.Header("DS_SlideShow_Light", 1).U32(static_cast<uint32_t>(scene.slides.size()));
  uint32_t serial = 0;
  std::vector<GuidPicture> bumps;
  for (const auto& slide : scene.slides) {
    std::string bumpGuid;
    if (slide.layer == LayerKind::kLake) {
      bumpGuid = GuidText(++serial);
      bumps.push_back({bumpGuid, slide.lake.bump});
    }
    WriteSlide(out, slide, pictures.Add(slide.picture), bumpGuid, effects, serial);
  }
  out.U32(0);  // no music

  out.Header("DS_DocResManager", 3);
  uint32_t libraryPictures = 0, libraryEffects = 0;
  for (const auto& resource : scene.library) ++(resource.picture.empty() ? libraryEffects : libraryPictures);
  out.U32(static_cast<uint32_t>(pictures.Order().size()) + libraryPictures);
  for (const auto& file : pictures.Order()) {
    const LinkKey& key = pictures.At(file);
    out.Link(key.path, key.stamp).U32(1).Record(0, "", readPicture(file), key.path);
  }
  for (const auto& resource : scene.library)
    if (!resource.picture.empty())
      out.Link(kLibrary, resource.id).U32(1).Record(resource.id, kLibrary, readPicture(resource.picture), "");
  out.U32(0);  // no frame times

  out.U32(static_cast<uint32_t>(effects.Order().size()) + libraryEffects);
  for (const auto& file : effects.Order()) {
    const LinkKey& key = effects.At(file);
    out.Link(key.path, key.stamp).U32(1).Record(0, "", readEffect(file), key.path);
  }
  for (const auto& resource : scene.library)
    if (!resource.effect.empty())
      out.Link(kLibrary, resource.id).U32(1).Record(resource.id, kLibrary, readEffect(resource.effect), "");

  out.U32(static_cast<uint32_t>(bumps.size()));
  for (const auto& bump : bumps) {
    out.String(bump.guid).String(bump.file).U8(1).Blob(readPicture(bump.file), bump.file);
  }
  return out.bytes();
}

}  // namespace scene_writer

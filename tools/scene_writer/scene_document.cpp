#include "scene_document.h"

#include <map>

namespace scene_writer {

namespace {

// The key under which the manager's image table holds a picture: the path an authoring tool would
// have linked, stamped with the picture's place in the table (1, 2, ...).
struct PictureKey {
  std::string path;
  int64_t stamp = 0;
};

void WriteSlide(DocumentWriter& out, const SlideDescription& slide, const PictureKey& picture) {
  out.Header("DS_SlideContainer", 2).U32(slide.fadeIn).U32(slide.fadeOut).U32(slide.show).I32(0).String(slide.name);
  out.Header("DS_2D_Light", 3).Link(picture.path, picture.stamp);
  // An empty border link: the border quads around a fitted picture stay black.
  out.Header("DSM_Camera", 2).I32(slide.camera.enabled ? 1 : 0).U32(slide.camera.zoom).U32(slide.camera.speed).Link("", 0);
  out.U32(0).U32(0);  // no drawn objects, no sounds
}

}  // namespace

Bytes WriteSceneDocument(const SceneDescription& scene, const std::function<Bytes(const std::string&)>& readPicture) {
  std::map<std::string, PictureKey> keys;
  std::vector<std::string> order;
  for (const auto& slide : scene.slides) {
    if (keys.count(slide.picture)) continue;
    keys[slide.picture] = {"pictures\\" + slide.picture, static_cast<int64_t>(keys.size() + 1)};
    order.push_back(slide.picture);
  }

  DocumentWriter out;
  out.String(scene.header);
  out.Header("DS_SlideShow_Light", 1).U32(static_cast<uint32_t>(scene.slides.size()));
  for (const auto& slide : scene.slides) WriteSlide(out, slide, keys.at(slide.picture));
  out.U32(0);  // no music

  out.Header("DS_DocResManager", 3).U32(static_cast<uint32_t>(order.size()));
  for (const auto& file : order) {
    const PictureKey& key = keys.at(file);
    out.Link(key.path, key.stamp).U32(1).Record(0, "", readPicture(file), key.path);
  }
  out.U32(0).U32(0).U32(0);  // no frame times, no other files, no GUID blobs
  return out.bytes();
}

}  // namespace scene_writer

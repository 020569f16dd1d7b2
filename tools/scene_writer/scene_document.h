// Lays a scene description out as a scene document: the slide show with its slides (each a layer with
// its camera, its drawn objects and its sounds), the soundtrack, and a resource manager whose tables
// embed every file the records link, once.
#pragma once
#include <cstdint>
#include <vector>

#include "assets.h"
#include "document_writer.h"
#include "scene_description.h"

namespace scene_writer {

struct SceneDocument {
  Bytes bytes;
  // Library resources the records name but the document carries no copy of.
  std::vector<int64_t> uncarried;
};

SceneDocument WriteSceneDocument(const SceneDescription& scene, Assets& assets);

}  // namespace scene_writer

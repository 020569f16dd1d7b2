// Lays a scene description out as a scene document: the slide show with its slides (each a plain
// 2D light layer with its camera), no music, and a resource manager whose image table embeds every
// picture once.
#pragma once
#include <functional>
#include <string>

#include "document_writer.h"
#include "scene_description.h"

namespace scene_writer {

// `readPicture` gives the bytes of a picture file named by the description.
Bytes WriteSceneDocument(const SceneDescription& scene, const std::function<Bytes(const std::string&)>& readPicture);

}  // namespace scene_writer

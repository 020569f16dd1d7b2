// Lays a scene description out as a scene document: the slide show with its slides (each a layer
// with its camera, and its objects), no music, and a resource manager whose tables embed every
// picture and effect once: slide pictures and effects under their own names, copies of library
// resources under the library and id, and each lake's bump picture under the lake's GUID.
#pragma once
#include <functional>
#include <string>

#include "document_writer.h"
#include "scene_description.h"

namespace scene_writer {

using ReadFile = std::function<Bytes(const std::string&)>;

// `readPicture` gives the bytes of a picture file named by the description, `readEffect` those of
// an effect file.
Bytes WriteSceneDocument(const SceneDescription& scene, const ReadFile& readPicture, const ReadFile& readEffect);

}  // namespace scene_writer

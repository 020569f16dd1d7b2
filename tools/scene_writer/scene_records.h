// The stored records of the sample scene's layers and objects, each written field by field in the
// order its reader takes them, down to the base levels.
#pragma once
#include <string>

#include "document_writer.h"
#include "scene_description.h"

namespace scene_writer {

// The absent resource library whose resources the document carries copies of.
inline constexpr std::string_view kLibrary = "vaultkit.dll";

struct LinkKey {
  std::string path;
  int64_t stamp = 0;
};

// The slide's layer record with its "DS_2D_Light" base part; `bumpGuid` names a lake's bump picture.
void WriteLayer(DocumentWriter& out, const SlideDescription& slide, const LinkKey& picture, const std::string& bumpGuid);
// A scene object's record; `effect` is a text's effect file, `guid` the object's identity.
void WriteObject(DocumentWriter& out, const ObjectDescription& object, const LinkKey& effect, const std::string& guid);

}  // namespace scene_writer

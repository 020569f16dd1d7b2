// One textured mesh of a 3D object and the frames at whose world matrices the layer draws it.
#pragma once
#include <vector>

#include "document/file_link.h"
#include "document/image_file_link.h"
#include "render/indexed_mesh.h"
#include "document/vertex_formats.h"

class MeshPart : public TexturedMesh<DX_V::PNT> {
 public:
  // The texture of the image link (none when its set has no texture) and the mesh of the mesh link,
  // both from the current resource manager.
  void Load(const DS_ImageFileLink& image, const DS_MeshFile& mesh);
  // Takes the mesh's buffers, counts and bounding sphere; false when no mesh came back.
  bool LoadMesh(const DS_MeshFile& mesh);

  BYTE twoPass = 0;  // 1: drawn alpha-blended in two passes with opposite culling
  std::vector<DS_Frame*> frames;  // not owned
};

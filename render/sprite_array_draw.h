// What the layer's sprite drawing reads from a sprite-array render object: its quads, the picture of
// its current animation frame, its mask and its description's blend mode. The render object fills
// one in its Render and hands it to DS_ABRender::DrawSpriteArray.
#pragma once
#include <d3d9.h>

#include "document/com_holder.h"
#include "render/indexed_mesh.h"
#include "document/vertex_formats.h"

struct SpriteArrayDraw {
  const DS_IndexedMesh<DX_V::PCT>* geometry = nullptr;
  IDirect3DTexture9* texture = nullptr;   // the current frame's picture; may be null
  ComHolder<IDirect3DTexture9> mask;      // empty when the sprites have no mask
  int blendMode = 0;                      // 0 normal, 1 additive
};

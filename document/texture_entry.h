// A texture with the size of the picture it was made from.
#pragma once
#include <d3d9.h>

#include "document/com_holder.h"
#include "document/texture_set.h"

struct TextureEntry {
  // Holds `source` (one more reference) with the image's own size, which is what the scene
  // measures in even when a texture is larger than its picture.
  void SetFromInfo(UINT imageWidth, UINT imageHeight, IDirect3DTexture9* source);
  // The set's first texture (none for an empty set) with the set's size and aspect.
  void FromTextureSet(const TextureSet& set);

  ComHolder<IDirect3DTexture9> texture;
  UINT width = 0;
  UINT height = 0;
  float aspect = 1.0f;  // height / width; 1 while the width is unknown
};

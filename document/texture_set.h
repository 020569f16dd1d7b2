// The textures of one image link: one per frame of a picture sequence, one for a still picture.
// The set counts as made once its list is not empty, even when a slot stayed null.
#pragma once
#include <d3d9.h>

#include <vector>

#include "document/com_holder.h"

struct TextureSet {
  std::vector<ComHolder<IDirect3DTexture9>> textures;
  std::vector<float> frameTimes;
  UINT width = 0;  // of the last texture made for the set
  UINT height = 0;
  float aspect = 1.0f;  // height / width
};

#include "document/texture_entry.h"

void TextureEntry::SetFromInfo(UINT imageWidth, UINT imageHeight, IDirect3DTexture9* source) {
  texture.Set(source);
  width = imageWidth;
  height = imageHeight;
  // A picture of no width has no aspect; 1 keeps every fitted rectangle finite.
  aspect = imageWidth ? static_cast<float>(imageHeight) / static_cast<float>(imageWidth) : 1.0f;
}

void TextureEntry::FromTextureSet(const TextureSet& set) {
  if (set.textures.empty()) {
    texture.Release();
  } else {
    texture = set.textures.front();
  }
  width = set.width;
  height = set.height;
  aspect = set.aspect;
}

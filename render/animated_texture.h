// A picture or a package of pictures shown in turn, each for its own duration, beside the geometry
// that shows it.
#pragma once
#include <d3d9.h>

#include <algorithm>
#include <vector>

#include <windows.h>

#include "document/com_holder.h"

template <class Base>
class AnimatedTexture : public Base {
 public:
  // Moves to the next picture once the current one has been shown longer than its duration; true
  // when it moved. Without durations the picture never changes. With more durations than pictures
  // the pictures alone are cycled, so the current one always exists.
  bool Advance(float time) {
    if (durations.empty() || time - lastSwitch <= durations[currentPicture]) return false;
    size_t cycle = durations.size();
    if (!textures.empty()) cycle = std::min(cycle, textures.size());
    lastSwitch = time;
    currentPicture = static_cast<UINT>((currentPicture + 1) % cycle);
    return true;
  }
  // The current picture; null when there is none.
  IDirect3DTexture9* CurrentTexture() const {
    return currentPicture < textures.size() ? textures[currentPicture].Get() : nullptr;
  }

  std::vector<ComHolder<IDirect3DTexture9>> textures;
  std::vector<float> durations;  // seconds, one per picture
  UINT width = 0;
  UINT height = 0;
  float aspect = 1.0f;
  UINT currentPicture = 0;
  float lastSwitch = 0.0f;
};

// The render object of an ordinary particle layer: the layer's fixed-function sprite drawing with
// the current picture of its (possibly animated) picture set, an optional mask and the description's
// blend mode. The object is its own sprite geometry.
#pragma once
#include <memory>

#include <windows.h>

#include "render/ab_obj.h"
#include "render/animated_texture.h"
#include "document/com_holder.h"
#include "render/particle_geom_array.h"
#include "render/particle_sprite_prop.h"

class DS_SpriteArrayObj : public DS_ABObj, public AnimatedTexture<ParticleGeomArray> {
 public:
  // Takes the description clone; loads its picture set and mask and creates the particles (after the
  // picture, whose aspect shapes them).
  explicit DS_SpriteArrayObj(std::unique_ptr<DS_BaseSpriteProp> clone);
  ~DS_SpriteArrayObj() override;

  void Render(DS_ABRender& layer) override;
  void DrawSelection(DS_ABRender& layer, int selected) override;
  void Update(float time) override;
  void SyncLayout() override;
  bool HitTest(const POINT& point, int) override;

  // The mask with a reference added for the caller; null when there is none.
  IDirect3DTexture9* GetMaskTexture() const;

  ComHolder<IDirect3DTexture9> maskTexture;
  INT staticObject = 0;  // 1 for the static objects of a scene
};

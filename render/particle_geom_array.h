// The quads of a particle layer: one quad per particle, the particle records themselves, and the
// per-frame run of the description's motion rules followed by the write of every quad.
#pragma once
#include <list>

#include <windows.h>

#include "document/media_control_list.h"
#include "render/indexed_mesh.h"
#include "render/particle.h"
#include "document/vertex_formats.h"

class DS_BaseSpriteProp;

class ParticleGeomArray : public DS_SpriteArrayT<DX_V::PCT> {
 public:
  ParticleGeomArray() = default;
  ParticleGeomArray(const ParticleGeomArray&) = delete;
  ParticleGeomArray& operator=(const ParticleGeomArray&) = delete;

  // Observes the description's count and fires once at once, so the particles exist afterwards.
  void BindCount();
  // Buffers for `count` quads, and particles until there are that many. The list never shrinks;
  // particles beyond the count are still moved but not drawn. A count of 0 changes nothing.
  static void OnCountChanged(ParticleGeomArray* owner, UINT count);
  // The description's clock, then its motion rule for every particle in list order.
  void Update(float time);
  // Writes one quad per counted particle, with the flips and the frame strip applied. Nothing is
  // written while the buffers do not hold exactly the count's quads.
  void FillVertices();
  // u and v of quad `quad`'s vertices, in vertex order: (u0, v1), (u0, v0), (u1, v1), (u1, v0).
  void SetQuadUV(const float u[2], const float v[2], UINT quad);

  DS_BaseSpriteProp* description = nullptr;  // not owned: the render object owns the description
  MediaControlList controls;                // the count observer
  std::list<Particle> particles;            // update and drawing order
  float lastStripSwitch = 0.0f;             // animation time of the last strip frame change
  UINT stripFrame = 0;                      // the strip frame every particle shows
};

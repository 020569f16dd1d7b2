#include "render/particle_geom_array.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "document/fun_light_ctrl.h"
#include "render/particle_sprite_prop.h"

void ParticleGeomArray::BindCount() {
  auto observer = std::make_unique<DS_FunLightCtrl<UINT, ParticleGeomArray>>(&OnCountChanged, this);
  observer->Attach(&description->count);
  observer->OnChange(nullptr);
  controls.Add(std::move(observer));
}

namespace {

// The largest picture side a layer shows (the device's largest texture): a sprite is never drawn
// larger, whatever size and size factor a document stores, so that one hostile sprite cannot
// cover the slide with a quad of astronomic extent. A half extent that is no number draws nothing.
constexpr float kLargestHalfExtent = 4096.0f / 2.0f;

float Held(float halfExtent) {
  if (std::isnan(halfExtent)) return 0.0f;
  return std::clamp(halfExtent, -kLargestHalfExtent, kLargestHalfExtent);
}

}  // namespace

void ParticleGeomArray::OnCountChanged(ParticleGeomArray* owner, UINT count) {
  if (count == 0) return;
  owner->vertexBuffer.Release();
  owner->Build(count);
  // A count from the document beyond what one 16-bit index buffer reaches gets no buffers (Build
  // refuses it); its particles would never be drawn, so no more are made than a buffer can show.
  const size_t wanted = std::min(count, kMaxQuadsPerBuffer);
  DS_BaseSpriteProp& d = *owner->description;
  while (owner->particles.size() < wanted) {
    Particle& p = owner->particles.emplace_back();
    Particle::InitGeometry(p, d);
    Particle::InitState(p, d);
    d.InitParticle(p);
  }
}

void ParticleGeomArray::Update(float time) {
  description->TimeStep(time);
  for (Particle& p : particles) description->UpdateParticle(p);
}

void ParticleGeomArray::SetQuadUV(const float u[2], const float v[2], UINT quad) {
  if (!lockedVertices || quad >= vertexCount / 4) return;
  DX_V::PCT* q = lockedVertices + 4 * quad;
  q[0].u = u[0], q[0].v = v[1];
  q[1].u = u[0], q[1].v = v[0];
  q[2].u = u[1], q[2].v = v[1];
  q[3].u = u[1], q[3].v = v[0];
}

void ParticleGeomArray::FillVertices() {
  DS_BaseSpriteProp& d = *description;
  const UINT count = d.count.value;
  if (vertexCount / 4 != count) return;
  DX_V::PCT* vertices = LockVertices();
  if (!vertices) return;
  const bool flipV = d.verticalFlip.value != 0;
  const bool flipU = d.horizontalFlip.value != 0;
  auto it = particles.begin();
  for (UINT i = 0; i < count && it != particles.end(); ++i, ++it) {
    Particle p = *it;
    p.halfWidth = Held(p.halfWidth);
    p.halfHeight = Held(p.halfHeight);
    const D3DXVECTOR3 c = Particle::CornerPosition(p);
    const D3DXVECTOR3 w = 2.0f * p.halfWidth * p.axis1;
    const D3DXVECTOR3 h = 2.0f * p.halfHeight * p.axis2;
    const D3DXVECTOR3 corners[4] = {c + h, c, c + w + h, c + w};
    DX_V::PCT* q = vertices + 4 * i;
    for (int k = 0; k < 4; ++k) {
      q[k].x = corners[k].x, q[k].y = corners[k].y, q[k].z = corners[k].z;
      q[k].color = p.color;
    }
    float v[2] = {p.vPair[0], p.vPair[1]};
    if (flipV) std::swap(v[0], v[1]);
    float u[2] = {p.uPair[0], p.uPair[1]};
    if (flipU) std::swap(u[0], u[1]);
    if (d.stripAnimation) {
      // A rate that is not positive never moves on (1 / rate would be infinite or negative).
      const float time = d.animationTime;
      if (d.frameRate > 0.0f && 1.0f / d.frameRate < time - lastStripSwitch) {
        stripFrame = d.NextFrame(stripFrame);
        lastStripSwitch = time;
      } else if (lastStripSwitch > time) {
        lastStripSwitch = 0.0f;
      }
      const float frames = static_cast<float>(d.StripFrames());
      u[0] = static_cast<float>(stripFrame) / frames;
      u[1] = static_cast<float>(stripFrame + 1) / frames;
      if (flipU) std::swap(u[0], u[1]);
    }
    SetQuadUV(u, v, i);
  }
  UnlockVertices();
}

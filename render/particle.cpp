#include "render/particle.h"

#include <algorithm>

#include "document/doc_res_manager.h"
#include "render/particle_sprite_prop.h"
#include "render/random.h"

namespace {

// The picture's aspect as the resource manager knows it; without a manager or a picture set the
// sprite is square.
float PictureAspect(const DS_BaseSpriteProp& d) {
  if (!g_DocResManager) return 1.0f;
  const TextureSet* set = g_DocResManager->GetTextureSet(d.imageLink);
  return set ? set->aspect : 1.0f;
}

}  // namespace

void Particle::InitGeometry(Particle& p, const DS_BaseSpriteProp& d) {
  p.direction = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
  p.velocity = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
  p.aspect = PictureAspect(d);
  if (d.stripAnimation) p.aspect *= static_cast<float>(d.StripFrames());
  p.axis1 = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
  p.axis2 = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
  p.position = D3DXVECTOR3(100.0f, 100.0f, 0.0f);
  p.sizeFactor = RandFloat(d.sizeFactorMinimum, d.sizeFactorMaximum);
  const float extent = p.sizeFactor * static_cast<float>(d.size.value) * 0.5f;
  if (p.aspect < 1.0f) {
    p.halfWidth = extent;
    p.halfHeight = p.aspect * extent;
  } else {
    p.halfHeight = extent;
    p.halfWidth = extent / p.aspect;
  }
  p.vPair[0] = 0.0f, p.vPair[1] = 1.0f;
  p.uPair[0] = 0.0f, p.uPair[1] = 1.0f;
}

void Particle::InitState(Particle& p, const DS_BaseSpriteProp& d) {
  p.timer = 0.0f;
  p.lifeEnd = 0.0f;
  p.age = 0.0f;
  p.respawned = 0;
  p.paused = false;
  p.alpha = 1.0f;
  p.touchedEdge = -1;
  const float sign = (Rand() & 1) ? -1.0f : 1.0f;
  p.alphaRate = d.alphaRate * sign;
  ApplyColor(d, p);
}

void Particle::ApplyColor(const DS_BaseSpriteProp& d, Particle& p) {
  const DWORD stored = d.color.value;
  const DWORD red = stored & 0xFFu, green = (stored >> 8) & 0xFFu, blue = (stored >> 16) & 0xFFu;
  // An alpha beyond 0 to 1 (a stored minimum or maximum outside it) would wrap the byte and dim the
  // sprite at its brightest: the product is held within a byte.
  const float scaled = static_cast<float>(d.transparency.derived) * p.alpha;
  const DWORD alpha = scaled_detail::TruncateToByte(std::clamp(scaled, 0.0f, 255.0f));
  p.color = alpha << 24 | red << 16 | green << 8 | blue;
}

D3DXVECTOR3 Particle::CornerPosition(const Particle& p) {
  return p.position - p.halfWidth * p.axis1 - p.halfHeight * p.axis2;
}

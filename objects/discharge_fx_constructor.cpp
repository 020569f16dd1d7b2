#include "objects/discharge_fx_constructor.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "document/file_link.h"
#include "render/particle.h"
#include "render/random.h"

namespace {

const ds_string kLibrary = u"vaultkit.dll";
constexpr INT kEffectId = 97;
constexpr INT kBoltPicture = 95;
constexpr INT kPlainBoltPicture = 98;
// Animation time one shape is kept before the next one takes over.
constexpr float kShapeTime = 0.1f;
// The bolt picture's end caps lie left of kCapStart and right of kCapEnd; only the bolt's two ends
// show them.
constexpr float kCapStart = 0.195f;
constexpr float kCapEnd = 0.805f;

D3DXVECTOR3 Lerp(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float f) {
  return D3DXVECTOR3(a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.z + (b.z - a.z) * f);
}

}  // namespace

DS_DischargeFXConstructor::DS_DischargeFXConstructor() {
  jitter.scale = 0.01f;
  jitter = 50u;
  flickerInterval.scale = -0.001f;
  flickerInterval.offset = 0.1f;
  flickerInterval = 100u;
  morphRate.scale = 0.1f;
  morphRate = 50u;
  size.value = 50;
  blendMode.value = 1;
  color.value = 0xFFFFCCu;
  glowColor.value = 0xFF9900u;
  effectLink = DS_FileLink3::ConstructFromResource(kEffectId, kLibrary);
}

DS_ParticleSystemCtrl* DS_DischargeFXConstructor::Clone() const { return new DS_DischargeFXConstructor(*this); }

void DS_DischargeFXConstructor::LoadLinks() {
  const DS_FileLink3 picture =
      DS_FileLink3::ConstructFromResource(textureStyle.value != 0 ? kBoltPicture : kPlainBoltPicture, kLibrary);
  imageLink = picture;
}

void DS_DischargeFXConstructor::LoadResources() {
  // The image link does not take part in making the effect, so it may be chosen first; the glow
  // level then loads the effect and both pictures, the sprite picture from the chosen link.
  LoadLinks();
  DS_GlowEffectCtrl::LoadResources();
}

void DS_DischargeFXConstructor::RegenerateBolt(std::vector<BoltPoint>& bolt) const {
  const D3DXVECTOR3 start = startPoint.value;
  const D3DXVECTOR3 end = endPoint.value;
  const float j = jitter.derived;
  const size_t n = bolt.size();

  D3DXVECTOR3 normal(end.y - start.y, -(end.x - start.x), 0.0f);
  D3DXVec3Normalize(&normal, &normal);

  D3DXVECTOR3 p = start;
  for (size_t i = 0; i < n; ++i) {
    const D3DXVECTOR3 rest(end.x - p.x, end.y - p.y, end.z - p.z);
    const float remaining = std::sqrt(rest.x * rest.x + rest.y * rest.y + rest.z * rest.z);
    const float s = remaining / static_cast<float>(n - i);
    D3DXVECTOR3 turn = rest;
    if (i + 1 != n) {
      const float r1 = RandFloat(-j, j);
      const float r2 = RandFloat(-j, j);
      turn = D3DXVECTOR3(rest.x + r1 * rest.y, rest.y + r2 * rest.x, 2.0f * rest.z);
    }
    BoltPoint& b = bolt[i];
    D3DXVec3Normalize(&b.direction, &turn);
    b.normal = normal;
    const D3DXVECTOR3 next(p.x + b.direction.x * s, p.y + b.direction.y * s, p.z + b.direction.z * s);
    b.centre = D3DXVECTOR3((p.x + next.x) * 0.5f, (p.y + next.y) * 0.5f, (p.z + next.z) * 0.5f);
    b.length = s;
    p = next;
  }
}

BoltPoint DS_DischargeFXConstructor::BlendPoint(size_t k, float f) const {
  const BoltPoint& a = currentBolt[k];
  const BoltPoint& b = nextBolt[k];
  BoltPoint out;
  out.centre = Lerp(a.centre, b.centre, f);
  out.direction = Lerp(a.direction, b.direction, f);
  out.normal = Lerp(a.normal, b.normal, f);
  out.length = a.length + (b.length - a.length) * f;
  return out;
}

void DS_DischargeFXConstructor::InitParticle(Particle&) {
  const UINT segments = std::min(count.value, kMaxSegments);
  currentBolt.resize(segments);
  nextBolt.resize(segments);
  RegenerateBolt(currentBolt);
  RegenerateBolt(nextBolt);
}

void DS_DischargeFXConstructor::PreUpdate() {
  segmentCursor = 0;
  if (animationTime - lastNewShape > kShapeTime) {
    lastNewShape = animationTime;
    currentBolt = nextBolt;
    RegenerateBolt(nextBolt);
  }
}

void DS_DischargeFXConstructor::UpdateParticle(Particle& p) {
  const size_t k = segmentCursor;
  const size_t n = currentBolt.size();
  // A particle beyond the shapes (the count changed after the shapes were made) has no segment to
  // take; it stays as it is.
  if (k >= n || k >= nextBolt.size()) return;

  const BoltPoint b = BlendPoint(k, (animationTime - lastNewShape) * morphRate.derived);
  p.halfWidth = b.length * 0.5f;
  p.axis1 = b.direction;
  p.axis2 = b.normal;
  p.halfHeight = static_cast<float>(size.value) * 0.5f;
  p.direction = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
  p.velocity = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
  p.position = b.centre;

  if (flickerInterval.derived < lastTime - p.timer) {
    p.timer = lastTime;
    if (Rand() & 1) {
      p.vPair[0] = 0.0f;
      p.vPair[1] = 0.5f;
    } else {
      p.vPair[0] = 0.5f;
      p.vPair[1] = 1.0f;
    }
    if (Rand() & 1) std::swap(p.vPair[0], p.vPair[1]);
  }

  p.uPair[0] = k == 0 ? 0.0f : kCapStart;
  p.uPair[1] = k + 1 == n ? 1.0f : kCapEnd;
  ++segmentCursor;
  Particle::ApplyColor(*this, p);
}

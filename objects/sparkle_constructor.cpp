#include "objects/sparkle_constructor.h"

#include <algorithm>
#include <cmath>

#include "objects/particle_rules.h"
#include "render/particle.h"

namespace {
const ds_string kClassName = u"DS_SparkleConstructor";
constexpr DWORD kVersion = 1;

const IOF_Virtual_ReaderT<DS_SparkleConstructor> g_SparkleReader;
const bool g_SparkleRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_SparkleReader);
}  // namespace

template <>
void IOF_ReadFields<DS_SparkleConstructor>(DS_IOF_Virtual** stream, DWORD, DS_SparkleConstructor& sparkle) {
  sparkle.ReadBase(stream);
}

DS_SparkleConstructor::DS_SparkleConstructor() { viewFlag = true; }

bool DS_SparkleConstructor::Save(DS_IOF_Virtual** stream) {
  (*stream)->WriteString(&kClassName);
  (*stream)->WriteULong(&kVersion);
  SaveBase(stream);
  return true;
}

DS_ParticleSystemCtrl* DS_SparkleConstructor::Clone() const { return new DS_SparkleConstructor(*this); }

void DS_SparkleConstructor::InitParticle(Particle& p) {
  const float vx = RandUnit() * 50.0f - 25.0f;
  const float vy = RandUnit() * 50.0f - 25.0f;
  p.velocity = D3DXVECTOR3(vx, vy, 0.0f);
  p.direction = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
  p.position = RandomPoint();
  p.alpha = RandUnit();
}

void DS_SparkleConstructor::UpdateParticle(Particle& p) {
  p.position.x += animationStep * p.velocity.x;
  p.position.y += animationStep * p.velocity.y;
  PulseAlpha(*this, p, true);
  // A sparkle that fades drifts out of the element's rectangle until its pulse starts it again.
  // Without a fade (an alpha rate of 0, the default, or none at all) the pulse never does: one that
  // has drifted out comes back elsewhere inside instead of leaving the element emptier frame by frame.
  if (!(std::fabs(p.alphaRate) > 0.0f)) {
    const float x0 = std::min(GetLeftPx(), GetRightPx()), x1 = std::max(GetLeftPx(), GetRightPx());
    const float y0 = std::min(GetTopPx(), GetBottomPx()), y1 = std::max(GetTopPx(), GetBottomPx());
    if (p.position.x < x0 || p.position.x > x1 || p.position.y < y0 || p.position.y > y1) InitParticle(p);
  }
  Particle::ApplyColor(*this, p);
  // Square whatever the picture's aspect: it twinkles by growing with its alpha.
  const float extent = p.sizeFactor * static_cast<float>(size.value) * 0.5f;
  p.halfWidth = p.halfHeight = extent * (0.5f + 0.5f * p.alpha);
}

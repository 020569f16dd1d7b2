#include "objects/lightning_constructor.h"

#include <d3dx9math.h>

#include "objects/particle_rules.h"
#include "render/particle.h"

namespace {
const ds_string kClassName = u"DS_LightingConstructor";
constexpr DWORD kVersion = 1;

// Tilts are spread over a quarter turn centred on upright: -pi/8 to pi/8.
constexpr float kTiltSpread = 0.7853982f;
constexpr float kTiltOffset = 0.3926991f;
// A dark sprite gets a chance to flash once a second; a lit one fades out in a sixth of a second
// and gets a chance to flicker back to full brightness every 0.15 s.
constexpr float kDarkInterval = 1.0f;
constexpr float kFadePerSecond = 6.0f;
constexpr float kFlickerInterval = 0.15f;

const IOF_Virtual_ReaderT<DS_LightingConstructor> g_LightningReader;
const bool g_LightningRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_LightningReader);
}  // namespace

template <>
void IOF_ReadFields<DS_LightingConstructor>(DS_IOF_Virtual** stream, DWORD, DS_LightingConstructor& lightning) {
  lightning.ReadBase(stream);
}

DS_LightingConstructor::DS_LightingConstructor() {
  blendMode.value = 1;
  viewFlag = true;
}

bool DS_LightingConstructor::Save(DS_IOF_Virtual** stream) {
  (*stream)->WriteString(&kClassName);
  (*stream)->WriteULong(&kVersion);
  SaveBase(stream);
  return true;
}

DS_ParticleSystemCtrl* DS_LightingConstructor::Clone() const { return new DS_LightingConstructor(*this); }

void DS_LightingConstructor::InitParticle(Particle& p) {
  ShapeBySize(p, *this);
  p.position = RandomPointInset(p.halfWidth, p.halfHeight);
  const float tilt = RandUnit() * kTiltSpread - kTiltOffset;
  D3DXMATRIX turn;
  D3DXMatrixRotationZ(&turn, tilt);
  const float mirror = (Rand() & 1) ? -1.0f : 1.0f;
  const D3DXVECTOR3 across(mirror, 0.0f, 0.0f);
  const D3DXVECTOR3 down(0.0f, 1.0f, 0.0f);
  D3DXVec3TransformCoord(&p.axis1, &across, &turn);
  D3DXVec3TransformCoord(&p.axis2, &down, &turn);
  p.alpha = 0.0f;
}

void DS_LightingConstructor::UpdateParticle(Particle& p) {
  if (p.alpha == 0.0f) {
    if (animationTime - p.timer > kDarkInterval) {
      p.timer = animationTime;
      if (Rand() & 1) {
        InitParticle(p);
        p.alpha = 1.0f;
      }
    }
  } else {
    p.alpha -= animationStep * kFadePerSecond;
    if (animationTime - p.timer > kFlickerInterval) {
      p.timer = animationTime;
      if (Rand() & 1) p.alpha = 1.0f;
    }
  }
  if (p.alpha < 0.0f) {
    p.alpha = 0.0f;
    p.timer = animationTime;
  }
  Particle::ApplyColor(*this, p);
}

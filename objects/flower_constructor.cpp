#include "objects/flower_constructor.h"

#include <cmath>

#include "objects/sway_shear.h"
#include "render/particle.h"

namespace {
const ds_string kClassName = u"DS_FlowerConstructor";
constexpr DWORD kVersion = 1;

const IOF_Virtual_ReaderT<DS_FlowerConstructor> g_FlowerReader;
const bool g_FlowerRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_FlowerReader);
}  // namespace

template <>
void IOF_ReadFields<DS_FlowerConstructor>(DS_IOF_Virtual** stream, DWORD, DS_FlowerConstructor& flower) {
  flower.ReadFlower(stream);
}

bool DS_FlowerConstructor::Save(DS_IOF_Virtual** stream) {
  (*stream)->WriteString(&kClassName);
  (*stream)->WriteULong(&kVersion);
  (*stream)->WriteFloat(&sway);
  return SaveLevel(stream);
}

bool DS_FlowerConstructor::ReadFlower(DS_IOF_Virtual** stream) {
  (*stream)->ReadFloat(&sway);
  return ReadLevel(stream);
}

DS_ParticleSystemCtrl* DS_FlowerConstructor::Clone() const { return new DS_FlowerConstructor(*this); }

void DS_FlowerConstructor::UpdateParticle(Particle& p) {
  const float a = animationTime + p.velocity.y;
  const float c = SwayShear(std::sin(a) * sway + 90.0f);
  const D3DXVECTOR3 leaning(c, 1.0f, 0.0f);
  D3DXVec3TransformCoord(&p.axis2, &leaning, &rotationMatrix);
  p.position.x = static_cast<float>(rectangle.centreX.value) - p.axis1.x * p.halfHeight * c;
  p.position.y = static_cast<float>(rectangle.centreY.value) - c * p.halfHeight * p.axis1.y;
}

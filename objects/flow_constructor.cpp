#include "objects/flow_constructor.h"

#include <cmath>
#include <memory>

#include "document/fun_light_ctrl.h"
#include "objects/particle_rules.h"
#include "render/particle.h"
#include "render/random.h"

namespace {
constexpr float kPi = 3.1415927f;
}  // namespace

DS_FlowConstructor::DS_FlowConstructor() {
  wobbleAmplitude.scale = 3.0f;
  wobbleAmplitude.OnChange(nullptr);
  wobbleRate.scale = 0.25f;
  wobbleRate.OnChange(nullptr);
  BindEdges();
  BindAngle();
}

DS_FlowConstructor::DS_FlowConstructor(const DS_FlowConstructor& other)
    : DS_ParticleSystemCtrl(other),
      angle(other.angle),
      wobbleAmplitude(other.wobbleAmplitude),
      wobbleRate(other.wobbleRate),
      speed(other.speed),
      orientation(other.orientation),
      topEdge(other.topEdge),
      bottomEdge(other.bottomEdge),
      leftEdge(other.leftEdge),
      rightEdge(other.rightEdge),
      flowVector(other.flowVector),
      crossVector(other.crossVector),
      flowMatrix(other.flowMatrix) {
  BindAngle();
  BindEdges();
}

DS_ParticleSystemCtrl* DS_FlowConstructor::Clone() const { return new DS_FlowConstructor(*this); }

void DS_FlowConstructor::BindAngle() {
  auto observer = std::make_unique<DS_FunLightCtrl<UINT, DS_FlowConstructor>>(&OnAngleChanged, this);
  observer->Attach(&angle);
  DS_FunLightCtrl<UINT, DS_FlowConstructor>* fired = observer.get();
  controls.Add(std::move(observer));
  fired->OnChange(nullptr);
}

void DS_FlowConstructor::BindEdges() {
  for (INT i = 0; i < 4; ++i) Edge(i).BindEdge(i, this);
}

void DS_FlowConstructor::OnAngleChanged(DS_FlowConstructor* self, UINT angle) {
  const INT turn = static_cast<INT>(360u - angle);
  D3DXMatrixRotationZ(&self->flowMatrix, static_cast<float>(turn) * kPi / 180.0f);
  const D3DXVECTOR4 along(self->speed, 0.0f, 0.0f, 0.0f);
  const D3DXVECTOR4 across(0.0f, 1.0f, 0.0f, 0.0f);
  D3DXVec4Transform(&self->flowVector, &along, &self->flowMatrix);
  D3DXVec4Transform(&self->crossVector, &across, &self->flowMatrix);
}

void DS_FlowConstructor::ShapeParticle(Particle& p) const {
  ShapeBySize(p, *this);
  Particle::ApplyColor(*this, p);
  if (orientation.value == kTurned) {
    const D3DXVECTOR3 right(1.0f, 0.0f, 0.0f), down(0.0f, 1.0f, 0.0f);
    D3DXVec3TransformCoord(&p.axis1, &right, &flowMatrix);
    D3DXVec3TransformCoord(&p.axis2, &down, &flowMatrix);
  } else if (orientation.value == kUpright) {
    p.axis1 = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
    p.axis2 = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
  }
}

void DS_FlowConstructor::InitParticle(Particle& p) {
  const float wobble = RandUnit() * 2.0f - 1.0f;
  p.velocity = D3DXVECTOR3(0.0f, 0.0f, wobble);
  p.direction = D3DXVECTOR3(1.0f, 1.0f, 0.0f);
  p.position = RandomPoint();
  ShapeParticle(p);
}

void DS_FlowConstructor::UpdateParticle(Particle& p) {
  // The wobble w lives in velocity z; the edge controls turn the particle by negating direction.
  const float w = p.velocity.z;
  const float sideways = w * wobbleAmplitude.derived;
  const float vx = (crossVector.x * sideways + flowVector.x * p.direction.x) * p.sizeFactor;
  const float vy = (flowVector.y * p.direction.y + crossVector.y * sideways) * p.sizeFactor;
  if (!p.paused) {
    p.position.x += animationStep * vx;
    p.position.y += animationStep * vy;
  }
  for (int i = 0; i < 4; ++i)
    if (Edge(i).Handle(*this, p)) break;
  // Facing follows the velocity this frame moved by, so a bounce shows from the next frame.
  if (orientation.value == kMirroredLeft) {
    p.axis1 = D3DXVECTOR3(std::copysign(1.0f, vx), 0.0f, 0.0f);
    p.axis2 = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
  } else if (orientation.value == kMirroredUp) {
    p.axis1 = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
    p.axis2 = D3DXVECTOR3(0.0f, std::copysign(1.0f, vy), 0.0f);
  }
  // A wobble rate of 0 never changes the wobble.
  const float rate = wobbleRate.derived;
  if (rate > 0.0f && 1.0f / rate < animationTime - p.timer) {
    p.timer = animationTime;
    if (Rand() & 1) p.velocity.z = RandUnit() * 2.0f - 1.0f;
  }
  Particle::ApplyColor(*this, p);
}

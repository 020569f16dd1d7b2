#include "objects/rain_constructor.h"

#include "objects/particle_rules.h"
#include "render/particle.h"

namespace {
const ds_string kClassName = u"DS_RainConstructor";
constexpr DWORD kVersion = 1;
constexpr float kThreeQuarterTurn = 4.712389f;

const IOF_Virtual_ReaderT<DS_RainConstructor> g_RainReader;
const bool g_RainRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_RainReader);
}  // namespace

template <>
void IOF_ReadFields<DS_RainConstructor>(DS_IOF_Virtual** stream, DWORD, DS_RainConstructor& rain) {
  rain.ReadRecord(stream);
}

DS_RainConstructor::DS_RainConstructor() {
  // The speed first, so that the vectors the angle makes carry it.
  speed = 2000.0f;
  angle.SetAndNotify(270u);
  wobbleAmplitude = 0u;
  sizeFactorMinimum = 0.5f;
  sizeFactorMaximum = 1.0f;
  orientation = kTurned;
  D3DXMatrixRotationZ(&rainMatrix, kThreeQuarterTurn);
}

DS_RainConstructor::DS_RainConstructor(const DS_RainConstructor& other)
    : DS_FlowConstructor(other), rainMatrix(other.rainMatrix) {}

DS_ParticleSystemCtrl* DS_RainConstructor::Clone() const { return new DS_RainConstructor(*this); }

bool DS_RainConstructor::Save(DS_IOF_Virtual** stream) {
  (*stream)->WriteString(&kClassName);
  (*stream)->WriteULong(&kVersion);
  SaveRecord(stream);
  return true;
}

bool DS_RainConstructor::ReadRecord(DS_IOF_Virtual** stream) {
  ds_string flowClass;  // known from its place: read and ignored
  DWORD flowVersion = 0;
  (*stream)->ReadString(&flowClass);
  (*stream)->ReadULong(&flowVersion);
  return ReadFields(stream, flowVersion);
}

void DS_RainConstructor::InitParticle(Particle& p) {
  DS_FlowConstructor::InitParticle(p);
  p.alpha = RandUnit();
  ShapeParticle(p);  // again, so that the colour takes the new alpha
  if (orientation.value == kTurned) {
    const D3DXVECTOR3 axis1 = p.axis1, axis2 = p.axis2;
    D3DXVec3TransformCoord(&p.axis1, &axis1, &rainMatrix);
    D3DXVec3TransformCoord(&p.axis2, &axis2, &rainMatrix);
  }
}

float DS_RainConstructor::EdgeAlpha(const Particle& p) const {
  if (p.respawned != 0) return 1.0f;
  if (p.touchedEdge >= 0 && p.touchedEdge < 4)
    return Edge(p.touchedEdge).mode.value == DS_BoundControl::kWrap ? 0.0f : 1.0f;
  // Only a wrap edge leaves a drop paused and untouched: its pause has begun.
  return p.paused ? 0.0f : 1.0f;
}

void DS_RainConstructor::UpdateParticle(Particle& p) {
  const float own = p.alpha;
  p.alpha = EdgeAlpha(p);
  DS_FlowConstructor::UpdateParticle(p);
  p.alpha = own + animationStep * p.alphaRate;
  if (alphaMinimum > p.alpha) {
    // A new drop elsewhere: whatever an edge was doing with the old one is over.
    p.touchedEdge = -1;
    p.respawned = 0;
    p.paused = false;
    InitParticle(p);
    p.alpha = alphaMinimum;
    p.alphaRate = -p.alphaRate;
  } else if (p.alpha > alphaMaximum) {
    p.alpha = alphaMaximum;
    p.alphaRate = -p.alphaRate;
  }
  Particle::ApplyColor(*this, p);
}

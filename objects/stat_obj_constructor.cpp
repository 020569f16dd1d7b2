#include "objects/stat_obj_constructor.h"

#include <cmath>
#include <limits>
#include <memory>

#include "objects/particle_rules.h"
#include "render/particle.h"
#include "render/quad_corners.h"
#include "render/sprite_array_obj.h"

namespace {
const ds_string kClassName = u"DS_StatObjConstructor";
constexpr DWORD kVersion = 2;
constexpr float kPi = 3.1415927f;

const IOF_Virtual_ReaderT<DS_StatObjConstructor> g_StatObjReader;
const bool g_StatObjRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_StatObjReader);

// The fraction dropped (toward zero); a value beyond the integers, or none at all, is held at the
// nearest end instead of overflowing.
INT TruncToInt(float v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483520.0f) return std::numeric_limits<INT>::max();
  if (v <= -2147483648.0f) return std::numeric_limits<INT>::min();
  return static_cast<INT>(v);
}
}  // namespace

template <>
void IOF_ReadFields<DS_StatObjConstructor>(DS_IOF_Virtual** stream, DWORD version, DS_StatObjConstructor& object) {
  object.ReadFields(stream, version);
}

DS_StatObjConstructor::DS_StatObjConstructor() { D3DXMatrixIdentity(&rotationMatrix); }

bool DS_StatObjConstructor::Save(DS_IOF_Virtual** stream) { return SaveLevel(stream); }

bool DS_StatObjConstructor::SaveLevel(DS_IOF_Virtual** stream) const {
  (*stream)->WriteString(&kClassName);
  (*stream)->WriteULong(&kVersion);
  WriteMediaRectangle(stream, rectangle);
  (*stream)->WriteUInt(&rotation.value);
  SaveBase(stream);
  return true;
}

bool DS_StatObjConstructor::ReadFields(DS_IOF_Virtual** stream, DWORD version) {
  ReadMediaRectangle(stream, &rectangle);
  (*stream)->ReadUInt(&rotation.value);
  if (version < 2) {
    (*stream)->ReadInt(&verticalFlip.value);
    (*stream)->ReadInt(&horizontalFlip.value);
  }
  return ReadBase(stream);
}

bool DS_StatObjConstructor::ReadLevel(DS_IOF_Virtual** stream) {
  ds_string className;
  DWORD version = 0;
  (*stream)->ReadString(&className);
  (*stream)->ReadULong(&version);
  return ReadFields(stream, version);
}

DS_ParticleSystemCtrl* DS_StatObjConstructor::Clone() const { return new DS_StatObjConstructor(*this); }

DS_ABObj* DS_StatObjConstructor::CreateObject() {
  ResolveImageLinks();
  auto* object = new DS_SpriteArrayObj(std::unique_ptr<DS_BaseSpriteProp>(Clone()));
  object->staticObject = 1;
  return object;
}

void DS_StatObjConstructor::GetScreenQuad(QuadCorners* quad) {
  *quad = QuadCorners();
  const float left = static_cast<float>(rectangle.left.value);
  const float right = static_cast<float>(rectangle.right.value);
  const float top = static_cast<float>(rectangle.top.value);
  const float bottom = static_cast<float>(rectangle.bottom.value);
  quad->corners[0].x = left, quad->corners[0].y = bottom;
  quad->corners[1].x = left, quad->corners[1].y = top;
  quad->corners[2].x = right, quad->corners[2].y = bottom;
  quad->corners[3].x = right, quad->corners[3].y = top;
}

bool DS_StatObjConstructor::HitTest(float x, float y) { return rectangle.HitTest(x, y); }

void DS_StatObjConstructor::InitParticle(Particle& p) {
  p.position.x = static_cast<float>(rectangle.centreX.value);
  p.position.y = static_cast<float>(rectangle.centreY.value);
  ShapeBySize(p, *this);
  Particle::ApplyColor(*this, p);
  D3DXMatrixRotationZ(&rotationMatrix, static_cast<float>(rotation.value) * -kPi / 180.0f);
  const D3DXVECTOR3 across(1.0f, 0.0f, 0.0f), down(0.0f, 1.0f, 0.0f);
  D3DXVec3TransformCoord(&p.axis1, &across, &rotationMatrix);
  D3DXVec3TransformCoord(&p.axis2, &down, &rotationMatrix);
  UpdateRect(p);
}

void DS_StatObjConstructor::UpdateRect(const Particle& p) {
  const float hw = p.halfWidth, hh = p.halfHeight;
  const float x = p.position.x, y = p.position.y;
  const float spanX = std::fabs(p.axis1.x * hw) + std::fabs(p.axis2.x * hh);
  const float spanY = std::fabs(p.axis2.y * hh) + std::fabs(p.axis1.y * hw);
  rectangle.left.value = TruncToInt(x - spanX);
  rectangle.right.value = TruncToInt(x + spanX);
  rectangle.top.value = TruncToInt(y - spanY);
  rectangle.bottom.value = TruncToInt(y + spanY);
}

#include "objects/drift_anim.h"

#include <cmath>

#include "objects/anim_angles.h"
#include "render/frame.h"
#include "render/random.h"
#include "slideshow/view_2d.h"

float g_DriftTime = 0.0f;

namespace {
float PictureWidth() { return static_cast<float>(g_LayerView.pictureWidth); }
float PictureHeight() { return static_cast<float>(g_LayerView.pictureHeight); }

// One draw of the shared generator, 0 to 1.
float Unit() { return static_cast<float>(Rand()) / 32767.0f; }
bool OddDraw() { return (Rand() & 1) != 0; }

D3DXVECTOR4 TurnedUnitX(float radians) {
  const D3DXVECTOR4 unitX(1.0f, 0.0f, 0.0f, 0.0f);
  D3DXMATRIX rotation;
  D3DXMatrixRotationZ(&rotation, radians);
  D3DXVECTOR4 out;
  D3DXVec4Transform(&out, &unitX, &rotation);
  return out;
}

DS_LeafFallAnim::Rotation Tumble() {
  const float sign = OddDraw() ? -1.0f : 1.0f;
  const float value = Unit() * 3.0f + 7.0f;
  return {sign * value, sign * value};
}

DS_LeafFallAnim::Rotation Swing() {
  const float m = static_cast<float>(Rand() % 2);
  const float sign = OddDraw() ? -1.0f : 1.0f;
  const float value = Unit() * 4.0f + 3.0f;
  return {m * sign * value, m * sign * value};
}

D3DXMATRIX Turn(D3DXMATRIX* (*rotate)(D3DXMATRIX*, FLOAT), float degrees) {
  D3DXMATRIX m;
  rotate(&m, DegreesToRadians(degrees));
  return m;
}
}  // namespace

void DriftDirection::SetAngle(UINT degrees) {
  angle = degrees;
  const float a = static_cast<float>(degrees);
  direction = TurnedUnitX(a * kAnimPi / 180.0f);
  perpendicular = TurnedUnitX((a + 90.0f) * kAnimPi / 180.0f);
  direction.y = -direction.y;
  perpendicular.y = -perpendicular.y;
}

DS_SreamAnim::DS_SreamAnim(const DriftParams* parameters) : params(parameters) {
  const float x = RandFloat(0.0f, PictureWidth());
  const float y = RandFloat(0.0f, PictureHeight());
  D3DXMatrixTranslation(&position, x, y, 0.0f);
  sway = Unit() * 2.0f - 1.0f;
  speedFactor = Unit() * 0.06f + 0.07f;
}

void DS_SreamAnim::Update(DS_Frame*) {
  const float t = g_DriftTime;
  step = std::fabs(t - lastTime);
  if (step > 0.2f) step = 0.2f;
  lastTime = t;

  const float w = PictureWidth(), h = PictureHeight();
  const float half = static_cast<float>(params->itemSize.value) * 0.5f;
  const float k = static_cast<float>(params->sway.value) * 0.02f * sway;
  const float dirX = params->direction.direction.x + params->direction.perpendicular.x * k;
  const float dirY = params->direction.direction.y + params->direction.perpendicular.y * k;
  const float s = static_cast<float>(params->speed.value) * speedFactor * step * 50.0f;
  const float dx = s * dirX, dy = s * dirY;

  float& x = position._41;
  float& y = position._42;
  if (dy > 0.0f && y > h + half) {
    x = RandFloat(0.0f, w);
    y = -half;
  } else if (dy < 0.0f && y < -half) {
    x = RandFloat(0.0f, w);
    y = h + half;
  } else if (dx > 0.0f && x > w + half) {
    x = -half;
    y = RandFloat(0.0f, h);
  } else if (dx < 0.0f && x < -half) {
    x = w + half;
    y = RandFloat(0.0f, h);
  } else {
    x += dx;
    y += dy;
  }

  // A renewal of 0 never fires: its threshold 100 / 0 is infinite.
  const UINT renewal = params->swayRenewal.value;
  if (renewal != 0 &&
      (t - lastSwayChange) * static_cast<float>(params->speed.value) * 0.1f > 100.0f / static_cast<float>(renewal)) {
    lastSwayChange = t;
    if (OddDraw()) sway = Unit() * 2.0f - 1.0f;
  }
}

DS_LeafFallAnim::DS_LeafFallAnim(const DriftParams* parameters) : DS_SreamAnim(parameters) {
  tumbleX = Tumble();
  tumbleY = Tumble();
  tumbleZ = Tumble();
  swingY = Swing();
  swingX = Swing();
}

void DS_LeafFallAnim::Update(DS_Frame* frame) {
  DS_SreamAnim::Update(frame);
  // A mesh without extent has no size to scale to: the item is drawn at scale 0 instead of infinity.
  const float radius = frame->boundingRadius;
  const float s = radius > 0.0f ? static_cast<float>(params->itemSize.value) * 0.5f / radius : 0.0f;

  const float tumbleRate = step * static_cast<float>(params->tumbleSpeed.value) * 0.4f;
  const float swingRate = step * static_cast<float>(params->sway.value) * 0.4f;
  for (Rotation* r : {&tumbleX, &tumbleY, &tumbleZ}) r->angle += r->rate * tumbleRate;
  for (Rotation* r : {&swingY, &swingX}) r->angle += r->rate * swingRate;

  D3DXMATRIX m, next, offset;
  D3DXMatrixScaling(&m, s, s, s);
  next = Turn(D3DXMatrixRotationX, tumbleX.angle);
  D3DXMatrixMultiply(&m, &m, &next);
  next = Turn(D3DXMatrixRotationZ, tumbleZ.angle);
  D3DXMatrixMultiply(&m, &m, &next);
  next = Turn(D3DXMatrixRotationY, tumbleY.angle);
  D3DXMatrixMultiply(&m, &m, &next);
  D3DXMatrixTranslation(&offset, 0.0f, 0.0f, 50.0f);
  next = Turn(D3DXMatrixRotationY, swingY.angle);
  D3DXMatrixMultiply(&offset, &offset, &next);
  D3DXMatrixMultiply(&m, &m, &offset);
  next = Turn(D3DXMatrixRotationX, swingX.angle);
  D3DXMatrixMultiply(&m, &m, &next);
  D3DXMatrixMultiply(&m, &m, &position);
  D3DXMatrixMultiply(&frame->world, &frame->local, &m);
}

#include "objects/butterfly_anim.h"

#include <cmath>
#include <memory>

#include "document/fun_light_ctrl.h"
#include "objects/anim_angles.h"
#include "objects/butterfly_constructor.h"
#include "render/frame.h"
#include "render/random.h"

namespace {
D3DXMATRIX Turn(D3DXMATRIX* (*rotate)(D3DXMATRIX*, FLOAT), float degrees) {
  D3DXMATRIX m;
  rotate(&m, DegreesToRadians(degrees));
  return m;
}

// m = before x m: `before` applies first.
void Prepend(D3DXMATRIX& m, const D3DXMATRIX& before) { D3DXMatrixMultiply(&m, &before, &m); }
}  // namespace

AC_Butterfly::AC_Butterfly(DS_ButterflyConstructor* owner)
    : controller(owner), wing1(new AC_ButterflyWing), wing2(new AC_ButterflyWing), position(owner->RandomPoint()) {
  const float start = static_cast<float>(Rand()) / 32767.0f * 360.0f;
  heading = {start, start, 350.0f};
  D3DXMatrixRotationX(&tilt, 0.1745329f);
  D3DXMatrixScaling(&mirror, -1.0f, 1.0f, 1.0f);
  BindSize();
}

void AC_Butterfly::BindSize() {
  auto observer = std::make_unique<DS_FunLightCtrl<UINT, AC_Butterfly>>(&AC_Butterfly::OnSizeChanged, this);
  observer->Attach(&controller->size);
  DS_FunLightCtrl<UINT, AC_Butterfly>* fired = observer.get();
  controls_.Add(std::move(observer));
  fired->OnChange(nullptr);
}

void AC_Butterfly::OnSizeChanged(AC_Butterfly* self, UINT size) {
  const float s = static_cast<float>(size) / 100.0f;
  D3DXMatrixScaling(&self->sizeMatrix, s, s, s);
}

void AC_Butterfly::Update(DS_Frame* frame) {
  const float dt = controller->animationStep;
  D3DXMATRIX w = frame->local;
  const D3DXMATRIX r = Turn(D3DXMatrixRotationY, heading.current);
  Prepend(w, r);

  const float turning = heading.current - heading.target;
  if (turning < -5.0f)
    bank.SetTarget(25.0f, 0.0f);
  else if (turning > 5.0f)
    bank.SetTarget(-25.0f, 0.0f);

  // Slow flight pitches the body up.
  if (forwardSpeed.current < 100.0f) Prepend(w, Turn(D3DXMatrixRotationX, (1.0f - forwardSpeed.current / 100.0f) * 15.0f));
  Prepend(w, tilt);
  Prepend(w, Turn(D3DXMatrixRotationZ, bank.current));
  if (bank.current == bank.target) bank.SetTarget(0.0f, 0.0f);

  wingAngle += dt * 7.0f * wingSpeed;
  if (wingAngle > upperWingLimit) wingSpeed = -160.0f;
  if (wingAngle < lowerWingLimit) wingSpeed = 100.0f;

  // The body bobs against the beat of its wings.
  D3DXMATRIX bob;
  D3DXMatrixTranslation(&bob, 0.0f, wingAngle * -3.0f / 45.0f, 0.0f);
  Prepend(w, bob);

  wing1->wing = Turn(D3DXMatrixRotationZ, wingAngle);
  D3DXMatrixMultiply(&wing2->wing, &wing1->wing, &mirror);
  wing1->cullMode = wingAngle > 0.0f ? 1 : 0;
  wing2->cullMode = wingAngle < 0.0f ? 1 : 0;

  const D3DXVECTOR3 forward(forwardSpeed.current, 0.0f, 0.0f);
  D3DXVECTOR3 v;
  D3DXVec3TransformCoord(&v, &forward, &r);
  v.y = verticalSpeed.current;
  position += dt * v;
  position.z = 0.0f;
  D3DXMATRIX place;
  D3DXMatrixTranslation(&place, position.x, position.y, position.z);
  D3DXMatrixMultiply(&w, &w, &place);

  StepRamps(dt);
  SteerAtEdges();
  Behave(controller->animationTime);
  D3DXMatrixMultiply(&frame->world, &sizeMatrix, &w);
}

void AC_Butterfly::StepRamps(float dt) {
  for (RampedValue* ramp : {&verticalSpeed, &bank, &heading, &forwardSpeed}) ramp->Step(dt);
}

void AC_Butterfly::SteerAtEdges() {
  if (position.y < controller->GetTopPx()) {
    requestedMode = 1;
    verticalSpeed.SetTarget(100.0f, 0.0f);
  } else if (position.y > controller->GetBottomPx()) {
    requestedMode = 0;
    verticalSpeed.SetTarget(-190.0f, 0.0f);
  }
  if (position.x < controller->GetLeftPx()) {
    heading.SetTarget(0.0f, 350.0f);
    forwardSpeed.SetTarget(300.0f, 0.0f);
  } else if (position.x > controller->GetRightPx()) {
    heading.SetTarget(-180.0f, 350.0f);
    forwardSpeed.SetTarget(300.0f, 0.0f);
  }
}

// New decisions only while no change of mode is pending; a pending change completes first.
void AC_Butterfly::Behave(float time) {
  if (requestedMode == mode) {
    if (time - lastDecisionTime <= 0.25f) return;
    switch (Rand() % 5) {
      case 0:
        requestedMode = 0;
        verticalSpeed.SetTarget(RandFloat(-190.0f, 0.0f), 0.0f);
        break;
      case 1:
        requestedMode = 1;
        verticalSpeed.SetTarget(RandFloat(100.0f, 150.0f), 0.0f);
        break;
      case 2:
        requestedMode = 0;
        forwardSpeed.SetTarget(RandFloat(-25.0f, 300.0f), 0.0f);
        break;
      default:
        if (mode == 0 && heading.current == heading.target) {
          const bool odd = (Rand() & 1) != 0;
          const float rate = RandFloat(50.0f, 350.0f);
          const float target = odd ? RandFloat(-25.0f, 25.0f) : RandFloat(155.0f, 205.0f);
          heading.SetTarget(target, rate);
        }
        break;
    }
    lastDecisionTime = time;
  } else if (requestedMode == 1) {
    // Glide once the wings are down: they stay under an upper limit of 0 meanwhile.
    upperWingLimit = 0.0f;
    if (wingAngle < lowerWingLimit * 0.5f) {
      mode = 1;
      wingSpeed = -std::fabs(wingSpeed) / 100.0f;
    }
  } else {
    mode = 0;
    upperWingLimit = -lowerWingLimit;
    wingSpeed = forwardSpeed.current > 20.0f ? RandFloat(-160.0f, forwardSpeed.current / 3.0f - 50.0f) : 160.0f;
  }
}

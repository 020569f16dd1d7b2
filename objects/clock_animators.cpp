#include "objects/clock_animators.h"

#include <memory>

#include "document/fun_light_ctrl.h"
#include "objects/anim_angles.h"
#include "render/frame.h"

AC_Static::AC_Static(DS_3D_Obj_Ctrl& clock, MediaRectangle& rectangle) : clock_(&clock), rectangle_(&rectangle) {
  BindSize();
  BindRect();
  D3DXMatrixTranslation(&translation, static_cast<float>(rectangle_->centreX.value),
                        static_cast<float>(rectangle_->centreY.value), 0.0f);
  const float side = static_cast<float>(clock_->size.value);
  D3DXMatrixScaling(&scale, side, side, side);
}

void AC_Static::BindSize() {
  auto observer = std::make_unique<DS_FunLightCtrl<UINT, AC_Static>>(&AC_Static::OnSizeChanged, this);
  observer->Attach(&clock_->size);
  DS_FunLightCtrl<UINT, AC_Static>* fired = observer.get();
  controls_.Add(std::move(observer));
  fired->OnChange(nullptr);
}

void AC_Static::BindRect() {
  auto observer = std::make_unique<DS_FunLightCtrl2<AC_Static>>(&AC_Static::OnRectChanged, this);
  observer->Attach(rectangle_);
  controls_.Add(std::move(observer));
}

// Edges wrap rather than overflow for a centre at the far end of the integer range: the result is
// then nonsense, but defined.
void AC_Static::SetEdges(UINT size) {
  const UINT half = size / 2;
  const UINT cx = static_cast<UINT>(rectangle_->centreX.value);
  const UINT cy = static_cast<UINT>(rectangle_->centreY.value);
  rectangle_->left.SetAndNotify(static_cast<INT>(cx - half));
  rectangle_->right.SetAndNotify(static_cast<INT>(cx + half));
  rectangle_->top.SetAndNotify(static_cast<INT>(cy - half));
  rectangle_->bottom.SetAndNotify(static_cast<INT>(cy + half));
}

void AC_Static::OnSizeChanged(AC_Static* self, UINT size) {
  self->SetEdges(size);
  const float side = static_cast<float>(size);
  D3DXMatrixScaling(&self->scale, side, side, side);
}

void AC_Static::OnRectChanged() {
  SetEdges(clock_->size.value);
  D3DXMatrixTranslation(&translation, static_cast<float>(rectangle_->centreX.value),
                        static_cast<float>(rectangle_->centreY.value), 0.0f);
}

void AC_Static::Update(DS_Frame* frame) {
  D3DXMatrixMultiply(&frame->world, &scale, &frame->local);
  D3DXMatrixMultiply(&frame->world, &frame->world, &translation);
}

float AC_ClockArrow::HandAngle(bool hourHand, int hour, int minute, int second) {
  if (hourHand) return (static_cast<float>(hour % 12) + static_cast<float>(minute) / 60.0f) * 30.0f;
  return (static_cast<float>(second) / 60.0f + static_cast<float>(minute)) * 6.0f;
}

// The local time comes from the machine's clock, which cannot fail to give one.
void AC_ClockArrow::Update(DS_Frame* frame) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const float angle = HandAngle(hour != 0, now.wHour, now.wMinute, now.wSecond);
  D3DXMATRIX rotation;
  D3DXMatrixRotationY(&rotation, DegreesToRadians(angle));
  D3DXMatrixMultiply(&frame->world, &frame->local, &rotation);
}

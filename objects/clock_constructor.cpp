#include "objects/clock_constructor.h"

#include <memory>

#include "document/fun_light_ctrl.h"
#include "objects/anim_angles.h"
#include "objects/clock_animators.h"
#include "slideshow/view_2d.h"

namespace {
const ds_string kLibrary = u"vaultkit.dll";

// A hand: thin, its length along z, pushed out from the centre by `offset`.
void SetHandLocal(DS_Frame* hand, float length, float offset) {
  D3DXMATRIX scale, shift;
  D3DXMatrixScaling(&scale, 0.01f, 1.0f, length);
  D3DXMatrixTranslation(&shift, 0.0f, 0.0f, offset);
  D3DXMatrixMultiply(&hand->local, &scale, &shift);
}
}  // namespace

DS_ClockConstructor::DS_ClockConstructor()
    : handsImageLink(DS_FileLink3::ConstructFromResource(72, kLibrary)) {
  rectangle.centreX = g_LayerView.pictureWidth / 2;
  rectangle.centreY = g_LayerView.pictureHeight / 2;
  meshLink = DS_FileLink3::ConstructFromResource(70, kLibrary);
  imageLink = DS_FileLink3::ConstructFromResource(71, kLibrary);
  size.SetAndNotify(400);
  BindFaceImage();
}

DS_ClockConstructor::DS_ClockConstructor(const DS_ClockConstructor& other)
    : DS_3D_Obj_Ctrl(other), rectangle(other.rectangle), handsImageLink(other.handsImageLink) {
  BindFaceImage();
}

void DS_ClockConstructor::BindFaceImage() {
  auto observer = std::make_unique<DS_FunLightCtrl2<DS_ClockConstructor>>(
      &DS_ClockConstructor::OnFaceImageChanged, this);
  observer->Attach(&imageLink);
  controls_.Add(std::move(observer));
}

void DS_ClockConstructor::OnFaceImageChanged() {
  if (!parts || parts->empty()) return;
  (*parts)[0].Load(imageLink, meshLink);
}

void DS_ClockConstructor::GetScreenQuad(QuadCorners* quad) {
  const float l = static_cast<float>(rectangle.left.value);
  const float r = static_cast<float>(rectangle.right.value);
  const float t = static_cast<float>(rectangle.top.value);
  const float b = static_cast<float>(rectangle.bottom.value);
  const float xs[4] = {l, l, r, r};
  const float ys[4] = {b, t, b, t};
  for (int i = 0; i < 4; ++i) {
    quad->corners[i].x = xs[i];
    quad->corners[i].y = ys[i];
  }
}

bool DS_ClockConstructor::HitTest(float x, float y) { return rectangle.HitTest(x, y); }

void DS_ClockConstructor::BuildParts(MeshPartList& list) {
  ResizeParts(list, 2);
  list[0].Load(imageLink, meshLink);
  list[1].Load(handsImageLink, meshLink);
  list[0].twoPass = 1;
  list[1].twoPass = 1;
  parts = &list;
}

void DS_ClockConstructor::AssignInstances(const InstanceList& instances, MeshPartList& list) {
  if (list.size() < 2) return;
  list[0].frames.clear();
  list[1].frames.clear();
  for (const InstanceRoot& root : instances) {
    for (DS_Frame* hand : root->children) list[1].frames.push_back(hand);
    list[0].frames.push_back(root.get());
  }
}

DS_Frame* DS_ClockConstructor::CreateInstance() {
  InstanceRoot root(new DS_Frame);
  D3DXMATRIX shrink, upright;
  D3DXMatrixScaling(&shrink, 0.01f, 0.01f, 0.01f);
  D3DXMatrixRotationX(&upright, kAnimPi / 2.0f);
  D3DXMatrixMultiply(&root->local, &shrink, &upright);
  root->animator = new AC_Static(*this, rectangle);

  auto* hourHand = new DS_Frame;
  root->children.push_back(hourHand);
  SetHandLocal(hourHand, 0.3f, 10.0f);
  hourHand->animator = new AC_ClockArrow(true);

  auto* minuteHand = new DS_Frame;
  root->children.push_back(minuteHand);
  SetHandLocal(minuteHand, 0.38f, 13.0f);
  minuteHand->animator = new AC_ClockArrow(false);
  return root.release();
}

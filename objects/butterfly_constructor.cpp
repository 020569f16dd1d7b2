#include "objects/butterfly_constructor.h"

#include <algorithm>
#include <cmath>

#include "objects/anim_angles.h"
#include "objects/butterfly_anim.h"
#include "objects/copies_seen.h"

namespace {
const ds_string kLibrary = u"vaultkit.dll";
// The root frame halves the body and wings before the size scales them.
constexpr float kRootScale = 0.5f;
}  // namespace

DS_ButterflyConstructor::DS_ButterflyConstructor()
    : bodyImageLink(DS_FileLink3::ConstructFromResource(6, kLibrary)),
      bodyMeshLink(DS_FileLink3::ConstructFromResource(68, kLibrary)) {
  storedValue1 = 50;
  storedValue2 = 50;
  meshLink = DS_FileLink3::ConstructFromResource(69, kLibrary);
  size.SetAndNotify(100);
  viewFlag = true;
}

DS_ButterflyConstructor::DS_ButterflyConstructor(const DS_ButterflyConstructor& other)
    : DS_3D_Obj_Ctrl(other),
      bodyImageLink(other.bodyImageLink),
      bodyMeshLink(other.bodyMeshLink),
      storedValue1(other.storedValue1),
      storedValue2(other.storedValue2),
      wingScale(other.wingScale) {}

void DS_ButterflyConstructor::BuildParts(MeshPartList& parts) {
  ResizeParts(parts, 2);
  parts[0].Load(bodyImageLink, bodyMeshLink);
  parts[1].Load(imageLink, meshLink);
  parts[1].twoPass = 1;
}

void DS_ButterflyConstructor::AssignInstances(const InstanceList& instances, MeshPartList& parts) {
  if (parts.size() < 2) return;
  parts[0].frames.clear();
  parts[1].frames.clear();
  for (const InstanceRoot& root : instances) {
    for (DS_Frame* wing : root->children) parts[1].frames.push_back(wing);
    parts[0].frames.push_back(root.get());
  }
}

// A butterfly is taken to be as wide as the larger of its body's and its wing's bounding spheres
// once its root and its size have scaled them.
UINT DS_ButterflyConstructor::MostInstancesSeen(const MeshPartList& parts) const {
  float radius = parts.empty() ? 0.0f : parts[0].boundingRadius;
  if (parts.size() > 1) radius = std::max(radius, parts[1].boundingRadius * std::fabs(wingScale));
  const double span = 2.0 * double(radius) * kRootScale * double(size.value) / 100.0;
  const double area = std::fabs(double(GetRightPx()) - GetLeftPx()) * std::fabs(double(GetBottomPx()) - GetTopPx());
  return CopiesSeen(area, span);
}

DS_Frame* DS_ButterflyConstructor::CreateInstance() {
  InstanceRoot root(new DS_Frame);
  auto* animator = new AC_Butterfly(this);
  root->animator = animator;
  D3DXMATRIX half, quarterTurn;
  D3DXMatrixScaling(&half, kRootScale, kRootScale, kRootScale);
  D3DXMatrixRotationY(&quarterTurn, kAnimPi / 2.0f);
  D3DXMatrixMultiply(&root->local, &half, &quarterTurn);
  for (AC_ButterflyWing* wing : {animator->wing1, animator->wing2}) {
    auto* frame = new DS_Frame;
    D3DXMatrixScaling(&frame->local, wingScale, wingScale, wingScale);
    frame->animator = wing;
    root->children.push_back(frame);
  }
  return root.release();
}

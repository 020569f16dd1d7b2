#include "objects/butterfly_constructor.h"

#include "objects/anim_angles.h"
#include "objects/butterfly_anim.h"

namespace {
const ds_string kLibrary = u"vaultkit.dll";
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

DS_Frame* DS_ButterflyConstructor::CreateInstance() {
  InstanceRoot root(new DS_Frame);
  auto* animator = new AC_Butterfly(this);
  root->animator = animator;
  D3DXMATRIX half, quarterTurn;
  D3DXMatrixScaling(&half, 0.5f, 0.5f, 0.5f);
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

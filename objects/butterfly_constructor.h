// A swarm of butterflies: each instance is a body with two flapping wings that flies about the
// description's rectangle. Part 0 draws the bodies, part 1 the wings in two passes.
#pragma once
#include <windows.h>

#include "document/class_registry.h"
#include "document/scaled_params.h"
#include "objects/obj_3d_ctrl.h"

class DS_ButterflyConstructor : public DS_3D_Obj_Ctrl {
 public:
  // Body from library resources 6 (picture) and 68 (mesh), wings from mesh 69; size 100 percent.
  DS_ButterflyConstructor();
  ~DS_ButterflyConstructor() override = default;

  bool Save(DS_IOF_Virtual** stream) override { return SaveBase(stream); }
  void BuildParts(MeshPartList& parts) override;
  // Part 1 takes every instance's wing frames, part 0 its root, in instance order.
  void AssignInstances(const InstanceList& instances, MeshPartList& parts) override;
  // A root carrying the butterfly's animator, with two wing frames carrying its wing animators.
  DS_Frame* CreateInstance() override;
  DS_3D_Obj_Ctrl* Clone() const override { return new DS_ButterflyConstructor(*this); }
  // As many butterflies as cover the rectangle they fly about a few times over.
  UINT MostInstancesSeen(const MeshPartList& parts) const override;

  // "DS_ButterflyConstructor" version 2, its fields, then the DS_3D_Obj_Ctrl record.
  bool SaveBase(DS_IOF_Virtual** stream) const;
  // The fields of `version` (the wing scale from version 2), then the DS_3D_Obj_Ctrl record.
  bool ReadFields(DS_IOF_Virtual** stream, DWORD version);

  DS_ImageFileLink bodyImageLink;
  DS_MeshFile bodyMeshLink;
  UINTSclaleTo<float> storedValue1;  // kept with the description; nothing plays it
  UINTSclaleTo<float> storedValue2;
  float wingScale = 1.0f;

 protected:
  DS_ButterflyConstructor(const DS_ButterflyConstructor& other);
};

template <>
void IOF_ReadFields<DS_ButterflyConstructor>(DS_IOF_Virtual** stream, DWORD version,
                                             DS_ButterflyConstructor& butterfly);

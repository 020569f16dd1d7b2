// The render object of a placed 3D object: N instances, each a small frame tree moved by animators,
// and two mesh parts that the layer draws once for every frame assigned to them. It owns the clone of
// the description that made it.
#pragma once
#include <windows.h>

#include "document/media_control_list.h"
#include "objects/obj_3d_ctrl.h"
#include "render/ab_obj.h"

class DS_3DObjArray : public DS_ABObj {
 public:
  // Takes ownership of the clone; its parts are built, then its instances made and assigned.
  explicit DS_3DObjArray(DS_3D_Obj_Ctrl* clone);
  ~DS_3DObjArray() override;

  // Part 0, then part 1.
  void Render(DS_ABRender& layer) override;
  // A translucent black quad over the description's rectangle.
  void DrawSelection(DS_ABRender& layer, int value) override;
  // The description's clock, then every instance tree in list order.
  void Update(float time) override;
  void SyncLayout() override {}
  bool HitTest(const POINT& point, int) override;

  // Brings the instance list to `count`, held to the most instances the description says can be
  // seen (new ones at the end, the oldest removed first), then lets the description assign the
  // frames to the parts.
  static void OnCountChanged(DS_3DObjArray* self, UINT count);

  DS_3D_Obj_Ctrl* ctrl;  // the owned clone
  MeshPartList parts;
  InstanceList instances;

 private:
  void BindCount();

  MediaControlList controls_;
};

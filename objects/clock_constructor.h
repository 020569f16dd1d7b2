// An analogue clock showing the local time: a face and two hands drawn with one mesh, placed as a
// square of `size` pixels around a centre point of the layer picture. Part 0 draws the faces, part 1
// the hands; both are drawn in two passes.
#pragma once
#include <windows.h>

#include "document/class_registry.h"
#include "document/media_control_list.h"
#include "document/media_rectangle.h"
#include "objects/obj_3d_ctrl.h"

class DS_ClockConstructor : public DS_3D_Obj_Ctrl {
 public:
  // Centred in the current picture, 400 pixels; mesh, face and hands from library resources 70, 71
  // and 72.
  DS_ClockConstructor();
  ~DS_ClockConstructor() override = default;

  bool Save(DS_IOF_Virtual** stream) override { return SaveBase(stream); }
  // The clock's own square in picture pixels, in strip order.
  void GetScreenQuad(QuadCorners* quad) override;
  bool HitTest(float x, float y) override;
  // Face and hands, both two-pass; the vector is remembered so that a new face image can reload it.
  void BuildParts(MeshPartList& parts) override;
  // Part 1 takes every instance's two hands, part 0 its face, in instance order.
  void AssignInstances(const InstanceList& instances, MeshPartList& parts) override;
  // A face root placed by the clock's centre and size, with an hour and a minute hand.
  DS_Frame* CreateInstance() override;
  int SelectionMode() override { return 1; }
  DS_3D_Obj_Ctrl* Clone() const override { return new DS_ClockConstructor(*this); }

  // "DS_ClockConstructor" version 1, its fields, then the DS_3D_Obj_Ctrl record.
  bool SaveBase(DS_IOF_Virtual** stream) const;
  // The rectangle and the hands link, then the DS_3D_Obj_Ctrl record; false once the stream failed.
  bool ReadFields(DS_IOF_Virtual** stream);

  // Reloads the face part, when a render object has handed over its parts; before that there is
  // nothing to reload.
  void OnFaceImageChanged();

  MediaRectangle rectangle;  // edges in picture pixels; centreX and centreY hold the centre
  DS_ImageFileLink handsImageLink;
  MeshPartList* parts = nullptr;  // the render object's, from BuildParts on; not owned

 protected:
  // The DS_3D_Obj_Ctrl part, the rectangle and the hands link; no parts remembered yet.
  DS_ClockConstructor(const DS_ClockConstructor& other);

 private:
  void BindFaceImage();

  MediaControlList controls_;
};

template <>
void IOF_ReadFields<DS_ClockConstructor>(DS_IOF_Virtual** stream, DWORD version, DS_ClockConstructor& clock);

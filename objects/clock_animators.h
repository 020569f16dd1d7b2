// The animators of the clock: the face, placed and scaled from the clock's centre and size while it
// keeps the clock's rectangle equal to its square, and the two hands, turned by the local time.
#pragma once
#include <d3dx9math.h>
#include <windows.h>

#include "document/media_control_list.h"
#include "document/media_rectangle.h"
#include "objects/obj_3d_ctrl.h"
#include "render/animation_base.h"

class AC_Static : public DS_AnimationBase {
 public:
  // Observes the clock's size (told at once) and its rectangle, whose two plain values are the
  // centre in picture pixels. Both must outlive the animator.
  AC_Static(DS_3D_Obj_Ctrl& clock, MediaRectangle& rectangle);

  // world = scale x local x translation.
  void Update(DS_Frame* frame) override;

  // The rectangle becomes the square of side `size` around the centre (integer halves), each edge
  // set and told in the order left, right, top, bottom; the face scales by the size.
  static void OnSizeChanged(AC_Static* self, UINT size);
  // The same edges for the current size, and the face moves to the centre.
  void OnRectChanged();

  D3DXMATRIX scale;
  D3DXMATRIX translation;

 private:
  void BindSize();
  void BindRect();
  void SetEdges(UINT size);

  DS_3D_Obj_Ctrl* clock_;
  MediaRectangle* rectangle_;
  MediaControlList controls_;
};

class AC_ClockArrow : public DS_AnimationBase {
 public:
  explicit AC_ClockArrow(bool hourHand) : hour(hourHand ? 1 : 0) {}
  // world = local x rotation about y by the hand's angle at the current local time.
  void Update(DS_Frame* frame) override;

  // Degrees clockwise from twelve: minutes (with their seconds) x 6, or hours of the 12-hour dial
  // (with their minutes) x 30.
  static float HandAngle(bool hourHand, int hour, int minute, int second);

  BYTE hour;  // 1 hour hand, 0 minute hand
};

// A description placed in a rectangle of the current layer picture and running at its own speed:
// the base of the particle systems and 3D objects. The rectangle is kept twice, as fractions of the
// picture (what the element means) and in pixels of the picture current when it was bound (what the
// authoring tool edits); a change of a pixel edge moves the fraction with it.
//
// Pixel space: the width W and height H of the current layer picture (g_LayerView), 0 before any
// layer has been resized.
#pragma once
#include <d3dx9math.h>

#include <windows.h>

#include "document/media_control_list.h"
#include "document/media_param_t.h"
#include "document/media_rectangle.h"
#include "render/ab_obj_constructor.h"
#include "render/quad_corners.h"

class DS_ViewObjCtrl : public DS_ABObj_Constructor {
 public:
  // Empty name, pixel rectangle 0, speed 50, fractions (0, 1, 0, 1), clock at 0; then BindRect.
  DS_ViewObjCtrl();
  ~DS_ViewObjCtrl() override = default;

  bool Save(DS_IOF_Virtual** stream) override;

  // The rectangle as a quad in layer-picture pixels, corners in the standard strip order.
  virtual void GetScreenQuad(QuadCorners* quad);
  // True when the element can be picked at the point; nothing can be here.
  virtual bool HitTest(float x, float y);

  // "DS_ViewObjCtrl" version 2 and its fields; the subclasses call these as their base level.
  bool SaveBase(DS_IOF_Virtual** stream) const;
  bool SaveFields(DS_IOF_Virtual** stream) const;
  // Reads the header, then the fields of the stored version. False once the stream has failed.
  bool ReadBase(DS_IOF_Virtual** stream);
  // Values go straight into the properties: nobody is told. Version 1 stores no speed.
  bool ReadFields(DS_IOF_Virtual** stream, DWORD version);

  // Advances the element's clock to scene time t: realStep = min(|dt|, 0.1),
  // animationStep = min(|dt|, 0.2) x speed x 0.02 (50 is one second per second).
  void TimeStep(float t);

  // Pixel edges from the fractions (truncated); each edge that changes tells its observers.
  void SyncPixelRect();
  // SyncPixelRect, then the edge callbacks, each fired once at once: the fractions snap to whole
  // pixels of the current picture.
  void BindRect();

  // The fractions measured in pixels, not truncated.
  float GetLeftPx() const;
  float GetRightPx() const;
  float GetTopPx() const;
  float GetBottomPx() const;

  // A point of the rectangle, x drawn first: (x, y, 0).
  D3DXVECTOR3 RandomPoint() const;
  // The same with the rectangle shrunk by a particle's half width and half height.
  D3DXVECTOR3 RandomPointInset(float halfWidth, float halfHeight) const;

  // The edge callbacks: fraction = pixel / W (left, right) or pixel / H (top, bottom). Without a
  // picture size the fraction stays as it is.
  static void OnLeftPxChanged(DS_ViewObjCtrl* owner, INT pixel);
  static void OnRightPxChanged(DS_ViewObjCtrl* owner, INT pixel);
  static void OnTopPxChanged(DS_ViewObjCtrl* owner, INT pixel);
  static void OnBottomPxChanged(DS_ViewObjCtrl* owner, INT pixel);

  MediaRectangle pixelRect;
  MediaParamT<UINT> speed{50};
  bool viewFlag = false;  // stored and copied; playback does not depend on it
  float left = 0.0f, right = 1.0f, top = 0.0f, bottom = 1.0f;
  float animationStep = 0.0f;
  float animationTime = 0.0f;
  float realStep = 0.0f;
  MediaControlList rectCallbacks;
  float lastTime = 0.0f;

 protected:
  // The start of every clone: name, placed, fractions, view flag and speed; the clock starts at 0
  // and the pixel rectangle and its callbacks are made again for the current picture.
  DS_ViewObjCtrl(const DS_ViewObjCtrl& other);
};

// Appends a callback observer to the edge, fires it once and hands it to the list, which owns it.
void BindIntCallback(void (*callback)(DS_ViewObjCtrl*, INT), DS_ViewObjCtrl* owner,
                     MediaParamT<INT>& edge, MediaControlList& list);

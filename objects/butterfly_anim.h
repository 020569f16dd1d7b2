// The animator of one butterfly: it flies the body about its description's rectangle, turning,
// banking, climbing and gliding, steers back at the rectangle's edges, and beats the two wings
// through their own animators.
#pragma once
#include <d3dx9math.h>

#include "document/media_control_list.h"
#include "objects/butterfly_wing.h"
#include "objects/ramped_value.h"
#include "render/animation_base.h"

class DS_ButterflyConstructor;

class AC_Butterfly : public DS_AnimationBase {
 public:
  // Two new wing animators (for the wing frames to own), a random place in the rectangle, then a
  // random heading; the size is observed and applied at once.
  explicit AC_Butterfly(DS_ButterflyConstructor* controller);

  // Moves the body one animation step of the controller and writes the root's world matrix.
  void Update(DS_Frame* frame) override;

  // size matrix = uniform scaling by size / 100.
  static void OnSizeChanged(AC_Butterfly* self, UINT size);

  DS_ButterflyConstructor* controller;
  AC_ButterflyWing* wing1;  // owned by the wing frames
  AC_ButterflyWing* wing2;
  float wingAngle = 0.0f;    // degrees
  float wingSpeed = 100.0f;  // degrees per second of animation time, before the factor 7
  float upperWingLimit = 55.0f;
  float lowerWingLimit = -55.0f;
  D3DXVECTOR3 position;  // picture pixels
  RampedValue verticalSpeed{50.0f, 50.0f, 250.0f};
  RampedValue heading;  // degrees about y
  RampedValue bank{0.0f, 0.0f, 50.0f};
  RampedValue forwardSpeed{50.0f, 50.0f, 350.0f};
  D3DXMATRIX tilt;
  D3DXMATRIX mirror;
  D3DXMATRIX sizeMatrix;
  int mode = 0;  // 0 flapping, 1 gliding
  int requestedMode = 0;
  float lastDecisionTime = 0.0f;

 private:
  void BindSize();
  void StepRamps(float dt);
  void SteerAtEdges();
  void Behave(float time);

  MediaControlList controls_;
};

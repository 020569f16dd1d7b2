// The drift of the items of a 3D-in-2D array: each item crosses the picture in one direction with a
// sideways sway, reappears at the opposite edge when it has left it, and tumbles while it goes.
#pragma once
#include <d3dx9math.h>
#include <windows.h>

#include "document/media_param_t.h"
#include "render/animation_base.h"

// The scene time in seconds; the array stores it before it moves its items.
extern float g_DriftTime;

class DriftDirection {
 public:
  DriftDirection() { SetAngle(0); }
  // Angle 0 drifts toward +x, 90 toward -y (up the picture): direction (cos a, -sin a),
  // perpendicular (-sin a, -cos a).
  void SetAngle(UINT degrees);

  UINT angle = 0;
  D3DXVECTOR4 direction;
  D3DXVECTOR4 perpendicular;
};

struct DriftParams {
  MediaParamT<UINT> itemSize{0};  // pixels: the diameter of an item's bounding sphere
  DriftDirection direction;
  MediaParamT<UINT> speed{50};
  MediaParamT<UINT> sway{0};          // sideways amount, and rate factor of the swing rotations
  MediaParamT<UINT> swayRenewal{0};   // how often a new sway may be drawn; 0 never
  MediaParamT<UINT> tumbleSpeed{100};
};

class DS_SreamAnim : public DS_AnimationBase {
 public:
  // A random place in the picture, a random sway and a random speed factor, in that order of draws.
  explicit DS_SreamAnim(const DriftParams* params);
  // Advances the drift to g_DriftTime; the frame is not written.
  void Update(DS_Frame* frame) override;

  D3DXMATRIX position;  // picture pixels in the translation row
  float sway;
  float lastSwayChange = 0.0f;
  float speedFactor;
  float lastTime = 0.0f;
  float step = 0.0f;
  const DriftParams* params;
};

class DS_LeafFallAnim : public DS_SreamAnim {
 public:
  struct Rotation {
    float rate;   // degrees per second at factor 1
    float angle;  // degrees
  };

  // The drift's draws, then the tumble rates (7 to 10 degrees either way) and the swing rates
  // (0, or 3 to 7 degrees either way); each angle starts at its rate.
  explicit DS_LeafFallAnim(const DriftParams* params);
  // The drift, then world = local x scaled, tumbled, swung and placed.
  void Update(DS_Frame* frame) override;

  Rotation tumbleX, tumbleY, tumbleZ, swingY, swingX;
};

// The animator of one butterfly wing frame: the butterfly's own animator rewrites its matrix and its
// culling every frame, and the wing applies them to the wing frame.
#pragma once
#include <d3dx9math.h>
#include <windows.h>

#include "render/animation_base.h"

class AC_ButterflyWing : public DS_AnimationBase {
 public:
  AC_ButterflyWing() { D3DXMatrixIdentity(&wing); }
  // world = local x wing matrix; the frame takes the wing's cull-mode byte.
  void Update(DS_Frame* frame) override;

  D3DXMATRIX wing;
  BYTE cullMode = 1;
};

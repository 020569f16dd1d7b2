#include "objects/butterfly_wing.h"

#include "render/frame.h"

void AC_ButterflyWing::Update(DS_Frame* frame) {
  D3DXMatrixMultiply(&frame->world, &frame->local, &wing);
  frame->cullMode = cullMode;
}

#include "render/frame.h"

DS_Frame::DS_Frame() {
  D3DXMatrixIdentity(&world);
  D3DXMatrixIdentity(&local);
}

DS_Frame::~DS_Frame() { delete animator; }

void DS_Frame::DeleteWithChildren() {
  for (DS_Frame* child : children) delete child;
  children.clear();
}

void DS_Frame::UpdateMatrices(const D3DXMATRIX* parent) {
  if (animator) {
    animator->Update(this);
  } else {
    world = local;
  }
  if (parent) D3DXMatrixMultiply(&world, &world, parent);
  for (DS_Frame* child : children) child->UpdateMatrices(&world);
}

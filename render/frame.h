// A transform node: the base of every drawn geometry. A frame owns its animator but not its
// children; the owner of a tree decides how deep it is deleted.
#pragma once
#include <d3dx9math.h>

#include <vector>

#include "render/animation_base.h"

class DS_Frame {
 public:
  DS_Frame();
  ~DS_Frame();
  // A copy would delete the animator twice.
  DS_Frame(const DS_Frame&) = delete;
  DS_Frame& operator=(const DS_Frame&) = delete;

  // Deletes every direct child (their own children stay alive) and empties the child list; the
  // caller then deletes this frame itself.
  void DeleteWithChildren();

  // world = (animator's matrix, or the local matrix) x parent, then every child in list order with
  // this world matrix as its parent. parent may be null.
  void UpdateMatrices(const D3DXMATRIX* parent);

  float boundingRadius = 0.0f;
  D3DXVECTOR3 boundingCentre{0.0f, 0.0f, 0.0f};
  D3DXMATRIX world;
  D3DXMATRIX local;
  DS_AnimationBase* animator = nullptr;  // owned
  BYTE cullMode = 1;
  std::vector<DS_Frame*> children;  // not owned
};

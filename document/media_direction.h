// An angle in whole degrees with the x and y axes rotated by it.
#pragma once
#include <d3dx9math.h>
#include <windows.h>

#include "document/media_param_t.h"

class MediaDirection : public MediaParamT<UINT> {
 public:
  using MediaParamT<UINT>::MediaParamT;
  using MediaParamT<UINT>::operator=;

  // Rotates (1, 0, 0, 0) and (0, 1, 0, 0) about z by the angle.
  void GetVectors();

  D3DXVECTOR4 xAxis{};
  D3DXVECTOR4 yAxis{};
};

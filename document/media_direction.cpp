#include "document/media_direction.h"

void MediaDirection::GetVectors() {
  const float angle = static_cast<float>(value) * 3.1415927f / 180.0f;
  D3DXMATRIX rotation;
  D3DXMatrixRotationZ(&rotation, angle);
  const D3DXVECTOR4 unitX(1.0f, 0.0f, 0.0f, 0.0f);
  const D3DXVECTOR4 unitY(0.0f, 1.0f, 0.0f, 0.0f);
  D3DXVec4Transform(&xAxis, &unitX, &rotation);
  D3DXVec4Transform(&yAxis, &unitY, &rotation);
}

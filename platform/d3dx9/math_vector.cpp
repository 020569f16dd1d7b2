// Vector functions. Transforms treat the vector as a row: v' = v x M.
#include <cmath>

#include "d3dx9math.h"

FLOAT WINAPI D3DXVec3Dot(const D3DXVECTOR3* v1, const D3DXVECTOR3* v2) {
  return v1->x * v2->x + v1->y * v2->y + v1->z * v2->z;
}

D3DXVECTOR3* WINAPI D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* v1, const D3DXVECTOR3* v2) {
  const D3DXVECTOR3 r(v1->y * v2->z - v1->z * v2->y, v1->z * v2->x - v1->x * v2->z, v1->x * v2->y - v1->y * v2->x);
  *out = r;
  return out;
}

FLOAT WINAPI D3DXVec3Length(const D3DXVECTOR3* v) { return std::sqrt(D3DXVec3Dot(v, v)); }

D3DXVECTOR3* WINAPI D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
  const FLOAT length = D3DXVec3Length(v);
  // A zero vector has no direction; it stays zero rather than turning into NaNs.
  if (length == 0.0f) {
    *out = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    return out;
  }
  *out = D3DXVECTOR3(v->x / length, v->y / length, v->z / length);
  return out;
}

D3DXVECTOR4* WINAPI D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
  const D3DXVECTOR4 p(*v, 1.0f);
  return D3DXVec4Transform(out, &p, m);
}

D3DXVECTOR3* WINAPI D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
  D3DXVECTOR4 r;
  D3DXVec3Transform(&r, v, m);
  *out = D3DXVECTOR3(r.x / r.w, r.y / r.w, r.z / r.w);
  return out;
}

D3DXVECTOR3* WINAPI D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
  const D3DXVECTOR3 r(v->x * m->_11 + v->y * m->_21 + v->z * m->_31, v->x * m->_12 + v->y * m->_22 + v->z * m->_32,
                      v->x * m->_13 + v->y * m->_23 + v->z * m->_33);
  *out = r;
  return out;
}

D3DXVECTOR4* WINAPI D3DXVec4Transform(D3DXVECTOR4* out, const D3DXVECTOR4* v, const D3DXMATRIX* m) {
  const D3DXVECTOR4 r(v->x * m->_11 + v->y * m->_21 + v->z * m->_31 + v->w * m->_41,
                      v->x * m->_12 + v->y * m->_22 + v->z * m->_32 + v->w * m->_42,
                      v->x * m->_13 + v->y * m->_23 + v->z * m->_33 + v->w * m->_43,
                      v->x * m->_14 + v->y * m->_24 + v->z * m->_34 + v->w * m->_44);
  *out = r;
  return out;
}

// Matrix functions and operators. Products sum their terms left to right in single precision, so
// results are the same on every build (the build forbids fused multiply-adds).
#include <cmath>

#include "d3dx9math.h"

D3DXMATRIX::D3DXMATRIX(const FLOAT* f) {
  for (int i = 0; i < 16; ++i) m[i / 4][i % 4] = f[i];
}

D3DXMATRIX::D3DXMATRIX(FLOAT f11, FLOAT f12, FLOAT f13, FLOAT f14, FLOAT f21, FLOAT f22, FLOAT f23, FLOAT f24,
                       FLOAT f31, FLOAT f32, FLOAT f33, FLOAT f34, FLOAT f41, FLOAT f42, FLOAT f43, FLOAT f44) {
  _11 = f11; _12 = f12; _13 = f13; _14 = f14;
  _21 = f21; _22 = f22; _23 = f23; _24 = f24;
  _31 = f31; _32 = f32; _33 = f33; _34 = f34;
  _41 = f41; _42 = f42; _43 = f43; _44 = f44;
}

namespace {

template <typename Op>
D3DXMATRIX& EachElement(D3DXMATRIX& out, const D3DXMATRIX& a, Op op) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out.m[r][c] = op(a.m[r][c], r, c);
  return out;
}

D3DXMATRIX Zero() {
  D3DXMATRIX z{};
  return z;
}

}  // namespace

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& other) { return *D3DXMatrixMultiply(this, this, &other); }

D3DXMATRIX& D3DXMATRIX::operator+=(const D3DXMATRIX& other) {
  return EachElement(*this, *this, [&](FLOAT v, int r, int c) { return v + other.m[r][c]; });
}

D3DXMATRIX& D3DXMATRIX::operator-=(const D3DXMATRIX& other) {
  return EachElement(*this, *this, [&](FLOAT v, int r, int c) { return v - other.m[r][c]; });
}

D3DXMATRIX& D3DXMATRIX::operator*=(FLOAT f) {
  return EachElement(*this, *this, [&](FLOAT v, int, int) { return v * f; });
}

D3DXMATRIX& D3DXMATRIX::operator/=(FLOAT f) {
  return EachElement(*this, *this, [&](FLOAT v, int, int) { return v / f; });
}

D3DXMATRIX D3DXMATRIX::operator-() const {
  D3DXMATRIX out;
  return EachElement(out, *this, [](FLOAT v, int, int) { return -v; });
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& other) const {
  D3DXMATRIX out;
  return *D3DXMatrixMultiply(&out, this, &other);
}

D3DXMATRIX D3DXMATRIX::operator+(const D3DXMATRIX& other) const { return D3DXMATRIX(*this) += other; }
D3DXMATRIX D3DXMATRIX::operator-(const D3DXMATRIX& other) const { return D3DXMATRIX(*this) -= other; }
D3DXMATRIX D3DXMATRIX::operator*(FLOAT f) const { return D3DXMATRIX(*this) *= f; }
D3DXMATRIX D3DXMATRIX::operator/(FLOAT f) const { return D3DXMATRIX(*this) /= f; }

bool D3DXMATRIX::operator==(const D3DXMATRIX& other) const {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (m[r][c] != other.m[r][c]) return false;
  return true;
}

D3DXMATRIX* WINAPI D3DXMatrixIdentity(D3DXMATRIX* out) {
  *out = Zero();
  out->_11 = out->_22 = out->_33 = out->_44 = 1.0f;
  return out;
}

D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* m1, const D3DXMATRIX* m2) {
  D3DXMATRIX r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[i][j] = m1->m[i][0] * m2->m[0][j] + m1->m[i][1] * m2->m[1][j] + m1->m[i][2] * m2->m[2][j] +
                  m1->m[i][3] * m2->m[3][j];
  *out = r;
  return out;
}

D3DXMATRIX* WINAPI D3DXMatrixTranslation(D3DXMATRIX* out, FLOAT x, FLOAT y, FLOAT z) {
  D3DXMatrixIdentity(out);
  out->_41 = x;
  out->_42 = y;
  out->_43 = z;
  return out;
}

D3DXMATRIX* WINAPI D3DXMatrixScaling(D3DXMATRIX* out, FLOAT sx, FLOAT sy, FLOAT sz) {
  *out = Zero();
  out->_11 = sx;
  out->_22 = sy;
  out->_33 = sz;
  out->_44 = 1.0f;
  return out;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationX(D3DXMATRIX* out, FLOAT angle) {
  const FLOAT c = std::cos(angle), s = std::sin(angle);
  D3DXMatrixIdentity(out);
  out->_22 = c;
  out->_23 = s;
  out->_32 = -s;
  out->_33 = c;
  return out;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationY(D3DXMATRIX* out, FLOAT angle) {
  const FLOAT c = std::cos(angle), s = std::sin(angle);
  D3DXMatrixIdentity(out);
  out->_11 = c;
  out->_13 = -s;
  out->_31 = s;
  out->_33 = c;
  return out;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationZ(D3DXMATRIX* out, FLOAT angle) {
  const FLOAT c = std::cos(angle), s = std::sin(angle);
  D3DXMatrixIdentity(out);
  out->_11 = c;
  out->_12 = s;
  out->_21 = -s;
  out->_22 = c;
  return out;
}

D3DXMATRIX* WINAPI D3DXMatrixInverse(D3DXMATRIX* out, FLOAT* determinant, const D3DXMATRIX* mat) {
  const auto& a = mat->m;
  // 2 x 2 minors of the upper and the lower two rows; every cofactor is a sum of three products.
  const FLOAT s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
  const FLOAT s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
  const FLOAT s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
  const FLOAT s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
  const FLOAT s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
  const FLOAT s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
  const FLOAT c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
  const FLOAT c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
  const FLOAT c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
  const FLOAT c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
  const FLOAT c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
  const FLOAT c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];

  const FLOAT det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
  if (determinant) *determinant = det;
  if (det == 0.0f || !std::isfinite(det)) return nullptr;
  const FLOAT inv = 1.0f / det;

  D3DXMATRIX r;
  r.m[0][0] = (a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3) * inv;
  r.m[0][1] = (-a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3) * inv;
  r.m[0][2] = (a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3) * inv;
  r.m[0][3] = (-a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3) * inv;
  r.m[1][0] = (-a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1) * inv;
  r.m[1][1] = (a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1) * inv;
  r.m[1][2] = (-a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1) * inv;
  r.m[1][3] = (a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1) * inv;
  r.m[2][0] = (a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0) * inv;
  r.m[2][1] = (-a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0) * inv;
  r.m[2][2] = (a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0) * inv;
  r.m[2][3] = (-a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0) * inv;
  r.m[3][0] = (-a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0) * inv;
  r.m[3][1] = (a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0) * inv;
  r.m[3][2] = (-a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0) * inv;
  r.m[3][3] = (a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0) * inv;
  *out = r;
  return out;
}

D3DXMATRIX* WINAPI D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                                      const D3DXVECTOR3* up) {
  D3DXVECTOR3 zaxis = *at - *eye, xaxis, yaxis;
  D3DXVec3Normalize(&zaxis, &zaxis);
  D3DXVec3Cross(&xaxis, up, &zaxis);
  D3DXVec3Normalize(&xaxis, &xaxis);
  D3DXVec3Cross(&yaxis, &zaxis, &xaxis);
  *out = D3DXMATRIX(xaxis.x, yaxis.x, zaxis.x, 0.0f,
                    xaxis.y, yaxis.y, zaxis.y, 0.0f,
                    xaxis.z, yaxis.z, zaxis.z, 0.0f,
                    -D3DXVec3Dot(&xaxis, eye), -D3DXVec3Dot(&yaxis, eye), -D3DXVec3Dot(&zaxis, eye), 1.0f);
  return out;
}

D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, FLOAT fovy, FLOAT aspect, FLOAT zn, FLOAT zf) {
  const FLOAT yscale = 1.0f / std::tan(fovy / 2.0f);
  const FLOAT xscale = yscale / aspect;
  *out = Zero();
  out->_11 = xscale;
  out->_22 = yscale;
  out->_33 = zf / (zf - zn);
  out->_34 = 1.0f;
  out->_43 = -zn * zf / (zf - zn);
  return out;
}

D3DXMATRIX* WINAPI D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* out, FLOAT l, FLOAT r, FLOAT b, FLOAT t, FLOAT zn,
                                              FLOAT zf) {
  D3DXMatrixIdentity(out);
  out->_11 = 2.0f / (r - l);
  out->_22 = 2.0f / (t - b);
  out->_33 = 1.0f / (zf - zn);
  out->_41 = (l + r) / (l - r);
  out->_42 = (t + b) / (b - t);
  out->_43 = zn / (zn - zf);
  return out;
}

D3DXMATRIX* WINAPI D3DXMatrixOrthoOffCenterRH(D3DXMATRIX* out, FLOAT l, FLOAT r, FLOAT b, FLOAT t, FLOAT zn,
                                              FLOAT zf) {
  D3DXMatrixIdentity(out);
  out->_11 = 2.0f / (r - l);
  out->_22 = 2.0f / (t - b);
  out->_33 = 1.0f / (zn - zf);
  out->_41 = (l + r) / (l - r);
  out->_42 = (t + b) / (b - t);
  out->_43 = zn / (zn - zf);
  return out;
}

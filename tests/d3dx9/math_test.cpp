// Matrix and vector functions against values worked out by hand, in the row-vector convention.
#include <gtest/gtest.h>

#include <cmath>

#include "d3dx9math.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kTol = 1e-5f;

void ExpectVec4Near(const D3DXVECTOR4& v, float x, float y, float z, float w, float tol = kTol) {
  EXPECT_NEAR(v.x, x, tol);
  EXPECT_NEAR(v.y, y, tol);
  EXPECT_NEAR(v.z, z, tol);
  EXPECT_NEAR(v.w, w, tol);
}

void ExpectVec3Near(const D3DXVECTOR3& v, float x, float y, float z, float tol = kTol) {
  EXPECT_NEAR(v.x, x, tol);
  EXPECT_NEAR(v.y, y, tol);
  EXPECT_NEAR(v.z, z, tol);
}

void ExpectMatrixNear(const D3DXMATRIX& a, const D3DXMATRIX& b, float tol = kTol) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(a(r, c), b(r, c), tol) << "element " << r + 1 << c + 1;
}

D3DXMATRIX Identity() {
  D3DXMATRIX m;
  return *D3DXMatrixIdentity(&m);
}

struct RotationCase {
  const char* name;
  D3DXMATRIX* (*rotation)(D3DXMATRIX*, FLOAT);
  D3DXVECTOR4 in;
  D3DXVECTOR4 out;  // after a quarter turn
};

TEST(Matrix, QuarterTurnsMoveTheAxesAsDocumented) {
  const RotationCase cases[] = {
      {"Z: x to y", D3DXMatrixRotationZ, {1, 0, 0, 0}, {0, 1, 0, 0}},
      {"Z: y to -x", D3DXMatrixRotationZ, {0, 1, 0, 0}, {-1, 0, 0, 0}},
      {"X: y to z", D3DXMatrixRotationX, {0, 1, 0, 0}, {0, 0, 1, 0}},
      {"X: z to -y", D3DXMatrixRotationX, {0, 0, 1, 0}, {0, -1, 0, 0}},
      {"Y: x to -z", D3DXMatrixRotationY, {1, 0, 0, 0}, {0, 0, -1, 0}},
      {"Y: z to x", D3DXMatrixRotationY, {0, 0, 1, 0}, {1, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    D3DXMATRIX m;
    c.rotation(&m, kPi / 2);
    D3DXVECTOR4 r;
    D3DXVec4Transform(&r, &c.in, &m);
    ExpectVec4Near(r, c.out.x, c.out.y, c.out.z, c.out.w);
  }
}

TEST(Matrix, RotationZRowsAreCosSinThenMinusSinCos) {
  D3DXMATRIX m;
  D3DXMatrixRotationZ(&m, 0.5f);
  const float c = std::cos(0.5f), s = std::sin(0.5f);
  EXPECT_EQ(m, D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1));
}

TEST(Matrix, ProductAppliesLeftFactorFirst) {
  D3DXMATRIX t, r, tr, rt;
  D3DXMatrixTranslation(&t, 1, 0, 0);
  D3DXMatrixRotationZ(&r, kPi / 2);
  D3DXMatrixMultiply(&tr, &t, &r);
  D3DXMatrixMultiply(&rt, &r, &t);
  const D3DXVECTOR3 origin(0, 0, 0);
  D3DXVECTOR3 p;
  // Translate to (1, 0, 0), then turn onto the y axis.
  ExpectVec3Near(*D3DXVec3TransformCoord(&p, &origin, &tr), 0, 1, 0);
  // Turning the origin does nothing, then translate.
  ExpectVec3Near(*D3DXVec3TransformCoord(&p, &origin, &rt), 1, 0, 0);
  ExpectMatrixNear(t * r, tr, 0);
}

TEST(Matrix, MultiplyMayWriteOverAnInput) {
  D3DXMATRIX a(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16), b, expected;
  D3DXMatrixRotationY(&b, 0.3f);
  D3DXMatrixMultiply(&expected, &a, &b);
  D3DXMatrixMultiply(&a, &a, &b);
  EXPECT_EQ(a, expected);
  D3DXMATRIX c(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
  D3DXMatrixMultiply(&expected, &b, &c);
  D3DXMatrixMultiply(&c, &b, &c);
  EXPECT_EQ(c, expected);
}

TEST(Matrix, ProductSumsInOrder) {
  const D3DXMATRIX a(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
  const D3DXMATRIX b(17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32);
  D3DXMATRIX p;
  D3DXMatrixMultiply(&p, &a, &b);
  EXPECT_EQ(p, D3DXMATRIX(250, 260, 270, 280, 618, 644, 670, 696, 986, 1028, 1070, 1112, 1354, 1412, 1470, 1528));
}

TEST(Matrix, ScalingAndTranslationMovePoints) {
  D3DXMATRIX s, t;
  D3DXMatrixScaling(&s, 2, -3, 0.5f);
  D3DXMatrixTranslation(&t, 10, 20, 30);
  const D3DXVECTOR3 v(1, 1, 4);
  D3DXVECTOR3 p;
  ExpectVec3Near(*D3DXVec3TransformCoord(&p, &v, &s), 2, -3, 2);
  ExpectVec3Near(*D3DXVec3TransformCoord(&p, &v, &t), 11, 21, 34);
  // A normal ignores the translation row.
  ExpectVec3Near(*D3DXVec3TransformNormal(&p, &v, &t), 1, 1, 4);
  D3DXVECTOR4 h;
  ExpectVec4Near(*D3DXVec3Transform(&h, &v, &t), 11, 21, 34, 1);
}

TEST(Matrix, InverseOfACameraMatrixIsItsView) {
  // A camera 120 units above the origin, its -z axis pointing straight down.
  D3DXMATRIX camera, view, product;
  D3DXMatrixRotationX(&camera, -kPi / 2);
  camera._41 = 0;
  camera._42 = 120;
  camera._43 = 0;
  float det = 0;
  ASSERT_EQ(D3DXMatrixInverse(&view, &det, &camera), &view);
  EXPECT_NEAR(det, 1.0f, kTol);
  ExpectMatrixNear(*D3DXMatrixMultiply(&product, &camera, &view), Identity());
  const D3DXVECTOR3 eye(0, 120, 0), below(0, 0, 0);
  D3DXVECTOR3 p;
  ExpectVec3Near(*D3DXVec3TransformCoord(&p, &eye, &view), 0, 0, 0, 1e-4f);
  // The point below the eye lies 120 units along the camera's -z axis.
  ExpectVec3Near(*D3DXVec3TransformCoord(&p, &below, &view), 0, 0, -120, 1e-4f);
}

TEST(Matrix, InverseOfAGeneralMatrix) {
  const D3DXMATRIX a(2, 0, 1, 0, 1, 3, 0, 0, 0, 1, 4, 0, 5, 6, 7, 1);
  D3DXMATRIX inv, product;
  float det = 0;
  ASSERT_NE(D3DXMatrixInverse(&inv, &det, &a), nullptr);
  EXPECT_NEAR(det, 25.0f, 1e-4f);
  ExpectMatrixNear(*D3DXMatrixMultiply(&product, &inv, &a), Identity());
}

TEST(Matrix, InverseOfASingularMatrixFailsAndLeavesOutputAlone) {
  D3DXMATRIX singular, out = Identity();
  D3DXMatrixScaling(&singular, 1, 0, 1);
  float det = 7;
  EXPECT_EQ(D3DXMatrixInverse(&out, &det, &singular), nullptr);
  EXPECT_EQ(det, 0.0f);
  EXPECT_EQ(out, Identity());
}

TEST(Matrix, LookAtAlongZIsATranslation) {
  const D3DXVECTOR3 eye(0, 0, -2001), at(0, 0, 0), up(0, 1, 0);
  D3DXMATRIX view, expected = Identity();
  expected._43 = 2001;
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  EXPECT_EQ(view, expected);
}

TEST(Matrix, LookAtFromTheSideTurnsTheWorld) {
  // Looking from +x towards the origin, the camera's right is up x forward = (0, 0, 1).
  const D3DXVECTOR3 eye(5, 0, 0), at(0, 0, 0), up(0, 1, 0);
  D3DXMATRIX view;
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  const D3DXVECTOR3 p(0, 0, 1);
  D3DXVECTOR3 q;
  ExpectVec3Near(*D3DXVec3TransformCoord(&q, &p, &view), 1, 0, 5);
}

TEST(Matrix, PerspectiveFovLH) {
  D3DXMATRIX p;
  D3DXMatrixPerspectiveFovLH(&p, kPi / 4, 2.0f, 1.0f, 3000.0f);
  const float yscale = 1.0f / std::tan(kPi / 8);
  ExpectMatrixNear(p, D3DXMATRIX(yscale / 2, 0, 0, 0, 0, yscale, 0, 0, 0, 0, 3000.0f / 2999.0f, 1, 0, 0,
                                 -3000.0f / 2999.0f, 0));
  D3DXVECTOR3 q;
  const D3DXVECTOR3 near_point(1, 1, 1), far_point(0, 0, 3000);
  // Coordinates are divided by w = z.
  ExpectVec3Near(*D3DXVec3TransformCoord(&q, &near_point, &p), yscale / 2, yscale, 0);
  ExpectVec3Near(*D3DXVec3TransformCoord(&q, &far_point, &p), 0, 0, 1);
}

struct OrthoCase {
  const char* name;
  D3DXMATRIX* (*ortho)(D3DXMATRIX*, FLOAT, FLOAT, FLOAT, FLOAT, FLOAT, FLOAT);
  float l, r, b, t, zn, zf;
  D3DXVECTOR3 in, out;
};

TEST(Matrix, OrthoOffCentreMapsCornersAndDepth) {
  const OrthoCase cases[] = {
      {"LH top-left pixel", D3DXMatrixOrthoOffCenterLH, 0, 800, 600, 0, -5000, 5000, {0, 0, -5000}, {-1, 1, 0}},
      {"LH bottom-right", D3DXMatrixOrthoOffCenterLH, 0, 800, 600, 0, -5000, 5000, {800, 600, 5000}, {1, -1, 1}},
      {"LH centre", D3DXMatrixOrthoOffCenterLH, 0, 800, 600, 0, -5000, 5000, {400, 300, 0}, {0, 0, 0.5f}},
      {"RH near", D3DXMatrixOrthoOffCenterRH, -15, 15, -10, 10, -1, 2000, {-15, 10, 1}, {-1, 1, 0}},
      {"RH far", D3DXMatrixOrthoOffCenterRH, -15, 15, -10, 10, -1, 2000, {15, -10, -2000}, {1, -1, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    D3DXMATRIX m;
    c.ortho(&m, c.l, c.r, c.b, c.t, c.zn, c.zf);
    EXPECT_EQ(m._14, 0.0f);
    EXPECT_EQ(m._44, 1.0f);
    D3DXVECTOR3 q;
    ExpectVec3Near(*D3DXVec3TransformCoord(&q, &c.in, &m), c.out.x, c.out.y, c.out.z);
  }
}

TEST(Vector, NormalizeKeepsAZeroVectorZero) {
  const D3DXVECTOR3 zero(0, 0, 0), v(3, 4, 0);
  D3DXVECTOR3 out(9, 9, 9);
  EXPECT_EQ(*D3DXVec3Normalize(&out, &zero), zero);
  ExpectVec3Near(*D3DXVec3Normalize(&out, &v), 0.6f, 0.8f, 0);
  D3DXVECTOR3 in_place(0, -2, 0);
  EXPECT_EQ(*D3DXVec3Normalize(&in_place, &in_place), D3DXVECTOR3(0, -1, 0));
}

TEST(Vector, DotCrossLength) {
  const D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0), v(3, 4, 12), w(-1, 2, 0.5f);
  D3DXVECTOR3 c;
  EXPECT_EQ(*D3DXVec3Cross(&c, &x, &y), D3DXVECTOR3(0, 0, 1));
  EXPECT_EQ(*D3DXVec3Cross(&c, &y, &x), D3DXVECTOR3(0, 0, -1));
  EXPECT_EQ(D3DXVec3Length(&v), 13.0f);
  EXPECT_EQ(D3DXVec3Dot(&v, &w), 11.0f);
  D3DXVECTOR3 a = v;
  EXPECT_EQ(*D3DXVec3Cross(&a, &a, &w), D3DXVECTOR3(4 * 0.5f - 12 * 2, 12 * -1 - 3 * 0.5f, 3 * 2 - 4 * -1));
}

TEST(Vector, OperatorsWorkComponentwise) {
  const D3DXVECTOR3 a(1, 2, 3), b(4, 5, 6);
  EXPECT_EQ(a + b, D3DXVECTOR3(5, 7, 9));
  EXPECT_EQ(b - a, D3DXVECTOR3(3, 3, 3));
  EXPECT_EQ(2.0f * a, a * 2.0f);
  EXPECT_EQ(b / 2.0f, D3DXVECTOR3(2, 2.5f, 3));
  EXPECT_EQ(-a, D3DXVECTOR3(-1, -2, -3));
  EXPECT_NE(a, b);
  const D3DXVECTOR4 p(1, 2, 3, 4);
  EXPECT_EQ(p * 2.0f - p, p);
  EXPECT_EQ(D3DXVECTOR4(a, 1), D3DXVECTOR4(1, 2, 3, 1));
  const D3DXVECTOR2 u(1, 2), t(0.5f, -1);
  EXPECT_EQ(u + t * 2.0f, D3DXVECTOR2(2, 0));
  EXPECT_EQ(-(u - t) / 0.5f, D3DXVECTOR2(-1, -6));
  // Vertex layouts and stored documents rely on the plain float sizes.
  static_assert(sizeof(D3DXVECTOR2) == 8 && sizeof(D3DXVECTOR3) == 12 && sizeof(D3DXVECTOR4) == 16 &&
                sizeof(D3DXMATRIX) == 64);
}

}  // namespace

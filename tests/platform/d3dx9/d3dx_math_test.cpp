// D3DX math against hand-computed values: shadow matrix, look-at, the
// matrix-stack order of the ...Local operations, transforms and cross products.
#include <gtest/gtest.h>

#include <cmath>

#include "d3dx9.h"

namespace {

void ExpectMatrixNear(const D3DXMATRIX& mat, const float (&Expected)[16], float fTolerance) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(mat.m[i / 4][i % 4], Expected[i], fTolerance) << "element " << i;
}

D3DXVECTOR4 Map(const D3DXMATRIX& mat, float x, float y, float z) {
  D3DXVECTOR4 v;
  const D3DXVECTOR3 vecIn(x, y, z);
  D3DXVec3Transform(&v, &vecIn, &mat);
  return v;
}

TEST(D3dxMath, ShadowMatrixFlattensOntoTheGroundPlaneFromThePointLight) {
  D3DXPLANE plane;
  const D3DXVECTOR3 vecPoint(0, -5, 0), vecNormal(0, 1, 0);
  D3DXPlaneFromPointNormal(&plane, &vecPoint, &vecNormal);
  EXPECT_EQ(plane.a, 0);
  EXPECT_EQ(plane.b, 1);
  EXPECT_EQ(plane.c, 0);
  EXPECT_EQ(plane.d, 5);

  const D3DXVECTOR4 vecLight(50, 100, -70, 1);
  D3DXMATRIX matShadow;
  D3DXMatrixShadow(&matShadow, &vecLight, &plane);
  ExpectMatrixNear(matShadow, {105, 0, 0, 0, -50, 5, 70, -1, 0, 0, 105, 0, -250, -500, 350, 100}, 0);

  struct Case {
    float x, y, z, fExpectX, fExpectY, fExpectZ;
  } Cases[] = {{0, -5, 0, 0, -5, 0}, {0, 0, 0, -2.5f, -5, 3.5f}, {10, 3, -2, 6.701f, -5, 3.608f}};
  for (const Case& c : Cases) {
    const D3DXVECTOR4 v = Map(matShadow, c.x, c.y, c.z);
    EXPECT_GT(v.w, 0) << "a point below the light must stay inside the clip volume";
    EXPECT_NEAR(v.x / v.w, c.fExpectX, 1e-3f);
    EXPECT_NEAR(v.y / v.w, c.fExpectY, 1e-4f);
    EXPECT_NEAR(v.z / v.w, c.fExpectZ, 1e-3f);
  }
}

TEST(D3dxMath, ShadowMatrixNormalisesThePlaneFirst) {
  const D3DXPLANE plane(0, 2, 0, 10);  // the same plane y = -5, scaled
  const D3DXVECTOR4 vecLight(50, 100, -70, 1);
  D3DXMATRIX matShadow;
  D3DXMatrixShadow(&matShadow, &vecLight, &plane);
  EXPECT_FLOAT_EQ(matShadow._11, 105);
  EXPECT_FLOAT_EQ(matShadow._44, 100);
}

TEST(D3dxMath, MultiplyAppliesTheFirstMatrixFirst) {
  const D3DXMATRIX matScale(2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1);
  const D3DXMATRIX matMove(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 0, 0, 1);
  D3DXMATRIX matProduct;
  D3DXMatrixMultiply(&matProduct, &matScale, &matMove);
  EXPECT_FLOAT_EQ(Map(matProduct, 1, 0, 0).x, 7);  // scaled, then moved
  D3DXMatrixMultiply(&matProduct, &matMove, &matScale);
  EXPECT_FLOAT_EQ(Map(matProduct, 1, 0, 0).x, 12);  // moved, then scaled
}

TEST(D3dxMath, LookAtLhPutsTheTargetOnThePositiveZAxis) {
  D3DXMATRIX matView;
  const D3DXVECTOR3 vecEye(-5, 10, -8), vecAt(-4.5f, 0, 0), vecUp(0, 1, 0);
  D3DXMatrixLookAtLH(&matView, &vecEye, &vecAt, &vecUp);
  const D3DXVECTOR4 vecTarget = Map(matView, -4.5f, 0, 0);
  EXPECT_NEAR(vecTarget.x, 0, 1e-5f);
  EXPECT_NEAR(vecTarget.y, 0, 1e-5f);
  EXPECT_NEAR(vecTarget.z, std::sqrt(0.25f + 100 + 64), 1e-4f);
  const D3DXVECTOR4 vecAtEye = Map(matView, -5, 10, -8);
  EXPECT_NEAR(vecAtEye.x, 0, 1e-5f);
  EXPECT_NEAR(vecAtEye.z, 0, 1e-5f);
  // Left-handed: +x of the world stays to the right when looking along +z.
  D3DXMATRIX matFront;
  const D3DXVECTOR3 vecOrigin(0, 0, -1), vecAhead(0, 0, 0);
  D3DXMatrixLookAtLH(&matFront, &vecOrigin, &vecAhead, &vecUp);
  ExpectMatrixNear(matFront, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 1, 1}, 1e-6f);
}

TEST(D3dxMath, TransformKeepsWAndCrossMayAliasItsInput) {
  const D3DXMATRIX matProjective(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0);
  const D3DXVECTOR4 v = Map(matProjective, 2, 4, 2);
  EXPECT_FLOAT_EQ(v.w, 2);
  EXPECT_FLOAT_EQ(v.x, 2);

  D3DXVECTOR3 a(1, 0, 0);
  const D3DXVECTOR3 b(0, 1, 0);
  D3DXVec3Cross(&a, &a, &b);
  EXPECT_FLOAT_EQ(a.x, 0);
  EXPECT_FLOAT_EQ(a.y, 0);
  EXPECT_FLOAT_EQ(a.z, 1);
}

TEST(D3dxMatrixStack, LocalOperationsBuildScaleThenRotateThenTranslate) {
  ID3DXMatrixStack* pStack = nullptr;
  ASSERT_EQ(D3DXCreateMatrixStack(0, &pStack), D3D_OK);
  ExpectMatrixNear(*pStack->GetTop(), {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, 0);

  pStack->LoadIdentity();
  pStack->TranslateLocal(10, 20, 30);
  pStack->RotateYawPitchRollLocal(1.5707964f, 0, 0);
  pStack->ScaleLocal(2, 2, 2);
  // (1, 0, 0) scaled to (2, 0, 0), yawed a quarter turn about y to (0, 0, -2)
  // (Ry rows (c, 0, -s), (0, 1, 0), (s, 0, c)), then moved.
  const D3DXVECTOR4 v = Map(*pStack->GetTop(), 1, 0, 0);
  EXPECT_NEAR(v.x, 10, 1e-5f);
  EXPECT_NEAR(v.y, 20, 1e-5f);
  EXPECT_NEAR(v.z, 28, 1e-5f);

  // Roll first, then pitch, then yaw: (1, 0, 0) rolled a quarter turn goes to
  // (0, 1, 0); pitch a quarter turn takes it to (0, 0, 1); yaw 0 keeps it.
  pStack->LoadIdentity();
  pStack->RotateYawPitchRollLocal(0, 1.5707964f, 1.5707964f);
  const D3DXVECTOR4 w = Map(*pStack->GetTop(), 1, 0, 0);
  EXPECT_NEAR(w.x, 0, 1e-6f);
  EXPECT_NEAR(w.y, 0, 1e-6f);
  EXPECT_NEAR(w.z, 1, 1e-6f);
  EXPECT_EQ(pStack->Release(), 0u);
}

}  // namespace

// Vector, plane and matrix math of D3DX: row vectors on the left (v' = v * M),
// left-handed, single precision.
#include <cmath>

#include "d3dx9.h"

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
  const float x = pV->x, y = pV->y, z = pV->z;
  const D3DXMATRIX& m = *pM;
  *pOut = D3DXVECTOR4(x * m._11 + y * m._21 + z * m._31 + m._41, x * m._12 + y * m._22 + z * m._32 + m._42,
                      x * m._13 + y * m._23 + z * m._33 + m._43, x * m._14 + y * m._24 + z * m._34 + m._44);
  return pOut;
}

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
  // Through a temporary, so pOut may alias either input.
  const D3DXVECTOR3 vecCross(pV1->y * pV2->z - pV1->z * pV2->y, pV1->z * pV2->x - pV1->x * pV2->z,
                             pV1->x * pV2->y - pV1->y * pV2->x);
  *pOut = vecCross;
  return pOut;
}

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* pOut) {
  *pOut = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2) {
  D3DXMATRIX matProduct;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      matProduct.m[i][j] = pM1->m[i][0] * pM2->m[0][j] + pM1->m[i][1] * pM2->m[1][j] +
                           pM1->m[i][2] * pM2->m[2][j] + pM1->m[i][3] * pM2->m[3][j];
    }
  }
  *pOut = matProduct;
  return pOut;
}

static D3DXVECTOR3 Normalised(const D3DXVECTOR3& v) {
  const float fLength = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (fLength == 0.0f) return v;
  return v * (1.0f / fLength);
}

static float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                               const D3DXVECTOR3* pUp) {
  const D3DXVECTOR3 vecZ = Normalised(*pAt - *pEye);
  D3DXVECTOR3 vecX;
  D3DXVec3Cross(&vecX, pUp, &vecZ);
  vecX = Normalised(vecX);
  D3DXVECTOR3 vecY;
  D3DXVec3Cross(&vecY, &vecZ, &vecX);
  *pOut = D3DXMATRIX(vecX.x, vecY.x, vecZ.x, 0,
                     vecX.y, vecY.y, vecZ.y, 0,
                     vecX.z, vecY.z, vecZ.z, 0,
                     -Dot(vecX, *pEye), -Dot(vecY, *pEye), -Dot(vecZ, *pEye), 1);
  return pOut;
}

D3DXPLANE* D3DXPlaneFromPointNormal(D3DXPLANE* pOut, const D3DXVECTOR3* pPoint, const D3DXVECTOR3* pNormal) {
  *pOut = D3DXPLANE(pNormal->x, pNormal->y, pNormal->z, -Dot(*pPoint, *pNormal));
  return pOut;
}

D3DXMATRIX* D3DXMatrixShadow(D3DXMATRIX* pOut, const D3DXVECTOR4* pLight, const D3DXPLANE* pPlane) {
  // The plane is normalised first so that (a, b, c) has unit length. With
  // k = P.L the matrix is k*I - P*L: every point v goes to k*v - (v.P)*L, where
  // the ray from the light through v meets the plane. The opposite sign maps
  // to the same points but leaves w negative for everything on the light's
  // side of the plane, which the clip volume (0 <= z <= w) would reject whole.
  const float fLength = std::sqrt(pPlane->a * pPlane->a + pPlane->b * pPlane->b + pPlane->c * pPlane->c);
  const float fScale = fLength == 0.0f ? 1.0f : 1.0f / fLength;
  const float Plane[4] = {pPlane->a * fScale, pPlane->b * fScale, pPlane->c * fScale, pPlane->d * fScale};
  const float Light[4] = {pLight->x, pLight->y, pLight->z, pLight->w};
  const float k = Plane[0] * Light[0] + Plane[1] * Light[1] + Plane[2] * Light[2] + Plane[3] * Light[3];
  D3DXMATRIX matShadow;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      matShadow.m[i][j] = (i == j ? k : 0.0f) - Plane[i] * Light[j];
    }
  }
  *pOut = matShadow;
  return pOut;
}

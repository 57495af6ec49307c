#include "render/shadow.h"

#include "core/globals.h"
#include "render/lights.h"

D3DXPLANE plane;
D3DXMATRIX matShadow;
D3DXMATRIX matShadowFinal;
// w = 1: a point light, not a direction.
const D3DXVECTOR4 vecShadowLight(50.0f, 100.0f, -70.0f, 1.0f);
PendingVertexRecord PendingVertex;
MeshVertex* pMirrorTarget = nullptr;
int iMirrorCursor = 0;

static void DrawSurface() {
  pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, static_cast<UINT>(iGridVertexCount), 0,
                                static_cast<UINT>(kGridTriangles));
}

static void EnableSurfaceLights(BOOL bEnable) {
  for (DWORD i = 0; i < static_cast<DWORD>(kLightCount); i++) pDevice->LightEnable(i, bEnable);
}

void DrawSurfaceWithShadow(const D3DXMATRIX* world) {
  pDevice->SetTransform(D3DTS_WORLD, world);
  EnableSurfaceLights(TRUE);
  DrawSurface();

  const D3DXVECTOR3 vecGroundPoint(0.0f, -5.0f, 0.0f);
  const D3DXVECTOR3 vecGroundNormal(0.0f, 1.0f, 0.0f);
  D3DXPlaneFromPointNormal(&plane, &vecGroundPoint, &vecGroundNormal);
  D3DXMatrixShadow(&matShadow, &vecShadowLight, &plane);
  // World first, then the flattening: plane and light are in world space.
  D3DXMatrixMultiply(&matShadowFinal, world, &matShadow);
  pDevice->SetTransform(D3DTS_WORLD, &matShadowFinal);
  EnableSurfaceLights(FALSE);
  DrawSurface();
}

void EmitMirroredVertex() {
  MeshVertex& original = pMirrorTarget[iMirrorCursor];
  original.vecPos = D3DXVECTOR3(PendingVertex.fPosX, PendingVertex.fPosY, PendingVertex.fPosZ);
  original.vecNormal = D3DXVECTOR3(PendingVertex.fNormalX, PendingVertex.fNormalY, PendingVertex.fNormalZ);
  MeshVertex& mirror = pMirrorTarget[iMirrorCursor + iGridVertexCount];
  mirror.vecPos = original.vecPos * -1.175f;
  mirror.vecNormal = original.vecNormal;
}

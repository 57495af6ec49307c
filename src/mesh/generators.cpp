#include "mesh/generators.h"

#include "mesh/mesh_store.h"
#include "mesh/normals.h"
#include "mesh/scalar_math.h"
#include "mesh/upload.h"

void BuildGrid(float size, int n, IDirect3DIndexBuffer9** ppIndexBuffer, IDirect3DVertexBuffer9** ppVertexBuffer,
               PartRecord* pPart) {
  if (n < 1 || n > kMaxGridCells) return;
  ResetMesh();
  CurrentVertex.vecPos.y = 0.0f;
  for (int i = 0; i <= n; i++) {
    for (int j = 0; j <= n; j++) {
      CurrentVertex.vecPos.x = -size * 0.5f + (static_cast<float>(j) * size) / static_cast<float>(n);
      CurrentVertex.vecPos.z = -size * 0.5f + (static_cast<float>(i) * size) / static_cast<float>(n);
      CurrentVertex.fU = static_cast<float>(j);
      CurrentVertex.fV = static_cast<float>(i);
      if (i >= 1 && j >= 1) {
        int v = iVertexCount;
        AddTriangle(v, v - n - 1, v - 1);
        AddTriangle(v - 1, v - n - 1, v - n - 2);
      }
      EmitVertex();
    }
  }
  CalcNormals();
  UploadMesh(ppIndexBuffer, ppVertexBuffer, pPart, 0);
}

void BuildEllipsoid(float a, float b, float c, int n, IDirect3DIndexBuffer9** ppIndexBuffer,
                    IDirect3DVertexBuffer9** ppVertexBuffer, PartRecord* pPart) {
  if (n < 1 || n > kMaxEllipsoidRings) return;
  // Zero and NaN compare false: not mirrored.
  const bool bMirrored = a * b * c < 0.0f;
  ResetMesh();
  const int m = 2 * n + 1;
  const float fStep = 3.1415927f / static_cast<float>(n);
  for (int i = 0; i <= n; i++) {
    float fPhi = fStep * static_cast<float>(i);
    float fCosPhi = CosF(fPhi);
    float fSinPhi = SinF(fPhi);
    for (int j = 0; j < m; j++) {
      float fTheta = fStep * static_cast<float>(j);
      CurrentVertex.vecPos = D3DXVECTOR3(SinF(fTheta) * fSinPhi * a, fCosPhi * c, CosF(fTheta) * fSinPhi * b);
      CurrentVertex.fU = (static_cast<float>(j) * 0.5f) / static_cast<float>(n);
      CurrentVertex.fV = static_cast<float>(i) / static_cast<float>(n);
      if (i >= 1 && j >= 1) {
        int v0 = iVertexCount, v1 = v0 - 1, v2 = v0 - m, v3 = v0 - m - 1;
        if (bMirrored) {
          AddTriangle(v1, v2, v0);
          AddTriangle(v3, v2, v1);
        } else {
          AddTriangle(v0, v2, v1);
          AddTriangle(v1, v2, v3);
        }
      }
      EmitVertex();
    }
    // The ring's last vertex (theta = 2 pi) sits on its first.
    AddSeamPair(iVertexCount - 1, iVertexCount - m);
  }
  CalcNormals();
  UploadMesh(ppIndexBuffer, ppVertexBuffer, pPart, 0);
}

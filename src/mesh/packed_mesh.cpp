#include "mesh/packed_mesh.h"

#include "mesh/mesh_store.h"
#include "mesh/normals.h"
#include "mesh/subdivide.h"
#include "mesh/upload.h"

void BuildPackedMesh(int iNumVertices, const int8_t* pVertexBytes, int iNumFaces, const uint8_t* pFaceBytes,
                     const D3DXVECTOR3* pvecScale, int iSteps, IDirect3DIndexBuffer9** ppIndexBuffer,
                     IDirect3DVertexBuffer9** ppVertexBuffer, PartRecord* pPart) {
  ResetMesh();
  // Zero and NaN compare false: not mirrored.
  const bool bMirrored = pvecScale->x * pvecScale->y * pvecScale->z < 0.0f;
  for (int i = 0; i < iNumVertices; i++) {
    const int8_t* pXyz = pVertexBytes + 3 * i;
    CurrentVertex.vecPos = D3DXVECTOR3((static_cast<float>(pXyz[0]) * pvecScale->x) / 128.0f,
                                       (static_cast<float>(pXyz[1]) * pvecScale->y) / 128.0f,
                                       (static_cast<float>(pXyz[2]) * pvecScale->z) / 128.0f);
    EmitVertex();
  }
  for (int f = 0; f < iNumFaces; f++) {
    const uint8_t* pCorners = pFaceBytes + 3 * f;
    int i0 = pCorners[0], i1 = pCorners[1], i2 = pCorners[2];
    if (i0 >= iNumVertices || i1 >= iNumVertices || i2 >= iNumVertices) continue;
    if (bMirrored) {
      AddTriangle(i2, i1, i0);
    } else {
      AddTriangle(i0, i1, i2);
    }
  }
  for (int s = 0; s < iSteps; s++) SubdivideMesh();
  CalcNormals();
  UploadMesh(ppIndexBuffer, ppVertexBuffer, pPart, 0);
}

#include "mesh/mesh_tables.h"

#include "mesh/mesh_store.h"
#include "mesh/normals.h"
#include "mesh/upload.h"

MeshVertex LoadedVertices[kMaxLoadedVertices];
int iLoadedVertexCount = 0;
int iLoadedNormalCount = 0;
int LoadedTriangles[kMaxLoadedTriangles][3];
int iLoadedTriangleCount = 0;
D3DXVECTOR3 vecLoadedHalfExtents;

void BuildMeshFromTables(int iNumVertices, const MeshVertex* pVertexTable, int iNumFaces, const int (*pFaceTable)[3],
                         const D3DXVECTOR3* pvecScale, unsigned char bCalcNormals,
                         IDirect3DIndexBuffer9** ppIndexBuffer, IDirect3DVertexBuffer9** ppVertexBuffer,
                         PartRecord* pPart) {
  ResetMesh();
  // A NaN product compares false and so counts as not mirrored.
  const bool bMirrored = pvecScale->x * pvecScale->y * pvecScale->z < 0.0f;

  for (int i = 0; i < iNumVertices; ++i) {
    CurrentVertex = pVertexTable[i];
    EmitVertex();
  }
  for (int i = 0; i < iNumFaces; ++i) {
    const int* Face = pFaceTable[i];
    if (bMirrored)
      AddTriangle(Face[2], Face[1], Face[0]);
    else
      AddTriangle(Face[0], Face[1], Face[2]);
  }
  if (bMeshOverflow) return;

  if (bCalcNormals) CalcNormals();
  UploadMesh(ppIndexBuffer, ppVertexBuffer, pPart, 0);
}

void BuildLoadedMesh(int slot) {
  if (iLoadedTriangleCount == 0 || iLoadedVertexCount == 0) return;
  // The slot doubles as the part number; a build too big for the mesh store
  // would stop half-way, so it must not cost the slot its old buffers.
  if (slot < 0 || slot >= kMaxParts) return;
  if (iLoadedVertexCount > kMaxVertices || iLoadedTriangleCount > kMaxIndices / 3) return;

  if (IndexBuffers[slot] != nullptr) {
    IndexBuffers[slot]->Release();
    IndexBuffers[slot] = nullptr;
  }
  if (VertexBuffers[slot] != nullptr) {
    VertexBuffers[slot]->Release();
    VertexBuffers[slot] = nullptr;
  }

  BuildMeshFromTables(iLoadedVertexCount, LoadedVertices, iLoadedTriangleCount, LoadedTriangles,
                      &vecLoadedHalfExtents, 1, &IndexBuffers[slot], &VertexBuffers[slot], &MeshParts[slot]);

  Models[slot].iPartCount = 1;
  Models[slot].iFirstPart = slot;
}

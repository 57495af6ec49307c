#include "mesh/normals.h"

#include "mesh/mesh_store.h"

void CalcNormals() {
  for (int i = 0; i < iVertexCount; ++i) Vertices[i].vecNormal = D3DXVECTOR3(0.0f, 0.0f, 0.0f);

  D3DXVECTOR3 vec1, vec2, vecN;
  for (int t = 0; 3 * t < iIndexCount; ++t) {
    MeshVertex& A = Vertices[Indices[3 * t]];
    MeshVertex& B = Vertices[Indices[3 * t + 1]];
    MeshVertex& C = Vertices[Indices[3 * t + 2]];
    vec1 = B.vecPos - A.vecPos;
    vec2 = C.vecPos - A.vecPos;
    D3DXVec3Cross(&vecN, &vec1, &vec2);
    A.vecNormal += vecN;
    B.vecNormal += vecN;
    C.vecNormal += vecN;
  }

  // Pairs run in list order, each seeing the sums of the pairs before it.
  for (int k = 0; 2 * k < iSeamCount; ++k) {
    D3DXVECTOR3& vecP = Vertices[SeamPairs[2 * k]].vecNormal;
    D3DXVECTOR3& vecQ = Vertices[SeamPairs[2 * k + 1]].vecNormal;
    vecQ.x = vecP.x + vecQ.x;
    vecP.x = vecQ.x;
    vecQ.y = vecP.y + vecQ.y;
    vecP.y = vecQ.y;
    vecQ.z = vecP.z + vecQ.z;
    vecP.z = vecQ.z;
  }
}

// Area-weighted normals and seam pairs, which share sums in list order.
#include "mesh/normals.h"

#include "engine_fixture.h"

using Normals = EngineFixture;

namespace {

void Emit(float x, float y, float z) {
  CurrentVertex = MakeVertex(x, y, z);
  CurrentVertex.vecNormal = D3DXVECTOR3(9, 9, 9);  // stale values CalcNormals must clear
  EmitVertex();
}

}  // namespace

TEST_F(Normals, SingleTriangleAndUnusedAndDegenerateVertices) {
  Emit(0, 0, 0);
  Emit(1, 0, 0);
  Emit(0, 1, 0);
  Emit(5, 5, 5);  // used by no triangle
  Emit(2, 2, 0);  // collinear with vertex 0 and 5
  Emit(4, 4, 0);
  AddTriangle(0, 1, 2);
  AddTriangle(0, 4, 5);  // collinear corners
  AddTriangle(3, 3, 2);  // two equal indices
  CalcNormals();
  for (int i : {0, 1, 2}) ExpectVector(Vertices[i].vecNormal, 0, 0, 1);
  for (int i : {3, 4, 5}) ExpectVector(Vertices[i].vecNormal, 0, 0, 0);

  ResetMesh();  // an empty mesh changes nothing
  Vertices[0].vecNormal = D3DXVECTOR3(9, 9, 9);
  CalcNormals();
  ExpectVector(Vertices[0].vecNormal, 9, 9, 9);
}

TEST_F(Normals, LargerTrianglesWeighMoreAndWindingSetsTheDirection) {
  Emit(0, 0, 0);
  Emit(2, 0, 0);
  Emit(0, 2, 0);
  Emit(0, 0, 1);
  AddTriangle(0, 1, 2);  // area 2 facing +z: (0, 0, 4)
  AddTriangle(0, 3, 1);  // area 1 facing +y: (0, 2, 0)
  CalcNormals();
  ExpectVector(Vertices[0].vecNormal, 0, 2, 4);
  ExpectVector(Vertices[1].vecNormal, 0, 2, 4);
  ExpectVector(Vertices[2].vecNormal, 0, 0, 4);
  ExpectVector(Vertices[3].vecNormal, 0, 2, 0);
}

TEST_F(Normals, SeamPairsSumAndChainedPairsFollowListOrder) {
  // Three triangles give vertices 0, 3 and 6 distinct normals A, B and C.
  Emit(0, 0, 0), Emit(1, 0, 0), Emit(0, 1, 0);
  Emit(0, 0, 0), Emit(0, 0, 2), Emit(2, 0, 0);
  Emit(0, 0, 0), Emit(0, 3, 0), Emit(0, 0, 3);
  AddTriangle(0, 1, 2);
  AddTriangle(3, 4, 5);
  AddTriangle(6, 7, 8);
  CalcNormals();
  const D3DXVECTOR3 A = Vertices[0].vecNormal, B = Vertices[3].vecNormal, C = Vertices[6].vecNormal;
  ExpectVector(A, 0, 0, 1);
  ExpectVector(B, 0, 4, 0);
  ExpectVector(C, 9, 0, 0);

  AddSeamPair(0, 3);
  AddSeamPair(3, 6);
  CalcNormals();
  ExpectVector(Vertices[0].vecNormal, 0, 4, 1);  // A + B
  ExpectVector(Vertices[3].vecNormal, 9, 4, 1);  // A + B + C
  ExpectVector(Vertices[6].vecNormal, 9, 4, 1);
}

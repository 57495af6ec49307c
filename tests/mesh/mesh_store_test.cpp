// The mesh store: emission through the stack's top, 16-bit index appends and
// the capacity stop that keeps every append inside its array.
#include "engine_fixture.h"

using MeshStore = EngineFixture;

TEST_F(MeshStore, EmissionCopiesTheVertexAndDividesItsPositionByW) {
  CurrentVertex.vecPos = D3DXVECTOR3(1.5f, -2.0f, 3.25f);
  CurrentVertex.vecNormal = D3DXVECTOR3(0.0f, 4.0f, 0.0f);
  CurrentVertex.fU = 0.25f;
  CurrentVertex.fV = 0.75f;
  EmitVertex();
  EXPECT_EQ(std::memcmp(&Vertices[0], &CurrentVertex, sizeof(MeshVertex)), 0);

  // w = x + 1 from the fourth column, after a translation by (2, 0, 0).
  *MatrixStack->GetTop() = D3DXMATRIX(1, 0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 2, 0, 0, 1);
  ResetMesh();
  CurrentVertex.vecPos = D3DXVECTOR3(1.0f, 4.0f, 6.0f);
  EmitVertex();
  ASSERT_EQ(iVertexCount, 1);
  ExpectVector(Vertices[0].vecPos, 3.0f / 2.0f, 4.0f / 2.0f, 6.0f / 2.0f);
  ExpectVector(Vertices[0].vecNormal, 0.0f, 4.0f, 0.0f);  // normals are not transformed
  EXPECT_EQ(Vertices[0].fU, 0.25f);                       // the reset kept the current vertex
}

TEST_F(MeshStore, TrianglesAndSeamPairsKeepTheLowSixteenBitsInOrder) {
  AddTriangle(1, 2, 3);
  EXPECT_EQ(iIndexCount, 3);
  AddTriangle(65536 + 7, -1, 70000);
  AddSeamPair(4, 65536 + 5);
  AddSeamPair(-2, 9);
  ASSERT_EQ(iIndexCount, 6);
  ASSERT_EQ(iSeamCount, 4);
  const uint16_t ExpectedIndices[] = {1, 2, 3, 7, 65535, 70000 - 65536};
  const uint16_t ExpectedPairs[] = {4, 5, 65534, 9};
  EXPECT_EQ(std::memcmp(Indices, ExpectedIndices, sizeof ExpectedIndices), 0);
  EXPECT_EQ(std::memcmp(SeamPairs, ExpectedPairs, sizeof ExpectedPairs), 0);
}

TEST_F(MeshStore, AppendsPastACapacityStopTheBuildInsteadOfWritingOn) {
  for (int i = 0; i < kMaxVertices; ++i) EmitVertex();
  for (int t = 0; t < kMaxIndices / 3; ++t) AddTriangle(t, t, t);
  for (int k = 0; k < kMaxSeamEntries / 2; ++k) AddSeamPair(k, k);
  EXPECT_FALSE(bMeshOverflow);  // exactly full is allowed

  EmitVertex();
  EXPECT_TRUE(bMeshOverflow);
  EXPECT_EQ(iVertexCount, kMaxVertices);
  ResetMesh();
  EXPECT_FALSE(bMeshOverflow);

  iIndexCount = kMaxIndices;
  AddTriangle(1, 2, 3);
  EXPECT_EQ(iIndexCount, kMaxIndices);
  EXPECT_TRUE(bMeshOverflow);

  iSeamCount = kMaxSeamEntries;
  AddSeamPair(1, 2);
  EXPECT_EQ(iSeamCount, kMaxSeamEntries);
}

#include <random>
#include <vector>

#include "mesh/subdivide.h"
#include "engine_fixture.h"

namespace {

class SubdivideTest : public EngineFixture {};

TEST_F(SubdivideTest, OneTriangleSplitsIntoFourWithBoundaryRules) {
  AddVertex(0, 0, 0);
  AddVertex(16, 0, 0);
  AddVertex(0, 16, 0);
  AddTriangle(0, 1, 2);
  SubdivideMesh();
  EXPECT_EQ(iVertexCount, 6);
  ExpectIndices({0, 3, 5, 1, 4, 3, 2, 5, 4, 3, 4, 5});
  ASSERT_EQ(iEdgeCount, 3);
  EXPECT_EQ(EdgeTable[0].iKey, 1 << 16 | 0);
  EXPECT_EQ(EdgeTable[1].iKey, 2 << 16 | 1);
  EXPECT_EQ(EdgeTable[2].iKey, 2 << 16 | 0);
  EXPECT_EQ(EdgeTable[3].iKey, -1);
  // Valence 2: 3/16 of each neighbour, 5/8 of itself.
  ExpectVectorNear(Vertices[0].vecPos, 3, 3, 0);
  ExpectVectorNear(Vertices[1].vecPos, 10, 3, 0);
  ExpectVectorNear(Vertices[2].vecPos, 3, 10, 0);
  ExpectVectorNear(Vertices[3].vecPos, 8, 0, 0);
  ExpectVectorNear(Vertices[4].vecPos, 8, 8, 0);
  ExpectVectorNear(Vertices[5].vecPos, 0, 8, 0);
}

TEST_F(SubdivideTest, SharedEdgeUsesOppositeVerticesAndValenceThreeWeights) {
  AddVertex(0, 0, 0);
  AddVertex(16, 0, 0);
  AddVertex(16, 16, 0);
  AddVertex(0, 16, 0);
  AddTriangle(0, 1, 2);
  AddTriangle(0, 2, 3);
  SubdivideMesh();
  ASSERT_EQ(iEdgeCount, 5);
  const int kKeys[5] = {1 << 16 | 0, 2 << 16 | 1, 2 << 16 | 0, 3 << 16 | 2, 3 << 16 | 0};
  for (int e = 0; e < 5; e++) EXPECT_EQ(EdgeTable[e].iKey, kKeys[e]) << e;
  EXPECT_EQ(EdgeTable[2].iShare, 1);
  EXPECT_EQ(EdgeTable[2].iOpposite[0], 1);
  EXPECT_EQ(EdgeTable[2].iOpposite[1], 3);
  EXPECT_EQ(EdgeTable[0].iShare, 0);
  EXPECT_EQ(EdgeTable[0].iOpposite[1], -1);
  EXPECT_EQ(iVertexCount, 9);
  // (3 (p0 + p2) + p1 + p3) / 8
  ExpectVectorNear(Vertices[4 + 2].vecPos, 8, 8, 0);
  // Valence 3: 7/16 of itself and 3/16 of each of 1, 2, 3.
  ExpectVectorNear(Vertices[0].vecPos, 6, 6, 0);
  // Valence 2: 5/8 of itself and 3/16 of each of 0, 2.
  ExpectVectorNear(Vertices[1].vecPos, 13, 3, 0);
  ExpectIndices({0, 4, 6, 1, 5, 4, 2, 6, 5, 4, 5, 6, 0, 6, 8, 2, 7, 6, 3, 8, 7, 6, 7, 8});
}

TEST_F(SubdivideTest, EdgeOfThreeTrianglesIsAveragedAndKeepsFirstTwoOpposites) {
  AddVertex(0, 0, 0);
  AddVertex(8, 0, 0);
  AddVertex(4, 8, 0);
  AddVertex(4, -8, 0);
  AddVertex(4, 0, 8);
  AddTriangle(0, 1, 2);
  AddTriangle(1, 0, 3);
  AddTriangle(0, 1, 4);
  SubdivideMesh();
  EXPECT_EQ(EdgeTable[0].iShare, 2);
  EXPECT_EQ(EdgeTable[0].iOpposite[0], 2);
  EXPECT_EQ(EdgeTable[0].iOpposite[1], 3);
  ExpectVectorNear(Vertices[5].vecPos, 4, 0, 0);
}

TEST_F(SubdivideTest, RepeatedStepsKeepSeamPairs) {
  AddVertex(0, 0, 0);
  AddVertex(1, 0, 0);
  AddVertex(0, 1, 0);
  AddTriangle(0, 1, 2);
  AddSeamPair(2, 0);
  SubdivideMesh();
  SubdivideMesh();
  EXPECT_EQ(iIndexCount, 16 * 3);
  EXPECT_EQ(iVertexCount, 15);
  ASSERT_EQ(iSeamCount, 2);
  EXPECT_EQ(SeamPairs[0], 2);
  EXPECT_EQ(SeamPairs[1], 0);
}

TEST_F(SubdivideTest, UnusedVertexKeepsItsPosition) {
  AddVertex(0, 0, 0);
  AddVertex(5, 6, 7);
  AddVertex(16, 0, 0);
  AddVertex(0, 16, 0);
  AddTriangle(0, 2, 3);
  SubdivideMesh();
  EXPECT_EQ(iVertexCount, 7);
  ExpectVectorNear(Vertices[1].vecPos, 5, 6, 7, 0.0f);
  ExpectVectorNear(Vertices[0].vecPos, 3, 3, 0);
}

// Fills the store with iVertices random vertices and iTriangles random
// triangles over those from iFirstCorner on: many shared edges, some used by
// three or more triangles, some degenerate.
void RandomMesh(std::mt19937& Random, int iVertices, int iTriangles, int iFirstCorner) {
  std::uniform_int_distribution<int> Corner(iFirstCorner, iVertices - 1);
  std::uniform_real_distribution<float> Coordinate(-10.0f, 10.0f);
  ResetMesh();
  for (int i = 0; i < iVertices; i++) {
    CurrentVertex.vecPos = D3DXVECTOR3(Coordinate(Random), Coordinate(Random), Coordinate(Random));
    EmitVertex();
  }
  for (int t = 0; t < iTriangles; t++) AddTriangle(Corner(Random), Corner(Random), Corner(Random));
}

struct StoreSnapshot {
  std::vector<uint8_t> VertexBytes;
  std::vector<uint16_t> IndexEntries;
  std::vector<EdgeEntry> Edges;
};

StoreSnapshot Snapshot() {
  const auto* pBytes = reinterpret_cast<const uint8_t*>(Vertices);
  StoreSnapshot s;
  s.VertexBytes.assign(pBytes, pBytes + iVertexCount * sizeof(MeshVertex));
  s.IndexEntries.assign(Indices, Indices + iIndexCount);
  s.Edges.assign(EdgeTable, EdgeTable + iEdgeCount);
  return s;
}

TEST_F(SubdivideTest, HashedLookupNumbersEdgesAsTheLinearScan) {
  const struct { int iVertices, iTriangles, iFirstCorner; } kMeshes[] = {
      {3, 1, 0}, {6, 20, 0}, {40, 300, 0}, {200, 1500, 0}, {2000, 3000, 0}, {64000, 400, 63000}};
  // Each mesh runs through both lookups from the same store content. The last
  // one uses only vertex numbers above 32767, whose keys are negative.
  std::mt19937 Seeds(99);
  for (const auto& mesh : kMeshes) {
    std::mt19937 Random1(Seeds());
    std::mt19937 Random2 = Random1;
    RandomMesh(Random1, mesh.iVertices, mesh.iTriangles, mesh.iFirstCorner);
    SubdivideMeshByLinearScan();
    StoreSnapshot Linear = Snapshot();
    RandomMesh(Random2, mesh.iVertices, mesh.iTriangles, mesh.iFirstCorner);
    SubdivideMesh();
    StoreSnapshot Hashed = Snapshot();
    EXPECT_EQ(Hashed.VertexBytes, Linear.VertexBytes) << mesh.iTriangles;
    EXPECT_EQ(Hashed.IndexEntries, Linear.IndexEntries) << mesh.iTriangles;
    ASSERT_EQ(Hashed.Edges.size(), Linear.Edges.size());
    for (size_t e = 0; e < Linear.Edges.size(); e++) {
      EXPECT_EQ(Hashed.Edges[e].iKey, Linear.Edges[e].iKey);
      EXPECT_EQ(Hashed.Edges[e].iShare, Linear.Edges[e].iShare);
      EXPECT_EQ(Hashed.Edges[e].iOpposite[0], Linear.Edges[e].iOpposite[0]);
      EXPECT_EQ(Hashed.Edges[e].iOpposite[1], Linear.Edges[e].iOpposite[1]);
    }
  }
}

TEST_F(SubdivideTest, StepThatWouldOverflowTheStoreIsRefused) {
  // Too many index entries: 16385 triangles.
  AddVertex(0, 0, 0);
  AddVertex(1, 0, 0);
  AddVertex(0, 1, 0);
  for (int t = 0; t <= kMaxSubdivideIndices / 3; t++) AddTriangle(0, 1, 2);
  StoreSnapshot Before = Snapshot();
  SubdivideMesh();
  EXPECT_EQ(static_cast<size_t>(iIndexCount), Before.IndexEntries.size());
  EXPECT_EQ(Snapshot().VertexBytes, Before.VertexBytes);

  // Vertices plus edges above the store: 60000 vertices, 6000 distinct edges.
  ResetMesh();
  for (int i = 0; i < 60000; i++) AddVertex(static_cast<float>(i), 0, 0);
  for (int t = 0; t < 2000; t++) AddTriangle(3 * t, 3 * t + 1, 3 * t + 2);
  Before = Snapshot();
  SubdivideMesh();
  EXPECT_EQ(iVertexCount, 60000);
  EXPECT_EQ(Snapshot().IndexEntries, Before.IndexEntries);
  EXPECT_EQ(Snapshot().VertexBytes, Before.VertexBytes);

  // Exactly filling the store is allowed.
  ResetMesh();
  for (int i = 0; i < 59536; i++) AddVertex(static_cast<float>(i), 0, 0);
  for (int t = 0; t < 2000; t++) AddTriangle(3 * t, 3 * t + 1, 3 * t + 2);
  SubdivideMesh();
  EXPECT_EQ(iVertexCount, kMaxVertices);
  EXPECT_EQ(iIndexCount, 24000);
}

}  // namespace

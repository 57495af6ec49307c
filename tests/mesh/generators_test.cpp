#include <cmath>

#include "mesh/generators.h"
#include "mesh/packed_mesh.h"
#include "engine_fixture.h"

namespace {

class GeneratorTest : public EngineFixture {};

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

TEST_F(GeneratorTest, GridOfOneCell) {
  BuildGrid(2.0f, 1, &pIndexBuffer, &pVertexBuffer, &Part);
  ASSERT_EQ(iVertexCount, 4);
  const float kExpected[4][5] = {{-1, 0, -1, 0, 0}, {1, 0, -1, 1, 0}, {-1, 0, 1, 0, 1}, {1, 0, 1, 1, 1}};
  const float kNormalY[4] = {4, 8, 8, 4};
  for (int i = 0; i < 4; i++) {
    ExpectVectorNear(Vertices[i].vecPos, kExpected[i][0], kExpected[i][1], kExpected[i][2], 0.0f);
    EXPECT_EQ(Vertices[i].fU, kExpected[i][3]);
    EXPECT_EQ(Vertices[i].fV, kExpected[i][4]);
    ExpectVectorNear(Vertices[i].vecNormal, 0, kNormalY[i], 0, 0.0f);
  }
  ExpectIndices({3, 1, 2, 2, 1, 0});
  EXPECT_EQ(iSeamCount, 0);
  EXPECT_EQ(Part.iNumVertices, 4);
  EXPECT_EQ(Part.iNumIndices, 6);
  ASSERT_NE(pIndexBuffer, nullptr);
  EXPECT_EQ(Device.BytesOf(pIndexBuffer).size(), 12u);
}

TEST_F(GeneratorTest, GridNormalsFaceUpForEitherSignOfSize) {
  for (float fSize : {3.0f, -3.0f}) {
    BuildGrid(fSize, 4, &pIndexBuffer, &pVertexBuffer, &Part);
    for (int i = 0; i < iVertexCount; i++) {
      EXPECT_GT(Vertices[i].vecNormal.y, 0.0f) << fSize << " vertex " << i;
    }
    ExpectVectorNear(Vertices[24].vecPos, fSize * 0.5f, 0, fSize * 0.5f);
  }
}

TEST_F(GeneratorTest, EllipsoidOfOneRingStep) {
  BuildEllipsoid(1.0f, 2.0f, 3.0f, 1, &pIndexBuffer, &pVertexBuffer, &Part);
  ASSERT_EQ(iVertexCount, 6);
  ExpectIndices({4, 1, 3, 3, 1, 0, 5, 2, 4, 4, 2, 1});
  ASSERT_EQ(iSeamCount, 4);
  EXPECT_EQ(SeamPairs[0], 2);
  EXPECT_EQ(SeamPairs[1], 0);
  EXPECT_EQ(SeamPairs[2], 5);
  EXPECT_EQ(SeamPairs[3], 3);
  ExpectVectorNear(Vertices[0].vecPos, 0, 3, 0);
  ExpectVectorNear(Vertices[4].vecPos, 0, -3, 0);
  EXPECT_EQ(Vertices[1].fU, 0.5f);
  EXPECT_EQ(Vertices[5].fU, 1.0f);
  EXPECT_EQ(Vertices[4].fV, 1.0f);

  BuildEllipsoid(-1.0f, 2.0f, 3.0f, 1, &pIndexBuffer, &pVertexBuffer, &Part);
  ExpectIndices({3, 1, 4, 0, 1, 3, 4, 2, 5, 1, 2, 4});
}

TEST_F(GeneratorTest, UnitEllipsoidIsASphereWithOutwardNormalsMirroredOrNot) {
  const float kRadii[][3] = {{1, 1, 1}, {-1, 1, 1}, {1, -1, 1}, {-1, -1, -1}};
  for (const auto& r : kRadii) {
    BuildEllipsoid(r[0], r[1], r[2], 8, &pIndexBuffer, &pVertexBuffer, &Part);
    ASSERT_EQ(iVertexCount, 9 * 17);
    for (int i = 0; i < iVertexCount; i++) {
      const D3DXVECTOR3& p = Vertices[i].vecPos;
      EXPECT_NEAR(std::sqrt(Dot(p, p)), 1.0f, 1e-6f);
      EXPECT_GT(Dot(Vertices[i].vecNormal, p), 0.0f) << r[0] << r[1] << r[2] << " vertex " << i;
    }
  }
}

TEST_F(GeneratorTest, PartRecordCountsAndTheLargestSizesThatFit) {
  const struct { bool bGrid; int n; int iVertices; int iIndices; } kCases[] = {
      {true, 5, 36, 150}, {true, 181, 182 * 182, 6 * 181 * 181},
      {false, 5, 66, 300}, {false, 128, 129 * 257, 12 * 128 * 128},
  };
  for (const auto& c : kCases) {
    if (c.bGrid) {
      BuildGrid(1.0f, c.n, &pIndexBuffer, &pVertexBuffer, &Part);
    } else {
      BuildEllipsoid(1.0f, 1.0f, 1.0f, c.n, &pIndexBuffer, &pVertexBuffer, &Part);
    }
    EXPECT_FALSE(bMeshOverflow);
    EXPECT_EQ(Part.iNumVertices, c.iVertices) << c.n;
    EXPECT_EQ(Part.iNumIndices, c.iIndices) << c.n;
  }
}

TEST_F(GeneratorTest, SizesOutsideTheLimitsBuildNothing) {
  AddVertex(1, 2, 3);
  AddTriangle(0, 0, 0);
  Part = {7, 9, 0, 0, 0, 0};
  for (int n : {0, -1, kMaxGridCells + 1}) BuildGrid(1.0f, n, &pIndexBuffer, &pVertexBuffer, &Part);
  for (int n : {0, -1, kMaxEllipsoidRings + 1}) {
    BuildEllipsoid(1.0f, 1.0f, 1.0f, n, &pIndexBuffer, &pVertexBuffer, &Part);
  }
  EXPECT_EQ(iVertexCount, 1);
  EXPECT_EQ(iIndexCount, 3);
  EXPECT_EQ(Part.iNumVertices, 7);
  EXPECT_EQ(Part.iNumIndices, 9);
  EXPECT_TRUE(Device.Calls.empty());
}

const int8_t kTetrahedronVertices[] = {64, 64, 64, 64, -64, -64, -64, 64, -64, -64, -64, 64};
const uint8_t kTetrahedronFaces[] = {0, 1, 2, 0, 3, 1, 0, 2, 3, 1, 3, 2};

class PackedMeshTest : public EngineFixture {};

TEST_F(PackedMeshTest, ByteCoordinatesScaleByOneHundredTwentyEighths) {
  const int8_t kBytes[] = {64, -128, 127};
  const D3DXVECTOR3 vecScale(2, 2, 2);
  BuildPackedMesh(1, kBytes, 0, nullptr, &vecScale, 0, &pIndexBuffer, &pVertexBuffer, &Part);
  ExpectVectorNear(Vertices[0].vecPos, 1.0f, -2.0f, 1.984375f, 0.0f);
  EXPECT_EQ(Part.iNumVertices, 1);
}

TEST_F(PackedMeshTest, MirroringScaleReversesWinding) {
  const int8_t kBytes[9] = {};
  const uint8_t kFace[] = {0, 1, 2};
  const float kNan = std::nanf("");
  const struct { D3DXVECTOR3 vecScale; bool bReversed; } kCases[] = {
      {{1, 1, 1}, false},  {{-1, 1, 1}, true},  {{1, -1, -1}, false}, {{-1, -1, -1}, true},
      {{0, -1, 1}, false}, {{kNan, -1, 1}, false},
  };
  for (const auto& c : kCases) {
    BuildPackedMesh(3, kBytes, 1, kFace, &c.vecScale, 0, &pIndexBuffer, &pVertexBuffer, &Part);
    if (c.bReversed) {
      ExpectIndices({2, 1, 0});
    } else {
      ExpectIndices({0, 1, 2});
    }
  }
}

TEST_F(PackedMeshTest, TetrahedronRefinedStepByStep) {
  const D3DXVECTOR3 vecScale(1, 1, 1);
  const struct { int iSteps, iVertices, iIndices; } kCases[] = {
      {-1, 4, 12}, {0, 4, 12}, {1, 10, 48}, {2, 34, 192}, {3, 130, 768}};
  for (const auto& c : kCases) {
    BuildPackedMesh(4, kTetrahedronVertices, 4, kTetrahedronFaces, &vecScale, c.iSteps, &pIndexBuffer,
                    &pVertexBuffer, &Part);
    EXPECT_EQ(Part.iNumVertices, c.iVertices) << c.iSteps;
    EXPECT_EQ(Part.iNumIndices, c.iIndices) << c.iSteps;
    // Outward faces: every generated normal points away from the centre.
    for (int i = 0; i < iVertexCount; i++) EXPECT_GT(Dot(Vertices[i].vecNormal, Vertices[i].vecPos), 0.0f);
  }
}

TEST_F(PackedMeshTest, WithoutStepsUploadsExactlyTheDescribedMesh) {
  const D3DXVECTOR3 vecScale(1, 1, 1);
  BuildPackedMesh(4, kTetrahedronVertices, 4, kTetrahedronFaces, &vecScale, 0, &pIndexBuffer, &pVertexBuffer, &Part);
  const std::vector<unsigned char>& Bytes = Device.BytesOf(pIndexBuffer);
  ASSERT_EQ(Bytes.size(), 24u);
  for (int i = 0; i < 12; i++) EXPECT_EQ(Bytes[2 * i] | Bytes[2 * i + 1] << 8, kTetrahedronFaces[i]);
  EXPECT_EQ(Device.BytesOf(pVertexBuffer).size(), 4u * 32u);
  ExpectVectorNear(Vertices[1].vecPos, 0.5f, -0.5f, -0.5f, 0.0f);
}

TEST_F(PackedMeshTest, FaceNamingAMissingVertexIsDropped) {
  const D3DXVECTOR3 vecScale(-1, 1, 1);
  const uint8_t kFaces[] = {0, 1, 2, 0, 1, 4, 255, 0, 1, 3, 2, 1};
  BuildPackedMesh(4, kTetrahedronVertices, 4, kFaces, &vecScale, 0, &pIndexBuffer, &pVertexBuffer, &Part);
  ExpectIndices({2, 1, 0, 1, 2, 3});
  // The refined mesh stays consistent: every index names an existing vertex.
  BuildPackedMesh(4, kTetrahedronVertices, 4, kFaces, &vecScale, 2, &pIndexBuffer, &pVertexBuffer, &Part);
  for (int i = 0; i < iIndexCount; i++) EXPECT_LT(Indices[i], iVertexCount);
}

}  // namespace

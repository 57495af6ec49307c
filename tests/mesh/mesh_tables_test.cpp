// Table-built meshes: the mirror test, the normals flag, and the loaded-mesh
// builder's slot = part = buffers identity and what it leaves alone.
#include "mesh/mesh_tables.h"

#include <cmath>

#include "engine_fixture.h"

using MeshTables = EngineFixture;

namespace {

const MeshVertex kSquare[4] = {MakeVertex(0, 0, 0), MakeVertex(1, 0, 0), MakeVertex(1, 1, 0), MakeVertex(0, 1, 0)};
const int kSquareFaces[2][3] = {{0, 1, 2}, {0, 2, 3}};

void LoadSquareTables() {
  for (int i = 0; i < 4; ++i) LoadedVertices[i] = kSquare[i];
  LoadedVertices[0].vecNormal = D3DXVECTOR3(7, 7, 7);
  std::memcpy(LoadedTriangles, kSquareFaces, sizeof kSquareFaces);
  iLoadedVertexCount = 4;
  iLoadedTriangleCount = 2;
  vecLoadedHalfExtents = D3DXVECTOR3(0.5f, 0.5f, 0.01f);
}

}  // namespace

TEST_F(MeshTables, NegativeScaleProductsReverseEveryTriangle) {
  const float fNaN = std::nanf("");
  const struct {
    D3DXVECTOR3 vecScale;
    bool bReversed;
  } kCases[] = {
      {{1, 1, 1}, false},   {{-1, 1, 1}, true},    {{-1, -1, 1}, false}, {{-1, -1, -1}, true},
      {{0, -1, 1}, false},  {{fNaN, -1, 1}, false}, {{-0.0f, 1, 1}, false},
  };
  for (const auto& Case : kCases) {
    BuildMeshFromTables(4, kSquare, 2, kSquareFaces, &Case.vecScale, 0, &IndexBuffers[1], &VertexBuffers[1],
                        &MeshParts[1]);
    const std::vector<uint16_t> Expected =
        Case.bReversed ? std::vector<uint16_t>{2, 1, 0, 3, 2, 0} : std::vector<uint16_t>{0, 1, 2, 0, 2, 3};
    EXPECT_EQ(Contents<uint16_t>(IndexBuffers[1]), Expected)
        << Case.vecScale.x << "," << Case.vecScale.y << "," << Case.vecScale.z;
  }
}

TEST_F(MeshTables, TheNormalsFlagChoosesTableOrComputedNormals) {
  MeshVertex Table[4];
  std::memcpy(Table, kSquare, sizeof Table);
  Table[2].vecNormal = D3DXVECTOR3(3, 4, 5);
  Table[2].fU = 0.5f;
  const D3DXVECTOR3 vecScale(1, 1, 1);
  BuildMeshFromTables(4, Table, 2, kSquareFaces, &vecScale, 0, &IndexBuffers[1], &VertexBuffers[1], &MeshParts[1]);
  std::vector<MeshVertex> Uploaded = Contents<MeshVertex>(VertexBuffers[1]);
  ASSERT_EQ(Uploaded.size(), 4u);
  EXPECT_EQ(std::memcmp(Uploaded.data(), Table, sizeof Table), 0);

  BuildMeshFromTables(4, Table, 2, kSquareFaces, &vecScale, 1, &IndexBuffers[1], &VertexBuffers[1], &MeshParts[1]);
  Uploaded = Contents<MeshVertex>(VertexBuffers[1]);
  ExpectVector(Uploaded[2].vecNormal, 0, 0, 2);
  ExpectVector(Uploaded[1].vecNormal, 0, 0, 1);
  EXPECT_EQ(Uploaded[2].fU, 0.5f);
}

TEST_F(MeshTables, LoadedMeshBecomesModelPartAndBuffersOfTheSameNumber) {
  constexpr int kSlot = 7;
  Models[kSlot].dwModelColour = 0x80FF0000;
  MeshParts[kSlot].iMaterial = 3;
  LoadSquareTables();
  BuildLoadedMesh(kSlot);
  EXPECT_EQ(Models[kSlot].iFirstPart, kSlot);
  EXPECT_EQ(Models[kSlot].iPartCount, 1);
  EXPECT_EQ(Models[kSlot].dwModelColour, 0x80FF0000u);
  EXPECT_EQ(MeshParts[kSlot].iNumVertices, 4);
  EXPECT_EQ(MeshParts[kSlot].iNumIndices, 6);
  EXPECT_EQ(MeshParts[kSlot].iMaterial, 3);
  EXPECT_EQ(Contents<uint16_t>(IndexBuffers[kSlot]), (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
  // Loaded meshes always get computed normals, whatever the table held.
  ExpectVector(Contents<MeshVertex>(VertexBuffers[kSlot])[0].vecNormal, 0, 0, 2);

  // A rebuild keeps only the second mesh and the buffers it made.
  iLoadedTriangleCount = 1;
  BuildLoadedMesh(kSlot);
  EXPECT_EQ(MeshParts[kSlot].iNumIndices, 3);
  EXPECT_EQ(Device.LiveResourceCount(), 2);
}

TEST_F(MeshTables, BuildsThatCannotSucceedLeaveTheSlotAsItWas) {
  constexpr int kSlot = 2;
  LoadSquareTables();
  BuildLoadedMesh(kSlot);
  IDirect3DIndexBuffer9* pOldIndices = IndexBuffers[kSlot];
  Device.ClearCalls();

  const struct {
    int iVertices;
    int iTriangles;
    int iSlot;
  } kCases[] = {
      {0, 2, kSlot}, {4, 0, kSlot}, {4, 2, -1}, {4, 2, kMaxParts}, {kMaxVertices + 1, 2, kSlot},
  };
  for (const auto& Case : kCases) {
    iLoadedVertexCount = Case.iVertices;
    iLoadedTriangleCount = Case.iTriangles;
    BuildLoadedMesh(Case.iSlot);
  }
  // A table beyond the store stops the build before anything is uploaded.
  static MeshVertex Table[kMaxVertices + 1];
  const D3DXVECTOR3 vecScale(1, 1, 1);
  BuildMeshFromTables(kMaxVertices + 1, Table, 2, kSquareFaces, &vecScale, 1, &IndexBuffers[kSlot],
                      &VertexBuffers[kSlot], &MeshParts[kSlot]);
  EXPECT_TRUE(Device.Texts().empty());
  EXPECT_EQ(IndexBuffers[kSlot], pOldIndices);
  EXPECT_EQ(MeshParts[kSlot].iNumIndices, 6);
  EXPECT_EQ(Models[kSlot].iPartCount, 1);
}

// The mesh file format line by line and file by file, and the bytes three
// loaded files leave in their slots' buffers.
#include "mesh_file_fixture.h"

using MeshFileLoader = MeshFileFixture;

TEST_F(MeshFileLoader, VertexAndNormalLines) {
  // Each file starts with "v 7 8 9": the box starts as that point, and what a
  // line cannot read comes from it.
  constexpr float k = 0.01f;
  const struct {
    std::string strLine;
    bool bCounts;
    D3DXVECTOR3 vecPos, vecHalfExtents;
  } kCases[] = {
      {"v 1 2 3", true, {1, 2, 3}, {3, 3, 3}},
      {"V 1 2 3", true, {1, 2, 3}, {3, 3, 3}},
      {"\tv 1 2 3", true, {1, 2, 3}, {3, 3, 3}},
      {" v 1 2 3", false, {}, {k, k, k}},
      {"\t v 1 2 3", false, {}, {k, k, k}},
      {"v\t1\t2\t3", false, {}, {k, k, k}},
      {"v\t1 2 3", false, {}, {k, k, k}},
      {"v 1 2 3 4 5 6", true, {4, 5, 6}, {3, 3, 3}},  // (1, 2, 3) widened the box too
      {"v 1 2 3 4", true, {4, 2, 3}, {3, 3, 3}},
      {"v 1 2 3 4 5 6 7 8 9 -100", true, {7, 8, 9}, {3, 3, 3}},
      {"v 1 2", true, {1, 2, 9}, {3, 3, k}},
      {"v 1 y 2", true, {1, 8, 9}, {3, k, k}},
      {"v 1e39 2 3", true, {7, 8, 9}, {k, k, k}},
      {"v -1.5e1 +2 .5", true, {-15, 2, 0.5f}, {11, 3, 4.25f}},
      {"v 2000 8 9", true, {2000, 8, 9}, {996.5f, k, k}},
      {"vt 0.5 0.5", false, {}, {k, k, k}},
      {"# v 1 2 3", false, {}, {k, k, k}},
      {"usemtl v", false, {}, {k, k, k}},
      {"vn 1 2 3", false, {}, {k, k, k}},
  };
  for (const auto& Case : kCases) {
    Load("v 7 8 9\n" + Case.strLine + "\n");
    ASSERT_EQ(iLoadedVertexCount, Case.bCounts ? 2 : 1) << Case.strLine;
    if (Case.bCounts) ExpectVector(LoadedVertices[1].vecPos, Case.vecPos.x, Case.vecPos.y, Case.vecPos.z);
    ExpectVector(vecLoadedHalfExtents, Case.vecHalfExtents.x, Case.vecHalfExtents.y, Case.vecHalfExtents.z);
  }

  // Normals keep their own counter and their own last-read components.
  Load("vn 0 1 0\nvN 5\nv 1 2 3\nVn x\n");
  EXPECT_EQ(iLoadedNormalCount, 3);
  ExpectVector(LoadedVertices[0].vecNormal, 0, 1, 0);
  ExpectVector(LoadedVertices[2].vecNormal, 5, 1, 0);
  ExpectVector(LoadedVertices[0].vecPos, 1, 2, 3);
}

TEST_F(MeshFileLoader, FaceLines) {
  std::string strVertices, strFortyIndices = "f";
  std::vector<Triangle> ThirtyTriangles;
  for (int i = 1; i <= 40; ++i) strVertices += "v " + std::to_string(i) + " 0 0\n";
  for (int i = 1; i <= 40; ++i) strFortyIndices += " " + std::to_string(i);
  for (int j = 0; j < 30; ++j) ThirtyTriangles.push_back({0, j + 1, j + 2});

  const struct {
    std::string strLine;
    std::vector<Triangle> Triangles;
  } kCases[] = {
      {"f 1 2 3", {{0, 1, 2}}},
      {"F 1 2 3 4", {{0, 1, 2}, {0, 2, 3}}},
      {"f 1 2 3 4 5", {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}}},
      {"f 1/1/1 2/2/2 3/3/3", {}},
      {"f 1 2", {}},
      {"f ", {}},
      {"f 1 2 3 -1 5", {{0, 1, 2}}},
      {"f 1 2 3x 5", {{0, 1, 2}}},
      {"f 1 2 99999999999999999999 3", {}},
      {"f\t+1 2 3", {}},  // the keyword is "f\t+1"
      {"\tf +1\t2  3", {{0, 1, 2}}},
      {strFortyIndices, ThirtyTriangles},
  };
  for (const auto& Case : kCases) {
    Load(strVertices + Case.strLine + "\n");
    EXPECT_EQ(LoadedTriangleList(), Case.Triangles) << Case.strLine;
  }
}

TEST_F(MeshFileLoader, WholeFiles) {
  const std::string strVertices = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
  const std::string strNormals = "vn 0 0 1\nvn 0 1 0\nvn 1 0 0\n";
  Load(strVertices + strNormals + "f 1 2 3\n");
  const std::vector<MeshVertex> First(LoadedVertices, LoadedVertices + 3);
  Load(strNormals + strVertices + "f 1 2 3\n");
  EXPECT_EQ(std::memcmp(First.data(), LoadedVertices, 3 * sizeof(MeshVertex)), 0) << "VN before V";

  // CR LF line ends read like line feeds.
  Load("v 0 0 0\r\nv 1 0 0\r\nv 0 1 0\r\n" + strNormals + "f 1 2 3\r\n");
  EXPECT_EQ(std::memcmp(First.data(), LoadedVertices, 3 * sizeof(MeshVertex)), 0) << "CR LF";
  EXPECT_EQ(LoadedTriangleList(), (std::vector<Triangle>{{0, 1, 2}}));

  // Faces may name vertices further down the file.
  Load("f 1 2 4\n" + strVertices + "v 5 5 5\n");
  EXPECT_EQ(LoadedTriangleList(), (std::vector<Triangle>{{0, 1, 3}}));

  // A missing file changes neither the stores nor the slot.
  Device.ClearCalls();
  const D3DXVECTOR3 vecHalfExtents = vecLoadedHalfExtents;
  LoadMeshFile(::testing::TempDir() + "missing.obj", kSlot);
  EXPECT_EQ(iLoadedVertexCount * 10 + iLoadedTriangleCount, 41);
  EXPECT_EQ(std::memcmp(&vecHalfExtents, &vecLoadedHalfExtents, sizeof vecHalfExtents), 0);
  EXPECT_EQ(MeshParts[kSlot].iNumVertices, 4);

  Load("");
  EXPECT_EQ(iLoadedVertexCount + iLoadedNormalCount + iLoadedTriangleCount, 0);
  ExpectVector(vecLoadedHalfExtents, 0.01f, 0.01f, 0.01f);
  EXPECT_TRUE(Device.Texts().empty()) << "neither a missing nor an empty file builds";

  Load("v 0 0 0\n");
  ExpectVector(vecLoadedHalfExtents, 0.01f, 0.01f, 0.01f);
  Load("v 1500 0 0\nv 2000 0 1\n");
  ExpectVector(vecLoadedHalfExtents, 500, 0.01f, 0.5f);  // Min x keeps its start value 1000
  // Components no line of this load has read are 0, not the last load's.
  Load("v 1\n");
  ExpectVector(LoadedVertices[0].vecPos, 1, 0, 0);
}

TEST_F(MeshFileLoader, ThreeFilesFillSlotsZeroToTwoWithExactBuffers) {
  const std::string strFiles[3] = {
      "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n",
      "v 0 0 0\r\nv 2 0 0\r\nv 2 2 0\r\nv 0 2 0\r\nf 1 2 3 4\r\n",
      "# file normals do not reach the device\nv 0 0 0\nv 0 0 1\nv 1 0 0\nvn 5 5 5\nf 1 2 3\n",
  };
  const std::vector<MeshVertex> ExpectedVertices[3] = {
      {{{0, 0, 0}, {0, 0, 1}, 0, 0}, {{1, 0, 0}, {0, 0, 1}, 0, 0}, {{0, 1, 0}, {0, 0, 1}, 0, 0}},
      {{{0, 0, 0}, {0, 0, 8}, 0, 0}, {{2, 0, 0}, {0, 0, 4}, 0, 0}, {{2, 2, 0}, {0, 0, 8}, 0, 0},
       {{0, 2, 0}, {0, 0, 4}, 0, 0}},
      {{{0, 0, 0}, {0, 1, 0}, 0, 0}, {{0, 0, 1}, {0, 1, 0}, 0, 0}, {{1, 0, 0}, {0, 1, 0}, 0, 0}},
  };
  const std::vector<uint16_t> ExpectedIndices[3] = {{0, 1, 2}, {0, 1, 2, 0, 2, 3}, {0, 1, 2}};

  std::vector<std::string> ExpectedCalls;
  for (int iSlot = 0; iSlot < 3; ++iSlot) {
    LoadMeshFile(WriteMeshFile(strFiles[iSlot], "slot" + std::to_string(iSlot) + ".obj"), iSlot);
    const std::string strN = std::to_string(iSlot + 1);
    const size_t iVertexBytes = ExpectedVertices[iSlot].size() * sizeof(MeshVertex);
    ExpectedCalls.insert(ExpectedCalls.end(),
                         {"CreateIndexBuffer(" + std::to_string(ExpectedIndices[iSlot].size() * 2) + ",8,101,1,0)",
                          "IB" + strN + ".Lock(0,0,0)", "IB" + strN + ".Unlock()",
                          "CreateVertexBuffer(" + std::to_string(iVertexBytes) + ",8,274,1,0)",
                          "VB" + strN + ".Lock(0,0,0)", "VB" + strN + ".Unlock()"});
    EXPECT_EQ(Models[iSlot].iFirstPart, iSlot);
    EXPECT_EQ(Models[iSlot].iPartCount, 1);
    EXPECT_EQ(MeshParts[iSlot].iNumVertices * 32, static_cast<int>(iVertexBytes));
    EXPECT_EQ(MeshParts[iSlot].iNumIndices, static_cast<int>(ExpectedIndices[iSlot].size()));
    EXPECT_EQ(Contents<uint16_t>(IndexBuffers[iSlot]), ExpectedIndices[iSlot]);
    const std::vector<unsigned char>& Bytes = Device.BytesOf(VertexBuffers[iSlot]);
    ASSERT_EQ(Bytes.size(), iVertexBytes);
    EXPECT_EQ(std::memcmp(Bytes.data(), ExpectedVertices[iSlot].data(), iVertexBytes), 0) << "slot " << iSlot;
  }
  EXPECT_EQ(Device.Texts(), ExpectedCalls);
}

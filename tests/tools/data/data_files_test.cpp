// The demo's data files as the demo loads them: the meshes through the mesh
// file loader into slots 0..2, the cube map through the cube-texture loader.
// Each mesh must be closed, wound outwards and sized for the place the demo
// draws it; the cube map must be complete and upright; and running the
// generators again must give the committed bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "d3dx9.h"
#include "dds.h"
#include "core/globals.h"
#include "mesh/mesh_store.h"
#include "mesh/mesh_tables.h"
#include "meshfile/mesh_file_loader.h"
#include "recording_device.h"
#include "core/records.h"

namespace {

std::string DataPath(const std::string& strName) {
  const char* pszData = std::getenv("VIMRA_DATA");
  return std::string(pszData != nullptr ? pszData : VIMRA_DATA_DIR) + "/" + strName;
}

std::vector<unsigned char> ReadBytes(const std::string& strPath) {
  std::ifstream File(strPath, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>());
}

D3DXVECTOR3 Sub(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
  return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
}

struct MeshCase {
  const char* pszFile;
  int iSlot;
  int iVertices, iTriangles;
  // Half extents the demo's placement allows, and the volume expected.
  D3DXVECTOR3 vecMaxHalfExtents;
  double fMinVolume, fMaxVolume;
};

// Slot 0 at scale 0.25 sits 0.45 to 0.5 from its neighbours, so it must stay
// inside +-0.9. Slot 1 at scale 0.5 sits between two slot-0 objects 0.5
// above and below: its half height must stay below (0.5 - 0.225) / 0.5.
// Slot 2 is a sphere of radius about 1.
const MeshCase kMeshes[] = {
    {"cubedef.obj", 0, 296, 588, {0.9f, 0.9f, 0.9f}, 4.8, 5.832},
    {"cyldef.obj", 1, 322, 640, {0.9f, 0.55f, 0.9f}, 1.5, 2.6},
    {"isodef.obj", 2, 642, 1280, {1.001f, 1.001f, 1.001f}, 4.0, 4.19},
};

class DataMeshes : public ::testing::Test {
 protected:
  void SetUp() override {
    pDevice = &Device;
    CreateMatrixStack();
  }
  void TearDown() override {
    for (int iSlot = 0; iSlot < 3; ++iSlot) {
      if (IndexBuffers[iSlot] != nullptr) IndexBuffers[iSlot]->Release();
      if (VertexBuffers[iSlot] != nullptr) VertexBuffers[iSlot]->Release();
      IndexBuffers[iSlot] = nullptr;
      VertexBuffers[iSlot] = nullptr;
      Models[iSlot] = ModelRecord{};
    }
    ReleaseMatrixStack();
    pDevice = nullptr;
  }
  RecordingDevice Device;
};

}  // namespace

TEST_F(DataMeshes, LoadIntoTheirSlotsClosedWoundOutwardsAndSized) {
  for (const MeshCase& M : kMeshes) {
    SCOPED_TRACE(M.pszFile);
    std::ifstream File(DataPath(M.pszFile));
    std::string strFirstLine;
    std::getline(File, strFirstLine);
    EXPECT_EQ(strFirstLine.rfind("# ", 0), 0u);
    EXPECT_NE(strFirstLine.find("vimra-meshgen"), std::string::npos);

    LoadMeshFile(DataPath(M.pszFile), M.iSlot);
    ASSERT_EQ(iLoadedVertexCount, M.iVertices);
    ASSERT_EQ(iLoadedTriangleCount, M.iTriangles);
    EXPECT_EQ(iLoadedNormalCount, M.iVertices);
    EXPECT_EQ(Models[M.iSlot].iPartCount, 1);
    EXPECT_EQ(MeshParts[M.iSlot].iNumVertices, M.iVertices);
    EXPECT_EQ(MeshParts[M.iSlot].iNumIndices, 3 * M.iTriangles);
    EXPECT_LE(vecLoadedHalfExtents.x, M.vecMaxHalfExtents.x);
    EXPECT_LE(vecLoadedHalfExtents.y, M.vecMaxHalfExtents.y);
    EXPECT_LE(vecLoadedHalfExtents.z, M.vecMaxHalfExtents.z);

    // Closed and consistently wound: every edge is met once in each direction.
    std::map<std::pair<int, int>, int> EdgeUses;
    double fVolume = 0;
    int iInwardFaces = 0;
    for (int t = 0; t < iLoadedTriangleCount; ++t) {
      const int* T = LoadedTriangles[t];
      for (int k = 0; k < 3; ++k) ++EdgeUses[{T[k], T[(k + 1) % 3]}];
      const D3DXVECTOR3& a = LoadedVertices[T[0]].vecPos;
      const D3DXVECTOR3& b = LoadedVertices[T[1]].vecPos;
      const D3DXVECTOR3& c = LoadedVertices[T[2]].vecPos;
      const D3DXVECTOR3 vecNormal = Cross(Sub(b, a), Sub(c, a));
      fVolume += Dot(a, Cross(b, c)) / 6;
      // The shapes are convex around the origin: each face looks away from it.
      const D3DXVECTOR3 vecCentroid = {(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3, (a.z + b.z + c.z) / 3};
      if (Dot(vecNormal, vecCentroid) <= 0) ++iInwardFaces;
    }
    EXPECT_EQ(iInwardFaces, 0);
    int iOpenEdges = 0;
    for (const auto& [Edge, iUses] : EdgeUses) {
      const auto Reverse = EdgeUses.find({Edge.second, Edge.first});
      if (iUses != 1 || Reverse == EdgeUses.end() || Reverse->second != 1) ++iOpenEdges;
    }
    EXPECT_EQ(iOpenEdges, 0);
    EXPECT_GT(fVolume, M.fMinVolume);
    EXPECT_LT(fVolume, M.fMaxVolume);

    // The engine's smooth normals (area-weighted sums, unnormalised) point
    // outwards and agree with the shape's own normals from the file, so the
    // rounded edges shade without creases.
    ASSERT_EQ(iVertexCount, M.iVertices);
    double fWorstAgreement = 1;
    for (int i = 0; i < iVertexCount; ++i) {
      const D3DXVECTOR3& vecSum = Vertices[i].vecNormal;
      EXPECT_GT(Dot(vecSum, Vertices[i].vecPos), 0) << "vertex " << i;
      const double fCosine = Dot(vecSum, LoadedVertices[i].vecNormal) / std::sqrt(Dot(vecSum, vecSum));
      fWorstAgreement = std::min(fWorstAgreement, fCosine);
    }
    EXPECT_GT(fWorstAgreement, 0.995);
  }
}

TEST(DataCubeMap, IsACompleteCubeWithAFullMipChain) {
  const std::vector<unsigned char> File = ReadBytes(DataPath("cube.dds"));
  DdsCubeInfo Info;
  ASSERT_EQ(ParseDdsCube(File.data(), File.size(), &Info), DdsResult::kOk);
  EXPECT_EQ(Info.Format, D3DFMT_A8R8G8B8);
  EXPECT_GE(Info.iEdge, 256u);
  EXPECT_EQ(Info.iEdge & (Info.iEdge - 1), 0u);
  EXPECT_EQ(1u << (Info.iLevels - 1), Info.iEdge);
  EXPECT_EQ(File.size(), Info.iDataOffset + 6 * Info.iFaceBytes);

  RecordingDevice Device;
  IDirect3DCubeTexture9* pTexture = nullptr;
  ASSERT_EQ(D3DXCreateCubeTextureFromFileA(&Device, DataPath("cube.dds").c_str(), &pTexture), D3D_OK);
  EXPECT_EQ(pTexture->GetLevelCount(), Info.iLevels);
  EXPECT_EQ(Device.TextsOf({"LockRect"}).size(), 6 * Info.iLevels);
  pTexture->Release();
}

TEST(DataCubeMap, HasSkyAboveFloorOnEveryFaceAndBrightLights) {
  const std::vector<unsigned char> File = ReadBytes(DataPath("cube.dds"));
  DdsCubeInfo Info;
  ASSERT_EQ(ParseDdsCube(File.data(), File.size(), &Info), DdsResult::kOk);
  const UINT n = Info.iEdge;
  // Mean brightness (R + G + B) of a row of face level 0.
  auto RowBrightness = [&](UINT iFace, UINT iRow) {
    const unsigned char* pRow = &File[DdsFaceLevelOffset(Info, iFace, 0) + size_t(iRow) * n * 4];
    double fSum = 0;
    for (UINT x = 0; x < n; ++x) fSum += pRow[4 * x] + pRow[4 * x + 1] + pRow[4 * x + 2];
    return fSum / n;
  };
  auto FaceBrightness = [&](UINT iFace) {
    double fSum = 0;
    for (UINT y = 0; y < n; ++y) fSum += RowBrightness(iFace, y);
    return fSum / n;
  };
  // Row 0 of the side faces looks up, their last row down.
  for (UINT iFace : {0u, 1u, 4u, 5u}) EXPECT_GT(RowBrightness(iFace, 0), RowBrightness(iFace, n - 1) + 150) << iFace;
  EXPECT_GT(FaceBrightness(2), FaceBrightness(3) + 150);

  int iBrightTexels = 0;
  for (UINT iFace = 0; iFace < 6; ++iFace) {
    const unsigned char* pFace = &File[DdsFaceLevelOffset(Info, iFace, 0)];
    for (size_t i = 0; i < size_t(n) * n; ++i) {
      if (pFace[4 * i] >= 250 && pFace[4 * i + 1] >= 250 && pFace[4 * i + 2] >= 250) ++iBrightTexels;
      ASSERT_EQ(pFace[4 * i + 3], 255);
    }
  }
  // At least about 1% of the sphere is near-white light.
  EXPECT_GT(iBrightTexels, int(6 * n * n / 100));
}

TEST(DataFiles, RegeneratingGivesTheCommittedBytes) {
  const std::filesystem::path Folder =
      std::filesystem::temp_directory_path() / ("vimra_data_regenerate_" + std::to_string(getpid()));
  std::filesystem::create_directories(Folder);
  ASSERT_EQ(std::system((std::string(VIMRA_MESHGEN) + " " + Folder.string()).c_str()), 0);
  ASSERT_EQ(std::system((std::string(VIMRA_CUBEGEN) + " " + (Folder / "cube.dds").string()).c_str()), 0);
  for (const char* pszName : {"cubedef.obj", "cyldef.obj", "isodef.obj", "cube.dds"}) {
    const std::vector<unsigned char> Committed = ReadBytes(DataPath(pszName));
    EXPECT_FALSE(Committed.empty()) << pszName;
    EXPECT_TRUE(Committed == ReadBytes((Folder / pszName).string())) << pszName << " differs from its generator";
  }
  std::filesystem::remove_all(Folder);
}

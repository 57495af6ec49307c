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

// Level 0 of the committed cube map, looked up by direction as Direct3D's
// cube addressing does (major axis, then s right and t down on that face).
class CubeTexels {
 public:
  CubeTexels() : File(ReadBytes(DataPath("cube.dds"))) {
    bOk = ParseDdsCube(File.data(), File.size(), &Info) == DdsResult::kOk;
  }
  bool bOk = false;
  UINT Edge() const { return Info.iEdge; }
  // R, G, B of texel (x, y) of a face, 0..1.
  D3DXVECTOR3 At(UINT iFace, UINT x, UINT y) const {
    const unsigned char* p = &File[DdsFaceLevelOffset(Info, iFace, 0) + (size_t(y) * Info.iEdge + x) * 4];
    return {p[2] / 255.0f, p[1] / 255.0f, p[0] / 255.0f};
  }
  unsigned char Alpha(UINT iFace, UINT x, UINT y) const {
    return File[DdsFaceLevelOffset(Info, iFace, 0) + (size_t(y) * Info.iEdge + x) * 4 + 3];
  }
  D3DXVECTOR3 Towards(double x, double y, double z) const {
    const double ax = std::fabs(x), ay = std::fabs(y), az = std::fabs(z);
    UINT iFace;
    double s, t, m;
    if (ax >= ay && ax >= az) {
      iFace = x > 0 ? 0 : 1, m = ax, s = x > 0 ? -z : z, t = -y;
    } else if (ay >= az) {
      iFace = y > 0 ? 2 : 3, m = ay, s = x, t = y > 0 ? z : -z;
    } else {
      iFace = z > 0 ? 4 : 5, m = az, s = z > 0 ? x : -x, t = -y;
    }
    auto Texel = [&](double f) { return std::min(Info.iEdge - 1, UINT((f / m + 1) / 2 * Info.iEdge)); };
    return At(iFace, Texel(s), Texel(t));
  }
  // Mean brightness (R + G + B) / 3 of a row of a face, 0..1.
  double RowBrightness(UINT iFace, UINT iRow) const {
    double fSum = 0;
    for (UINT x = 0; x < Info.iEdge; ++x) fSum += Brightness(At(iFace, x, iRow));
    return fSum / Info.iEdge;
  }
  static double Brightness(const D3DXVECTOR3& c) { return (c.x + c.y + c.z) / 3; }

 private:
  std::vector<unsigned char> File;
  DdsCubeInfo Info;
};

TEST(DataCubeMap, HasSkyAboveFloorOnEveryFaceAndBrightLights) {
  const CubeTexels Cube;
  ASSERT_TRUE(Cube.bOk);
  const UINT n = Cube.Edge();
  // Row 0 of the side faces looks up, their last row down; the ground is darker.
  for (UINT iFace : {0u, 1u, 4u, 5u}) {
    EXPECT_GT(Cube.RowBrightness(iFace, 0), Cube.RowBrightness(iFace, n - 1) + 0.12) << iFace;
  }
  double fTop = 0, fBottom = 0;
  for (UINT y = 0; y < n; ++y) fTop += Cube.RowBrightness(2, y), fBottom += Cube.RowBrightness(3, y);
  EXPECT_GT(fTop / n, fBottom / n + 0.12);
  // The sky is blue, the ground a grey without a tint of blue.
  const D3DXVECTOR3 vecSky = Cube.Towards(-1, 0.6, 0.3), vecGround = Cube.Towards(-1, -0.6, 0.3);
  EXPECT_GT(vecSky.z, vecSky.x + 0.1);
  EXPECT_LT(std::fabs(vecGround.z - vecGround.x), 0.05);

  // Near-white light lies where lights 0 and 1 come from (the reverse of
  // their directions), and only there.
  const D3DXVECTOR3 kFrom[2] = {{0.707f, 0.15f, -0.707f}, {0.5f, 0.707f, 0.5f}};
  for (const D3DXVECTOR3& vecFrom : kFrom) EXPECT_GT(Cube.Brightness(Cube.Towards(vecFrom.x, vecFrom.y, vecFrom.z)), 0.9);
  int iBrightTexels = 0, iStrayBrightTexels = 0;
  for (UINT iFace = 0; iFace < 6; ++iFace) {
    for (UINT y = 0; y < n; ++y) {
      for (UINT x = 0; x < n; ++x) {
        ASSERT_EQ(Cube.Alpha(iFace, x, y), 255);
        if (Cube.Brightness(Cube.At(iFace, x, y)) < 0.9) continue;
        ++iBrightTexels;
        // The texel's direction, from its face coordinates.
        const double s = (2.0 * x + 1) / n - 1, t = (2.0 * y + 1) / n - 1;
        const D3DXVECTOR3 kDirections[6] = {{1, float(-t), float(-s)}, {-1, float(-t), float(s)},
                                            {float(s), 1, float(t)},   {float(s), -1, float(-t)},
                                            {float(s), float(-t), 1},  {float(-s), float(-t), -1}};
        const D3DXVECTOR3& d = kDirections[iFace];
        bool bNearALight = false;
        for (const D3DXVECTOR3& vecFrom : kFrom) {
          const double fCos = Dot(d, vecFrom) / std::sqrt(Dot(d, d) * Dot(vecFrom, vecFrom));
          bNearALight = bNearALight || fCos > std::cos(15 * 3.14159 / 180);
        }
        if (!bNearALight) ++iStrayBrightTexels;
      }
    }
  }
  EXPECT_GT(iBrightTexels, 0);
  EXPECT_EQ(iStrayBrightTexels, 0);
}

// The second stage doubles the lit colour by the map, so most of the map
// sits near mid-grey: a lit face (about 0.7 after the texture factor) that
// reflects the horizon shows the clear colour 0xFF8CAAC6, and only the light
// sources rise far above.
TEST(DataCubeMap, IsTonedForTheDoublingStage) {
  const CubeTexels Cube;
  ASSERT_TRUE(Cube.bOk);
  const UINT n = Cube.Edge();
  std::vector<double> Levels;
  for (UINT iFace = 0; iFace < 6; ++iFace) {
    for (UINT y = 0; y < n; ++y) {
      for (UINT x = 0; x < n; ++x) Levels.push_back(Cube.Brightness(Cube.At(iFace, x, y)));
    }
  }
  std::sort(Levels.begin(), Levels.end());
  auto Share = [&](double fShare) { return Levels[size_t(double(Levels.size() - 1) * fShare)]; };
  EXPECT_GT(Share(0.1), 0.12);
  EXPECT_GT(Share(0.5), 0.2);
  EXPECT_LT(Share(0.5), 0.5);
  EXPECT_LT(Share(0.97), 0.6);
  EXPECT_GT(Share(0.995), 0.8);

  const float kClear[3] = {0x8C / 255.0f, 0xAA / 255.0f, 0xC6 / 255.0f};
  // Round the horizon, away from the lights' glow.
  for (const D3DXVECTOR3& vecHorizon : {Cube.Towards(-0.7, 0.1, 0.7), Cube.Towards(-1, 0.1, 0), Cube.Towards(-0.7, 0.1, -0.7)}) {
    EXPECT_NEAR(2 * 0.7 * vecHorizon.x, kClear[0], 0.06);
    EXPECT_NEAR(2 * 0.7 * vecHorizon.y, kClear[1], 0.06);
    EXPECT_NEAR(2 * 0.7 * vecHorizon.z, kClear[2], 0.06);
  }
}

// Stage 1 samples the map with point filtering: a thin line breaks into
// twinkling dots and a smooth ramp into flat steps. So neighbouring texels
// never differ by so much that a lit face doubles it past the speckle
// threshold of 40 levels, and gradients are dithered: no run of identical
// texels long enough to show as a plateau (but in a light's core, clipped to white).
TEST(DataCubeMap, HasNoFineDetailAndNoFlatSteps) {
  const CubeTexels Cube;
  ASSERT_TRUE(Cube.bOk);
  const UINT n = Cube.Edge();
  int iLargestStep = 0, iIdenticalPairs = 0, iPairs = 0;
  UINT iLongestRun = 0;
  for (UINT iFace = 0; iFace < 6; ++iFace) {
    for (UINT y = 0; y < n; ++y) {
      UINT iRun = 1;
      for (UINT x = 1; x < n; ++x) {
        const D3DXVECTOR3 a = Cube.At(iFace, x - 1, y), b = Cube.At(iFace, x, y);
        const D3DXVECTOR3 c = Cube.At(iFace, y, x - 1), d = Cube.At(iFace, y, x);
        for (const auto& [p, q] : {std::pair{a, b}, std::pair{c, d}}) {
          for (float fStep : {p.x - q.x, p.y - q.y, p.z - q.z}) {
            iLargestStep = std::max(iLargestStep, int(std::lround(std::fabs(fStep) * 255)));
          }
        }
        const bool bClipped = b.x > 0.99f && b.y > 0.99f && b.z > 0.99f;
        const bool bIdentical = a.x == b.x && a.y == b.y && a.z == b.z;
        iIdenticalPairs += bIdentical, ++iPairs;
        iRun = (bIdentical && !bClipped) ? iRun + 1 : 1;
        iLongestRun = std::max(iLongestRun, iRun);
      }
    }
  }
  EXPECT_LE(2 * 0.75 * iLargestStep, 40);
  // Without the dither, 72% of neighbours are identical and runs reach 196.
  EXPECT_LT(iIdenticalPairs, iPairs * 3 / 10);
  EXPECT_LE(iLongestRun, 24u);
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

// Times one subdivision step of a 16384-triangle mesh (a 64 x 128 cell grid
// bent into a tube, so most edges are shared by two triangles) with the
// hashed edge lookup and with the linear scan, checks that both give the same
// mesh, and prints the times and their ratio. Target: ratio of at least 50.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "mesh/mesh_store.h"
#include "mesh/subdivide.h"

constexpr int kColumns = 128;
constexpr int kRows = 64;

static void BuildTube() {
  ResetMesh();
  for (int r = 0; r <= kRows; r++) {
    for (int c = 0; c <= kColumns; c++) {
      float fAngle = 6.2831853f * static_cast<float>(c) / kColumns;
      CurrentVertex.vecPos = D3DXVECTOR3(std::cos(fAngle), static_cast<float>(r) * 0.1f, std::sin(fAngle));
      EmitVertex();
    }
  }
  for (int r = 0; r < kRows; r++) {
    for (int c = 0; c < kColumns; c++) {
      int v = r * (kColumns + 1) + c;
      AddTriangle(v, v + kColumns + 1, v + 1);
      AddTriangle(v + 1, v + kColumns + 1, v + kColumns + 2);
    }
  }
}

static double MedianMs(void (*Step)(), int iRuns, std::vector<unsigned char>& Result) {
  std::vector<double> Times;
  for (int i = 0; i < iRuns; i++) {
    BuildTube();
    auto tStart = std::chrono::steady_clock::now();
    Step();
    auto tEnd = std::chrono::steady_clock::now();
    Times.push_back(std::chrono::duration<double, std::milli>(tEnd - tStart).count());
  }
  const auto* pVertexBytes = reinterpret_cast<const unsigned char*>(Vertices);
  const auto* pIndexBytes = reinterpret_cast<const unsigned char*>(Indices);
  Result.assign(pVertexBytes, pVertexBytes + iVertexCount * sizeof(MeshVertex));
  Result.insert(Result.end(), pIndexBytes, pIndexBytes + iIndexCount * sizeof(uint16_t));
  std::sort(Times.begin(), Times.end());
  return Times[Times.size() / 2];
}

int main() {
  CreateMatrixStack();
  BuildTube();
  std::printf("mesh: %d vertices, %d triangles\n", iVertexCount, iIndexCount / 3);
  std::vector<unsigned char> HashedResult, LinearResult;
  double fHashedMs = MedianMs(SubdivideMesh, 21, HashedResult);
  std::printf("after one step: %d vertices, %d triangles, %d edges\n", iVertexCount, iIndexCount / 3, iEdgeCount);
  double fLinearMs = MedianMs(SubdivideMeshByLinearScan, 3, LinearResult);
  bool bSame = HashedResult == LinearResult;
  std::printf("hashed lookup: %.3f ms (median of 21)\n", fHashedMs);
  std::printf("linear scan:   %.3f ms (median of 3)\n", fLinearMs);
  std::printf("ratio: %.1fx (target >= 50x)\n", fLinearMs / fHashedMs);
  std::printf("identical results: %s\n", bSame ? "yes" : "NO");
  return bSame ? 0 : 1;
}

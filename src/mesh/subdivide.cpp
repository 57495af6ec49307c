#include "mesh/subdivide.h"

#include <algorithm>
#include <cstring>

MeshVertex OldVertices[kMaxVertices];
uint16_t OldIndices[kMaxSubdivideIndices];
EdgeEntry EdgeTable[kMaxEdges];
uint16_t Valence[kMaxVertices];
int iEdgeCount = 0;

// The three edge numbers of every old triangle, kept between edge discovery
// and the rewrite of the triangles so that a refused step changes nothing.
static int TriangleEdges[kMaxSubdivideIndices];

// Open addressing over edge numbers + 1 (0 = free slot), twice as many slots
// as the most edges a step can meet, so probe runs stay short.
constexpr int kEdgeHashBits = 17;
constexpr uint32_t kEdgeHashMask = (1u << kEdgeHashBits) - 1;
static int EdgeHash[1 << kEdgeHashBits];

static int FindEdgeLinear(int iKey) {
  int i = 0;
  while (i < iEdgeCount && EdgeTable[i].iKey != iKey) i++;
  return i;
}

// Returns the number the linear scan would: the edge's entry if the key was
// seen, else iEdgeCount, which the caller then fills.
static int FindEdgeHashed(int iKey) {
  uint32_t h = (static_cast<uint32_t>(iKey) * 2654435761u) >> (32 - kEdgeHashBits);
  for (;;) {
    int iSlot = EdgeHash[h];
    if (iSlot == 0) {
      EdgeHash[h] = iEdgeCount + 1;
      return iEdgeCount;
    }
    if (EdgeTable[iSlot - 1].iKey == iKey) return iSlot - 1;
    h = (h + 1) & kEdgeHashMask;
  }
}

static int FindOrAddEdge(int (*FindEdge)(int), int a, int b, int c) {
  int iKey = static_cast<int>(static_cast<uint32_t>(std::max(a, b)) << 16 | static_cast<uint32_t>(std::min(a, b)));
  int i = FindEdge(iKey);
  EdgeEntry& edge = EdgeTable[i];
  edge.iKey = iKey;
  edge.iShare++;
  if (edge.iShare == 0 || edge.iShare == 1) edge.iOpposite[edge.iShare] = c;
  if (i == iEdgeCount) iEdgeCount++;
  return i;
}

static void Subdivide(int (*FindEdge)(int)) {
  // Index entries bound the edges to three per triangle, 49152 at most, so
  // the edge table cannot overflow once this holds.
  if (iIndexCount > kMaxSubdivideIndices) return;
  const int n = iVertexCount;

  std::copy(Indices, Indices + iIndexCount, OldIndices);
  std::memset(EdgeTable, 0xFF, sizeof EdgeTable);
  std::memset(EdgeHash, 0, sizeof EdgeHash);
  iEdgeCount = 0;
  for (int t = 0; t < iIndexCount; t += 3) {
    int v0 = OldIndices[t], v1 = OldIndices[t + 1], v2 = OldIndices[t + 2];
    TriangleEdges[t] = FindOrAddEdge(FindEdge, v0, v1, v2);
    TriangleEdges[t + 1] = FindOrAddEdge(FindEdge, v1, v2, v0);
    TriangleEdges[t + 2] = FindOrAddEdge(FindEdge, v2, v0, v1);
  }
  if (n + iEdgeCount > kMaxVertices) return;

  for (int i = 0; i < n; i++) {
    OldVertices[i] = Vertices[i];
    Valence[i] = 0;
    Vertices[i].vecPos = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
  }

  for (int t = 0; t < iIndexCount; t += 3) {
    int v0 = OldIndices[t], v1 = OldIndices[t + 1], v2 = OldIndices[t + 2];
    int m01 = n + TriangleEdges[t], m12 = n + TriangleEdges[t + 1], m20 = n + TriangleEdges[t + 2];
    const int NewTriangles[12] = {v0, m01, m20, v1, m12, m01, v2, m20, m12, m01, m12, m20};
    for (int k = 0; k < 12; k++) Indices[4 * t + k] = static_cast<uint16_t>(NewTriangles[k]);
  }

  for (int e = 0; e < iEdgeCount; e++) {
    const EdgeEntry& edge = EdgeTable[e];
    int a = edge.iKey & 0xFFFF;
    int b = static_cast<uint32_t>(edge.iKey) >> 16;
    const D3DXVECTOR3& vecA = OldVertices[a].vecPos;
    const D3DXVECTOR3& vecB = OldVertices[b].vecPos;
    D3DXVECTOR3 vecNew = vecA + vecB;
    if (edge.iShare == 1) {
      vecNew *= 3.0f;
      vecNew += OldVertices[edge.iOpposite[0]].vecPos + OldVertices[edge.iOpposite[1]].vecPos;
      vecNew *= 0.125f;
    } else {
      vecNew *= 0.5f;
    }
    Vertices[n + e].vecPos = vecNew;
    Valence[a]++;
    Vertices[a].vecPos += vecB;
    Valence[b]++;
    Vertices[b].vecPos += vecA;
  }

  for (int i = 0; i < n; i++) {
    if (Valence[i] == 0) {
      Vertices[i].vecPos = OldVertices[i].vecPos;
      continue;
    }
    float k = Valence[i];
    float fBeta = k == 3.0f ? 0.5625f : 0.375f;
    float w = 1.0f - fBeta;
    float s = fBeta / k;
    Vertices[i].vecPos *= s;
    Vertices[i].vecPos += w * OldVertices[i].vecPos;
  }

  iVertexCount = n + iEdgeCount;
  iIndexCount *= 4;
}

void SubdivideMesh() { Subdivide(FindEdgeHashed); }

void SubdivideMeshByLinearScan() { Subdivide(FindEdgeLinear); }

#include "mesh/mesh_store.h"

MeshVertex Vertices[kMaxVertices];
uint16_t Indices[kMaxIndices];
uint16_t SeamPairs[kMaxSeamEntries];
int iVertexCount = 0;
int iIndexCount = 0;
int iSeamCount = 0;
MeshVertex CurrentVertex;
ID3DXMatrixStack* MatrixStack = nullptr;
bool bMeshOverflow = false;

void CreateMatrixStack() { D3DXCreateMatrixStack(0, &MatrixStack); }

void ReleaseMatrixStack() {
  if (MatrixStack != nullptr) MatrixStack->Release();
}

void ResetMesh() {
  iVertexCount = 0;
  iIndexCount = 0;
  iSeamCount = 0;
  bMeshOverflow = false;
}

void EmitVertex() {
  if (iVertexCount >= kMaxVertices) {
    bMeshOverflow = true;
    return;
  }
  MeshVertex& Vertex = Vertices[iVertexCount];
  Vertex = CurrentVertex;
  D3DXVECTOR4 v4;
  D3DXVec3Transform(&v4, &CurrentVertex.vecPos, MatrixStack->GetTop());
  Vertex.vecPos = D3DXVECTOR3(v4.x / v4.w, v4.y / v4.w, v4.z / v4.w);
  ++iVertexCount;
}

void AddTriangle(int a, int b, int c) {
  if (iIndexCount > kMaxIndices - 3) {
    bMeshOverflow = true;
    return;
  }
  Indices[iIndexCount] = static_cast<uint16_t>(a);
  Indices[iIndexCount + 1] = static_cast<uint16_t>(b);
  Indices[iIndexCount + 2] = static_cast<uint16_t>(c);
  iIndexCount += 3;
}

void AddSeamPair(int a, int b) {
  if (iSeamCount > kMaxSeamEntries - 2) {
    bMeshOverflow = true;
    return;
  }
  SeamPairs[iSeamCount] = static_cast<uint16_t>(a);
  SeamPairs[iSeamCount + 1] = static_cast<uint16_t>(b);
  iSeamCount += 2;
}

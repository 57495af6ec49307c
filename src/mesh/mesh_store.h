// The global mesh store: one mesh is assembled here vertex by vertex through
// the emission transform stack, then given normals and uploaded.
#pragma once

#include <cstdint>

#include "mesh/mesh_vertex.h"

constexpr int kMaxVertices = 65536;
constexpr int kMaxIndices = 196608;
constexpr int kMaxSeamEntries = 65536;

extern MeshVertex Vertices[kMaxVertices];
extern uint16_t Indices[kMaxIndices];
extern uint16_t SeamPairs[kMaxSeamEntries];
extern int iVertexCount;
extern int iIndexCount;
extern int iSeamCount;
extern MeshVertex CurrentVertex;
extern ID3DXMatrixStack* MatrixStack;

// Set when an emission or add would pass a capacity: the append is dropped
// and the build that is under way must not be uploaded. ResetMesh clears it.
extern bool bMeshOverflow;

void CreateMatrixStack();
void ReleaseMatrixStack();
void ResetMesh();
void EmitVertex();
void AddTriangle(int a, int b, int c);
void AddSeamPair(int a, int b);

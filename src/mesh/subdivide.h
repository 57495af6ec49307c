// One step of Loop subdivision in place on the mesh store: every triangle
// splits into four, every edge gets a new vertex, every old vertex moves
// towards its neighbours (Warren's weights).
#pragma once

#include <cstdint>

#include "mesh/mesh_store.h"

struct EdgeEntry {
  int iKey;          // larger vertex number * 65536 + smaller vertex number
  int iShare;        // triangles that use the edge, minus one
  int iOpposite[2];  // the vertex opposite the edge in the first two of them
};

constexpr int kMaxEdges = 65536;
// A step quadruples the index count, so more than this cannot be refined.
constexpr int kMaxSubdivideIndices = kMaxIndices / 4;

// Scratch stores, meaningful only during a step.
extern MeshVertex OldVertices[kMaxVertices];
extern uint16_t OldIndices[kMaxSubdivideIndices];
extern EdgeEntry EdgeTable[kMaxEdges];
extern uint16_t Valence[kMaxVertices];
extern int iEdgeCount;

// Refines the mesh once. Edges are numbered in order of first discovery
// (triangles in order, edges (v0,v1), (v1,v2), (v2,v0) within each); edge e
// becomes vertex iVertexCount + e. A step whose result would not fit the
// store (more than kMaxSubdivideIndices entries, or vertices plus edges above
// kMaxVertices) is refused and the mesh stays as it was. A vertex that no
// triangle uses keeps its position. Seam pairs are not touched.
void SubdivideMesh();

// The same step with a linear scan of the edges found so far as the edge
// lookup: quadratic, kept as the reference the hashed lookup is checked and
// measured against.
void SubdivideMeshByLinearScan();

// Meshes built from a vertex table and a triangle table, and the loaded-mesh
// stores through which the mesh-file loader hands its tables over.
#pragma once

#include "d3d9.h"
#include "mesh/mesh_vertex.h"
#include "core/records.h"

constexpr int kMaxLoadedVertices = 65536;
// As many triangles as the mesh store can take in one build.
constexpr int kMaxLoadedTriangles = 65536;

// Filled by the loader: "V" lines write vecPos, "VN" lines vecNormal; fU and
// fV are never written. Triangles hold 0-based vertex numbers.
extern MeshVertex LoadedVertices[kMaxLoadedVertices];
extern int iLoadedVertexCount;
extern int iLoadedNormalCount;
extern int LoadedTriangles[kMaxLoadedTriangles][3];
extern int iLoadedTriangleCount;
extern D3DXVECTOR3 vecLoadedHalfExtents;

// Runs the tables through the mesh store and uploads them statically. Only
// the sign of x*y*z of *pvecScale counts: negative reverses every triangle
// (zero and NaN do not). With bCalcNormals zero the table's normals are kept.
void BuildMeshFromTables(int iNumVertices, const MeshVertex* pVertexTable, int iNumFaces, const int (*pFaceTable)[3],
                         const D3DXVECTOR3* pvecScale, unsigned char bCalcNormals,
                         IDirect3DIndexBuffer9** ppIndexBuffer, IDirect3DVertexBuffer9** ppVertexBuffer,
                         PartRecord* pPart);

// Builds the loaded-mesh stores into slot s: buffers s, part s and a one-part
// model s. Nothing of the slot changes when the stores are empty, exceed what
// one build can hold, or s is not a part number.
void BuildLoadedMesh(int slot);

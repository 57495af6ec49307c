// The planar shadow pass over the surface grid, and the writer of a vertex
// with its mirrored, enlarged copy one grid's worth of records further on.
#pragma once

#include "d3dx9.h"
#include "mesh/mesh_vertex.h"

// Position x, y, z then normal x, y, z, as EmitMirroredVertex copies them.
struct PendingVertexRecord {
  float fPosX, fPosY, fPosZ;
  float fNormalX, fNormalY, fNormalZ;
};

extern D3DXPLANE plane;
extern D3DXMATRIX matShadow;
extern D3DXMATRIX matShadowFinal;
extern const D3DXVECTOR4 vecShadowLight;
extern PendingVertexRecord PendingVertex;
extern MeshVertex* pMirrorTarget;
extern int iMirrorCursor;

// Draws the bound surface lit at *world, then flattened onto the ground plane
// y = -5 as seen from the shadow light, with lights 0 to 2 off. Leaves the
// lights off and the shadow matrix as the world transform.
void DrawSurfaceWithShadow(const D3DXMATRIX* world);

// Writes PendingVertex into record iMirrorCursor of pMirrorTarget and a copy
// scaled by -1.175 in position into record iMirrorCursor + iGridVertexCount.
// The caller keeps both records inside the array.
void EmitMirroredVertex();

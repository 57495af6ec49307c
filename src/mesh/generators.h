// Generators that build a whole mesh in the mesh store and upload it: a flat
// square grid in the x-z plane and a closed ellipsoid welded along its seam.
#pragma once

#include "d3d9.h"
#include "core/records.h"

// Largest n whose triangles still fit the mesh store.
constexpr int kMaxGridCells = 181;
constexpr int kMaxEllipsoidRings = 128;

// (n + 1)^2 vertices spanning -size/2 to size/2 in x and z, 2n^2 triangles
// facing +y, texture coordinates 0 to n. An n outside 1 to kMaxGridCells
// builds nothing: the store, handles and record stay as they were.
void BuildGrid(float size, int n, IDirect3DIndexBuffer9** ppIndexBuffer, IDirect3DVertexBuffer9** ppVertexBuffer,
               PartRecord* pPart);

// n + 1 rings of 2n + 1 vertices with radius a along x, b along z and c along
// y, 4n^2 triangles facing outwards (reversed when a*b*c < 0), and one seam
// pair per ring. An n outside 1 to kMaxEllipsoidRings builds nothing.
void BuildEllipsoid(float a, float b, float c, int n, IDirect3DIndexBuffer9** ppIndexBuffer,
                    IDirect3DVertexBuffer9** ppVertexBuffer, PartRecord* pPart);

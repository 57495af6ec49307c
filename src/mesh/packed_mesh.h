// Meshes packed as one signed byte per vertex coordinate and one unsigned
// byte per triangle corner, scaled, refined and uploaded.
#pragma once

#include <cstdint>

#include "d3d9.h"
#include "d3dx9.h"
#include "core/records.h"

// Each vertex is three signed bytes in 1/128 units of *pvecScale's matching
// component; each face three vertex numbers in winding order (reversed when
// the scale mirrors the shape). The mesh is subdivided iSteps times, given
// normals and uploaded statically. A face naming a vertex at or above
// iNumVertices is dropped.
void BuildPackedMesh(int iNumVertices, const int8_t* pVertexBytes, int iNumFaces, const uint8_t* pFaceBytes,
                     const D3DXVECTOR3* pvecScale, int iSteps, IDirect3DIndexBuffer9** ppIndexBuffer,
                     IDirect3DVertexBuffer9** ppVertexBuffer, PartRecord* pPart);

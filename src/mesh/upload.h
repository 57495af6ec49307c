// Copies the mesh in the mesh store into a device index and vertex buffer and
// records its counts in a part record.
#pragma once

#include "d3d9.h"
#include "core/records.h"

// Static (bDynamic 0): releases whatever the handles hold and fills fresh
// write-only managed buffers. Dynamic: creates each buffer only while its
// handle is null, keeps the indices of the first upload and rewrites the
// vertices through a discarding lock. A build that ran past a store capacity
// (bMeshOverflow) uploads nothing and leaves handles and record as they were.
void UploadMesh(IDirect3DIndexBuffer9** ppIndexBuffer, IDirect3DVertexBuffer9** ppVertexBuffer, PartRecord* pPart,
                unsigned char bDynamic);

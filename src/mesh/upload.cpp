#include "mesh/upload.h"

#include <cstring>

#include "core/globals.h"
#include "mesh/mesh_store.h"

void UploadMesh(IDirect3DIndexBuffer9** ppIndexBuffer, IDirect3DVertexBuffer9** ppVertexBuffer, PartRecord* pPart,
                unsigned char bDynamic) {
  if (bMeshOverflow) return;

  if (!bDynamic) {
    if (*ppIndexBuffer != nullptr) {
      (*ppIndexBuffer)->Release();
      *ppIndexBuffer = nullptr;
    }
    if (*ppVertexBuffer != nullptr) {
      (*ppVertexBuffer)->Release();
      *ppVertexBuffer = nullptr;
    }
  }

  pPart->iNumVertices = iVertexCount;
  pPart->iNumIndices = iIndexCount;
  if (iIndexCount == 0 || iVertexCount == 0) return;

  // A buffer the device refused to create or lock stays unfilled rather than
  // being written through a null pointer.
  if (*ppIndexBuffer == nullptr) {
    pDevice->CreateIndexBuffer(static_cast<UINT>(iIndexCount) * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                               D3DPOOL_MANAGED, ppIndexBuffer, nullptr);
    void* pwIndex = nullptr;
    if (*ppIndexBuffer != nullptr && SUCCEEDED((*ppIndexBuffer)->Lock(0, 0, &pwIndex, 0))) {
      if (pwIndex != nullptr) std::memcpy(pwIndex, Indices, static_cast<size_t>(iIndexCount) * 2);
      (*ppIndexBuffer)->Unlock();
    }
  }

  if (*ppVertexBuffer == nullptr) {
    pDevice->CreateVertexBuffer(static_cast<UINT>(iVertexCount) * sizeof(MeshVertex),
                                bDynamic ? D3DUSAGE_DYNAMIC : D3DUSAGE_WRITEONLY, kMeshVertexFvf,
                                bDynamic ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED, ppVertexBuffer, nullptr);
  }
  void* pVertex = nullptr;
  if (*ppVertexBuffer != nullptr &&
      SUCCEEDED((*ppVertexBuffer)->Lock(0, 0, &pVertex, bDynamic ? D3DLOCK_DISCARD : 0))) {
    if (pVertex != nullptr) std::memcpy(pVertex, Vertices, static_cast<size_t>(iVertexCount) * sizeof(MeshVertex));
    (*ppVertexBuffer)->Unlock();
  }
}

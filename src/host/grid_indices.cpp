#include "host/grid_indices.h"

#include <cstdint>

#include "core/globals.h"

void BuildGridIndices() {
  pDevice->CreateIndexBuffer(0x6C00, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &pGridIndices, nullptr);
  // Start-up does not test the buffer; without one there is nothing to fill.
  if (pGridIndices == nullptr) return;
  uint16_t* pwIndex = nullptr;
  pGridIndices->Lock(0, 0, reinterpret_cast<void**>(&pwIndex), 0);
  if (pwIndex == nullptr) return;

  int n = 0;
  int u = 0;
  int v = 0;
  iGridVertexCount = 1057;
  // Row -1 writes indices at or below 0 and row 21 indices past the last
  // ring; the clamp below folds both onto the poles.
  for (int iRow = -1; iRow <= 21; ++iRow) {
    for (int iCol = 0; iCol < 48; ++iCol) {
      u = 48 * iRow + iCol + 1;
      const int Entries[6] = {v, u, v + 48, v + 48, u, u + 48};
      for (int iEntry : Entries) pwIndex[n++] = static_cast<uint16_t>(iEntry);
      v = u;
    }
    v += 48;
  }
  for (int i = 0; i < kGridIndexEntries; ++i) {
    if (pwIndex[i] & 0x8000) {
      pwIndex[i] = 0;
    } else if (pwIndex[i] > iGridVertexCount) {
      pwIndex[i] = static_cast<uint16_t>(iGridVertexCount);
    }
  }
  ++iGridVertexCount;
  pGridIndices->Unlock();
}

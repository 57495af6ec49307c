// Direct3D 9's state as the program set it, starting from Direct3D's
// defaults (not GL's). The device writes it in its Set* calls; the key, the
// uniform block and the GL raster state are read from it at draw time.
#pragma once

#include <cstdint>
#include <map>

#include "d3d9.h"
#include "gl_ffp.h"

namespace d3d9gl {

// One past the largest state number Direct3D 9 knows in each table.
constexpr DWORD kRenderStateCount = 256;
constexpr DWORD kStageStateCount = D3DTSS_CONSTANT + 1;
constexpr DWORD kSamplerStateCount = D3DSAMP_DMAPOFFSET + 1;

// The one vertex format the device draws: position, normal, one 2D texture
// coordinate, 32 bytes.
constexpr DWORD kDrawnFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
constexpr UINT kDrawnVertexBytes = 32;

struct LightSlot {
  D3DLIGHT9 Light;
  bool bEnabled;
};

// What a state change makes stale on the GL side, so a draw redoes only that.
enum DirtyGroup : uint8_t {
  kDirtyRaster = 1,   // cull, depth, blend, write masks, fill, multisample, dither
  kDirtyProgram = 2,  // the fixed-function key: program and bound textures
  kDirtyValues = 4,   // the uniform block
  kDirtyAll = kDirtyRaster | kDirtyProgram | kDirtyValues,
};

// The groups a render state feeds; 0 for states kept but not drawn (fog,
// material sources, ...).
uint8_t RenderStateGroups(DWORD dwState);

struct D3dStateStore {
  // bDepthBuffer: the device has a depth buffer, so ZENABLE starts TRUE.
  explicit D3dStateStore(bool bDepthBuffer);

  // The lights in force, in index order, at most kMaxActiveLights.
  int ActiveLights(const D3DLIGHT9* Out[kMaxActiveLights]) const;

  DWORD RenderStates[kRenderStateCount];
  DWORD StageStates[kStageCount][kStageStateCount];
  DWORD SamplerStates[kStageCount][kSamplerStateCount];
  D3DMATRIX matWorld, matView, matProjection;
  D3DMATRIX TextureMatrices[kStageCount];
  D3DMATERIAL9 Material = {};
  std::map<DWORD, LightSlot> Lights;
  DWORD dwFvf = 0;
  // Bound resources; the device holds a reference on each.
  IDirect3DIndexBuffer9* pIndices = nullptr;
  IDirect3DVertexBuffer9* pStream = nullptr;
  UINT iStreamOffset = 0, iStreamStride = 0;
  IDirect3DBaseTexture9* Textures[kStageCount] = {};
};

D3DMATRIX IdentityMatrix();

}  // namespace d3d9gl

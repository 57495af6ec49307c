// The vertex record every mesh is built in: byte for byte the device vertex
// format XYZ | NORMAL | TEX1 (0x112), stride 32.
#pragma once

#include <cstddef>

#include "d3dx9.h"

struct MeshVertex {
  D3DXVECTOR3 vecPos;
  D3DXVECTOR3 vecNormal;
  float fU;
  float fV;
};

static_assert(sizeof(MeshVertex) == 32);
static_assert(offsetof(MeshVertex, vecPos) == 0);
static_assert(offsetof(MeshVertex, vecNormal) == 12);
static_assert(offsetof(MeshVertex, fU) == 24);
static_assert(offsetof(MeshVertex, fV) == 28);

constexpr DWORD kMeshVertexFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

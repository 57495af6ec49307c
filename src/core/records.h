// Model, part and material records: what the renderer can draw. A model is a
// run of consecutive parts; a part is one indexed triangle list on the device.
#pragma once

#include "d3dx9.h"

struct ModelRecord {
  int iFirstPart;
  int iPartCount;
  D3DCOLOR dwModelColour;
  D3DXVECTOR3 vecReservedA;
  D3DXVECTOR3 vecReservedB;
};

// Part flag bits.
constexpr DWORD kPartEnvironmentTint = 1;
constexpr DWORD kPartTwoSided = 2;
constexpr DWORD kPartUnlitFade = 4;

struct PartRecord {
  int iNumVertices;
  int iNumIndices;
  int iReserved;
  DWORD dwPartFlags;
  int iMaterial;
  int iTriangleLimit;
};

constexpr int kMaxModels = 2048;
constexpr int kMaxParts = 256;
constexpr int kMaterialCount = 10;

extern ModelRecord Models[kMaxModels];
extern PartRecord MeshParts[kMaxParts];
extern IDirect3DVertexBuffer9* VertexBuffers[kMaxParts];
extern IDirect3DIndexBuffer9* IndexBuffers[kMaxParts];
extern const D3DMATERIAL9 kMaterials[kMaterialCount];

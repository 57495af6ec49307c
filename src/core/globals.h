// Process-wide stores the host creates and every subsystem may read: the
// Direct3D object and device, the drawing transform stack, the projection,
// the demo clock, the view and the surface-grid index buffer.
#pragma once

#include "d3dx9.h"

extern IDirect3D9* pD3D;
extern IDirect3DDevice9* pDevice;
extern D3DPRESENT_PARAMETERS PresentParams;
extern ID3DXMatrixStack* DrawMatrixStack;
extern const D3DXMATRIX matProjection;

// Demo clock in milliseconds and in timeline units of 4150 ms.
extern DWORD dwDemoTime;
extern float fTime;

extern D3DXMATRIX matView;

// The surface-grid index buffer: 13824 entries, 2208 triangles.
constexpr int kGridIndexEntries = 13824;
constexpr int kGridTriangles = 2208;
extern IDirect3DIndexBuffer9* pGridIndices;
extern int iGridVertexCount;

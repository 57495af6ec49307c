// Process-wide stores the host creates and every subsystem may read: the
// Direct3D object and device, the drawing transform stack, the projection,
// the demo clock, the view and the surface-grid index buffer.
#pragma once

#include "d3dx9.h"

extern IDirect3D9* pD3D;
extern IDirect3DDevice9* pDevice;
// The demo's presentation parameters: a 1280x720 back buffer with a depth
// buffer, in a window, shown without waiting for the display. The program,
// the tests and the benches make their devices from these.
constexpr D3DPRESENT_PARAMETERS DemoPresentParams(D3DMULTISAMPLE_TYPE eSamples, HWND hWindow) {
  return {
      1280,                           // BackBufferWidth
      720,                            // BackBufferHeight
      D3DFMT_X8R8G8B8,                // BackBufferFormat
      2,                              // BackBufferCount
      eSamples,                       // MultiSampleType
      0,                              // MultiSampleQuality
      D3DSWAPEFFECT_DISCARD,          // SwapEffect
      hWindow,                        // hDeviceWindow
      TRUE,                           // Windowed
      TRUE,                           // EnableAutoDepthStencil
      D3DFMT_D24S8,                   // AutoDepthStencilFormat
      0,                              // Flags
      0,                              // FullScreen_RefreshRateInHz
      D3DPRESENT_INTERVAL_IMMEDIATE,  // PresentationInterval
  };
}
// The program's, changed in place by the device-creation fallbacks.
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

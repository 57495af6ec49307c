// The Direct3D object over OpenGL: opens a GL context on the device window
// for each device and turns down the attempts this GL cannot honour.
#pragma once

#include "com_object.h"
#include "d3d9.h"

namespace d3d9gl {

class GlDirect3D final : public ComObject<IDirect3D9> {
 public:
  ~GlDirect3D() override;
  HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                       D3DPRESENT_PARAMETERS* pPresentationParameters,
                       IDirect3DDevice9** ppReturnedDeviceInterface) override;
};

// True for Mesa's software rasterisers, which cannot do hardware vertex processing.
bool IsSoftwareRenderer(const char* pszRenderer);

}  // namespace d3d9gl

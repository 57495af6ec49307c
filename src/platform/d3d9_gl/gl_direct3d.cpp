#include "gl_direct3d.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <cstring>
#include <functional>

#include "d3d9_seams.h"
#include "gl_context.h"
#include "gl_device.h"

namespace d3d9gl {

uint64_t iGlCalls = 0;

static UINT iOverrideWidth = 0, iOverrideHeight = 0;
static int iOverrideSamples = 0;

bool IsSoftwareRenderer(const char* pszRenderer) {
  if (pszRenderer == nullptr) return true;
  for (const char* pszName : {"llvmpipe", "softpipe", "swrast", "SwiftShader"}) {
    if (std::strstr(pszRenderer, pszName) != nullptr) return true;
  }
  return false;
}

GlDirect3D::~GlDirect3D() { UnloadGl(); }

HRESULT GlDirect3D::CreateDevice(UINT, D3DDEVTYPE, HWND hFocusWindow, DWORD BehaviorFlags,
                                 D3DPRESENT_PARAMETERS* pParams, IDirect3DDevice9** ppDevice) {
  if (ppDevice == nullptr) return D3DERR_INVALIDCALL;
  *ppDevice = nullptr;
  if (pParams == nullptr) return D3DERR_INVALIDCALL;
  const bool bHardware = (BehaviorFlags & D3DCREATE_HARDWARE_VERTEXPROCESSING) != 0;
  const bool bSoftware = (BehaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) != 0;
  if (bHardware == bSoftware) return D3DERR_INVALIDCALL;
  const HWND hWindow = pParams->hDeviceWindow != nullptr ? pParams->hDeviceWindow : hFocusWindow;
  if (hWindow == nullptr) return D3DERR_INVALIDCALL;
  if (iOverrideWidth != 0) {
    pParams->BackBufferWidth = iOverrideWidth;
    pParams->BackBufferHeight = iOverrideHeight;
    pParams->MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(iOverrideSamples);
    pParams->SwapEffect = D3DSWAPEFFECT_DISCARD;
  }
  int iSamples = 0;
  if (pParams->MultiSampleType != D3DMULTISAMPLE_NONE) {
    // Multisampling needs a discarding swap effect, as in Direct3D.
    if (pParams->MultiSampleType < D3DMULTISAMPLE_2_SAMPLES || pParams->SwapEffect != D3DSWAPEFFECT_DISCARD) return D3DERR_NOTAVAILABLE;
    iSamples = static_cast<int>(pParams->MultiSampleType);
  }

  GlContext* pContext = CreateGlContext(hWindow, pParams->PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE);
  if (pContext == nullptr) return D3DERR_NOTAVAILABLE;
  HRESULT hr = D3D_OK;
  GLint iMaxSamples = 0;
  Gl(glGetIntegerv, GL_MAX_SAMPLES, &iMaxSamples);
  if (bHardware && IsSoftwareRenderer(GlRendererName(pContext))) {
    hr = D3DERR_NOTAVAILABLE;
  } else if (iOverrideWidth != 0 && iSamples > iMaxSamples) {
    iSamples = iMaxSamples >= 2 ? iMaxSamples : 0;
    pParams->MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(iSamples);
  } else if (iSamples > iMaxSamples) {
    hr = D3DERR_NOTAVAILABLE;
  }
  if (FAILED(hr)) {
    DestroyGlContext(pContext);
    return hr;
  }

  // A zero back-buffer size means the window's client area, as in windowed Direct3D.
  if (pParams->BackBufferWidth == 0 || pParams->BackBufferHeight == 0) {
    int iWidth = 0, iHeight = 0;
    GlDrawableSize(pContext, iWidth, iHeight);
    if (pParams->BackBufferWidth == 0) pParams->BackBufferWidth = static_cast<UINT>(iWidth);
    if (pParams->BackBufferHeight == 0) pParams->BackBufferHeight = static_cast<UINT>(iHeight);
  }
  // A recording's size is its own; otherwise the picture is drawn at the window's.
  auto* pDevice = new GlDevice(this, pContext, *pParams, iOverrideWidth == 0);
  if (!pDevice->BuildBackBuffer()) {
    pDevice->Release();
    return D3DERR_NOTAVAILABLE;
  }
  *ppDevice = pDevice;
  return D3D_OK;
}

}  // namespace d3d9gl

void D3D9SetBackBufferOverride(UINT iWidth, UINT iHeight, int iSamples) {
  d3d9gl::iOverrideWidth = iHeight != 0 ? iWidth : 0;
  d3d9gl::iOverrideHeight = iHeight;
  d3d9gl::iOverrideSamples = iSamples >= 2 ? iSamples : 0;
}

// ---- entry point and seams ---------------------------------------------------------

static std::function<IDirect3D9*(UINT)> fnCreateOverride;

void D3D9SetCreateOverride(std::function<IDirect3D9*(UINT)> fnCreate) { fnCreateOverride = std::move(fnCreate); }

// A software rasteriser (llvmpipe) allocates its per-frame bin memory in
// large blocks and frees them again every frame. glibc would map and unmap
// each block, and the page faults that follow cost more than the drawing in
// busy scenes: keep such blocks in the heap instead.
static void KeepLargeBlocksInTheHeap() {
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

IDirect3D9* Direct3DCreate9(UINT SDKVersion) {
  if (fnCreateOverride) return fnCreateOverride(SDKVersion);
  if (SDKVersion != D3D_SDK_VERSION) return nullptr;
  KeepLargeBlocksInTheHeap();
  if (!d3d9gl::LoadGl()) return nullptr;
  return new d3d9gl::GlDirect3D();
}

// False for a device that is not the GL device.
bool D3D9ReadBackBuffer(IDirect3DDevice9* pDevice, std::vector<unsigned char>& Pixels, int& iWidth, int& iHeight) {
  auto* pGlDevice = dynamic_cast<d3d9gl::GlDevice*>(pDevice);
  return pGlDevice != nullptr && pGlDevice->ReadBackBuffer(Pixels, iWidth, iHeight);
}

bool D3D9DrawnSize(IDirect3DDevice9* pDevice, int& iWidth, int& iHeight) {
  auto* pGlDevice = dynamic_cast<d3d9gl::GlDevice*>(pDevice);
  if (pGlDevice == nullptr) return false;
  iWidth = pGlDevice->Drawn().iWidth;
  iHeight = pGlDevice->Drawn().iHeight;
  return true;
}

uint64_t D3D9GlCallCount(IDirect3DDevice9* pDevice) {
  auto* pGlDevice = dynamic_cast<d3d9gl::GlDevice*>(pDevice);
  return pGlDevice != nullptr ? pGlDevice->GlCallsSinceCreation() : 0;
}

D3D9Refusal D3D9LastRefusal(IDirect3DDevice9* pDevice) {
  auto* pGlDevice = dynamic_cast<d3d9gl::GlDevice*>(pDevice);
  return pGlDevice != nullptr ? pGlDevice->LastRefusal() : D3D9Refusal::kNone;
}

// Direct3DCreate9 that hands out the system's Direct3D object wrapped so that
// CreateDevice refuses multisampled back buffers: frames drawn by tools and
// benches compare pixel for pixel with the GL device's single-sampled ones,
// and the start-up's chain of attempts settles on a device without. Defined
// in the program itself (the object library), it is found before d3d9.dll's
// import; the real one is fetched at run time.
#include "forwarding_direct3d.h"

namespace {

class SingleSampleDirect3D final : public ForwardingDirect3D {
 public:
  using ForwardingDirect3D::ForwardingDirect3D;

  HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(UINT a, D3DDEVTYPE t, D3DFORMAT f, WINBOOL w,
                                                       D3DMULTISAMPLE_TYPE m, DWORD* q) override {
    if (m != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
    return pReal->CheckDeviceMultiSampleType(a, t, f, w, m, q);
  }
  HRESULT STDMETHODCALLTYPE CreateDevice(UINT a, D3DDEVTYPE t, HWND hWindow, DWORD dwFlags,
                                         D3DPRESENT_PARAMETERS* pParams, IDirect3DDevice9** ppDevice) override {
    if (pParams != nullptr && pParams->MultiSampleType != D3DMULTISAMPLE_NONE) {
      if (ppDevice != nullptr) *ppDevice = nullptr;
      return D3DERR_NOTAVAILABLE;
    }
    return pReal->CreateDevice(a, t, hWindow, dwFlags, pParams, ppDevice);
  }
};

}  // namespace

extern "C" IDirect3D9* WINAPI Direct3DCreate9(UINT iSdkVersion) {
  IDirect3D9* pSystem = SystemDirect3DCreate9(iSdkVersion);
  return pSystem != nullptr ? new SingleSampleDirect3D(pSystem) : nullptr;
}

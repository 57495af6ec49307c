// Direct3DCreate9 that hands out the system's Direct3D object wrapped so that
// CreateDevice refuses multisampled back buffers: frames drawn by tools and
// benches compare pixel for pixel with the GL device's single-sampled ones,
// and the start-up's chain of attempts settles on a device without. Defined
// in the program itself (the object library), it is found before d3d9.dll's
// import; the real one is fetched at run time.
#include <d3d9.h>

namespace {

class SingleSampleDirect3D final : public IDirect3D9 {
 public:
  explicit SingleSampleDirect3D(IDirect3D9* pSystem) : pReal(pSystem) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppObject) override {
    return pReal->QueryInterface(riid, ppObject);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++iRefCount; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG iLeft = --iRefCount;
    if (iLeft == 0) {
      pReal->Release();
      delete this;
    }
    return iLeft;
  }
  HRESULT STDMETHODCALLTYPE RegisterSoftwareDevice(void* pInit) override {
    return pReal->RegisterSoftwareDevice(pInit);
  }
  UINT STDMETHODCALLTYPE GetAdapterCount() override { return pReal->GetAdapterCount(); }
  HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT a, DWORD f, D3DADAPTER_IDENTIFIER9* p) override {
    return pReal->GetAdapterIdentifier(a, f, p);
  }
  UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT a, D3DFORMAT f) override { return pReal->GetAdapterModeCount(a, f); }
  HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT a, D3DFORMAT f, UINT m, D3DDISPLAYMODE* p) override {
    return pReal->EnumAdapterModes(a, f, m, p);
  }
  HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT a, D3DDISPLAYMODE* p) override {
    return pReal->GetAdapterDisplayMode(a, p);
  }
  HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT a, D3DDEVTYPE t, D3DFORMAT d, D3DFORMAT b, WINBOOL w) override {
    return pReal->CheckDeviceType(a, t, d, b, w);
  }
  HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT a, D3DDEVTYPE t, D3DFORMAT af, DWORD u, D3DRESOURCETYPE r,
                                              D3DFORMAT c) override {
    return pReal->CheckDeviceFormat(a, t, af, u, r, c);
  }
  HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(UINT a, D3DDEVTYPE t, D3DFORMAT f, WINBOOL w,
                                                       D3DMULTISAMPLE_TYPE m, DWORD* q) override {
    if (m != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
    return pReal->CheckDeviceMultiSampleType(a, t, f, w, m, q);
  }
  HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT a, D3DDEVTYPE t, D3DFORMAT af, D3DFORMAT r,
                                                   D3DFORMAT d) override {
    return pReal->CheckDepthStencilMatch(a, t, af, r, d);
  }
  HRESULT STDMETHODCALLTYPE CheckDeviceFormatConversion(UINT a, D3DDEVTYPE t, D3DFORMAT s, D3DFORMAT d) override {
    return pReal->CheckDeviceFormatConversion(a, t, s, d);
  }
  HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT a, D3DDEVTYPE t, D3DCAPS9* p) override {
    return pReal->GetDeviceCaps(a, t, p);
  }
  HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT a) override { return pReal->GetAdapterMonitor(a); }
  HRESULT STDMETHODCALLTYPE CreateDevice(UINT a, D3DDEVTYPE t, HWND hWindow, DWORD dwFlags,
                                         D3DPRESENT_PARAMETERS* pParams, IDirect3DDevice9** ppDevice) override {
    if (pParams != nullptr && pParams->MultiSampleType != D3DMULTISAMPLE_NONE) {
      if (ppDevice != nullptr) *ppDevice = nullptr;
      return D3DERR_NOTAVAILABLE;
    }
    return pReal->CreateDevice(a, t, hWindow, dwFlags, pParams, ppDevice);
  }

 private:
  IDirect3D9* pReal;
  ULONG iRefCount = 1;
};

}  // namespace

extern "C" IDirect3D9* WINAPI Direct3DCreate9(UINT iSdkVersion) {
  using CreateFunction = IDirect3D9*(WINAPI*)(UINT);
  HMODULE hD3D9 = LoadLibraryA("d3d9.dll");
  if (hD3D9 == nullptr) return nullptr;
  const auto fnCreate = reinterpret_cast<CreateFunction>(reinterpret_cast<void*>(GetProcAddress(hD3D9, "Direct3DCreate9")));
  IDirect3D9* pSystem = fnCreate != nullptr ? fnCreate(iSdkVersion) : nullptr;
  return pSystem != nullptr ? new SingleSampleDirect3D(pSystem) : nullptr;
}

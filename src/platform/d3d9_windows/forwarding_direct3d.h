// The system's Direct3D object behind one of ours that passes every call on:
// a program that defines Direct3DCreate9 itself (it is found before
// d3d9.dll's import) derives from it and changes what it must.
#pragma once

#include <d3d9.h>

#include "com_object.h"

// One of ours in front of the system's object of the same interface: it
// counts its own references (ComObject) and lets go of the system's with the
// last; asked for another interface, it answers as the system's does.
template <class Interface>
class ForwardingObject : public ComObject<Interface> {
 public:
  explicit ForwardingObject(Interface* pSystem) : pReal(pSystem) {}
  ~ForwardingObject() override { pReal->Release(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppObject) override {
    return pReal->QueryInterface(riid, ppObject);
  }

 protected:
  Interface* pReal;
};

class ForwardingDirect3D : public ForwardingObject<IDirect3D9> {
 public:
  using ForwardingObject::ForwardingObject;

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
    return pReal->CreateDevice(a, t, hWindow, dwFlags, pParams, ppDevice);
  }
};

// The system's Direct3DCreate9, fetched from d3d9.dll at run time; null
// where there is none.
IDirect3D9* SystemDirect3DCreate9(UINT iSdkVersion);

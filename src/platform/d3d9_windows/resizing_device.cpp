// vimra.exe's Direct3DCreate9 on Windows: the system's Direct3D 9, with each
// device behind one of ours that follows the window. The engine asks for a
// 1280x720 back buffer and never resets its device; after a Present that
// finds the window's client area at a size that fits a larger 16:9 picture,
// this device resets the system's to the client size (so that Present shows
// it 1:1) and draws the picture in the largest 16:9 viewport of it, centred,
// with black bars around. The engine's resources are all in the managed pool,
// which a reset keeps; the state a reset puts back to its defaults (the
// projection and the sampler filters the engine sets once, among others) is
// read before it and set again after it. A client area too small for more
// than 1280x720 keeps the engine's back buffer, scaled by Present as before.
#include <algorithm>
#include <vector>

#include "forwarding_device.h"
#include "picture_size.h"

namespace {

// ---- the state a reset loses ----------------------------------------------------

constexpr D3DTRANSFORMSTATETYPE kTransforms[] = {D3DTS_VIEW,     D3DTS_PROJECTION, D3DTS_TEXTURE0,      D3DTS_TEXTURE1,
                                                 D3DTS_TEXTURE2, D3DTS_TEXTURE3,   D3DTS_TEXTURE4,      D3DTS_TEXTURE5,
                                                 D3DTS_TEXTURE6, D3DTS_TEXTURE7,   D3DTS_WORLDMATRIX(0)};
constexpr DWORD kStages = 8, kSamplers = 16, kLights = 16;
constexpr DWORD kLastRenderState = D3DRS_BLENDOPALPHA, kLastStageState = D3DTSS_CONSTANT,
                kLastSamplerState = D3DSAMP_DMAPOFFSET;

// What the device holds, read through its Get* calls; only what differs from
// a fresh device's defaults is set again.
struct DeviceState {
  D3DMATRIX Transforms[std::size(kTransforms)];
  DWORD RenderStates[kLastRenderState + 1];
  DWORD StageStates[kStages][kLastStageState + 1];
  DWORD SamplerStates[kSamplers][kLastSamplerState + 1];
  D3DMATERIAL9 Material;
  D3DLIGHT9 Lights[kLights];
  BOOL LightsOn[kLights];
  bool LightsSet[kLights];
  IDirect3DBaseTexture9* Textures[kStages];
  IDirect3DVertexBuffer9* pStream;
  UINT iStreamOffset, iStreamStride;
  IDirect3DIndexBuffer9* pIndices;
  DWORD dwFvf;

  void Read(IDirect3DDevice9* pDevice) {
    for (size_t i = 0; i < std::size(kTransforms); ++i) pDevice->GetTransform(kTransforms[i], &Transforms[i]);
    for (DWORD s = 0; s <= kLastRenderState; ++s)
      pDevice->GetRenderState(static_cast<D3DRENDERSTATETYPE>(s), &RenderStates[s]);
    for (DWORD i = 0; i < kStages; ++i)
      for (DWORD s = 0; s <= kLastStageState; ++s)
        pDevice->GetTextureStageState(i, static_cast<D3DTEXTURESTAGESTATETYPE>(s), &StageStates[i][s]);
    for (DWORD i = 0; i < kSamplers; ++i)
      for (DWORD s = 0; s <= kLastSamplerState; ++s)
        pDevice->GetSamplerState(i, static_cast<D3DSAMPLERSTATETYPE>(s), &SamplerStates[i][s]);
    pDevice->GetMaterial(&Material);
    for (DWORD i = 0; i < kLights; ++i) {
      LightsSet[i] = SUCCEEDED(pDevice->GetLight(i, &Lights[i])) && SUCCEEDED(pDevice->GetLightEnable(i, &LightsOn[i]));
    }
    for (DWORD i = 0; i < kStages; ++i) pDevice->GetTexture(i, &Textures[i]);
    pDevice->GetStreamSource(0, &pStream, &iStreamOffset, &iStreamStride);
    pDevice->GetIndices(&pIndices);
    pDevice->GetFVF(&dwFvf);
  }

  // Sets what differs from Fresh, the state after the reset, and lets go of
  // the references Read took.
  void Write(IDirect3DDevice9* pDevice, const DeviceState& Fresh) {
    for (size_t i = 0; i < std::size(kTransforms); ++i) pDevice->SetTransform(kTransforms[i], &Transforms[i]);
    for (DWORD s = 0; s <= kLastRenderState; ++s) {
      if (RenderStates[s] != Fresh.RenderStates[s])
        pDevice->SetRenderState(static_cast<D3DRENDERSTATETYPE>(s), RenderStates[s]);
    }
    for (DWORD i = 0; i < kStages; ++i)
      for (DWORD s = 0; s <= kLastStageState; ++s)
        if (StageStates[i][s] != Fresh.StageStates[i][s])
          pDevice->SetTextureStageState(i, static_cast<D3DTEXTURESTAGESTATETYPE>(s), StageStates[i][s]);
    for (DWORD i = 0; i < kSamplers; ++i)
      for (DWORD s = 0; s <= kLastSamplerState; ++s)
        if (SamplerStates[i][s] != Fresh.SamplerStates[i][s])
          pDevice->SetSamplerState(i, static_cast<D3DSAMPLERSTATETYPE>(s), SamplerStates[i][s]);
    pDevice->SetMaterial(&Material);
    for (DWORD i = 0; i < kLights; ++i) {
      if (!LightsSet[i]) continue;
      pDevice->SetLight(i, &Lights[i]);
      pDevice->LightEnable(i, LightsOn[i]);
    }
    for (DWORD i = 0; i < kStages; ++i) {
      pDevice->SetTexture(i, Textures[i]);
      if (Textures[i] != nullptr) Textures[i]->Release();
    }
    pDevice->SetStreamSource(0, pStream, iStreamOffset, iStreamStride);
    if (pStream != nullptr) pStream->Release();
    pDevice->SetIndices(pIndices);
    if (pIndices != nullptr) pIndices->Release();
    pDevice->SetFVF(dwFvf);
  }

  // The state of a fresh device holds no references.
  void LetGo() {
    for (IDirect3DBaseTexture9* pTexture : Textures)
      if (pTexture != nullptr) pTexture->Release();
    if (pStream != nullptr) pStream->Release();
    if (pIndices != nullptr) pIndices->Release();
  }
};

// ---- the device ------------------------------------------------------------------

class ResizingDevice final : public ForwardingDevice {
 public:
  ResizingDevice(IDirect3DDevice9* pSystem, const D3DPRESENT_PARAMETERS& Params)
      : ForwardingDevice(pSystem),
        Params(Params),
        Base{static_cast<int>(Params.BackBufferWidth), static_cast<int>(Params.BackBufferHeight)},
        BackBuffer(Base) {}

  HRESULT STDMETHODCALLTYPE Present(const RECT* pSource, const RECT* pDest, HWND hOverride,
                                    const RGNDATA* pDirty) override {
    const HRESULT hr = pReal->Present(pSource, pDest, hOverride, pDirty);
    FollowWindow();
    return hr;
  }

  // The engine's own reset, were it to make one, is the size it asks for.
  HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* pParams) override {
    const HRESULT hr = pReal->Reset(pParams);
    if (SUCCEEDED(hr)) {
      Params = *pParams;
      Base = BackBuffer = {static_cast<int>(pParams->BackBufferWidth), static_cast<int>(pParams->BackBufferHeight)};
    }
    return hr;
  }

  // With bars, the whole back buffer is cleared black first; the engine's
  // clear then fills its picture, the viewport.
  HRESULT STDMETHODCALLTYPE Clear(DWORD iCount, const D3DRECT* pRects, DWORD dwFlags, D3DCOLOR dwColour, float fZ,
                                  DWORD dwStencil) override {
    const PictureRect Picture = Placed();
    const bool bBars = Picture.iWidth != BackBuffer.iWidth || Picture.iHeight != BackBuffer.iHeight;
    if (bBars && (dwFlags & D3DCLEAR_TARGET) != 0) {
      const D3DVIEWPORT9 Whole = {
          0, 0, static_cast<DWORD>(BackBuffer.iWidth), static_cast<DWORD>(BackBuffer.iHeight), 0.0f, 1.0f};
      pReal->SetViewport(&Whole);
      pReal->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 0), 1.0f, 0);
      SetPictureViewport();
    }
    return pReal->Clear(iCount, ScaledRects(iCount, pRects), dwFlags, dwColour, fZ, dwStencil);
  }

 private:
  // The engine's rectangles count in its own back buffer's pixels.
  const D3DRECT* ScaledRects(DWORD iCount, const D3DRECT* pRects) {
    if (pRects == nullptr || BackBuffer == Base) return pRects;
    Rects.assign(pRects, pRects + iCount);
    const PictureRect Picture = Placed();
    for (D3DRECT& r : Rects) r = ScaleToPicture(r, Base, Picture);
    return Rects.data();
  }

  // The engine's picture in the back buffer: all of it at the engine's size,
  // else the largest 16:9 area, centred.
  PictureRect Placed() const { return FitKeepingShape(Base, BackBuffer); }

  void SetPictureViewport() {
    const PictureRect Picture = Placed();
    const D3DVIEWPORT9 Viewport = {static_cast<DWORD>(Picture.iX),
                                   static_cast<DWORD>(Picture.iY),
                                   static_cast<DWORD>(Picture.iWidth),
                                   static_cast<DWORD>(Picture.iHeight),
                                   0.0f,
                                   1.0f};
    pReal->SetViewport(&Viewport);
  }

  // After a frame is shown: a client area that fits a larger picture than
  // the engine's gets a back buffer of its size; one that does not, the
  // engine's again.
  void FollowWindow() {
    RECT Client;
    if (Params.hDeviceWindow == nullptr || !GetClientRect(Params.hDeviceWindow, &Client)) return;
    const DrawSize Window = {static_cast<int>(Client.right - Client.left),
                             static_cast<int>(Client.bottom - Client.top)};
    if (Window.iWidth <= 0 || Window.iHeight <= 0) return;  // minimised
    const DrawSize Fit = SizeToDraw(Base, Window, 1.0, kMaxEdge);
    const DrawSize Wanted = Fit == Base ? Base : Window;
    if (Wanted == BackBuffer) return;
    DeviceState Kept{}, Fresh{};
    Kept.Read(pReal);
    D3DPRESENT_PARAMETERS Resized = Params;
    Resized.BackBufferWidth = static_cast<UINT>(Wanted.iWidth);
    Resized.BackBufferHeight = static_cast<UINT>(Wanted.iHeight);
    if (FAILED(pReal->Reset(&Resized))) {
      // Not reset, or left unusable: back to the size it had.
      Resized.BackBufferWidth = static_cast<UINT>(BackBuffer.iWidth);
      Resized.BackBufferHeight = static_cast<UINT>(BackBuffer.iHeight);
      pReal->Reset(&Resized);
    } else {
      BackBuffer = Wanted;
    }
    Fresh.Read(pReal);
    Kept.Write(pReal, Fresh);
    Fresh.LetGo();
    SetPictureViewport();
  }

  static constexpr int kMaxEdge = 16384;

  D3DPRESENT_PARAMETERS Params;
  DrawSize Base, BackBuffer;
  std::vector<D3DRECT> Rects;
};

class ResizingDirect3D final : public ForwardingDirect3D {
 public:
  using ForwardingDirect3D::ForwardingDirect3D;

  HRESULT STDMETHODCALLTYPE CreateDevice(UINT a, D3DDEVTYPE t, HWND hWindow, DWORD dwFlags,
                                         D3DPRESENT_PARAMETERS* pParams, IDirect3DDevice9** ppDevice) override {
    const HRESULT hr = pReal->CreateDevice(a, t, hWindow, dwFlags, pParams, ppDevice);
    if (SUCCEEDED(hr) && *ppDevice != nullptr) {
      D3DPRESENT_PARAMETERS Made = *pParams;
      if (Made.hDeviceWindow == nullptr) Made.hDeviceWindow = hWindow;
      *ppDevice = new ResizingDevice(*ppDevice, Made);
    }
    return hr;
  }
};

}  // namespace

extern "C" IDirect3D9* WINAPI Direct3DCreate9(UINT iSdkVersion) {
  IDirect3D9* pSystem = SystemDirect3DCreate9(iSdkVersion);
  return pSystem != nullptr ? new ResizingDirect3D(pSystem) : nullptr;
}

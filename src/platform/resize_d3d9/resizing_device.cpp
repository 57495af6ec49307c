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

#include "forwarding_direct3d.h"
#include "gl_draw_size.h"

namespace {

using d3d9gl::DrawSize;

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

class ResizingDevice final : public IDirect3DDevice9 {
 public:
  ResizingDevice(IDirect3DDevice9* pSystem, const D3DPRESENT_PARAMETERS& Params)
      : pReal(pSystem),
        Params(Params),
        Base{static_cast<int>(Params.BackBufferWidth), static_cast<int>(Params.BackBufferHeight)},
        BackBuffer(Base),
        Picture{0, 0, Base.iWidth, Base.iHeight} {}

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
      Picture = {0, 0, Base.iWidth, Base.iHeight};
    }
    return hr;
  }

  // With bars, the whole back buffer is cleared black first; the engine's
  // clear then fills its picture, the viewport.
  HRESULT STDMETHODCALLTYPE Clear(DWORD iCount, const D3DRECT* pRects, DWORD dwFlags, D3DCOLOR dwColour, float fZ,
                                  DWORD dwStencil) override {
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

  HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override { return pReal->TestCooperativeLevel(); }
  UINT STDMETHODCALLTYPE GetAvailableTextureMem() override { return pReal->GetAvailableTextureMem(); }
  HRESULT STDMETHODCALLTYPE EvictManagedResources() override { return pReal->EvictManagedResources(); }
  HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D9** ppD3D9) override { return pReal->GetDirect3D(ppD3D9); }
  HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS9* pCaps) override { return pReal->GetDeviceCaps(pCaps); }
  HRESULT STDMETHODCALLTYPE GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) override {
    return pReal->GetDisplayMode(iSwapChain, pMode);
  }
  HRESULT STDMETHODCALLTYPE GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters) override {
    return pReal->GetCreationParameters(pParameters);
  }
  HRESULT STDMETHODCALLTYPE SetCursorProperties(UINT XHotSpot, UINT YHotSpot,
                                                IDirect3DSurface9* pCursorBitmap) override {
    return pReal->SetCursorProperties(XHotSpot, YHotSpot, pCursorBitmap);
  }
  void STDMETHODCALLTYPE SetCursorPosition(int X, int Y, DWORD Flags) override {
    pReal->SetCursorPosition(X, Y, Flags);
  }
  WINBOOL STDMETHODCALLTYPE ShowCursor(WINBOOL bShow) override { return pReal->ShowCursor(bShow); }
  HRESULT STDMETHODCALLTYPE CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* pPresentationParameters,
                                                      IDirect3DSwapChain9** pSwapChain) override {
    return pReal->CreateAdditionalSwapChain(pPresentationParameters, pSwapChain);
  }
  HRESULT STDMETHODCALLTYPE GetSwapChain(UINT iSwapChain, IDirect3DSwapChain9** pSwapChain) override {
    return pReal->GetSwapChain(iSwapChain, pSwapChain);
  }
  UINT STDMETHODCALLTYPE GetNumberOfSwapChains() override { return pReal->GetNumberOfSwapChains(); }
  HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                                          IDirect3DSurface9** ppBackBuffer) override {
    return pReal->GetBackBuffer(iSwapChain, iBackBuffer, Type, ppBackBuffer);
  }
  HRESULT STDMETHODCALLTYPE GetRasterStatus(UINT iSwapChain, D3DRASTER_STATUS* pRasterStatus) override {
    return pReal->GetRasterStatus(iSwapChain, pRasterStatus);
  }
  HRESULT STDMETHODCALLTYPE SetDialogBoxMode(WINBOOL bEnableDialogs) override {
    return pReal->SetDialogBoxMode(bEnableDialogs);
  }
  void STDMETHODCALLTYPE SetGammaRamp(UINT swapchain_idx, DWORD flags, const D3DGAMMARAMP* ramp) override {
    pReal->SetGammaRamp(swapchain_idx, flags, ramp);
  }
  void STDMETHODCALLTYPE GetGammaRamp(UINT iSwapChain, D3DGAMMARAMP* pRamp) override {
    pReal->GetGammaRamp(iSwapChain, pRamp);
  }
  HRESULT STDMETHODCALLTYPE CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                                          D3DPOOL Pool, IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) override {
    return pReal->CreateTexture(Width, Height, Levels, Usage, Format, Pool, ppTexture, pSharedHandle);
  }
  HRESULT STDMETHODCALLTYPE CreateVolumeTexture(UINT Width, UINT Height, UINT Depth, UINT Levels, DWORD Usage,
                                                D3DFORMAT Format, D3DPOOL Pool,
                                                IDirect3DVolumeTexture9** ppVolumeTexture,
                                                HANDLE* pSharedHandle) override {
    return pReal->CreateVolumeTexture(Width, Height, Depth, Levels, Usage, Format, Pool, ppVolumeTexture,
                                      pSharedHandle);
  }
  HRESULT STDMETHODCALLTYPE CreateCubeTexture(UINT EdgeLength, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                              IDirect3DCubeTexture9** ppCubeTexture, HANDLE* pSharedHandle) override {
    return pReal->CreateCubeTexture(EdgeLength, Levels, Usage, Format, Pool, ppCubeTexture, pSharedHandle);
  }
  HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                               IDirect3DVertexBuffer9** ppVertexBuffer,
                                               HANDLE* pSharedHandle) override {
    return pReal->CreateVertexBuffer(Length, Usage, FVF, Pool, ppVertexBuffer, pSharedHandle);
  }
  HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                              IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) override {
    return pReal->CreateIndexBuffer(Length, Usage, Format, Pool, ppIndexBuffer, pSharedHandle);
  }
  HRESULT STDMETHODCALLTYPE CreateRenderTarget(UINT Width, UINT Height, D3DFORMAT Format,
                                               D3DMULTISAMPLE_TYPE MultiSample, DWORD MultisampleQuality,
                                               WINBOOL Lockable, IDirect3DSurface9** ppSurface,
                                               HANDLE* pSharedHandle) override {
    return pReal->CreateRenderTarget(Width, Height, Format, MultiSample, MultisampleQuality, Lockable, ppSurface,
                                     pSharedHandle);
  }
  HRESULT STDMETHODCALLTYPE CreateDepthStencilSurface(UINT Width, UINT Height, D3DFORMAT Format,
                                                      D3DMULTISAMPLE_TYPE MultiSample, DWORD MultisampleQuality,
                                                      WINBOOL Discard, IDirect3DSurface9** ppSurface,
                                                      HANDLE* pSharedHandle) override {
    return pReal->CreateDepthStencilSurface(Width, Height, Format, MultiSample, MultisampleQuality, Discard, ppSurface,
                                            pSharedHandle);
  }
  HRESULT STDMETHODCALLTYPE UpdateSurface(IDirect3DSurface9* src_surface, const RECT* src_rect,
                                          IDirect3DSurface9* dst_surface, const POINT* dst_point) override {
    return pReal->UpdateSurface(src_surface, src_rect, dst_surface, dst_point);
  }
  HRESULT STDMETHODCALLTYPE UpdateTexture(IDirect3DBaseTexture9* pSourceTexture,
                                          IDirect3DBaseTexture9* pDestinationTexture) override {
    return pReal->UpdateTexture(pSourceTexture, pDestinationTexture);
  }
  HRESULT STDMETHODCALLTYPE GetRenderTargetData(IDirect3DSurface9* pRenderTarget,
                                                IDirect3DSurface9* pDestSurface) override {
    return pReal->GetRenderTargetData(pRenderTarget, pDestSurface);
  }
  HRESULT STDMETHODCALLTYPE GetFrontBufferData(UINT iSwapChain, IDirect3DSurface9* pDestSurface) override {
    return pReal->GetFrontBufferData(iSwapChain, pDestSurface);
  }
  HRESULT STDMETHODCALLTYPE StretchRect(IDirect3DSurface9* src_surface, const RECT* src_rect,
                                        IDirect3DSurface9* dst_surface, const RECT* dst_rect,
                                        D3DTEXTUREFILTERTYPE filter) override {
    return pReal->StretchRect(src_surface, src_rect, dst_surface, dst_rect, filter);
  }
  HRESULT STDMETHODCALLTYPE ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) override {
    return pReal->ColorFill(surface, rect, color);
  }
  HRESULT STDMETHODCALLTYPE CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DPOOL Pool,
                                                        IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle) override {
    return pReal->CreateOffscreenPlainSurface(Width, Height, Format, Pool, ppSurface, pSharedHandle);
  }
  HRESULT STDMETHODCALLTYPE SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) override {
    return pReal->SetRenderTarget(RenderTargetIndex, pRenderTarget);
  }
  HRESULT STDMETHODCALLTYPE GetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget) override {
    return pReal->GetRenderTarget(RenderTargetIndex, ppRenderTarget);
  }
  HRESULT STDMETHODCALLTYPE SetDepthStencilSurface(IDirect3DSurface9* pNewZStencil) override {
    return pReal->SetDepthStencilSurface(pNewZStencil);
  }
  HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface9** ppZStencilSurface) override {
    return pReal->GetDepthStencilSurface(ppZStencilSurface);
  }
  HRESULT STDMETHODCALLTYPE BeginScene() override { return pReal->BeginScene(); }
  HRESULT STDMETHODCALLTYPE EndScene() override { return pReal->EndScene(); }
  HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override {
    return pReal->SetTransform(state, matrix);
  }
  HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override {
    return pReal->GetTransform(State, pMatrix);
  }
  HRESULT STDMETHODCALLTYPE MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override {
    return pReal->MultiplyTransform(state, matrix);
  }
  HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT9* viewport) override { return pReal->SetViewport(viewport); }
  HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT9* pViewport) override { return pReal->GetViewport(pViewport); }
  HRESULT STDMETHODCALLTYPE SetMaterial(const D3DMATERIAL9* material) override { return pReal->SetMaterial(material); }
  HRESULT STDMETHODCALLTYPE GetMaterial(D3DMATERIAL9* pMaterial) override { return pReal->GetMaterial(pMaterial); }
  HRESULT STDMETHODCALLTYPE SetLight(DWORD index, const D3DLIGHT9* light) override {
    return pReal->SetLight(index, light);
  }
  HRESULT STDMETHODCALLTYPE GetLight(DWORD Index, D3DLIGHT9* pLight) override { return pReal->GetLight(Index, pLight); }
  HRESULT STDMETHODCALLTYPE LightEnable(DWORD Index, WINBOOL Enable) override {
    return pReal->LightEnable(Index, Enable);
  }
  HRESULT STDMETHODCALLTYPE GetLightEnable(DWORD Index, WINBOOL* pEnable) override {
    return pReal->GetLightEnable(Index, pEnable);
  }
  HRESULT STDMETHODCALLTYPE SetClipPlane(DWORD index, const float* plane) override {
    return pReal->SetClipPlane(index, plane);
  }
  HRESULT STDMETHODCALLTYPE GetClipPlane(DWORD Index, float* pPlane) override {
    return pReal->GetClipPlane(Index, pPlane);
  }
  HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override {
    return pReal->SetRenderState(State, Value);
  }
  HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) override {
    return pReal->GetRenderState(State, pValue);
  }
  HRESULT STDMETHODCALLTYPE CreateStateBlock(D3DSTATEBLOCKTYPE Type, IDirect3DStateBlock9** ppSB) override {
    return pReal->CreateStateBlock(Type, ppSB);
  }
  HRESULT STDMETHODCALLTYPE BeginStateBlock() override { return pReal->BeginStateBlock(); }
  HRESULT STDMETHODCALLTYPE EndStateBlock(IDirect3DStateBlock9** ppSB) override { return pReal->EndStateBlock(ppSB); }
  HRESULT STDMETHODCALLTYPE SetClipStatus(const D3DCLIPSTATUS9* clip_status) override {
    return pReal->SetClipStatus(clip_status);
  }
  HRESULT STDMETHODCALLTYPE GetClipStatus(D3DCLIPSTATUS9* pClipStatus) override {
    return pReal->GetClipStatus(pClipStatus);
  }
  HRESULT STDMETHODCALLTYPE GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) override {
    return pReal->GetTexture(Stage, ppTexture);
  }
  HRESULT STDMETHODCALLTYPE SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) override {
    return pReal->SetTexture(Stage, pTexture);
  }
  HRESULT STDMETHODCALLTYPE GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) override {
    return pReal->GetTextureStageState(Stage, Type, pValue);
  }
  HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override {
    return pReal->SetTextureStageState(Stage, Type, Value);
  }
  HRESULT STDMETHODCALLTYPE GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) override {
    return pReal->GetSamplerState(Sampler, Type, pValue);
  }
  HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) override {
    return pReal->SetSamplerState(Sampler, Type, Value);
  }
  HRESULT STDMETHODCALLTYPE ValidateDevice(DWORD* pNumPasses) override { return pReal->ValidateDevice(pNumPasses); }
  HRESULT STDMETHODCALLTYPE SetPaletteEntries(UINT palette_idx, const PALETTEENTRY* entries) override {
    return pReal->SetPaletteEntries(palette_idx, entries);
  }
  HRESULT STDMETHODCALLTYPE GetPaletteEntries(UINT PaletteNumber, PALETTEENTRY* pEntries) override {
    return pReal->GetPaletteEntries(PaletteNumber, pEntries);
  }
  HRESULT STDMETHODCALLTYPE SetCurrentTexturePalette(UINT PaletteNumber) override {
    return pReal->SetCurrentTexturePalette(PaletteNumber);
  }
  HRESULT STDMETHODCALLTYPE GetCurrentTexturePalette(UINT* PaletteNumber) override {
    return pReal->GetCurrentTexturePalette(PaletteNumber);
  }
  HRESULT STDMETHODCALLTYPE SetScissorRect(const RECT* rect) override { return pReal->SetScissorRect(rect); }
  HRESULT STDMETHODCALLTYPE GetScissorRect(RECT* pRect) override { return pReal->GetScissorRect(pRect); }
  HRESULT STDMETHODCALLTYPE SetSoftwareVertexProcessing(WINBOOL bSoftware) override {
    return pReal->SetSoftwareVertexProcessing(bSoftware);
  }
  WINBOOL STDMETHODCALLTYPE GetSoftwareVertexProcessing() override { return pReal->GetSoftwareVertexProcessing(); }
  HRESULT STDMETHODCALLTYPE SetNPatchMode(float nSegments) override { return pReal->SetNPatchMode(nSegments); }
  float STDMETHODCALLTYPE GetNPatchMode() override { return pReal->GetNPatchMode(); }
  HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                                          UINT PrimitiveCount) override {
    return pReal->DrawPrimitive(PrimitiveType, StartVertex, PrimitiveCount);
  }
  HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE Type, INT BaseVertexIndex, UINT MinVertexIndex,
                                                 UINT NumVertices, UINT startIndex, UINT primCount) override {
    return pReal->DrawIndexedPrimitive(Type, BaseVertexIndex, MinVertexIndex, NumVertices, startIndex, primCount);
  }
  HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE primitive_type, UINT primitive_count, const void* data,
                                            UINT stride) override {
    return pReal->DrawPrimitiveUP(primitive_type, primitive_count, data, stride);
  }
  HRESULT STDMETHODCALLTYPE DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE primitive_type, UINT min_vertex_idx,
                                                   UINT vertex_count, UINT primitive_count, const void* index_data,
                                                   D3DFORMAT index_format, const void* data, UINT stride) override {
    return pReal->DrawIndexedPrimitiveUP(primitive_type, min_vertex_idx, vertex_count, primitive_count, index_data,
                                         index_format, data, stride);
  }
  HRESULT STDMETHODCALLTYPE ProcessVertices(UINT SrcStartIndex, UINT DestIndex, UINT VertexCount,
                                            IDirect3DVertexBuffer9* pDestBuffer,
                                            IDirect3DVertexDeclaration9* pVertexDecl, DWORD Flags) override {
    return pReal->ProcessVertices(SrcStartIndex, DestIndex, VertexCount, pDestBuffer, pVertexDecl, Flags);
  }
  HRESULT STDMETHODCALLTYPE CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                                    IDirect3DVertexDeclaration9** declaration) override {
    return pReal->CreateVertexDeclaration(elements, declaration);
  }
  HRESULT STDMETHODCALLTYPE SetVertexDeclaration(IDirect3DVertexDeclaration9* pDecl) override {
    return pReal->SetVertexDeclaration(pDecl);
  }
  HRESULT STDMETHODCALLTYPE GetVertexDeclaration(IDirect3DVertexDeclaration9** ppDecl) override {
    return pReal->GetVertexDeclaration(ppDecl);
  }
  HRESULT STDMETHODCALLTYPE SetFVF(DWORD FVF) override { return pReal->SetFVF(FVF); }
  HRESULT STDMETHODCALLTYPE GetFVF(DWORD* pFVF) override { return pReal->GetFVF(pFVF); }
  HRESULT STDMETHODCALLTYPE CreateVertexShader(const DWORD* byte_code, IDirect3DVertexShader9** shader) override {
    return pReal->CreateVertexShader(byte_code, shader);
  }
  HRESULT STDMETHODCALLTYPE SetVertexShader(IDirect3DVertexShader9* pShader) override {
    return pReal->SetVertexShader(pShader);
  }
  HRESULT STDMETHODCALLTYPE GetVertexShader(IDirect3DVertexShader9** ppShader) override {
    return pReal->GetVertexShader(ppShader);
  }
  HRESULT STDMETHODCALLTYPE SetVertexShaderConstantF(UINT reg_idx, const float* data, UINT count) override {
    return pReal->SetVertexShaderConstantF(reg_idx, data, count);
  }
  HRESULT STDMETHODCALLTYPE GetVertexShaderConstantF(UINT StartRegister, float* pConstantData,
                                                     UINT Vector4fCount) override {
    return pReal->GetVertexShaderConstantF(StartRegister, pConstantData, Vector4fCount);
  }
  HRESULT STDMETHODCALLTYPE SetVertexShaderConstantI(UINT reg_idx, const int* data, UINT count) override {
    return pReal->SetVertexShaderConstantI(reg_idx, data, count);
  }
  HRESULT STDMETHODCALLTYPE GetVertexShaderConstantI(UINT StartRegister, int* pConstantData,
                                                     UINT Vector4iCount) override {
    return pReal->GetVertexShaderConstantI(StartRegister, pConstantData, Vector4iCount);
  }
  HRESULT STDMETHODCALLTYPE SetVertexShaderConstantB(UINT reg_idx, const WINBOOL* data, UINT count) override {
    return pReal->SetVertexShaderConstantB(reg_idx, data, count);
  }
  HRESULT STDMETHODCALLTYPE GetVertexShaderConstantB(UINT StartRegister, WINBOOL* pConstantData,
                                                     UINT BoolCount) override {
    return pReal->GetVertexShaderConstantB(StartRegister, pConstantData, BoolCount);
  }
  HRESULT STDMETHODCALLTYPE SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                                            UINT Stride) override {
    return pReal->SetStreamSource(StreamNumber, pStreamData, OffsetInBytes, Stride);
  }
  HRESULT STDMETHODCALLTYPE GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData,
                                            UINT* OffsetInBytes, UINT* pStride) override {
    return pReal->GetStreamSource(StreamNumber, ppStreamData, OffsetInBytes, pStride);
  }
  HRESULT STDMETHODCALLTYPE SetStreamSourceFreq(UINT StreamNumber, UINT Divider) override {
    return pReal->SetStreamSourceFreq(StreamNumber, Divider);
  }
  HRESULT STDMETHODCALLTYPE GetStreamSourceFreq(UINT StreamNumber, UINT* Divider) override {
    return pReal->GetStreamSourceFreq(StreamNumber, Divider);
  }
  HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer9* pIndexData) override {
    return pReal->SetIndices(pIndexData);
  }
  HRESULT STDMETHODCALLTYPE GetIndices(IDirect3DIndexBuffer9** ppIndexData) override {
    return pReal->GetIndices(ppIndexData);
  }
  HRESULT STDMETHODCALLTYPE CreatePixelShader(const DWORD* byte_code, IDirect3DPixelShader9** shader) override {
    return pReal->CreatePixelShader(byte_code, shader);
  }
  HRESULT STDMETHODCALLTYPE SetPixelShader(IDirect3DPixelShader9* pShader) override {
    return pReal->SetPixelShader(pShader);
  }
  HRESULT STDMETHODCALLTYPE GetPixelShader(IDirect3DPixelShader9** ppShader) override {
    return pReal->GetPixelShader(ppShader);
  }
  HRESULT STDMETHODCALLTYPE SetPixelShaderConstantF(UINT reg_idx, const float* data, UINT count) override {
    return pReal->SetPixelShaderConstantF(reg_idx, data, count);
  }
  HRESULT STDMETHODCALLTYPE GetPixelShaderConstantF(UINT StartRegister, float* pConstantData,
                                                    UINT Vector4fCount) override {
    return pReal->GetPixelShaderConstantF(StartRegister, pConstantData, Vector4fCount);
  }
  HRESULT STDMETHODCALLTYPE SetPixelShaderConstantI(UINT reg_idx, const int* data, UINT count) override {
    return pReal->SetPixelShaderConstantI(reg_idx, data, count);
  }
  HRESULT STDMETHODCALLTYPE GetPixelShaderConstantI(UINT StartRegister, int* pConstantData,
                                                    UINT Vector4iCount) override {
    return pReal->GetPixelShaderConstantI(StartRegister, pConstantData, Vector4iCount);
  }
  HRESULT STDMETHODCALLTYPE SetPixelShaderConstantB(UINT reg_idx, const WINBOOL* data, UINT count) override {
    return pReal->SetPixelShaderConstantB(reg_idx, data, count);
  }
  HRESULT STDMETHODCALLTYPE GetPixelShaderConstantB(UINT StartRegister, WINBOOL* pConstantData,
                                                    UINT BoolCount) override {
    return pReal->GetPixelShaderConstantB(StartRegister, pConstantData, BoolCount);
  }
  HRESULT STDMETHODCALLTYPE DrawRectPatch(UINT handle, const float* segment_count,
                                          const D3DRECTPATCH_INFO* patch_info) override {
    return pReal->DrawRectPatch(handle, segment_count, patch_info);
  }
  HRESULT STDMETHODCALLTYPE DrawTriPatch(UINT handle, const float* segment_count,
                                         const D3DTRIPATCH_INFO* patch_info) override {
    return pReal->DrawTriPatch(handle, segment_count, patch_info);
  }
  HRESULT STDMETHODCALLTYPE DeletePatch(UINT Handle) override { return pReal->DeletePatch(Handle); }
  HRESULT STDMETHODCALLTYPE CreateQuery(D3DQUERYTYPE Type, IDirect3DQuery9** ppQuery) override {
    return pReal->CreateQuery(Type, ppQuery);
  }

 private:
  // The engine's rectangles count in its own back buffer's pixels.
  const D3DRECT* ScaledRects(DWORD iCount, const D3DRECT* pRects) {
    if (pRects == nullptr || BackBuffer == Base) return pRects;
    Rects.assign(pRects, pRects + iCount);
    for (D3DRECT& r : Rects) {
      r.x1 = Picture.iX + MulDiv(r.x1, Picture.iWidth, Base.iWidth);
      r.x2 = Picture.iX + MulDiv(r.x2, Picture.iWidth, Base.iWidth);
      r.y1 = Picture.iY + MulDiv(r.y1, Picture.iHeight, Base.iHeight);
      r.y2 = Picture.iY + MulDiv(r.y2, Picture.iHeight, Base.iHeight);
    }
    return Rects.data();
  }

  void SetPictureViewport() {
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
    const DrawSize Fit = d3d9gl::SizeToDraw(Base, Window, 1.0, kMaxEdge);
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
      const d3d9gl::PresentRect Shown =
          d3d9gl::FitKeepingShape(Base.iWidth, Base.iHeight, Wanted.iWidth, Wanted.iHeight);
      Picture = Wanted == Base ? d3d9gl::PresentRect{0, 0, Base.iWidth, Base.iHeight} : Shown;
    }
    Fresh.Read(pReal);
    Kept.Write(pReal, Fresh);
    Fresh.LetGo();
    SetPictureViewport();
  }

  static constexpr int kMaxEdge = 16384;

  IDirect3DDevice9* pReal;
  D3DPRESENT_PARAMETERS Params;
  DrawSize Base, BackBuffer;
  d3d9gl::PresentRect Picture;
  std::vector<D3DRECT> Rects;
  ULONG iRefCount = 1;
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

// The system's Direct3D device behind one of ours that passes every call on:
// a wrapper derives from it and changes what it must. The parameters carry
// the names of Direct3D's own declarations.
#pragma once

#include "forwarding_direct3d.h"

class ForwardingDevice : public ForwardingObject<IDirect3DDevice9> {
 public:
  using ForwardingObject::ForwardingObject;

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
  void STDMETHODCALLTYPE SetGammaRamp(UINT iSwapChain, DWORD Flags, const D3DGAMMARAMP* pRamp) override {
    pReal->SetGammaRamp(iSwapChain, Flags, pRamp);
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
  HRESULT STDMETHODCALLTYPE UpdateSurface(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect,
                                          IDirect3DSurface9* pDestSurface, const POINT* pDestPoint) override {
    return pReal->UpdateSurface(pSourceSurface, pSourceRect, pDestSurface, pDestPoint);
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
  HRESULT STDMETHODCALLTYPE StretchRect(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect,
                                        IDirect3DSurface9* pDestSurface, const RECT* pDestRect,
                                        D3DTEXTUREFILTERTYPE Filter) override {
    return pReal->StretchRect(pSourceSurface, pSourceRect, pDestSurface, pDestRect, Filter);
  }
  HRESULT STDMETHODCALLTYPE ColorFill(IDirect3DSurface9* pSurface, const RECT* pRect, D3DCOLOR Color) override {
    return pReal->ColorFill(pSurface, pRect, Color);
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
  HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override {
    return pReal->SetTransform(State, pMatrix);
  }
  HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override {
    return pReal->GetTransform(State, pMatrix);
  }
  HRESULT STDMETHODCALLTYPE MultiplyTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override {
    return pReal->MultiplyTransform(State, pMatrix);
  }
  HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT9* pViewport) override {
    return pReal->SetViewport(pViewport);
  }
  HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT9* pViewport) override { return pReal->GetViewport(pViewport); }
  HRESULT STDMETHODCALLTYPE SetMaterial(const D3DMATERIAL9* pMaterial) override {
    return pReal->SetMaterial(pMaterial);
  }
  HRESULT STDMETHODCALLTYPE GetMaterial(D3DMATERIAL9* pMaterial) override { return pReal->GetMaterial(pMaterial); }
  HRESULT STDMETHODCALLTYPE SetLight(DWORD Index, const D3DLIGHT9* pLight) override {
    return pReal->SetLight(Index, pLight);
  }
  HRESULT STDMETHODCALLTYPE GetLight(DWORD Index, D3DLIGHT9* pLight) override { return pReal->GetLight(Index, pLight); }
  HRESULT STDMETHODCALLTYPE LightEnable(DWORD Index, WINBOOL Enable) override {
    return pReal->LightEnable(Index, Enable);
  }
  HRESULT STDMETHODCALLTYPE GetLightEnable(DWORD Index, WINBOOL* pEnable) override {
    return pReal->GetLightEnable(Index, pEnable);
  }
  HRESULT STDMETHODCALLTYPE SetClipPlane(DWORD Index, const float* pPlane) override {
    return pReal->SetClipPlane(Index, pPlane);
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
  HRESULT STDMETHODCALLTYPE SetClipStatus(const D3DCLIPSTATUS9* pClipStatus) override {
    return pReal->SetClipStatus(pClipStatus);
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
  HRESULT STDMETHODCALLTYPE SetPaletteEntries(UINT PaletteNumber, const PALETTEENTRY* pEntries) override {
    return pReal->SetPaletteEntries(PaletteNumber, pEntries);
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
  HRESULT STDMETHODCALLTYPE SetScissorRect(const RECT* pRect) override { return pReal->SetScissorRect(pRect); }
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
  HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                            const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) override {
    return pReal->DrawPrimitiveUP(PrimitiveType, PrimitiveCount, pVertexStreamZeroData, VertexStreamZeroStride);
  }
  HRESULT STDMETHODCALLTYPE DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex,
                                                   UINT NumVertices, UINT PrimitiveCount, const void* pIndexData,
                                                   D3DFORMAT IndexDataFormat, const void* pVertexStreamZeroData,
                                                   UINT VertexStreamZeroStride) override {
    return pReal->DrawIndexedPrimitiveUP(PrimitiveType, MinVertexIndex, NumVertices, PrimitiveCount, pIndexData,
                                         IndexDataFormat, pVertexStreamZeroData, VertexStreamZeroStride);
  }
  HRESULT STDMETHODCALLTYPE ProcessVertices(UINT SrcStartIndex, UINT DestIndex, UINT VertexCount,
                                            IDirect3DVertexBuffer9* pDestBuffer,
                                            IDirect3DVertexDeclaration9* pVertexDecl, DWORD Flags) override {
    return pReal->ProcessVertices(SrcStartIndex, DestIndex, VertexCount, pDestBuffer, pVertexDecl, Flags);
  }
  HRESULT STDMETHODCALLTYPE CreateVertexDeclaration(const D3DVERTEXELEMENT9* pVertexElements,
                                                    IDirect3DVertexDeclaration9** ppDecl) override {
    return pReal->CreateVertexDeclaration(pVertexElements, ppDecl);
  }
  HRESULT STDMETHODCALLTYPE SetVertexDeclaration(IDirect3DVertexDeclaration9* pDecl) override {
    return pReal->SetVertexDeclaration(pDecl);
  }
  HRESULT STDMETHODCALLTYPE GetVertexDeclaration(IDirect3DVertexDeclaration9** ppDecl) override {
    return pReal->GetVertexDeclaration(ppDecl);
  }
  HRESULT STDMETHODCALLTYPE SetFVF(DWORD FVF) override { return pReal->SetFVF(FVF); }
  HRESULT STDMETHODCALLTYPE GetFVF(DWORD* pFVF) override { return pReal->GetFVF(pFVF); }
  HRESULT STDMETHODCALLTYPE CreateVertexShader(const DWORD* pFunction, IDirect3DVertexShader9** ppShader) override {
    return pReal->CreateVertexShader(pFunction, ppShader);
  }
  HRESULT STDMETHODCALLTYPE SetVertexShader(IDirect3DVertexShader9* pShader) override {
    return pReal->SetVertexShader(pShader);
  }
  HRESULT STDMETHODCALLTYPE GetVertexShader(IDirect3DVertexShader9** ppShader) override {
    return pReal->GetVertexShader(ppShader);
  }
  HRESULT STDMETHODCALLTYPE SetVertexShaderConstantF(UINT StartRegister, const float* pConstantData,
                                                     UINT Vector4fCount) override {
    return pReal->SetVertexShaderConstantF(StartRegister, pConstantData, Vector4fCount);
  }
  HRESULT STDMETHODCALLTYPE GetVertexShaderConstantF(UINT StartRegister, float* pConstantData,
                                                     UINT Vector4fCount) override {
    return pReal->GetVertexShaderConstantF(StartRegister, pConstantData, Vector4fCount);
  }
  HRESULT STDMETHODCALLTYPE SetVertexShaderConstantI(UINT StartRegister, const int* pConstantData,
                                                     UINT Vector4iCount) override {
    return pReal->SetVertexShaderConstantI(StartRegister, pConstantData, Vector4iCount);
  }
  HRESULT STDMETHODCALLTYPE GetVertexShaderConstantI(UINT StartRegister, int* pConstantData,
                                                     UINT Vector4iCount) override {
    return pReal->GetVertexShaderConstantI(StartRegister, pConstantData, Vector4iCount);
  }
  HRESULT STDMETHODCALLTYPE SetVertexShaderConstantB(UINT StartRegister, const WINBOOL* pConstantData,
                                                     UINT BoolCount) override {
    return pReal->SetVertexShaderConstantB(StartRegister, pConstantData, BoolCount);
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
  HRESULT STDMETHODCALLTYPE CreatePixelShader(const DWORD* pFunction, IDirect3DPixelShader9** ppShader) override {
    return pReal->CreatePixelShader(pFunction, ppShader);
  }
  HRESULT STDMETHODCALLTYPE SetPixelShader(IDirect3DPixelShader9* pShader) override {
    return pReal->SetPixelShader(pShader);
  }
  HRESULT STDMETHODCALLTYPE GetPixelShader(IDirect3DPixelShader9** ppShader) override {
    return pReal->GetPixelShader(ppShader);
  }
  HRESULT STDMETHODCALLTYPE SetPixelShaderConstantF(UINT StartRegister, const float* pConstantData,
                                                    UINT Vector4fCount) override {
    return pReal->SetPixelShaderConstantF(StartRegister, pConstantData, Vector4fCount);
  }
  HRESULT STDMETHODCALLTYPE GetPixelShaderConstantF(UINT StartRegister, float* pConstantData,
                                                    UINT Vector4fCount) override {
    return pReal->GetPixelShaderConstantF(StartRegister, pConstantData, Vector4fCount);
  }
  HRESULT STDMETHODCALLTYPE SetPixelShaderConstantI(UINT StartRegister, const int* pConstantData,
                                                    UINT Vector4iCount) override {
    return pReal->SetPixelShaderConstantI(StartRegister, pConstantData, Vector4iCount);
  }
  HRESULT STDMETHODCALLTYPE GetPixelShaderConstantI(UINT StartRegister, int* pConstantData,
                                                    UINT Vector4iCount) override {
    return pReal->GetPixelShaderConstantI(StartRegister, pConstantData, Vector4iCount);
  }
  HRESULT STDMETHODCALLTYPE SetPixelShaderConstantB(UINT StartRegister, const WINBOOL* pConstantData,
                                                    UINT BoolCount) override {
    return pReal->SetPixelShaderConstantB(StartRegister, pConstantData, BoolCount);
  }
  HRESULT STDMETHODCALLTYPE GetPixelShaderConstantB(UINT StartRegister, WINBOOL* pConstantData,
                                                    UINT BoolCount) override {
    return pReal->GetPixelShaderConstantB(StartRegister, pConstantData, BoolCount);
  }
  HRESULT STDMETHODCALLTYPE DrawRectPatch(UINT Handle, const float* pNumSegs,
                                          const D3DRECTPATCH_INFO* pPatchInfo) override {
    return pReal->DrawRectPatch(Handle, pNumSegs, pPatchInfo);
  }
  HRESULT STDMETHODCALLTYPE DrawTriPatch(UINT Handle, const float* pNumSegs,
                                         const D3DTRIPATCH_INFO* pPatchInfo) override {
    return pReal->DrawTriPatch(Handle, pNumSegs, pPatchInfo);
  }
  HRESULT STDMETHODCALLTYPE DeletePatch(UINT Handle) override { return pReal->DeletePatch(Handle); }
  HRESULT STDMETHODCALLTYPE CreateQuery(D3DQUERYTYPE Type, IDirect3DQuery9** ppQuery) override {
    return pReal->CreateQuery(Type, ppQuery);
  }
};

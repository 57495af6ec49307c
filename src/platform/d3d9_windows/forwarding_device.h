// The system's Direct3D device behind one of ours that passes every call on:
// a wrapper derives from it and changes what it must.
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
};

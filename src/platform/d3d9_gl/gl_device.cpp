#include "gl_device.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <tuple>

#include "gl_direct3d.h"
#include "gl_enums.h"
#include "gl_ffp_state.h"
#include "gl_resources.h"
#include "surface_layout.h"

namespace d3d9gl {

// ---- creation ------------------------------------------------------------------

GlDevice::GlDevice(GlDirect3D* pParent, GlContext* pContext, const D3DPRESENT_PARAMETERS& Params,
                   bool bFollowWindow)
    : pParent(pParent),
      pContext(pContext),
      SwapChain(pContext, Params, bFollowWindow),
      State(Params.EnableAutoDepthStencil != FALSE) {
  pParent->AddRef();
  iGlCallsAtStart = iGlCalls;
  bS3tc = GlHasExtension(pContext, "GL_EXT_texture_compression_s3tc");
  const char* pszNoCache = std::getenv("VIMRA_GL_NO_CACHE");
  bCacheOff = pszNoCache != nullptr && std::strcmp(pszNoCache, "1") == 0;
  std::fill(std::begin(SamplerDirty), std::end(SamplerDirty), true);
}

// Bound resources hold references and every resource holds one on its
// device, so nothing is bound any more when the device goes. The context owns
// every GL object the device made; deleting it frees them.
GlDevice::~GlDevice() {
  DestroyGlContext(pContext);
  pParent->Release();
}

void GlDevice::MakeCurrent() { MakeGlContextCurrent(pContext); }

bool GlDevice::BuildBackBuffer() {
  MakeCurrent();
  if (!SwapChain.Build()) return false;
  SetBaseline();
  return true;
}

// The GL state every draw assumes and no Direct3D state changes.
void GlDevice::SetBaseline() {
  Cache.Reset();
  Gl(glBindFramebuffer, GL_FRAMEBUFFER, SwapChain.DrawFramebuffer());
  Gl(glViewport, 0, 0, Drawn().iWidth, Drawn().iHeight);
  // D3D's front faces are clockwise on screen; the back buffer is not flipped.
  Gl(glFrontFace, GL_CW);
  // Flat shading takes the first vertex of a triangle, as D3D does.
  GlFlatShadeFromFirstVertex();
  Gl(glPixelStorei, GL_UNPACK_ALIGNMENT, 1);
  Gl(glPixelStorei, GL_PACK_ALIGNMENT, 1);
  Gl(glGenBuffers, 1, &iUniformBuffer);
  Gl(glBindBufferBase, GL_UNIFORM_BUFFER, kFfpBlockBinding, iUniformBuffer);
  Gl(glBufferData, GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(sizeof(FfpBlock)), static_cast<const void*>(nullptr),
     static_cast<GLenum>(GL_DYNAMIC_DRAW));
  Gl(glGenSamplers, kStageCount, Samplers);
  for (int s = 0; s < kStageCount; ++s) Gl(glBindSampler, static_cast<GLuint>(s), Samplers[s]);
  // GL starts with dithering on, Direct3D with it off.
  Cache.SetScissorTest(false);
  Cache.SetDither(false);
}

}  // namespace d3d9gl

// Made from the one list of reasons, so it is in D3D9Refusal's order.
static constexpr const char* kRefusalNames[] = {
#define VIMRA_D3D9_REFUSAL_NAME(eName, pszWords) pszWords,
    VIMRA_D3D9_REFUSALS(VIMRA_D3D9_REFUSAL_NAME)
#undef VIMRA_D3D9_REFUSAL_NAME
};
// Refuse's once-per-reason note keeps one bit per reason.
static_assert(std::size(kRefusalNames) <= 32);

const char* D3D9RefusalName(D3D9Refusal eReason) {
  const auto iReason = static_cast<size_t>(eReason);
  return iReason < std::size(kRefusalNames) ? kRefusalNames[iReason] : "unknown";
}

namespace d3d9gl {

HRESULT GlDevice::Refuse(D3D9Refusal eReason) {
  eLastRefusal = eReason;
#ifndef NDEBUG
  // Once per reason and process: a refused draw tends to repeat every frame.
  static uint32_t iReasonsSaid = 0;
  const uint32_t iReason = 1u << static_cast<unsigned>(eReason);
  if ((iReasonsSaid & iReason) == 0) {
    std::fprintf(stderr, "Direct3D 9 device: call refused (%s); later ones for this reason are not reported\n",
                 D3D9RefusalName(eReason));
    iReasonsSaid |= iReason;
  }
#endif
  return D3DERR_INVALIDCALL;
}

void GlDevice::ForgetAppliedState() {
  Cache.Reset();
  iDirty = kDirtyAll;
  std::fill(std::begin(SamplerDirty), std::end(SamplerDirty), true);
  iUploadedBytes = 0;
}

void GlDevice::BindBufferOutsideArrays(GLenum eTarget, GLuint iBuffer) {
  Cache.BindVertexArray(0);
  Gl(glBindBuffer, eTarget, iBuffer);
}

void GlDevice::ForgetBuffer(GLuint iBuffer) {
  for (auto it = VertexArrays.begin(); it != VertexArrays.end();) {
    if (it->first.iVertexBuffer == iBuffer || it->first.iIndexBuffer == iBuffer) {
      Cache.ForgetVertexArray(it->second);
      Gl(glDeleteVertexArrays, 1, &it->second);
      it = VertexArrays.erase(it);
    } else {
      ++it;
    }
  }
}

// ---- state recording: only the Direct3D value and what it makes stale -----------

HRESULT GlDevice::SetTransform(D3DTRANSFORMSTATETYPE eTransform, const D3DMATRIX* pMatrix) {
  if (pMatrix == nullptr) return Refuse(D3D9Refusal::kNullArgument);
  D3DMATRIX* pTarget = nullptr;
  if (eTransform == D3DTS_WORLD) {
    pTarget = &State.matWorld;
  } else if (eTransform == D3DTS_VIEW) {
    pTarget = &State.matView;
  } else if (eTransform == D3DTS_PROJECTION) {
    pTarget = &State.matProjection;
  } else if (eTransform >= D3DTS_TEXTURE0 && eTransform < D3DTS_TEXTURE0 + kStageCount) {
    pTarget = &State.TextureMatrices[eTransform - D3DTS_TEXTURE0];
  } else {
    return Refuse(D3D9Refusal::kUnknownTransform);
  }
  if (std::memcmp(pTarget, pMatrix, sizeof *pMatrix) != 0) {
    *pTarget = *pMatrix;
    iDirty |= kDirtyValues;
  }
  return D3D_OK;
}

HRESULT GlDevice::SetRenderState(D3DRENDERSTATETYPE eState, DWORD Value) {
  if (eState >= kRenderStateCount) return Refuse(D3D9Refusal::kStateOutOfRange);
  if (State.RenderStates[eState] != Value) {
    State.RenderStates[eState] = Value;
    iDirty |= RenderStateGroups(eState);
  }
  return D3D_OK;
}

HRESULT GlDevice::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
  if (Stage >= static_cast<DWORD>(kStageCount) || Type >= kStageStateCount)
    return Refuse(D3D9Refusal::kStateOutOfRange);
  if (State.StageStates[Stage][Type] != Value) {
    State.StageStates[Stage][Type] = Value;
    iDirty |= kDirtyProgram;
  }
  return D3D_OK;
}

HRESULT GlDevice::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
  if (Sampler >= static_cast<DWORD>(kStageCount) || Type >= kSamplerStateCount)
    return Refuse(D3D9Refusal::kStateOutOfRange);
  if (State.SamplerStates[Sampler][Type] != Value) {
    State.SamplerStates[Sampler][Type] = Value;
    SamplerDirty[Sampler] = true;
  }
  return D3D_OK;
}

HRESULT GlDevice::SetMaterial(const D3DMATERIAL9* pMaterial) {
  if (pMaterial == nullptr) return Refuse(D3D9Refusal::kNullArgument);
  State.Material = *pMaterial;
  iDirty |= kDirtyValues;
  return D3D_OK;
}

HRESULT GlDevice::SetLight(DWORD Index, const D3DLIGHT9* pLight) {
  if (pLight == nullptr) return Refuse(D3D9Refusal::kNullArgument);
  if (pLight->Type < D3DLIGHT_POINT || pLight->Type > D3DLIGHT_DIRECTIONAL)
    return Refuse(D3D9Refusal::kUnsupportedLightType);
  LightSlot& Slot = State.Lights[Index];
  Slot.Light = *pLight;
  iDirty |= kDirtyValues;
  if (Slot.bEnabled) iDirty |= kDirtyProgram;  // the light's type is part of the key
  return D3D_OK;
}

HRESULT GlDevice::LightEnable(DWORD Index, BOOL Enable) {
  auto it = State.Lights.find(Index);
  if (it == State.Lights.end()) {
    // A light never set is a white directional light along +z.
    D3DLIGHT9 Light = {};
    Light.Type = D3DLIGHT_DIRECTIONAL;
    Light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    Light.Direction = {0.0f, 0.0f, 1.0f};
    it = State.Lights.emplace(Index, LightSlot{Light, false}).first;
  }
  if (it->second.bEnabled != (Enable != FALSE)) {
    it->second.bEnabled = Enable != FALSE;
    iDirty |= kDirtyProgram | kDirtyValues;
  }
  return D3D_OK;
}

HRESULT GlDevice::SetFVF(DWORD FVF) {
  State.dwFvf = FVF;
  return D3D_OK;
}

template <typename T>
static void Rebind(T*& pSlot, T* pNew) {
  if (pNew != nullptr) pNew->AddRef();
  if (pSlot != nullptr) pSlot->Release();
  pSlot = pNew;
}

HRESULT GlDevice::SetIndices(IDirect3DIndexBuffer9* pIndexData) {
  const auto* pOwn = dynamic_cast<GlIndexBuffer*>(pIndexData);
  if (pIndexData != nullptr && (pOwn == nullptr || pOwn->Store.pDevice != this))
    return Refuse(D3D9Refusal::kForeignResource);
  Rebind(State.pIndices, pIndexData);
  return D3D_OK;
}

HRESULT GlDevice::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                                  UINT Stride) {
  if (StreamNumber != 0) return Refuse(D3D9Refusal::kNotStreamZero);
  const auto* pOwn = dynamic_cast<GlVertexBuffer*>(pStreamData);
  if (pStreamData != nullptr && (pOwn == nullptr || pOwn->Store.pDevice != this))
    return Refuse(D3D9Refusal::kForeignResource);
  Rebind(State.pStream, pStreamData);
  State.iStreamOffset = OffsetInBytes;
  State.iStreamStride = Stride;
  return D3D_OK;
}

HRESULT GlDevice::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) {
  if (Stage >= static_cast<DWORD>(kStageCount)) return Refuse(D3D9Refusal::kStateOutOfRange);
  const auto* pOwn = dynamic_cast<GlCubeTexture*>(pTexture);
  if (pTexture != nullptr && (pOwn == nullptr || pOwn->Owner() != this)) return Refuse(D3D9Refusal::kForeignResource);
  if (State.Textures[Stage] != pTexture) {
    Rebind(State.Textures[Stage], pTexture);
    iDirty |= kDirtyProgram;
  }
  return D3D_OK;
}

// ---- resources ------------------------------------------------------------------

HRESULT GlDevice::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL,
                                    IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE*) {
  if (ppIndexBuffer == nullptr) return Refuse(D3D9Refusal::kNullArgument);
  *ppIndexBuffer = nullptr;
  if (Length == 0) return Refuse(D3D9Refusal::kEmptyBuffer);
  if (Format != D3DFMT_INDEX16 && Format != D3DFMT_INDEX32) return Refuse(D3D9Refusal::kUnsupportedFormat);
  *ppIndexBuffer = new GlIndexBuffer(this, Length, Usage, Format);
  return D3D_OK;
}

HRESULT GlDevice::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD, D3DPOOL,
                                     IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE*) {
  if (ppVertexBuffer == nullptr) return Refuse(D3D9Refusal::kNullArgument);
  *ppVertexBuffer = nullptr;
  if (Length == 0) return Refuse(D3D9Refusal::kEmptyBuffer);
  *ppVertexBuffer = new GlVertexBuffer(this, Length, Usage);
  return D3D_OK;
}

HRESULT GlDevice::CreateCubeTexture(UINT EdgeLength, UINT Levels, DWORD, D3DFORMAT Format, D3DPOOL,
                                    IDirect3DCubeTexture9** ppCubeTexture, HANDLE*) {
  if (ppCubeTexture == nullptr) return Refuse(D3D9Refusal::kNullArgument);
  *ppCubeTexture = nullptr;
  MakeCurrent();
  GLint iMaxEdge = 0;
  Gl(glGetIntegerv, GL_MAX_CUBE_MAP_TEXTURE_SIZE, &iMaxEdge);
  if (EdgeLength == 0 || EdgeLength > static_cast<UINT>(iMaxEdge)) return Refuse(D3D9Refusal::kBadTextureSize);
  UINT iFullChain = 1;
  while ((EdgeLength >> iFullChain) > 0) ++iFullChain;
  if (Levels == 0) Levels = iFullChain;
  if (Levels > iFullChain) return Refuse(D3D9Refusal::kBadTextureSize);
  const bool bDxt = IsDxtFormat(Format);
  if (!bDxt && Format != D3DFMT_A8R8G8B8 && Format != D3DFMT_X8R8G8B8) return Refuse(D3D9Refusal::kUnsupportedFormat);
  *ppCubeTexture = new GlCubeTexture(this, EdgeLength, Levels, Format, bDxt && !bS3tc);
  return D3D_OK;
}

// ---- clear, scene and present ---------------------------------------------------

void GlDevice::TakeNextSize() {
  if (SwapChain.TakeNextSize()) iDirty |= kDirtyValues;  // the half-pixel offset is a fraction of the size
}

HRESULT GlDevice::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil) {
  if ((Flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0 && !SwapChain.HasDepth()) {
    return Refuse(D3D9Refusal::kNoDepthBuffer);
  }
  TakeNextSize();
  MakeCurrent();
  if (bCacheOff) ForgetAppliedState();
  GLbitfield iMask = 0;
  if (Flags & D3DCLEAR_TARGET) {
    float Colour[4];
    ColourToFloats(Color, Colour);
    Cache.SetClearColour(Colour);
    // D3D clears every channel whatever the write mask.
    Cache.SetColourMask(kAllChannels);
    iMask |= GL_COLOR_BUFFER_BIT;
  }
  if (Flags & D3DCLEAR_ZBUFFER) {
    Cache.SetClearDepth(std::clamp(Z, 0.0f, 1.0f));
    Cache.SetDepthMask(true);
    iMask |= GL_DEPTH_BUFFER_BIT;
  }
  if (Flags & D3DCLEAR_STENCIL) {
    Cache.SetClearStencil(static_cast<GLint>(Stencil & 0xFF));  // the stencil buffer has 8 bits
    Cache.SetStencilMask(0xFF);
    iMask |= GL_STENCIL_BUFFER_BIT;
  }
  if (iMask == 0) return D3D_OK;
  if (Count == 0 || pRects == nullptr) {
    Gl(glClear, iMask);
  } else {
    Cache.SetScissorTest(true);
    for (DWORD i = 0; i < Count; ++i) {
      // Rectangles count in the engine's back-buffer pixels, whatever size is drawn.
      const D3DRECT r = SwapChain.InDrawnPixels(pRects[i]);
      if (r.x2 <= r.x1 || r.y2 <= r.y1) continue;
      // D3D rectangles count rows from the top; GL's from the bottom.
      Gl(glScissor, static_cast<GLint>(r.x1), static_cast<GLint>(Drawn().iHeight - r.y2),
         static_cast<GLsizei>(r.x2 - r.x1), static_cast<GLsizei>(r.y2 - r.y1));
      Gl(glClear, iMask);
    }
    Cache.SetScissorTest(false);
  }
  iDirty |= kDirtyRaster;  // the write masks must be put back before the next draw
  return D3D_OK;
}

HRESULT GlDevice::BeginScene() {
  if (bInScene) return Refuse(D3D9Refusal::kSceneAlreadyBegun);
  TakeNextSize();
  bInScene = true;
  return D3D_OK;
}

HRESULT GlDevice::EndScene() {
  if (!bInScene) return Refuse(D3D9Refusal::kSceneNotBegun);
  bInScene = false;
  return D3D_OK;
}

HRESULT GlDevice::Present(const RECT*, const RECT*, HWND, const RGNDATA*) {
  MakeCurrent();
  if (SwapChain.Present(Cache)) iDirty |= kDirtyRaster;  // the write masks must be put back before the next draw
  return D3D_OK;
}

bool GlDevice::ReadBackBuffer(std::vector<unsigned char>& Pixels, int& iWidth, int& iHeight) {
  MakeCurrent();
  SwapChain.ReadBack(Pixels, iWidth, iHeight);
  return true;
}

// ---- drawing: bring GL up to date with the dirty groups, then draw ----------------

void GlDevice::ApplyProgram() {
  const FfpKey Key = BuildFfpKey(State);
  if (iCurrentProgram == 0 || !(Key == CurrentKey)) {
    auto it = Programs.find(Key);
    if (it == Programs.end()) {
      const GLuint iProgram = BuildFfpProgram(Key);
      if (iProgram != 0) Cache.NoteProgram(iProgram);  // linking left it in use
      it = Programs.emplace(Key, iProgram).first;
    }
    CurrentKey = Key;
    iCurrentProgram = it->second;
  }
  if (iCurrentProgram != 0) Cache.UseProgram(iCurrentProgram);
}

void GlDevice::ApplyUniforms() {
  FfpBlock Block{};
  const int iLightCount = CurrentKey.iLightCount;
  FillFfpBlock(State, iLightCount, Drawn().iWidth, Drawn().iHeight, Block);
  const size_t iBytes = FfpBlockSize(iLightCount);
  if (iBytes == iUploadedBytes && std::memcmp(&Block, &UploadedBlock, iBytes) == 0) return;
  // Fresh storage for every change: rewriting storage that queued draws still
  // read makes a software rasteriser finish all of them first, draw by draw.
  Gl(glBufferData, GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(sizeof(FfpBlock)), static_cast<const void*>(&Block),
     static_cast<GLenum>(GL_STREAM_DRAW));
  std::memcpy(&UploadedBlock, &Block, iBytes);
  iUploadedBytes = iBytes;
}

void GlDevice::ApplyTextures() {
  for (int s = 0; s < CurrentKey.iStageCount; ++s) {
    if (!CurrentKey.Stages[s].bHasTexture) continue;
    Cache.BindTexture(static_cast<GLuint>(s), GL_TEXTURE_CUBE_MAP, static_cast<GlCubeTexture*>(State.Textures[s])->iTexture);
  }
}

void GlDevice::ApplySamplers() {
  for (int s = 0; s < CurrentKey.iStageCount; ++s) {
    if (!SamplerDirty[s] || !CurrentKey.Stages[s].bHasTexture) continue;
    const DWORD* pState = State.SamplerStates[s];
    Gl(glSamplerParameteri, Samplers[s], GL_TEXTURE_MIN_FILTER, MinFilter(pState[D3DSAMP_MINFILTER], pState[D3DSAMP_MIPFILTER]));
    Gl(glSamplerParameteri, Samplers[s], GL_TEXTURE_MAG_FILTER, MagFilter(pState[D3DSAMP_MAGFILTER]));
    Gl(glSamplerParameteri, Samplers[s], GL_TEXTURE_WRAP_S, AddressMode(pState[D3DSAMP_ADDRESSU]));
    Gl(glSamplerParameteri, Samplers[s], GL_TEXTURE_WRAP_T, AddressMode(pState[D3DSAMP_ADDRESSV]));
    Gl(glSamplerParameteri, Samplers[s], GL_TEXTURE_WRAP_R, AddressMode(pState[D3DSAMP_ADDRESSW]));
    float Border[4];
    ColourToFloats(pState[D3DSAMP_BORDERCOLOR], Border);
    GlSetBorderColour(Samplers[s], static_cast<const GLfloat*>(Border));
    SamplerDirty[s] = false;
  }
}

bool GlDevice::VertexArrayKey::operator<(const VertexArrayKey& o) const {
  return std::tie(iVertexBuffer, iIndexBuffer, iOffset, iStride) <
         std::tie(o.iVertexBuffer, o.iIndexBuffer, o.iOffset, o.iStride);
}

// The base vertex moves the attributes' start (WebGL2 has no base-vertex draw).
void GlDevice::BindVertexArray(UINT iBaseVertex) {
  const VertexArrayKey Key = {static_cast<GlVertexBuffer*>(State.pStream)->Store.iBuffer,
                              static_cast<GlIndexBuffer*>(State.pIndices)->Store.iBuffer,
                              State.iStreamOffset + iBaseVertex * State.iStreamStride, State.iStreamStride};
  auto it = VertexArrays.find(Key);
  if (it == VertexArrays.end()) {
    GLuint iVertexArray = 0;
    Gl(glGenVertexArrays, 1, &iVertexArray);
    Gl(glBindVertexArray, iVertexArray);
    Gl(glBindBuffer, GL_ARRAY_BUFFER, Key.iVertexBuffer);
    Gl(glBindBuffer, GL_ELEMENT_ARRAY_BUFFER, Key.iIndexBuffer);
    // Position, normal, one 2D texture coordinate.
    const GLsizei iStride = static_cast<GLsizei>(Key.iStride);
    const auto Offset = [&](size_t iBytes) { return reinterpret_cast<const void*>(Key.iOffset + iBytes); };
    Gl(glVertexAttribPointer, 0u, 3, static_cast<GLenum>(GL_FLOAT), static_cast<GLboolean>(GL_FALSE), iStride, Offset(0));
    Gl(glVertexAttribPointer, 1u, 3, static_cast<GLenum>(GL_FLOAT), static_cast<GLboolean>(GL_FALSE), iStride, Offset(12));
    Gl(glVertexAttribPointer, 2u, 2, static_cast<GLenum>(GL_FLOAT), static_cast<GLboolean>(GL_FALSE), iStride, Offset(24));
    for (GLuint i = 0; i < 3; ++i) Gl(glEnableVertexAttribArray, i);
    it = VertexArrays.emplace(Key, iVertexArray).first;
    Cache.NoteVertexArray(iVertexArray);
  }
  Cache.BindVertexArray(it->second);
}

// Never let GL read outside the buffers: check the index range and the
// vertices the indices reach.
bool GlDevice::DrawWouldReadOutside(INT iBaseVertex, UINT iStartIndex, UINT iPrimitives) const {
  const auto* pIndexBuffer = static_cast<GlIndexBuffer*>(State.pIndices);
  const auto* pVertexBuffer = static_cast<GlVertexBuffer*>(State.pStream);
  const uint64_t iIndexCount = static_cast<uint64_t>(iPrimitives) * 3;
  if (iBaseVertex < 0 || iStartIndex + iIndexCount > pIndexBuffer->IndexCount()) return true;
  const size_t iVertexBytes = pVertexBuffer->Store.Bytes.size();
  const UINT iOffset = State.iStreamOffset;
  const uint64_t iVertexCount =
      iOffset + kDrawnVertexBytes > iVertexBytes ? 0 : (iVertexBytes - iOffset - kDrawnVertexBytes) / State.iStreamStride + 1;
  // The whole buffer's largest index is known; only a buffer that reaches too
  // far is searched over the drawn range.
  return static_cast<uint64_t>(iBaseVertex) + pIndexBuffer->iMaxIndex >= iVertexCount &&
         static_cast<uint64_t>(iBaseVertex) + pIndexBuffer->MaxIndex(iStartIndex, static_cast<UINT>(iIndexCount)) >=
             iVertexCount;
}

HRESULT GlDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE Type, INT BaseVertexIndex, UINT, UINT, UINT startIndex,
                                       UINT primCount) {
  if (!bInScene) return Refuse(D3D9Refusal::kSceneNotBegun);
  if (Type != D3DPT_TRIANGLELIST) return Refuse(D3D9Refusal::kNotTriangleList);
  if (State.pIndices == nullptr || State.pStream == nullptr) return Refuse(D3D9Refusal::kNoBuffers);
  if (State.dwFvf != kDrawnFvf || State.iStreamStride < kDrawnVertexBytes) {
    return Refuse(D3D9Refusal::kUnsupportedVertexFormat);
  }
  if (primCount == 0) return D3D_OK;
  if (DrawWouldReadOutside(BaseVertexIndex, startIndex, primCount)) return Refuse(D3D9Refusal::kReadsOutsideBuffers);
  MakeCurrent();
  if (bCacheOff) ForgetAppliedState();
  if (iDirty & kDirtyRaster) Cache.SetRaster(RasterStateFor(State.RenderStates, SwapChain.HasDepth()));
  if (iDirty & kDirtyProgram) ApplyProgram();
  if (iCurrentProgram == 0) return Refuse(D3D9Refusal::kNoProgram);
  // The key holds the light count, so a new key may change the block's size.
  if (iDirty & (kDirtyProgram | kDirtyValues)) ApplyUniforms();
  if (iDirty & kDirtyProgram) ApplyTextures();
  ApplySamplers();
  iDirty = 0;
  BindVertexArray(static_cast<UINT>(BaseVertexIndex));
  const auto* pIndexBuffer = static_cast<GlIndexBuffer*>(State.pIndices);
  Gl(glDrawElements, static_cast<GLenum>(GL_TRIANGLES), static_cast<GLsizei>(primCount * 3),
     static_cast<GLenum>(pIndexBuffer->IndexSize() == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT),
     reinterpret_cast<const void*>(static_cast<uintptr_t>(startIndex) * pIndexBuffer->IndexSize()));
  return D3D_OK;
}

}  // namespace d3d9gl

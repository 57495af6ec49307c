// The Direct3D 9 device over OpenGL 3.3 core (or WebGL2 in the browser).
//
// Supports: Clear, BeginScene/EndScene, Present (the back buffer is an
// offscreen framebuffer, multisampled or not, resolved and scaled into the
// window; it is drawn at the window's size, gl_swap_chain.h), transforms
// (world, view, projection, texture 0-7), render states,
// texture stages 0-7 (DISABLE, SELECTARG1/2, MODULATE, MODULATE2X/4X, ADD;
// DIFFUSE, CURRENT, TEXTURE, TFACTOR, SPECULAR, TEMP, COMPLEMENT,
// ALPHAREPLICATE), sampler states, material, directional/point/spot lights,
// vertex format XYZ | NORMAL | TEX1 (position, normal, one 2D texture
// coordinate), 16- and 32-bit index buffers, cube textures and indexed
// triangle lists. Fog states are kept but fog is not drawn (the demo keeps it
// off); so are the material sources, since this vertex format has no colours
// to take instead.
//
// On WebGL2 (OpenGL ES 3.0) the few desktop-only calls are the Gl* helpers
// of gl_calls.h, and the context comes from gl_context_web.cpp.
//
// Every Set* call only records the D3D9 value in the state store and marks
// the groups it feeds dirty. DrawIndexedPrimitive (and Clear) bring GL up to
// date: the states that change shader code form an FfpKey (program cached per
// key), the values go into one uniform block (uploaded only when its bytes
// change), and every other GL state goes through the state cache.
// VIMRA_GL_NO_CACHE=1 in the environment turns the caching off: every state
// is applied again on every draw and clear.
//
// Files: gl_state_store (Direct3D's state and defaults), gl_enums (value
// translation), gl_state_cache (what GL holds), gl_ffp_state (key and block
// from the state), gl_ffp (GLSL), gl_swap_chain (back buffer, present,
// read-back) with gl_draw_scale (how many of the window's pixels are drawn),
// gl_device.cpp (recording, resources, clear, drawing).
#pragma once

#include <map>
#include <unordered_map>
#include <vector>

#include "com_object.h"
#include "d3d9.h"
#include "d3d9_seams.h"
#include "gl_calls.h"
#include "gl_context.h"
#include "gl_ffp.h"
#include "gl_state_cache.h"
#include "gl_state_store.h"
#include "gl_swap_chain.h"

namespace d3d9gl {

class GlDirect3D;

class GlDevice final : public ComObject<IDirect3DDevice9> {
 public:
  // Takes the context; the caller has made it current. Params as made
  // (MultiSampleType is the samples drawn with). bFollowWindow: the picture is
  // drawn at the window's size (else always at the parameters').
  GlDevice(GlDirect3D* pParent, GlContext* pContext, const D3DPRESENT_PARAMETERS& Params, bool bFollowWindow);
  ~GlDevice() override;
  // False when the back buffer could not be made (the device is then unusable).
  bool BuildBackBuffer();

  HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                  const RGNDATA* pDirtyRegion) override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
  HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
  HRESULT SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) override;
  HRESULT SetMaterial(const D3DMATERIAL9* pMaterial) override;
  HRESULT SetLight(DWORD Index, const D3DLIGHT9* pLight) override;
  HRESULT LightEnable(DWORD Index, BOOL Enable) override;
  HRESULT SetFVF(DWORD FVF) override;
  HRESULT SetIndices(IDirect3DIndexBuffer9* pIndexData) override;
  HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                          UINT Stride) override;
  HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) override;
  HRESULT CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                            IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) override;
  HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                             IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle) override;
  HRESULT CreateCubeTexture(UINT EdgeLength, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                            IDirect3DCubeTexture9** ppCubeTexture, HANDLE* pSharedHandle) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE Type, INT BaseVertexIndex, UINT MinVertexIndex,
                               UINT NumVertices, UINT startIndex, UINT primCount) override;

  // ---- for the resources, the seams and tests ----
  void MakeCurrent();
  // Binds a texture on the upload unit (cached like the stages' units).
  void BindForUpload(GLenum eTarget, GLuint iTexture) { Cache.BindTexture(kUploadUnit, eTarget, iTexture); }
  // Binds a buffer to eTarget with no vertex array bound (an element buffer
  // binding is part of the bound vertex array).
  void BindBufferOutsideArrays(GLenum eTarget, GLuint iBuffer);
  // A GL buffer or texture is about to be deleted: forget what refers to it.
  void ForgetBuffer(GLuint iBuffer);
  void ForgetTexture(GLuint iTexture) { Cache.ForgetTexture(iTexture); }
  bool ReadBackBuffer(std::vector<unsigned char>& Pixels, int& iWidth, int& iHeight);
  DrawSize Drawn() const { return SwapChain.Drawn(); }
  uint64_t GlCallsSinceCreation() const { return iGlCalls - iGlCallsAtStart; }
  // Notes why a call to the device or one of its resources is refused and
  // answers D3DERR_INVALIDCALL.
  HRESULT Refuse(D3D9Refusal eReason);
  D3D9Refusal LastRefusal() const { return eLastRefusal; }
  bool HasS3tc() const { return bS3tc; }

 private:
  struct VertexArrayKey {
    GLuint iVertexBuffer, iIndexBuffer, iOffset, iStride;
    bool operator<(const VertexArrayKey& o) const;
  };

  void SetBaseline();
  // At the start of a frame: the swap chain's new size, if it has one.
  void TakeNextSize();

  // With the cache off: GL's state counts as unknown and every group as
  // dirty, so the next draw or clear sets everything again.
  void ForgetAppliedState();

  // ---- drawing ----
  bool DrawWouldReadOutside(INT iBaseVertex, UINT iStartIndex, UINT iPrimitives) const;
  void ApplyProgram();
  void ApplyUniforms();
  void ApplyTextures();
  void ApplySamplers();
  void BindVertexArray(UINT iBaseVertex);

  GlDirect3D* pParent;
  GlContext* pContext;
  GlSwapChain SwapChain;
  bool bS3tc = false;
  // VIMRA_GL_NO_CACHE=1: every state reaches GL on every draw, to tell a
  // fault of the state cache or the dirty groups from any other.
  bool bCacheOff = false;
  uint64_t iGlCallsAtStart = 0;

  GLuint iUniformBuffer = 0;
  GLuint Samplers[kStageCount] = {};

  D3dStateStore State;
  bool bInScene = false;
  D3D9Refusal eLastRefusal = D3D9Refusal::kNone;

  // What changed since the last draw: DirtyGroup bits, and samplers per stage.
  uint8_t iDirty = kDirtyAll;
  bool SamplerDirty[kStageCount];

  // ---- GL side ----
  GlStateCache Cache;
  std::unordered_map<FfpKey, GLuint, FfpKeyHash> Programs;
  FfpKey CurrentKey = {};
  GLuint iCurrentProgram = 0;
  std::map<VertexArrayKey, GLuint> VertexArrays;
  FfpBlock UploadedBlock = {};
  size_t iUploadedBytes = 0;
};

}  // namespace d3d9gl

#include "gl_device.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>

#include "gl_direct3d.h"
#include "gl_resources.h"

namespace d3d9gl {

// ---- small helpers ---------------------------------------------------------------

static D3DMATRIX Identity() {
  D3DMATRIX m = {};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

// Row vectors: the product applies A first.
static D3DMATRIX Multiply(const D3DMATRIX& A, const D3DMATRIX& B) {
  D3DMATRIX m;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      m.m[r][c] = A.m[r][0] * B.m[0][c] + A.m[r][1] * B.m[1][c] + A.m[r][2] * B.m[2][c] + A.m[r][3] * B.m[3][c];
    }
  }
  return m;
}

// Transpose of the inverse; a singular matrix gives zero (normals vanish, as
// for a world matrix of scale 0).
static D3DMATRIX InverseTranspose(const D3DMATRIX& M) {
  const float* a = &M.m[0][0];
  float inv[16];
  inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] + a[9] * a[7] * a[14] +
           a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
  inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] - a[8] * a[7] * a[14] -
           a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
  inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] + a[8] * a[7] * a[13] +
           a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
  inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] - a[8] * a[6] * a[13] -
            a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
  inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] - a[9] * a[3] * a[14] -
           a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
  inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] + a[8] * a[3] * a[14] +
           a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
  inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] - a[8] * a[3] * a[13] -
           a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
  inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] + a[8] * a[2] * a[13] +
            a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
  inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
           a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
  inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] - a[4] * a[3] * a[14] -
           a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
  inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] + a[4] * a[3] * a[13] +
            a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
  inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] - a[4] * a[2] * a[13] -
            a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
  inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] - a[5] * a[3] * a[10] -
           a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
  inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
           a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
  inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
            a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
  inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
            a[8] * a[1] * a[6] - a[8] * a[2] * a[5];
  const float fDet = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
  D3DMATRIX m = {};
  if (fDet == 0.0f) return m;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) m.m[r][c] = inv[c * 4 + r] / fDet;
  }
  return m;
}

static void ColourToFloats(D3DCOLOR dwColour, float* pOut) {
  pOut[0] = ((dwColour >> 16) & 0xFF) / 255.0f;
  pOut[1] = ((dwColour >> 8) & 0xFF) / 255.0f;
  pOut[2] = (dwColour & 0xFF) / 255.0f;
  pOut[3] = ((dwColour >> 24) & 0xFF) / 255.0f;
}

static void CopyColour(const D3DCOLORVALUE& c, float* pOut) {
  pOut[0] = c.r;
  pOut[1] = c.g;
  pOut[2] = c.b;
  pOut[3] = c.a;
}

// A direction through the upper 3x3 of M, normalised (zero stays zero).
static void TransformDirection(const D3DVECTOR& v, const D3DMATRIX& M, float fSign, float* pOut) {
  const float x = v.x * M._11 + v.y * M._21 + v.z * M._31;
  const float y = v.x * M._12 + v.y * M._22 + v.z * M._32;
  const float z = v.x * M._13 + v.y * M._23 + v.z * M._33;
  const float fLength = std::sqrt(x * x + y * y + z * z);
  const float fScale = fLength > 0.0f ? fSign / fLength : 0.0f;
  pOut[0] = x * fScale;
  pOut[1] = y * fScale;
  pOut[2] = z * fScale;
  pOut[3] = 0.0f;
}

static DWORD FloatBits(float f) {
  DWORD dw;
  std::memcpy(&dw, &f, sizeof dw);
  return dw;
}

static GLenum CompareFunc(DWORD dwFunc) {
  switch (dwFunc) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
  }
}

static GLenum BlendFactor(DWORD dwBlend) {
  switch (dwBlend) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case 11: return GL_SRC_ALPHA_SATURATE;  // D3DBLEND_SRCALPHASAT
    default: return GL_ONE;
  }
}

static GLint AddressMode(DWORD dwMode) {
  switch (dwMode) {
    case 2: return GL_MIRRORED_REPEAT;  // D3DTADDRESS_MIRROR
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case 4: return kClampToBorder;  // D3DTADDRESS_BORDER
    case 5: return GL_CLAMP_TO_EDGE;    // D3DTADDRESS_MIRRORONCE: not in GL 3.3
    default: return GL_REPEAT;
  }
}

static bool IsSupportedOp(DWORD dwOp) { return dwOp >= D3DTOP_SELECTARG1 && dwOp <= D3DTOP_ADD; }

// ---- creation and baseline ---------------------------------------------------

GlDevice::GlDevice(GlDirect3D* pParent, GlContext* pContext, const D3DPRESENT_PARAMETERS& Params, int iSamples)
    : pParent(pParent), pContext(pContext), Params(Params), iSamples(iSamples) {
  pParent->AddRef();
  iGlCallsAtStart = iGlCalls;
  iWidth = static_cast<int>(Params.BackBufferWidth);
  iHeight = static_cast<int>(Params.BackBufferHeight);
  bS3tc = GlHasExtension(pContext, "GL_EXT_texture_compression_s3tc");

  // Direct3D 9's defaults, not GL's.
  std::fill(std::begin(RenderStates), std::end(RenderStates), 0u);
  RenderStates[D3DRS_ZENABLE] = Params.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
  RenderStates[D3DRS_FILLMODE] = 3;  // D3DFILL_SOLID
  RenderStates[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  RenderStates[D3DRS_ZWRITEENABLE] = TRUE;
  RenderStates[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  RenderStates[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  RenderStates[D3DRS_CULLMODE] = D3DCULL_CCW;
  RenderStates[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  RenderStates[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  RenderStates[D3DRS_FOGEND] = FloatBits(1.0f);
  RenderStates[D3DRS_FOGDENSITY] = FloatBits(1.0f);
  RenderStates[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
  RenderStates[D3DRS_LIGHTING] = TRUE;
  RenderStates[D3DRS_COLORVERTEX] = TRUE;
  RenderStates[D3DRS_LOCALVIEWER] = TRUE;
  RenderStates[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
  RenderStates[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
  RenderStates[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
  RenderStates[D3DRS_COLORWRITEENABLE] = 0xF;
  for (int s = 0; s < kStageCount; ++s) {
    std::fill(std::begin(StageStates[s]), std::end(StageStates[s]), 0u);
    StageStates[s][D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    StageStates[s][D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    StageStates[s][D3DTSS_COLORARG2] = D3DTA_CURRENT;
    StageStates[s][D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    StageStates[s][D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    StageStates[s][D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    StageStates[s][D3DTSS_TEXCOORDINDEX] = static_cast<DWORD>(s);
    StageStates[s][D3DTSS_COLORARG0] = D3DTA_CURRENT;
    StageStates[s][D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
    StageStates[s][D3DTSS_RESULTARG] = D3DTA_CURRENT;
    std::fill(std::begin(SamplerStates[s]), std::end(SamplerStates[s]), 0u);
    SamplerStates[s][D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
    SamplerStates[s][D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
    SamplerStates[s][D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
    SamplerStates[s][D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
    SamplerStates[s][D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    SamplerStates[s][D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    SamplerDirty[s] = true;
    TextureMatrices[s] = Identity();
  }
  matWorld = matView = matProjection = Identity();
}

bool GlDevice::BuildBackBuffer() {
  MakeCurrent();
  const GLenum eColourFormat = Params.BackBufferFormat == D3DFMT_A8R8G8B8 ? GL_RGBA8 : GL_RGB8;
  auto Storage = [&](GLuint iRenderbuffer, GLenum eFormat, int iBufferSamples) {
    Gl(glBindRenderbuffer, GL_RENDERBUFFER, iRenderbuffer);
    if (iBufferSamples > 0) {
      Gl(glRenderbufferStorageMultisample, GL_RENDERBUFFER, iBufferSamples, eFormat, iWidth, iHeight);
    } else {
      Gl(glRenderbufferStorage, GL_RENDERBUFFER, eFormat, iWidth, iHeight);
    }
  };
  Gl(glGenFramebuffers, 1, &iDrawFramebuffer);
  Gl(glBindFramebuffer, GL_FRAMEBUFFER, iDrawFramebuffer);
  Gl(glGenRenderbuffers, 1, &iColourBuffer);
  Storage(iColourBuffer, eColourFormat, iSamples);
  Gl(glFramebufferRenderbuffer, GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, iColourBuffer);
  if (Params.EnableAutoDepthStencil) {
    Gl(glGenRenderbuffers, 1, &iDepthBuffer);
    Storage(iDepthBuffer, GL_DEPTH24_STENCIL8, iSamples);
    Gl(glFramebufferRenderbuffer, GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, iDepthBuffer);
  }
  bool bComplete = Gl(glCheckFramebufferStatus, GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (iSamples > 0) {
    Gl(glGenFramebuffers, 1, &iResolveFramebuffer);
    Gl(glBindFramebuffer, GL_FRAMEBUFFER, iResolveFramebuffer);
    Gl(glGenRenderbuffers, 1, &iResolveColour);
    Storage(iResolveColour, eColourFormat, 0);
    Gl(glFramebufferRenderbuffer, GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, iResolveColour);
    bComplete = bComplete && Gl(glCheckFramebufferStatus, GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  }
  if (!bComplete) return false;
  SetBaseline();
  return true;
}

void GlDevice::SetBaseline() {
  Gl(glBindFramebuffer, GL_FRAMEBUFFER, iDrawFramebuffer);
  Gl(glViewport, 0, 0, iWidth, iHeight);
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
  SetCap(GL_SCISSOR_TEST, 0, Cache.iScissor);
  SetCap(GL_DITHER, 0, Cache.iDither);
}

// Bound resources hold references and every resource holds one on its
// device, so nothing is bound any more when the device goes. The context owns
// every GL object the device made; deleting it frees them.
GlDevice::~GlDevice() {
  DestroyGlContext(pContext);
  pParent->Release();
}

ULONG GlDevice::Release() {
  const ULONG iLeft = --iRefCount;
  if (iLeft == 0) delete this;
  return iLeft;
}

void GlDevice::MakeCurrent() {
  MakeGlContextCurrent(pContext);
}

// ---- GL state cache -------------------------------------------------------------

void GlDevice::SetCap(GLenum eCap, GLint iOn, GLint& iCached) {
  if (iCached == iOn) return;
  if (iOn) {
    Gl(glEnable, eCap);
  } else {
    Gl(glDisable, eCap);
  }
  iCached = iOn;
}

void GlDevice::SetColourMask(DWORD dwMask) {
  const GLint iMask = static_cast<GLint>(dwMask & 0xF);
  if (Cache.iColourMask == iMask) return;
  Gl(glColorMask, static_cast<GLboolean>(iMask & 1), static_cast<GLboolean>((iMask >> 1) & 1),
     static_cast<GLboolean>((iMask >> 2) & 1), static_cast<GLboolean>((iMask >> 3) & 1));
  Cache.iColourMask = iMask;
}

void GlDevice::SetDepthMask(bool bOn) {
  if (Cache.iDepthMask == static_cast<GLint>(bOn)) return;
  Gl(glDepthMask, static_cast<GLboolean>(bOn));
  Cache.iDepthMask = bOn;
}

void GlDevice::SetStencilMask(GLint iMask) {
  if (Cache.iStencilMask == iMask) return;
  Gl(glStencilMask, static_cast<GLuint>(iMask));
  Cache.iStencilMask = iMask;
}

void GlDevice::BindForUpload(GLenum eTarget, GLuint iTexture) {
  if (Cache.iActiveUnit != static_cast<GLint>(kUploadUnit)) {
    Gl(glActiveTexture, GL_TEXTURE0 + kUploadUnit);
    Cache.iActiveUnit = kUploadUnit;
  }
  Gl(glBindTexture, eTarget, iTexture);
  Cache.BoundTextures[kUploadUnit] = static_cast<GLint>(iTexture);
}

void GlDevice::BindBufferOutsideArrays(GLenum eTarget, GLuint iBuffer) {
  if (Cache.iVertexArray != 0) {
    Gl(glBindVertexArray, 0u);
    Cache.iVertexArray = 0;
  }
  Gl(glBindBuffer, eTarget, iBuffer);
}

void GlDevice::ForgetBuffer(GLuint iBuffer) {
  for (auto it = VertexArrays.begin(); it != VertexArrays.end();) {
    if (it->first.iVertexBuffer == iBuffer || it->first.iIndexBuffer == iBuffer) {
      if (Cache.iVertexArray == static_cast<GLint>(it->second)) Cache.iVertexArray = -1;
      Gl(glDeleteVertexArrays, 1, &it->second);
      it = VertexArrays.erase(it);
    } else {
      ++it;
    }
  }
}

void GlDevice::ForgetTexture(GLuint iTexture) {
  for (GLint& iBound : Cache.BoundTextures) {
    if (iBound == static_cast<GLint>(iTexture)) iBound = -1;
  }
}

// ---- frame ---------------------------------------------------------------------

HRESULT GlDevice::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil) {
  if ((Flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0 && iDepthBuffer == 0) return D3DERR_INVALIDCALL;
  MakeCurrent();
  GLbitfield iMask = 0;
  if (Flags & D3DCLEAR_TARGET) {
    float Colour[4];
    ColourToFloats(Color, Colour);
    if (std::memcmp(Colour, Cache.ClearColour, sizeof Colour) != 0) {
      Gl(glClearColor, Colour[0], Colour[1], Colour[2], Colour[3]);
      std::memcpy(Cache.ClearColour, Colour, sizeof Colour);
    }
    // D3D clears every channel whatever the write mask.
    SetColourMask(0xF);
    iMask |= GL_COLOR_BUFFER_BIT;
  }
  if (Flags & D3DCLEAR_ZBUFFER) {
    const float fDepth = std::clamp(Z, 0.0f, 1.0f);
    if (Cache.fClearDepth != fDepth) {
      Gl(glClearDepthf, fDepth);
      Cache.fClearDepth = fDepth;
    }
    SetDepthMask(true);
    iMask |= GL_DEPTH_BUFFER_BIT;
  }
  if (Flags & D3DCLEAR_STENCIL) {
    if (Cache.iClearStencil != static_cast<GLint>(Stencil & 0xFF)) {
      Gl(glClearStencil, static_cast<GLint>(Stencil & 0xFF));
      Cache.iClearStencil = static_cast<GLint>(Stencil & 0xFF);
    }
    SetStencilMask(0xFF);
    iMask |= GL_STENCIL_BUFFER_BIT;
  }
  if (iMask == 0) return D3D_OK;
  if (Count == 0 || pRects == nullptr) {
    Gl(glClear, iMask);
  } else {
    SetCap(GL_SCISSOR_TEST, 1, Cache.iScissor);
    for (DWORD i = 0; i < Count; ++i) {
      const LONG x1 = std::clamp<LONG>(pRects[i].x1, 0, iWidth), x2 = std::clamp<LONG>(pRects[i].x2, 0, iWidth);
      const LONG y1 = std::clamp<LONG>(pRects[i].y1, 0, iHeight), y2 = std::clamp<LONG>(pRects[i].y2, 0, iHeight);
      if (x2 <= x1 || y2 <= y1) continue;
      // D3D rectangles count rows from the top; GL's from the bottom.
      Gl(glScissor, static_cast<GLint>(x1), static_cast<GLint>(iHeight - y2), static_cast<GLsizei>(x2 - x1),
         static_cast<GLsizei>(y2 - y1));
      Gl(glClear, iMask);
    }
    SetCap(GL_SCISSOR_TEST, 0, Cache.iScissor);
  }
  bPipelineDirty = true;  // the write masks must be put back before the next draw
  return D3D_OK;
}

HRESULT GlDevice::BeginScene() {
  if (bInScene) return D3DERR_INVALIDCALL;
  bInScene = true;
  return D3D_OK;
}

HRESULT GlDevice::EndScene() {
  if (!bInScene) return D3DERR_INVALIDCALL;
  bInScene = false;
  return D3D_OK;
}

void GlDevice::ResolveTo(GLuint iTargetFramebuffer) {
  Gl(glBindFramebuffer, GL_READ_FRAMEBUFFER, iDrawFramebuffer);
  Gl(glBindFramebuffer, GL_DRAW_FRAMEBUFFER, iTargetFramebuffer);
  Gl(glBlitFramebuffer, 0, 0, iWidth, iHeight, 0, 0, iWidth, iHeight, static_cast<GLbitfield>(GL_COLOR_BUFFER_BIT),
     static_cast<GLenum>(GL_NEAREST));
}

PresentRect FitKeepingShape(int iSourceWidth, int iSourceHeight, int iWindowWidth, int iWindowHeight) {
  if (iSourceWidth <= 0 || iSourceHeight <= 0 || iWindowWidth <= 0 || iWindowHeight <= 0) return {0, 0, 0, 0};
  const int64_t iSw = iSourceWidth, iSh = iSourceHeight, iWw = iWindowWidth, iWh = iWindowHeight;
  int64_t iW = iWw, iH = (iWw * iSh + iSw / 2) / iSw;
  if (iH > iWh) iH = iWh, iW = std::min(iWw, (iWh * iSw + iSh / 2) / iSh);
  const int iShownWidth = static_cast<int>(iW), iShownHeight = static_cast<int>(iH);
  return {(iWindowWidth - iShownWidth) / 2, (iWindowHeight - iShownHeight) / 2, iShownWidth, iShownHeight};
}

HRESULT GlDevice::Present(const RECT*, const RECT*, HWND, const RGNDATA*) {
  MakeCurrent();
  // GL refuses a scaled blit out of a multisampled buffer: resolve at full size first.
  GLuint iSource = iDrawFramebuffer;
  if (iSamples > 0) {
    ResolveTo(iResolveFramebuffer);
    iSource = iResolveFramebuffer;
  }
  int iWindowWidth = 0, iWindowHeight = 0;
  GlDrawableSize(pContext, iWindowWidth, iWindowHeight);
  const PresentRect Shown = FitKeepingShape(iWidth, iHeight, iWindowWidth, iWindowHeight);
  const bool bSameSize = Shown.iWidth == iWidth && Shown.iHeight == iHeight;
  Gl(glBindFramebuffer, GL_READ_FRAMEBUFFER, iSource);
  Gl(glBindFramebuffer, GL_DRAW_FRAMEBUFFER, 0u);
  SetCap(GL_SCISSOR_TEST, 0, Cache.iScissor);  // a blit is scissored too
  if (Shown.iWidth != iWindowWidth || Shown.iHeight != iWindowHeight) {
    constexpr float kBars[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    Gl(glClearColor, kBars[0], kBars[1], kBars[2], kBars[3]);
    std::memcpy(Cache.ClearColour, kBars, sizeof kBars);
    SetColourMask(0xF);
    bPipelineDirty = true;  // the write masks must be put back before the next draw
    Gl(glClear, static_cast<GLbitfield>(GL_COLOR_BUFFER_BIT));
  }
  Gl(glBlitFramebuffer, 0, 0, iWidth, iHeight, Shown.iX, Shown.iY, Shown.iX + Shown.iWidth, Shown.iY + Shown.iHeight,
     static_cast<GLbitfield>(GL_COLOR_BUFFER_BIT), static_cast<GLenum>(bSameSize ? GL_NEAREST : GL_LINEAR));
  PresentGlContext(pContext);
  Gl(glBindFramebuffer, GL_FRAMEBUFFER, iDrawFramebuffer);
  return D3D_OK;
}

bool GlDevice::ReadBackBuffer(std::vector<unsigned char>& Pixels, int& iOutWidth, int& iOutHeight) {
  MakeCurrent();
  GLuint iSource = iDrawFramebuffer;
  if (iSamples > 0) {
    ResolveTo(iResolveFramebuffer);
    iSource = iResolveFramebuffer;
  }
  Gl(glBindFramebuffer, GL_READ_FRAMEBUFFER, iSource);
  const size_t iRowBytes = static_cast<size_t>(iWidth) * 4;
  Pixels.resize(iRowBytes * static_cast<size_t>(iHeight));
  Gl(glReadPixels, 0, 0, iWidth, iHeight, static_cast<GLenum>(GL_RGBA), static_cast<GLenum>(GL_UNSIGNED_BYTE),
     static_cast<void*>(Pixels.data()));
  Gl(glBindFramebuffer, GL_FRAMEBUFFER, iDrawFramebuffer);
  // GL's rows start at the bottom; flipped in place, so a caller's buffer is reused frame after frame.
  for (int y = 0; y < iHeight / 2; ++y) {
    auto itRow = Pixels.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(y) * iRowBytes);
    std::swap_ranges(itRow, itRow + static_cast<std::ptrdiff_t>(iRowBytes),
                     Pixels.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(iHeight - 1 - y) * iRowBytes));
  }
  iOutWidth = iWidth;
  iOutHeight = iHeight;
  return true;
}

// ---- state recording ------------------------------------------------------------

HRESULT GlDevice::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
  if (pMatrix == nullptr) return D3DERR_INVALIDCALL;
  D3DMATRIX* pTarget = nullptr;
  if (State == D3DTS_WORLD) {
    pTarget = &matWorld;
  } else if (State == D3DTS_VIEW) {
    pTarget = &matView;
  } else if (State == D3DTS_PROJECTION) {
    pTarget = &matProjection;
  } else if (State >= D3DTS_TEXTURE0 && State < D3DTS_TEXTURE0 + kStageCount) {
    pTarget = &TextureMatrices[State - D3DTS_TEXTURE0];
  } else {
    return D3DERR_INVALIDCALL;
  }
  if (std::memcmp(pTarget, pMatrix, sizeof *pMatrix) != 0) {
    *pTarget = *pMatrix;
    bValuesDirty = true;
  }
  return D3D_OK;
}

HRESULT GlDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
  if (State >= std::size(RenderStates)) return D3DERR_INVALIDCALL;
  if (RenderStates[State] != Value) {
    RenderStates[State] = Value;
    bPipelineDirty = bValuesDirty = true;
  }
  return D3D_OK;
}

HRESULT GlDevice::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
  if (Stage >= static_cast<DWORD>(kStageCount) || Type >= std::size(StageStates[0])) return D3DERR_INVALIDCALL;
  if (StageStates[Stage][Type] != Value) {
    StageStates[Stage][Type] = Value;
    bPipelineDirty = true;
  }
  return D3D_OK;
}

HRESULT GlDevice::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
  if (Sampler >= static_cast<DWORD>(kStageCount) || Type >= std::size(SamplerStates[0])) return D3DERR_INVALIDCALL;
  if (SamplerStates[Sampler][Type] != Value) {
    SamplerStates[Sampler][Type] = Value;
    SamplerDirty[Sampler] = true;
  }
  return D3D_OK;
}

HRESULT GlDevice::SetMaterial(const D3DMATERIAL9* pMaterial) {
  if (pMaterial == nullptr) return D3DERR_INVALIDCALL;
  Material = *pMaterial;
  bValuesDirty = true;
  return D3D_OK;
}

HRESULT GlDevice::SetLight(DWORD Index, const D3DLIGHT9* pLight) {
  if (pLight == nullptr || pLight->Type < D3DLIGHT_POINT || pLight->Type > D3DLIGHT_DIRECTIONAL) {
    return D3DERR_INVALIDCALL;
  }
  LightSlot& Slot = Lights[Index];
  Slot.Light = *pLight;
  bValuesDirty = true;
  bPipelineDirty |= Slot.bEnabled;  // the light's type is part of the program
  return D3D_OK;
}

HRESULT GlDevice::LightEnable(DWORD Index, BOOL Enable) {
  auto it = Lights.find(Index);
  if (it == Lights.end()) {
    // A light never set is a white directional light along +z.
    D3DLIGHT9 Light = {};
    Light.Type = D3DLIGHT_DIRECTIONAL;
    Light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    Light.Direction = {0.0f, 0.0f, 1.0f};
    it = Lights.emplace(Index, LightSlot{Light, false}).first;
  }
  if (it->second.bEnabled != (Enable != FALSE)) {
    it->second.bEnabled = Enable != FALSE;
    bValuesDirty = bPipelineDirty = true;
  }
  return D3D_OK;
}

HRESULT GlDevice::SetFVF(DWORD FVF) {
  dwFvf = FVF;
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
  if (pIndexData != nullptr && (pOwn == nullptr || pOwn->Store.pDevice != this)) return D3DERR_INVALIDCALL;
  Rebind(pIndices, pIndexData);
  return D3D_OK;
}

HRESULT GlDevice::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                                  UINT Stride) {
  if (StreamNumber != 0) return D3DERR_INVALIDCALL;  // this vertex format has one stream
  const auto* pOwn = dynamic_cast<GlVertexBuffer*>(pStreamData);
  if (pStreamData != nullptr && (pOwn == nullptr || pOwn->Store.pDevice != this)) return D3DERR_INVALIDCALL;
  Rebind(pStream, pStreamData);
  iStreamOffset = OffsetInBytes;
  iStreamStride = Stride;
  return D3D_OK;
}

HRESULT GlDevice::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) {
  if (Stage >= static_cast<DWORD>(kStageCount)) return D3DERR_INVALIDCALL;
  const auto* pOwn = dynamic_cast<GlCubeTexture*>(pTexture);
  if (pTexture != nullptr && (pOwn == nullptr || pOwn->Owner() != this)) return D3DERR_INVALIDCALL;
  if (Textures[Stage] != pTexture) {
    Rebind(Textures[Stage], pTexture);
    bPipelineDirty = true;
  }
  return D3D_OK;
}

// ---- resources ------------------------------------------------------------------

HRESULT GlDevice::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL,
                                    IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE*) {
  if (ppIndexBuffer == nullptr) return D3DERR_INVALIDCALL;
  *ppIndexBuffer = nullptr;
  if (Length == 0 || (Format != D3DFMT_INDEX16 && Format != D3DFMT_INDEX32)) return D3DERR_INVALIDCALL;
  *ppIndexBuffer = new GlIndexBuffer(this, Length, Usage, Format);
  return D3D_OK;
}

HRESULT GlDevice::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD, D3DPOOL,
                                     IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE*) {
  if (ppVertexBuffer == nullptr) return D3DERR_INVALIDCALL;
  *ppVertexBuffer = nullptr;
  if (Length == 0) return D3DERR_INVALIDCALL;
  *ppVertexBuffer = new GlVertexBuffer(this, Length, Usage);
  return D3D_OK;
}

HRESULT GlDevice::CreateCubeTexture(UINT EdgeLength, UINT Levels, DWORD, D3DFORMAT Format, D3DPOOL,
                                    IDirect3DCubeTexture9** ppCubeTexture, HANDLE*) {
  if (ppCubeTexture == nullptr) return D3DERR_INVALIDCALL;
  *ppCubeTexture = nullptr;
  MakeCurrent();
  GLint iMaxEdge = 0;
  Gl(glGetIntegerv, GL_MAX_CUBE_MAP_TEXTURE_SIZE, &iMaxEdge);
  if (EdgeLength == 0 || EdgeLength > static_cast<UINT>(iMaxEdge)) return D3DERR_INVALIDCALL;
  UINT iFullChain = 1;
  while ((EdgeLength >> iFullChain) > 0) ++iFullChain;
  if (Levels == 0) Levels = iFullChain;
  if (Levels > iFullChain) return D3DERR_INVALIDCALL;
  const bool bDxt = Format == D3DFMT_DXT1 || Format == D3DFMT_DXT2 || Format == D3DFMT_DXT3 ||
                    Format == D3DFMT_DXT4 || Format == D3DFMT_DXT5;
  if (!bDxt && Format != D3DFMT_A8R8G8B8 && Format != D3DFMT_X8R8G8B8) return D3DERR_INVALIDCALL;
  *ppCubeTexture = new GlCubeTexture(this, EdgeLength, Levels, Format, bDxt && !bS3tc);
  return D3D_OK;
}

// ---- drawing --------------------------------------------------------------------

int GlDevice::ActiveLights(const D3DLIGHT9* Out[kMaxActiveLights]) const {
  int iCount = 0;
  for (const auto& [iIndex, Slot] : Lights) {
    if (Slot.bEnabled && iCount < kMaxActiveLights) Out[iCount++] = &Slot.Light;
  }
  return iCount;
}

FfpKey GlDevice::BuildKey() const {
  FfpKey Key = {};
  const bool bLighting = RenderStates[D3DRS_LIGHTING] != FALSE;
  Key.bLighting = bLighting;
  if (bLighting) {
    const D3DLIGHT9* Active[kMaxActiveLights];
    Key.iLightCount = static_cast<uint8_t>(ActiveLights(Active));
    for (int i = 0; i < Key.iLightCount; ++i) Key.LightTypes[i] = static_cast<uint8_t>(Active[i]->Type);
  }
  // Without lighting this vertex format has no specular colour to add.
  Key.bSpecular = bLighting && RenderStates[D3DRS_SPECULARENABLE] != FALSE;
  Key.bLocalViewer = Key.bSpecular && RenderStates[D3DRS_LOCALVIEWER] != FALSE;
  Key.bNormalize = RenderStates[D3DRS_NORMALIZENORMALS] != FALSE;
  Key.bFlat = RenderStates[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
  const DWORD dwAlphaFunc = RenderStates[D3DRS_ALPHAFUNC];
  if (RenderStates[D3DRS_ALPHATESTENABLE] != FALSE && dwAlphaFunc >= D3DCMP_NEVER && dwAlphaFunc < D3DCMP_ALWAYS) {
    Key.iAlphaFunc = static_cast<uint8_t>(dwAlphaFunc);
  }
  for (int s = 0; s < kStageCount; ++s) {
    const DWORD* pStage = StageStates[s];
    const DWORD dwColorOp = pStage[D3DTSS_COLOROP];
    if (!IsSupportedOp(dwColorOp)) break;  // DISABLE ends the cascade
    const DWORD dwArg1 = dwColorOp == D3DTOP_SELECTARG2 ? 0 : pStage[D3DTSS_COLORARG1];
    const DWORD dwArg2 = dwColorOp == D3DTOP_SELECTARG1 ? 0 : pStage[D3DTSS_COLORARG2];
    const bool bHasTexture = Textures[s] != nullptr;
    // A colour operation that reads a missing texture disables this stage and
    // the ones after it, as Direct3D 9 does.
    const bool bArg1IsTexture = dwColorOp != D3DTOP_SELECTARG2 && (dwArg1 & D3DTA_SELECTMASK) == D3DTA_TEXTURE;
    const bool bArg2IsTexture = dwColorOp != D3DTOP_SELECTARG1 && (dwArg2 & D3DTA_SELECTMASK) == D3DTA_TEXTURE;
    if ((bArg1IsTexture || bArg2IsTexture) && !bHasTexture) break;
    FfpStageKey& S = Key.Stages[s];
    S.iColorOp = static_cast<uint8_t>(dwColorOp);
    S.iColorArg1 = static_cast<uint8_t>(dwArg1);
    S.iColorArg2 = static_cast<uint8_t>(dwArg2);
    const DWORD dwAlphaOp = IsSupportedOp(pStage[D3DTSS_ALPHAOP]) ? pStage[D3DTSS_ALPHAOP] : D3DTOP_DISABLE;
    S.iAlphaOp = static_cast<uint8_t>(dwAlphaOp);
    if (dwAlphaOp != D3DTOP_DISABLE) {
      S.iAlphaArg1 = static_cast<uint8_t>(dwAlphaOp == D3DTOP_SELECTARG2 ? 0 : pStage[D3DTSS_ALPHAARG1]);
      S.iAlphaArg2 = static_cast<uint8_t>(dwAlphaOp == D3DTOP_SELECTARG1 ? 0 : pStage[D3DTSS_ALPHAARG2]);
    }
    const auto Reads = [](uint8_t iArg) { return (iArg & D3DTA_SELECTMASK) == D3DTA_TEXTURE; };
    const bool bSamples = bHasTexture && (bArg1IsTexture || bArg2IsTexture ||
                                          (dwAlphaOp != D3DTOP_DISABLE && (Reads(S.iAlphaArg1) || Reads(S.iAlphaArg2))));
    if (bSamples) {
      const DWORD dwIndex = pStage[D3DTSS_TEXCOORDINDEX];
      S.bHasTexture = 1;
      S.iTexGen = static_cast<uint8_t>((dwIndex >> 16) <= DWORD{kTexGenReflection} ? dwIndex >> 16 : DWORD{kTexGenPassThru});
      S.iCoordSet = static_cast<uint8_t>(dwIndex & 0xFF);
      S.bTexTransform = (pStage[D3DTSS_TEXTURETRANSFORMFLAGS] & 0xFF) != 0;
    }
    Key.iStageCount = static_cast<uint8_t>(s + 1);
  }
  return Key;
}

void GlDevice::FillBlock(FfpBlock& Block, int iLightCount) const {
  const D3DMATRIX matWorldView = Multiply(matWorld, matView);
  const D3DMATRIX matWorldViewProj = Multiply(matWorldView, matProjection);
  const D3DMATRIX matNormal = InverseTranspose(matWorldView);
  std::memcpy(Block.WorldView, &matWorldView, sizeof Block.WorldView);
  std::memcpy(Block.WorldViewProj, &matWorldViewProj, sizeof Block.WorldViewProj);
  std::memcpy(Block.NormalMatrix, &matNormal, sizeof Block.NormalMatrix);
  for (int s = 0; s < kStageCount; ++s) std::memcpy(Block.TexMatrix[s], &TextureMatrices[s], sizeof Block.TexMatrix[s]);
  // This vertex format has no colours, so every material source reads the material.
  CopyColour(Material.Diffuse, Block.MatDiffuse);
  CopyColour(Material.Ambient, Block.MatAmbient);
  CopyColour(Material.Specular, Block.MatSpecular);
  CopyColour(Material.Emissive, Block.MatEmissive);
  ColourToFloats(RenderStates[D3DRS_AMBIENT], Block.GlobalAmbient);
  ColourToFloats(RenderStates[D3DRS_TEXTUREFACTOR], Block.TextureFactor);
  const D3DLIGHT9* Active[kMaxActiveLights];
  ActiveLights(Active);
  for (int i = 0; i < iLightCount; ++i) {
    const D3DLIGHT9& L = *Active[i];
    FfpLight& Out = Block.Lights[i];
    CopyColour(L.Diffuse, Out.Diffuse);
    CopyColour(L.Specular, Out.Specular);
    CopyColour(L.Ambient, Out.Ambient);
    // Lights live in world space: positions and directions go to camera
    // space through the view matrix alone.
    Out.Position[0] = L.Position.x * matView._11 + L.Position.y * matView._21 + L.Position.z * matView._31 + matView._41;
    Out.Position[1] = L.Position.x * matView._12 + L.Position.y * matView._22 + L.Position.z * matView._32 + matView._42;
    Out.Position[2] = L.Position.x * matView._13 + L.Position.y * matView._23 + L.Position.z * matView._33 + matView._43;
    Out.Position[3] = 1.0f;
    // Directional lights keep the vector toward the light, spots their axis.
    TransformDirection(L.Direction, matView, L.Type == D3DLIGHT_DIRECTIONAL ? -1.0f : 1.0f, Out.Direction);
    Out.Attenuation[0] = L.Attenuation0;
    Out.Attenuation[1] = L.Attenuation1;
    Out.Attenuation[2] = L.Attenuation2;
    Out.Attenuation[3] = L.Range;
    Out.Spot[0] = std::cos(L.Theta * 0.5f);
    Out.Spot[1] = std::cos(L.Phi * 0.5f);
    Out.Spot[2] = L.Falloff;
    Out.Spot[3] = 0.0f;
  }
  Block.Misc[0] = Material.Power;
  Block.Misc[1] = static_cast<float>(RenderStates[D3DRS_ALPHAREF] & 0xFF);
  Block.Misc[2] = Block.Misc[3] = 0.0f;
  Block.PixelOffset[0] = 1.0f / static_cast<float>(iWidth);
  Block.PixelOffset[1] = -1.0f / static_cast<float>(iHeight);
  Block.PixelOffset[2] = Block.PixelOffset[3] = 0.0f;
}

void GlDevice::ApplyRasterState() {
  const DWORD* rs = RenderStates;
  // D3DCULL_CCW removes what is counter-clockwise on screen: with GL's front
  // face set to clockwise, those are GL's back faces.
  const DWORD dwCull = rs[D3DRS_CULLMODE];
  const bool bCull = dwCull == D3DCULL_CW || dwCull == D3DCULL_CCW;
  SetCap(GL_CULL_FACE, bCull, Cache.iCullEnabled);
  const GLint iCullMode = dwCull == D3DCULL_CW ? GL_FRONT : GL_BACK;
  if (bCull && Cache.iCullMode != iCullMode) {
    Gl(glCullFace, static_cast<GLenum>(iCullMode));
    Cache.iCullMode = iCullMode;
  }
  SetCap(GL_DEPTH_TEST, rs[D3DRS_ZENABLE] != D3DZB_FALSE && iDepthBuffer != 0, Cache.iDepthTest);
  SetDepthMask(rs[D3DRS_ZWRITEENABLE] != FALSE);
  const GLint iDepthFunc = static_cast<GLint>(CompareFunc(rs[D3DRS_ZFUNC]));
  if (Cache.iDepthFunc != iDepthFunc) {
    Gl(glDepthFunc, static_cast<GLenum>(iDepthFunc));
    Cache.iDepthFunc = iDepthFunc;
  }
  const bool bBlend = rs[D3DRS_ALPHABLENDENABLE] != FALSE;
  SetCap(GL_BLEND, bBlend, Cache.iBlend);
  const GLint iSrc = static_cast<GLint>(BlendFactor(rs[D3DRS_SRCBLEND]));
  const GLint iDst = static_cast<GLint>(BlendFactor(rs[D3DRS_DESTBLEND]));
  if (bBlend && (Cache.iBlendSrc != iSrc || Cache.iBlendDst != iDst)) {
    Gl(glBlendFunc, static_cast<GLenum>(iSrc), static_cast<GLenum>(iDst));
    Cache.iBlendSrc = iSrc;
    Cache.iBlendDst = iDst;
  }
  SetColourMask(rs[D3DRS_COLORWRITEENABLE]);
  const GLint iFillMode = static_cast<GLint>(rs[D3DRS_FILLMODE]);
  if (Cache.iPolygonMode != iFillMode) {
    GlFillMode(rs[D3DRS_FILLMODE]);
    Cache.iPolygonMode = iFillMode;
  }
  GlSetMultisample(rs[D3DRS_MULTISAMPLEANTIALIAS] != FALSE, Cache.iMultisample);
  SetCap(GL_DITHER, rs[D3DRS_DITHERENABLE] != FALSE, Cache.iDither);
}

void GlDevice::ApplyProgram() {
  const FfpKey Key = BuildKey();
  if (iCurrentProgram == 0 || !(Key == CurrentKey)) {
    auto it = Programs.find(Key);
    if (it == Programs.end()) {
      const GLuint iProgram = BuildFfpProgram(Key);
      if (iProgram != 0) Cache.iProgram = static_cast<GLint>(iProgram);  // linking left it in use
      it = Programs.emplace(Key, iProgram).first;
    }
    CurrentKey = Key;
    iCurrentProgram = it->second;
  }
  if (iCurrentProgram != 0 && Cache.iProgram != static_cast<GLint>(iCurrentProgram)) {
    Gl(glUseProgram, iCurrentProgram);
    Cache.iProgram = static_cast<GLint>(iCurrentProgram);
  }
}

void GlDevice::ApplyUniforms() {
  FfpBlock Block{};
  const int iLightCount = CurrentKey.iLightCount;
  FillBlock(Block, iLightCount);
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
    const GLint iTexture = static_cast<GLint>(static_cast<GlCubeTexture*>(Textures[s])->iTexture);
    if (Cache.BoundTextures[s] == iTexture) continue;
    if (Cache.iActiveUnit != s) {
      Gl(glActiveTexture, static_cast<GLenum>(GL_TEXTURE0 + s));
      Cache.iActiveUnit = s;
    }
    Gl(glBindTexture, GL_TEXTURE_CUBE_MAP, static_cast<GLuint>(iTexture));
    Cache.BoundTextures[s] = iTexture;
  }
}

void GlDevice::ApplySamplers() {
  for (int s = 0; s < CurrentKey.iStageCount; ++s) {
    if (!SamplerDirty[s] || !CurrentKey.Stages[s].bHasTexture) continue;
    const DWORD* pState = SamplerStates[s];
    const bool bLinearMin = pState[D3DSAMP_MINFILTER] >= D3DTEXF_LINEAR;
    // MIPFILTER NONE samples the top level only.
    GLint iMin = bLinearMin ? GL_LINEAR : GL_NEAREST;
    if (pState[D3DSAMP_MIPFILTER] == D3DTEXF_POINT) iMin = bLinearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    if (pState[D3DSAMP_MIPFILTER] >= D3DTEXF_LINEAR) iMin = bLinearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    const GLint iMag = pState[D3DSAMP_MAGFILTER] >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST;
    Gl(glSamplerParameteri, Samplers[s], GL_TEXTURE_MIN_FILTER, iMin);
    Gl(glSamplerParameteri, Samplers[s], GL_TEXTURE_MAG_FILTER, iMag);
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
  const VertexArrayKey Key = {static_cast<GlVertexBuffer*>(pStream)->Store.iBuffer,
                              static_cast<GlIndexBuffer*>(pIndices)->Store.iBuffer,
                              iStreamOffset + iBaseVertex * iStreamStride, iStreamStride};
  auto it = VertexArrays.find(Key);
  if (it == VertexArrays.end()) {
    GLuint iVertexArray = 0;
    Gl(glGenVertexArrays, 1, &iVertexArray);
    Gl(glBindVertexArray, iVertexArray);
    Gl(glBindBuffer, GL_ARRAY_BUFFER, Key.iVertexBuffer);
    Gl(glBindBuffer, GL_ELEMENT_ARRAY_BUFFER, Key.iIndexBuffer);
    // Vertex format 0x112: position, normal, one 2D texture coordinate.
    const GLsizei iStride = static_cast<GLsizei>(Key.iStride);
    const auto Offset = [&](size_t iBytes) { return reinterpret_cast<const void*>(Key.iOffset + iBytes); };
    Gl(glVertexAttribPointer, 0u, 3, static_cast<GLenum>(GL_FLOAT), static_cast<GLboolean>(GL_FALSE), iStride, Offset(0));
    Gl(glVertexAttribPointer, 1u, 3, static_cast<GLenum>(GL_FLOAT), static_cast<GLboolean>(GL_FALSE), iStride, Offset(12));
    Gl(glVertexAttribPointer, 2u, 2, static_cast<GLenum>(GL_FLOAT), static_cast<GLboolean>(GL_FALSE), iStride, Offset(24));
    for (GLuint i = 0; i < 3; ++i) Gl(glEnableVertexAttribArray, i);
    it = VertexArrays.emplace(Key, iVertexArray).first;
    Cache.iVertexArray = static_cast<GLint>(iVertexArray);
  }
  if (Cache.iVertexArray != static_cast<GLint>(it->second)) {
    Gl(glBindVertexArray, it->second);
    Cache.iVertexArray = static_cast<GLint>(it->second);
  }
}

HRESULT GlDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE Type, INT BaseVertexIndex, UINT, UINT, UINT startIndex,
                                       UINT primCount) {
  if (!bInScene || Type != D3DPT_TRIANGLELIST || pIndices == nullptr || pStream == nullptr) return D3DERR_INVALIDCALL;
  if (dwFvf != (D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1) || iStreamStride < 32) return D3DERR_INVALIDCALL;
  if (primCount == 0) return D3D_OK;
  // Never let GL read outside the buffers: check the index range and the
  // vertices the indices reach.
  const auto* pIndexBuffer = static_cast<GlIndexBuffer*>(pIndices);
  const auto* pVertexBuffer = static_cast<GlVertexBuffer*>(pStream);
  const uint64_t iIndexCount = static_cast<uint64_t>(primCount) * 3;
  if (BaseVertexIndex < 0 || startIndex + iIndexCount > pIndexBuffer->IndexCount()) return D3DERR_INVALIDCALL;
  const size_t iVertexBytes = pVertexBuffer->Store.Bytes.size();
  const uint64_t iVertexCount = iStreamOffset + 32 > iVertexBytes ? 0 : (iVertexBytes - iStreamOffset - 32) / iStreamStride + 1;
  if (static_cast<uint64_t>(BaseVertexIndex) + pIndexBuffer->iMaxIndex >= iVertexCount &&
      static_cast<uint64_t>(BaseVertexIndex) + pIndexBuffer->MaxIndex(startIndex, static_cast<UINT>(iIndexCount)) >=
          iVertexCount) {
    return D3DERR_INVALIDCALL;
  }
  MakeCurrent();
  if (bPipelineDirty) {
    ApplyRasterState();
    ApplyProgram();
  }
  if (iCurrentProgram == 0) return D3DERR_INVALIDCALL;
  if (bPipelineDirty || bValuesDirty) ApplyUniforms();
  if (bPipelineDirty) ApplyTextures();
  ApplySamplers();
  bPipelineDirty = bValuesDirty = false;
  BindVertexArray(static_cast<UINT>(BaseVertexIndex));
  Gl(glDrawElements, static_cast<GLenum>(GL_TRIANGLES), static_cast<GLsizei>(iIndexCount),
     static_cast<GLenum>(pIndexBuffer->IndexSize() == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT),
     reinterpret_cast<const void*>(static_cast<uintptr_t>(startIndex) * pIndexBuffer->IndexSize()));
  return D3D_OK;
}

}  // namespace d3d9gl

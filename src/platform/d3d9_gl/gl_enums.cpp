#include "gl_enums.h"

#include <tuple>

namespace d3d9gl {

GLenum CompareFunc(DWORD dwFunc) {
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

GLenum BlendFactor(DWORD dwBlend) {
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
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    default: return GL_ONE;
  }
}

GLint AddressMode(DWORD dwMode) {
  switch (dwMode) {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return kClampToBorder;
    case D3DTADDRESS_MIRRORONCE: return GL_CLAMP_TO_EDGE;  // GL 3.3 has no mirror-once
    default: return GL_REPEAT;
  }
}

GLint MinFilter(DWORD dwMinFilter, DWORD dwMipFilter) {
  const bool bLinear = dwMinFilter >= D3DTEXF_LINEAR;
  if (dwMipFilter == D3DTEXF_POINT) return bLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
  if (dwMipFilter >= D3DTEXF_LINEAR) return bLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
  return bLinear ? GL_LINEAR : GL_NEAREST;  // MIPFILTER NONE samples the top level only
}

GLint MagFilter(DWORD dwMagFilter) { return dwMagFilter >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST; }

GLenum PolygonMode(DWORD dwFillMode) {
#if defined(__EMSCRIPTEN__)
  (void)dwFillMode;
  return 0;  // ES fills only
#else
  switch (dwFillMode) {
    case D3DFILL_POINT: return GL_POINT;
    case D3DFILL_WIREFRAME: return GL_LINE;
    default: return GL_FILL;
  }
#endif
}

void ColourToFloats(D3DCOLOR dwColour, float* pOut) {
  pOut[0] = ((dwColour >> 16) & 0xFF) / 255.0f;
  pOut[1] = ((dwColour >> 8) & 0xFF) / 255.0f;
  pOut[2] = (dwColour & 0xFF) / 255.0f;
  pOut[3] = ((dwColour >> 24) & 0xFF) / 255.0f;
}

static auto Fields(const GlRasterState& s) {
  return std::tie(s.bCull, s.eCullFace, s.bDepthTest, s.bDepthWrite, s.eDepthFunc, s.bBlend, s.eBlendSrc, s.eBlendDst,
                  s.dwColourMask, s.ePolygonMode, s.bMultisample, s.bDither);
}

bool GlRasterState::operator==(const GlRasterState& o) const { return Fields(*this) == Fields(o); }

GlRasterState RasterStateFor(const DWORD* rs, bool bDepthBuffer) {
  GlRasterState s;
  // D3DCULL_CCW removes what is counter-clockwise on screen: with GL's front
  // face set to clockwise, those are GL's back faces.
  const DWORD dwCull = rs[D3DRS_CULLMODE];
  s.bCull = dwCull == D3DCULL_CW || dwCull == D3DCULL_CCW;
  s.eCullFace = dwCull == D3DCULL_CW ? GL_FRONT : GL_BACK;
  s.bDepthTest = rs[D3DRS_ZENABLE] != D3DZB_FALSE && bDepthBuffer;
  s.bDepthWrite = rs[D3DRS_ZWRITEENABLE] != FALSE;
  s.eDepthFunc = CompareFunc(rs[D3DRS_ZFUNC]);
  s.bBlend = rs[D3DRS_ALPHABLENDENABLE] != FALSE;
  s.eBlendSrc = BlendFactor(rs[D3DRS_SRCBLEND]);
  s.eBlendDst = BlendFactor(rs[D3DRS_DESTBLEND]);
  s.dwColourMask = rs[D3DRS_COLORWRITEENABLE] & kAllChannels;
  s.ePolygonMode = PolygonMode(rs[D3DRS_FILLMODE]);
  s.bMultisample = rs[D3DRS_MULTISAMPLEANTIALIAS] != FALSE;
  s.bDither = rs[D3DRS_DITHERENABLE] != FALSE;
  return s;
}

}  // namespace d3d9gl

// Direct3D 9 values in GL's terms: pure functions, callable without a context.
// A value Direct3D has and GL 3.3 lacks gets the nearest GL value; an unknown
// value gets Direct3D's default.
#pragma once

#include "d3d9.h"
#include "gl_calls.h"

namespace d3d9gl {

GLenum CompareFunc(DWORD dwFunc);
GLenum BlendFactor(DWORD dwBlend);
GLint AddressMode(DWORD dwMode);
GLint MinFilter(DWORD dwMinFilter, DWORD dwMipFilter);
GLint MagFilter(DWORD dwMagFilter);
GLenum PolygonMode(DWORD dwFillMode);
// Every channel of D3DRS_COLORWRITEENABLE.
constexpr DWORD kAllChannels =
    D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_GREEN | D3DCOLORWRITEENABLE_BLUE | D3DCOLORWRITEENABLE_ALPHA;

// A D3DCOLOR (A8R8G8B8) as GL's r, g, b, a floats in 0..1.
void ColourToFloats(D3DCOLOR dwColour, float* pOut);

// The GL raster state that Direct3D's render states ask for.
struct GlRasterState {
  bool bCull;
  GLenum eCullFace;  // meaningful only when bCull
  bool bDepthTest;
  bool bDepthWrite;
  GLenum eDepthFunc;
  bool bBlend;
  GLenum eBlendSrc, eBlendDst;  // meaningful only when bBlend
  DWORD dwColourMask;           // D3DCOLORWRITEENABLE bits
  GLenum ePolygonMode;
  bool bMultisample;
  bool bDither;
  bool operator==(const GlRasterState& o) const;
};

// bDepthBuffer: the back buffer has a depth buffer (without one, no depth test).
GlRasterState RasterStateFor(const DWORD* RenderStates, bool bDepthBuffer);

}  // namespace d3d9gl

#include "gl_state_cache.h"

#include <cstring>

namespace d3d9gl {

void GlStateCache::SetCap(GLenum eCap, bool bOn, GLint& iCached) {
  if (iCached == static_cast<GLint>(bOn)) return;
  if (bOn) {
    Gl(glEnable, eCap);
  } else {
    Gl(glDisable, eCap);
  }
  iCached = bOn;
}

// Cull face and blend factors wait until their test is on: GL ignores them
// while it is off, so setting them then would only cost calls.
void GlStateCache::SetRaster(const GlRasterState& s) {
  SetCap(GL_CULL_FACE, s.bCull, iCullEnabled);
  if (s.bCull && iCullFace != static_cast<GLint>(s.eCullFace)) {
    Gl(glCullFace, s.eCullFace);
    iCullFace = static_cast<GLint>(s.eCullFace);
  }
  SetCap(GL_DEPTH_TEST, s.bDepthTest, iDepthTest);
  SetDepthMask(s.bDepthWrite);
  if (iDepthFunc != static_cast<GLint>(s.eDepthFunc)) {
    Gl(glDepthFunc, s.eDepthFunc);
    iDepthFunc = static_cast<GLint>(s.eDepthFunc);
  }
  SetCap(GL_BLEND, s.bBlend, iBlend);
  if (s.bBlend && (iBlendSrc != static_cast<GLint>(s.eBlendSrc) || iBlendDst != static_cast<GLint>(s.eBlendDst))) {
    Gl(glBlendFunc, s.eBlendSrc, s.eBlendDst);
    iBlendSrc = static_cast<GLint>(s.eBlendSrc);
    iBlendDst = static_cast<GLint>(s.eBlendDst);
  }
  SetColourMask(s.dwColourMask);
  if (iPolygonMode != static_cast<GLint>(s.ePolygonMode)) {
    GlPolygonMode(s.ePolygonMode);
    iPolygonMode = static_cast<GLint>(s.ePolygonMode);
  }
  GlSetMultisample(s.bMultisample, iMultisample);
  SetCap(GL_DITHER, s.bDither, iDither);
}

void GlStateCache::SetColourMask(DWORD dwMask) {
  const GLint iMask = static_cast<GLint>(dwMask & kAllChannels);
  if (iColourMask == iMask) return;
  const auto On = [&](DWORD dwChannel) { return static_cast<GLboolean>((iMask & dwChannel) != 0); };
  Gl(glColorMask, On(D3DCOLORWRITEENABLE_RED), On(D3DCOLORWRITEENABLE_GREEN), On(D3DCOLORWRITEENABLE_BLUE),
     On(D3DCOLORWRITEENABLE_ALPHA));
  iColourMask = iMask;
}

void GlStateCache::SetDepthMask(bool bOn) {
  if (iDepthMask == static_cast<GLint>(bOn)) return;
  Gl(glDepthMask, static_cast<GLboolean>(bOn));
  iDepthMask = bOn;
}

void GlStateCache::SetStencilMask(GLint iMask) {
  if (iStencilMask == iMask) return;
  Gl(glStencilMask, static_cast<GLuint>(iMask));
  iStencilMask = iMask;
}

void GlStateCache::SetClearColour(const float Colour[4]) {
  if (std::memcmp(Colour, ClearColour, sizeof ClearColour) == 0) return;
  Gl(glClearColor, Colour[0], Colour[1], Colour[2], Colour[3]);
  std::memcpy(ClearColour, Colour, sizeof ClearColour);
}

void GlStateCache::SetClearDepth(float fDepth) {
  if (fClearDepth == fDepth) return;
  Gl(glClearDepthf, fDepth);
  fClearDepth = fDepth;
}

void GlStateCache::SetClearStencil(GLint iStencil) {
  if (iClearStencil == iStencil) return;
  Gl(glClearStencil, iStencil);
  iClearStencil = iStencil;
}

void GlStateCache::UseProgram(GLuint iProgram) {
  if (iBoundProgram == static_cast<GLint>(iProgram)) return;
  Gl(glUseProgram, iProgram);
  iBoundProgram = static_cast<GLint>(iProgram);
}

void GlStateCache::BindVertexArray(GLuint iVertexArray) {
  if (iBoundVertexArray == static_cast<GLint>(iVertexArray)) return;
  Gl(glBindVertexArray, iVertexArray);
  iBoundVertexArray = static_cast<GLint>(iVertexArray);
}

void GlStateCache::SetActiveUnit(GLuint iUnit) {
  if (iActiveUnit == static_cast<GLint>(iUnit)) return;
  Gl(glActiveTexture, static_cast<GLenum>(GL_TEXTURE0 + iUnit));
  iActiveUnit = static_cast<GLint>(iUnit);
}

// The upload unit always binds: an upload must reach the texture named, and
// the stages' units are compared first.
void GlStateCache::BindTexture(GLuint iUnit, GLenum eTarget, GLuint iTexture) {
  if (iUnit != kUploadUnit && BoundTextures[iUnit] == static_cast<GLint>(iTexture)) return;
  SetActiveUnit(iUnit);
  Gl(glBindTexture, eTarget, iTexture);
  BoundTextures[iUnit] = static_cast<GLint>(iTexture);
}

void GlStateCache::ForgetTexture(GLuint iTexture) {
  for (GLint& iBound : BoundTextures) {
    if (iBound == static_cast<GLint>(iTexture)) iBound = -1;
  }
}

void GlStateCache::ForgetVertexArray(GLuint iVertexArray) {
  if (iBoundVertexArray == static_cast<GLint>(iVertexArray)) iBoundVertexArray = -1;
}

}  // namespace d3d9gl

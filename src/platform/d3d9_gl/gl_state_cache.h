// What GL holds now, as far as the device knows. Every GL state the device
// sets goes through here and is compared first, so a repeated state costs no
// GL call. -1 means unknown: the next set always reaches GL.
#pragma once

#include "d3d9.h"
#include "gl_calls.h"
#include "gl_enums.h"
#include "gl_ffp.h"

namespace d3d9gl {

// Texture unit used to upload textures, apart from the stages' units.
constexpr GLuint kUploadUnit = kStageCount;

class GlStateCache {
 public:
  // Forgets everything: for a context whose state is not known.
  void Reset() { *this = GlStateCache(); }

  void SetCap(GLenum eCap, bool bOn, GLint& iCached);
  void SetRaster(const GlRasterState& State);
  void SetColourMask(DWORD dwMask);
  void SetDepthMask(bool bOn);
  void SetStencilMask(GLint iMask);
  void SetScissorTest(bool bOn) { SetCap(GL_SCISSOR_TEST, bOn, iScissor); }
  void SetDither(bool bOn) { SetCap(GL_DITHER, bOn, iDither); }
  void SetClearColour(const float Colour[4]);
  void SetClearDepth(float fDepth);
  void SetClearStencil(GLint iStencil);

  void UseProgram(GLuint iProgram);
  // A program GL made current by itself (linking leaves it in use).
  void NoteProgram(GLuint iProgram) { iBoundProgram = static_cast<GLint>(iProgram); }
  void BindVertexArray(GLuint iVertexArray);
  void NoteVertexArray(GLuint iVertexArray) { iBoundVertexArray = static_cast<GLint>(iVertexArray); }
  void BindTexture(GLuint iUnit, GLenum eTarget, GLuint iTexture);
  // A GL object is about to be deleted: its name may come back for a new one.
  void ForgetTexture(GLuint iTexture);
  void ForgetVertexArray(GLuint iVertexArray);

 private:
  void SetActiveUnit(GLuint iUnit);

  GLint iBoundProgram = -1;
  GLint iBoundVertexArray = -1;
  GLint iActiveUnit = -1;
  GLint BoundTextures[kStageCount + 1] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
  GLint iCullEnabled = -1;
  GLint iCullFace = -1;
  GLint iDepthTest = -1;
  GLint iDepthMask = -1;
  GLint iDepthFunc = -1;
  GLint iBlend = -1;
  GLint iBlendSrc = -1;
  GLint iBlendDst = -1;
  GLint iColourMask = -1;  // D3DCOLORWRITEENABLE bits
  GLint iPolygonMode = -1;
  GLint iMultisample = -1;
  GLint iDither = -1;
  GLint iScissor = -1;
  GLint iStencilMask = -1;
  float ClearColour[4] = {-1, -1, -1, -1};
  float fClearDepth = -1;
  GLint iClearStencil = -1;
};

}  // namespace d3d9gl

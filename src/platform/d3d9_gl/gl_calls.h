// Every GL call of the device goes through Gl(), which counts it, so tests and
// the bench can see what a draw costs and prove that the state caches work.
//
// The device runs on OpenGL 3.3 core on the desktop and on WebGL2 (OpenGL ES
// 3.0) in the browser. The few desktop calls ES lacks are the Gl* helpers
// below; in ES they do what ES does anyway, or nothing (noted on each).
#pragma once

#if defined(__EMSCRIPTEN__)
#include <GLES3/gl3.h>
#include <GLES2/gl2ext.h>
#else
#include <epoxy/gl.h>
#endif

#include <cstdint>

namespace d3d9gl {

// GL calls made by the stand-in in this process.
extern uint64_t iGlCalls;

template <typename Fn, typename... Args>
inline auto Gl(Fn fn, Args... args) {
  ++iGlCalls;
  return fn(args...);
}

#if defined(__EMSCRIPTEN__)
// The fixed-function shaders' first lines: GLSL ES 3.00 at full precision.
inline constexpr const char kGlslHeader[] =
    "#version 300 es\nprecision highp float;\nprecision highp int;\nprecision highp samplerCube;\n";
// ES 3.0 has no border colour: D3DTADDRESS_BORDER clamps to the edge.
inline constexpr GLint kClampToBorder = GL_CLAMP_TO_EDGE;
inline void GlSetBorderColour(GLuint, const GLfloat*) {}
// ES takes flat-shaded colours from a triangle's last vertex (D3D: its first).
inline void GlFlatShadeFromFirstVertex() {}
// ES fills only: D3DFILL_POINT and D3DFILL_WIREFRAME draw solid.
inline void GlPolygonMode(GLenum) {}
// ES always samples a multisampled buffer fully.
inline void GlSetMultisample(GLint, GLint&) {}
#else
inline constexpr const char kGlslHeader[] = "#version 330 core\n";
inline constexpr GLint kClampToBorder = GL_CLAMP_TO_BORDER;
inline void GlSetBorderColour(GLuint iSampler, const GLfloat* pColour) {
  Gl(glSamplerParameterfv, iSampler, static_cast<GLenum>(GL_TEXTURE_BORDER_COLOR), pColour);
}
inline void GlFlatShadeFromFirstVertex() { Gl(glProvokingVertex, static_cast<GLenum>(GL_FIRST_VERTEX_CONVENTION)); }
inline void GlPolygonMode(GLenum eMode) { Gl(glPolygonMode, static_cast<GLenum>(GL_FRONT_AND_BACK), eMode); }
inline void GlSetMultisample(GLint iOn, GLint& iCached) {
  if (iCached == iOn) return;
  Gl(iOn ? glEnable : glDisable, static_cast<GLenum>(GL_MULTISAMPLE));
  iCached = iOn;
}
#endif

}  // namespace d3d9gl

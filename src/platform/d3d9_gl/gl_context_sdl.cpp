// The GL context on the desktop: OpenGL 3.3 core on the SDL window.
#include <SDL.h>

#include "gl_calls.h"
#include "gl_context.h"
#include "win32_seams.h"

namespace d3d9gl {

struct GlContext {
  SDL_Window* pWindow;
  SDL_GLContext pContext;
};

bool LoadGl() {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0 && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  // A video driver without GL (SDL's "dummy") cannot load a GL library.
  return SDL_GL_LoadLibrary(nullptr) == 0;
}

void UnloadGl() { SDL_GL_UnloadLibrary(); }

GlContext* CreateGlContext(HWND hWindow, bool bVsync) {
  SDL_Window* pWindow = Win32GetSdlWindow(hWindow);
  if (pWindow == nullptr) return nullptr;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GLContext pContext = SDL_GL_CreateContext(pWindow);
  if (pContext == nullptr) return nullptr;
  SDL_GL_SetSwapInterval(bVsync ? 1 : 0);
  return new GlContext{pWindow, pContext};
}

void DestroyGlContext(GlContext* pContext) {
  SDL_GL_MakeCurrent(pContext->pWindow, nullptr);
  SDL_GL_DeleteContext(pContext->pContext);
  delete pContext;
}

void MakeGlContextCurrent(GlContext* pContext) {
  if (SDL_GL_GetCurrentContext() != pContext->pContext) SDL_GL_MakeCurrent(pContext->pWindow, pContext->pContext);
}

void GlDrawableSize(GlContext* pContext, int& iWidth, int& iHeight) {
  SDL_GL_GetDrawableSize(pContext->pWindow, &iWidth, &iHeight);
}

void PresentGlContext(GlContext* pContext) {
  SDL_GL_SwapWindow(pContext->pWindow);
}

const char* GlRendererName(GlContext*) { return reinterpret_cast<const char*>(Gl(glGetString, GL_RENDERER)); }

bool GlHasExtension(GlContext*, const char* pszName) { return epoxy_has_gl_extension(pszName); }

}  // namespace d3d9gl

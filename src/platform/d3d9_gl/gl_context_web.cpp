// The GL context in the browser: WebGL2 on the page's canvas. The canvas is
// the back buffer's final target; presenting hands the frame to the Win32
// layer, which yields to the browser so that it reaches the screen.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <string>

#include "gl_calls.h"
#include "gl_context.h"
#include "win32_web.h"

namespace d3d9gl {

struct GlContext {
  EMSCRIPTEN_WEBGL_CONTEXT_HANDLE hContext;
  std::string strRenderer;
};

// The renderer behind WebGL ("SwiftShader", a GPU's name) where the browser tells it.
EM_JS(char*, PageWebGlRenderer, (), {
  const gl = GL.currentContext && GL.currentContext.GLctx;
  const info = gl && gl.getExtension("WEBGL_debug_renderer_info");
  const name = info ? gl.getParameter(info.UNMASKED_RENDERER_WEBGL) : (gl ? gl.getParameter(gl.RENDERER) : "");
  return allocateUTF8(String(name));
});

bool LoadGl() { return true; }

void UnloadGl() {}

GlContext* CreateGlContext(HWND hWindow, bool) {
  if (hWindow == nullptr) return nullptr;
  EmscriptenWebGLContextAttributes Attributes;
  emscripten_webgl_init_context_attributes(&Attributes);
  Attributes.majorVersion = 2;
  Attributes.minorVersion = 0;
  // The device draws into a framebuffer of its own and blits it here.
  Attributes.alpha = EM_FALSE;
  Attributes.depth = EM_FALSE;
  Attributes.stencil = EM_FALSE;
  Attributes.antialias = EM_FALSE;
  Attributes.preserveDrawingBuffer = EM_FALSE;
  const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE hContext = emscripten_webgl_create_context(kCanvasSelector, &Attributes);
  if (hContext <= 0) return nullptr;
  emscripten_webgl_make_context_current(hContext);
  auto* pContext = new GlContext{hContext, {}};
  char* pszRenderer = PageWebGlRenderer();
  pContext->strRenderer = pszRenderer;
  free(pszRenderer);
  return pContext;
}

void DestroyGlContext(GlContext* pContext) {
  emscripten_webgl_destroy_context(pContext->hContext);
  delete pContext;
}

void MakeGlContextCurrent(GlContext* pContext) {
  if (emscripten_webgl_get_current_context() != pContext->hContext) emscripten_webgl_make_context_current(pContext->hContext);
}

// The size the page shows the canvas at, in device pixels (the page's
// fitCanvas); left as it is where the page does not say.
EM_JS(void, PageWantedCanvasSize, (int* pWidth, int* pHeight), {
  const size = Module.page && Module.page.canvasSize;
  if (!size) return;
  HEAP32[pWidth >> 2] = size.width;
  HEAP32[pHeight >> 2] = size.height;
});

// A canvas given a new size is cleared: it is resized here, in the task that
// then draws into it, so that the browser never shows it empty.
void GlDrawableSize(GlContext* pContext, int& iWidth, int& iHeight) {
  int iNowWidth = 0, iNowHeight = 0;
  emscripten_webgl_get_drawing_buffer_size(pContext->hContext, &iNowWidth, &iNowHeight);
  iWidth = iNowWidth;
  iHeight = iNowHeight;
  PageWantedCanvasSize(&iWidth, &iHeight);
  if (iWidth != iNowWidth || iHeight != iNowHeight) emscripten_set_canvas_element_size(kCanvasSelector, iWidth, iHeight);
}

void PresentGlContext(GlContext*) { Win32WebFrameShown(); }

const char* GlRendererName(GlContext* pContext) { return pContext->strRenderer.c_str(); }

bool GlHasExtension(GlContext* pContext, const char* pszName) {
  // WebGL names the desktop extensions its own way.
  const std::string strName = pszName;
  const std::string strWebName = strName == "GL_EXT_texture_compression_s3tc" ? "WEBGL_compressed_texture_s3tc" : strName;
  return emscripten_webgl_enable_extension(pContext->hContext, strWebName.c_str()) != 0;
}

}  // namespace d3d9gl

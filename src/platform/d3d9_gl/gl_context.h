// The GL context the device draws with, on the window's surface: an SDL
// window with OpenGL 3.3 core on the desktop, the page's canvas with WebGL2
// in the browser. One implementation file per platform.
#pragma once

#include "win32.h"

namespace d3d9gl {

struct GlContext;

// Loads the platform's GL (false when there is none).
bool LoadGl();
void UnloadGl();

// A context on the window, current on return; null when the window has none.
GlContext* CreateGlContext(HWND hWindow, bool bVsync);
void DestroyGlContext(GlContext* pContext);
// Makes the context current unless it already is (another may have been made current since).
void MakeGlContextCurrent(GlContext* pContext);
// The window's drawable size in pixels. Called before a frame is shown in
// it: where the program sizes the drawable itself (the page's canvas), it
// takes the size wanted now, so that it is never shown cleared.
void GlDrawableSize(GlContext* pContext, int& iWidth, int& iHeight);
// Shows what the default framebuffer holds.
void PresentGlContext(GlContext* pContext);

// The renderer's name (the real one behind a browser's WebGL where it is told).
const char* GlRendererName(GlContext* pContext);
bool GlHasExtension(GlContext* pContext, const char* pszName);

}  // namespace d3d9gl

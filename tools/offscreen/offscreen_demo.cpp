#include "offscreen_demo.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/globals.h"
#include "host/demo_clock.h"
#include "host/run_demo.h"
#include "win32_seams.h"

namespace {

// Always offscreen and silent: the tools render pictures, they do not play.
void UseOffscreenDrivers() {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
}

}  // namespace

bool ProbeOffscreenGl(OffscreenLimits& Limits) {
  UseOffscreenDrivers();
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_Window* pWindow = SDL_CreateWindow("probe", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  SDL_GLContext pContext = pWindow != nullptr ? SDL_GL_CreateContext(pWindow) : nullptr;
  if (pContext != nullptr) {
    glGetIntegerv(GL_MAX_SAMPLES, &Limits.iMaxSamples);
    GLint iRenderbuffer = 0, iViewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &iRenderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, iViewport);
    Limits.iMaxSize = std::min({iRenderbuffer, iViewport[0], iViewport[1]});
    SDL_GL_MakeCurrent(pWindow, nullptr);
    SDL_GL_DeleteContext(pContext);
  }
  if (pWindow != nullptr) SDL_DestroyWindow(pWindow);
  return pContext != nullptr;
}

bool StartOffscreen(const char* pszTool, const std::filesystem::path& DataFolder) {
  UseOffscreenDrivers();
  std::error_code error;
  std::filesystem::current_path(DataFolder, error);
  if (error) {
    std::fprintf(stderr, "%s: cannot enter %s: %s\n", pszTool, DataFolder.c_str(), error.message().c_str());
    return false;
  }
  const std::string strTool = pszTool;
  Win32SetMessageBoxHandler([strTool](const std::string& strText, const std::string& strCaption) {
    std::fprintf(stderr, "%s: %s: %s\n", strTool.c_str(), strCaption.c_str(), strText.c_str());
    return IDOK;
  });
  // Start-up only ends the process when it has no device; nothing is open yet.
  Win32SetExitHandler([strTool](UINT uCode) {
    std::fprintf(stderr, "%s: the start-up ended the process (code %d)\n", strTool.c_str(), static_cast<int>(uCode));
    std::exit(1);
  });
  StartUp();
  return true;
}

void DrawFrameAt(DWORD dwTime) {
  SetDemoTime(dwTime);
  DrawFrame();
  pDevice->EndScene();
}

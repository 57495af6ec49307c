// Windows over SDL2. Only the predefined "STATIC" class is known.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "win32_sdl_internal.h"
#include "win32_seams.h"

namespace win32 {

// SDL drivers that show no window. Named in SDL_VIDEODRIVER they are a choice
// (the tools, a machine without a display); reached by SDL's own fallback
// they mean the display could not be reached, and the demo would play its
// whole length unseen. It ends instead, as it does without a device.
static bool ShowsNoWindow(const char* pszDriver) {
  return pszDriver != nullptr && (SDL_strcmp(pszDriver, "offscreen") == 0 || SDL_strcmp(pszDriver, "dummy") == 0 ||
                                  SDL_strcmp(pszDriver, "evdev") == 0);
}

static bool FellBackToNoWindow() {
  const char* pszDriver = SDL_GetCurrentVideoDriver();
  if (!ShowsNoWindow(pszDriver) || SDL_GetHint(SDL_HINT_VIDEODRIVER) != nullptr) return false;
  const char* pszX11 = SDL_getenv("DISPLAY");
  const char* pszWayland = SDL_getenv("WAYLAND_DISPLAY");
  std::string strDisplay = "no display (neither DISPLAY nor WAYLAND_DISPLAY is set)";
  if (pszX11 != nullptr && *pszX11 != '\0') strDisplay = std::string("the X display ") + pszX11;
  else if (pszWayland != nullptr && *pszWayland != '\0') strDisplay = std::string("the Wayland display ") + pszWayland;
  std::fprintf(stderr, "vimra: cannot reach %s: no window to play in (SDL fell back to its %s driver; "
               "SDL_VIDEODRIVER=offscreen plays unseen)\n", strDisplay.c_str(), pszDriver);
  return true;
}

bool EnsureVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
  if (FellBackToNoWindow()) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    return false;
  }
  return true;
}

}  // namespace win32

static std::vector<std::unique_ptr<HWND__>> Windows;

SDL_Window* Win32GetSdlWindow(HWND hWnd) {
  for (const auto& pWindow : Windows) {
    if (pWindow.get() == hWnd) return pWindow->pWindow;
  }
  return nullptr;
}

HWND CreateWindowExA(DWORD, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y, int nWidth,
                     int nHeight, HWND, HMENU, HINSTANCE, LPVOID) {
  if (lpClassName == nullptr || std::strcmp(lpClassName, "STATIC") != 0) return nullptr;
  if (!win32::EnsureVideo()) return nullptr;
  // The Windows size is the outer size; SDL sizes the client area, so the
  // window is created at the requested size and the device scales into it.
  const char* pszTitle = lpWindowName != nullptr ? lpWindowName : "";
  // A sizing border (part of WS_OVERLAPPEDWINDOW) makes the window resizable
  // and maximisable, as on Windows.
  // High DPI: where the video driver has a drawable finer than the window's
  // size (Wayland or macOS at 150-200%), the device draws at its pixels.
  const Uint32 dwFlags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI |
                         ((dwStyle & WS_THICKFRAME) != 0 ? SDL_WINDOW_RESIZABLE : 0);
  SDL_Window* pWindow = SDL_CreateWindow(pszTitle, X, Y, nWidth, nHeight, dwFlags | SDL_WINDOW_OPENGL);
  if (pWindow == nullptr) {
    // A video driver without GL still gives a window; the device then fails.
    pWindow = SDL_CreateWindow(pszTitle, X, Y, nWidth, nHeight, dwFlags);
  }
  if (pWindow == nullptr) return nullptr;
  Windows.push_back(std::make_unique<HWND__>(HWND__{pWindow}));
  return Windows.back().get();
}

BOOL ShowWindow(HWND hWnd, int) {
  SDL_Window* pWindow = Win32GetSdlWindow(hWnd);
  if (pWindow == nullptr) return FALSE;
  const bool bWasVisible = (SDL_GetWindowFlags(pWindow) & SDL_WINDOW_SHOWN) != 0;
  SDL_ShowWindow(pWindow);
  return bWasVisible ? TRUE : FALSE;
}

int ShowCursor(BOOL bShow) {
  static int iDisplayCount = 0;
  iDisplayCount += bShow ? 1 : -1;
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_ShowCursor(iDisplayCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return iDisplayCount;
}

// F11 and Alt+Enter switch a window between its size and the whole desktop
// (the device then draws at the window's new size).
// Desktop fullscreen: the window, without its border, covers its display and
// the window manager is asked to make it fullscreen. Without a window manager
// the move and resize alone do it; with one, either way the window ends up
// covering the display. Going back restores the border, size and place.
void win32::ToggleFullscreen(Uint32 dwWindowId) {
  SDL_Window* pWindow = SDL_GetWindowFromID(dwWindowId);
  const auto itWindow = std::find_if(Windows.begin(), Windows.end(), [&](const auto& p) { return p->pWindow == pWindow; });
  if (pWindow == nullptr || itWindow == Windows.end()) return;
  HWND__& Window = **itWindow;
  if (!Window.bFullscreen) {
    SDL_Rect Display;
    if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(pWindow)), &Display) != 0) return;
    SDL_GetWindowPosition(pWindow, &Window.Windowed.x, &Window.Windowed.y);
    SDL_GetWindowSize(pWindow, &Window.Windowed.w, &Window.Windowed.h);
    SDL_SetWindowBordered(pWindow, SDL_FALSE);
    SDL_SetWindowPosition(pWindow, Display.x, Display.y);
    SDL_SetWindowSize(pWindow, Display.w, Display.h);
    SDL_SetWindowFullscreen(pWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
  } else {
    SDL_SetWindowFullscreen(pWindow, 0);
    SDL_SetWindowBordered(pWindow, SDL_TRUE);
    SDL_SetWindowSize(pWindow, Window.Windowed.w, Window.Windowed.h);
    SDL_SetWindowPosition(pWindow, Window.Windowed.x, Window.Windowed.y);
  }
  Window.bFullscreen = !Window.bFullscreen;
}

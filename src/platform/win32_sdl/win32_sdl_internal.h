// State shared by the Win32 stand-in's files.
#pragma once

#include <SDL.h>

#include <functional>
#include <string>

#include "win32.h"

struct HWND__ {
  SDL_Window* pWindow;
  bool bFullscreen = false;
  SDL_Rect Windowed = {};  // where the window was before it went fullscreen
};

namespace win32 {

// Starts SDL's video (and events) once; false when no video driver works.
bool EnsureVideo();

void InstallEventWatch();

// The user asked the window (or the whole program) to close.
inline bool IsCloseRequest(const SDL_Event& Event) {
  return Event.type == SDL_QUIT || (Event.type == SDL_WINDOWEVENT && Event.window.event == SDL_WINDOWEVENT_CLOSE);
}

extern std::function<DWORD()> fnTimeSource;
extern std::function<SHORT(int)> fnKeySource;
extern std::function<void(UINT)> fnExitHandler;
extern std::function<int(const std::string&, const std::string&)> fnMessageBoxHandler;

}  // namespace win32

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

// Drains SDL's event queue into the message queue (win32_events.cpp).
void ReadEvents();
// The one mapping between SDL's scancodes and Windows' virtual-key codes
// (0 and SDL_SCANCODE_UNKNOWN where a key has none).
int VirtualKeyOf(SDL_Scancode eScancode);
SDL_Scancode ScancodeOf(int iVirtualKey);
// A press for GetAsyncKeyState's low bit (win32_input.cpp).
void NoteKeyDown(int iVirtualKey);
// F11 or Alt+Enter in the window with this SDL id (win32_window.cpp).
void ToggleFullscreen(Uint32 dwWindowId);

// The user asked the window (or the whole program) to close.
inline bool IsCloseRequest(const SDL_Event& Event) {
  return Event.type == SDL_QUIT || (Event.type == SDL_WINDOWEVENT && Event.window.event == SDL_WINDOWEVENT_CLOSE);
}

extern std::function<DWORD()> fnTimeSource;
extern std::function<SHORT(int)> fnKeySource;
extern std::function<void(UINT)> fnExitHandler;
extern std::function<int(const std::string&, const std::string&)> fnMessageBoxHandler;

}  // namespace win32

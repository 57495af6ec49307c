// GetAsyncKeyState over SDL: the high bit while the key is down, the low bit
// when it was pressed since the previous query. Presses are caught by an
// event watch as SDL queues them, so no message has to be pumped first.
#include <atomic>

#include "win32_sdl_internal.h"
#include "win32_seams.h"

namespace win32 {

std::function<SHORT(int)> fnKeySource;

static std::atomic<bool> PressedSinceQuery[256];

// Keys the stand-in tracks: Escape, F1, F2. A window close counts as Escape.
static void NoteKeyDown(int iVirtualKey) { PressedSinceQuery[iVirtualKey & 0xFF] = true; }

static int VirtualKeyOf(SDL_Scancode Scancode) {
  switch (Scancode) {
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    case SDL_SCANCODE_F1: return VK_F1;
    case SDL_SCANCODE_F2: return VK_F2;
    default: return 0;
  }
}

static SDL_Scancode ScancodeOf(int iVirtualKey) {
  switch (iVirtualKey) {
    case VK_ESCAPE: return SDL_SCANCODE_ESCAPE;
    case VK_F1: return SDL_SCANCODE_F1;
    case VK_F2: return SDL_SCANCODE_F2;
    default: return SDL_SCANCODE_UNKNOWN;
  }
}

// A window close is taken as Escape: the demo then ends at once with code 0
// instead of running on unseen.
static int WatchEvents(void*, SDL_Event* pEvent) {
  if (pEvent->type == SDL_KEYDOWN) {
    const int iVirtualKey = VirtualKeyOf(pEvent->key.keysym.scancode);
    if (iVirtualKey != 0) NoteKeyDown(iVirtualKey);
  } else if (IsCloseRequest(*pEvent)) {
    NoteKeyDown(VK_ESCAPE);
  }
  return 1;
}

void InstallEventWatch() { SDL_AddEventWatch(WatchEvents, nullptr); }

}  // namespace win32

void Win32SetKeySource(std::function<SHORT(int)> fnKeys) { win32::fnKeySource = std::move(fnKeys); }

SHORT GetAsyncKeyState(int vKey) {
  if (win32::fnKeySource) return win32::fnKeySource(vKey);
  if (vKey < 0 || vKey > 255) return 0;
  bool bDown = false;
  if (SDL_WasInit(SDL_INIT_EVENTS) != 0) {
    SDL_PumpEvents();
    const SDL_Scancode Scancode = win32::ScancodeOf(vKey);
    int iKeyCount = 0;
    const Uint8* pKeys = SDL_GetKeyboardState(&iKeyCount);
    bDown = Scancode != SDL_SCANCODE_UNKNOWN && Scancode < iKeyCount && pKeys[Scancode] != 0;
  }
  const bool bPressed = win32::PressedSinceQuery[vKey].exchange(false);
  return static_cast<SHORT>((bDown ? 0x8000 : 0) | (bPressed ? 1 : 0));
}

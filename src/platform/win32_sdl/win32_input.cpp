// GetAsyncKeyState over SDL: the high bit while the key is down, the low bit
// when it was pressed since the previous query. Presses come from the one
// event reader (win32_events.cpp), which this reads through first, so no
// message has to be pumped.
#include "win32_sdl_internal.h"
#include "win32_seams.h"

namespace win32 {

std::function<SHORT(int)> fnKeySource;

namespace {

bool PressedSinceQuery[256];

// The keys the demo polls; presses of others are not kept.
bool IsTracked(int iVirtualKey) { return iVirtualKey == VK_ESCAPE || iVirtualKey == VK_F1 || iVirtualKey == VK_F2; }

}  // namespace

void NoteKeyDown(int iVirtualKey) {
  if (IsTracked(iVirtualKey)) PressedSinceQuery[iVirtualKey] = true;
}

}  // namespace win32

void Win32SetKeySource(std::function<SHORT(int)> fnKeys) { win32::fnKeySource = std::move(fnKeys); }

SHORT GetAsyncKeyState(int vKey) {
  if (win32::fnKeySource) return win32::fnKeySource(vKey);
  if (vKey < 0 || vKey > 255 || !win32::IsTracked(vKey)) return 0;
  bool bDown = false;
  if (SDL_WasInit(SDL_INIT_EVENTS) != 0) {
    win32::ReadEvents();
    const SDL_Scancode Scancode = win32::ScancodeOf(vKey);
    int iKeyCount = 0;
    const Uint8* pKeys = SDL_GetKeyboardState(&iKeyCount);
    bDown = Scancode != SDL_SCANCODE_UNKNOWN && Scancode < iKeyCount && pKeys[Scancode] != 0;
  }
  const bool bPressed = win32::PressedSinceQuery[vKey];
  win32::PressedSinceQuery[vKey] = false;
  return static_cast<SHORT>((bDown ? 0x8000 : 0) | (bPressed ? 1 : 0));
}

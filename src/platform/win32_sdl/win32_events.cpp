// SDL's events as Win32 messages, read in one place: ReadEvents drains SDL's
// queue, turning keys into WM_KEYDOWN/WM_KEYUP with Windows' virtual-key codes
// and a close request into WM_CLOSE, noting presses for GetAsyncKeyState and
// switching fullscreen on F11 or Alt+Enter. PeekMessageA and GetAsyncKeyState
// both read through it, so a press counts whichever the program calls first.
#include "win32_message_queue.h"
#include "win32_sdl_internal.h"

namespace win32 {

namespace {

Win32MessageQueue Messages;

// Scancodes name places on the keyboard; a virtual-key code names the key,
// as on a US layout.
constexpr struct {
  SDL_Scancode eScancode;
  int iVirtualKey;
} kNamedKeys[] = {
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE}, {SDL_SCANCODE_RETURN, VK_RETURN}, {SDL_SCANCODE_KP_ENTER, VK_RETURN},
    {SDL_SCANCODE_SPACE, VK_SPACE},   {SDL_SCANCODE_TAB, VK_TAB},       {SDL_SCANCODE_BACKSPACE, VK_BACK},
    {SDL_SCANCODE_LEFT, VK_LEFT},     {SDL_SCANCODE_UP, VK_UP},         {SDL_SCANCODE_RIGHT, VK_RIGHT},
    {SDL_SCANCODE_DOWN, VK_DOWN},     {SDL_SCANCODE_LSHIFT, VK_SHIFT},  {SDL_SCANCODE_RSHIFT, VK_SHIFT},
    {SDL_SCANCODE_LCTRL, VK_CONTROL}, {SDL_SCANCODE_RCTRL, VK_CONTROL}, {SDL_SCANCODE_LALT, VK_MENU},
    {SDL_SCANCODE_RALT, VK_MENU},     {SDL_SCANCODE_0, '0'},
};

// The event's time as the message's: SDL's milliseconds since its start.
MSG MessageOf(UINT uMessage, WPARAM wParam, const SDL_Event& Event) {
  MSG msg{};
  msg.message = uMessage;
  msg.wParam = wParam;
  msg.time = Event.common.timestamp;
  return msg;
}

bool IsFullscreenToggle(const SDL_KeyboardEvent& Key) {
  if (Key.repeat != 0) return false;
  const SDL_Scancode Scancode = Key.keysym.scancode;
  const bool bAlt = (Key.keysym.mod & KMOD_ALT) != 0;
  return Scancode == SDL_SCANCODE_F11 ||
         (bAlt && (Scancode == SDL_SCANCODE_RETURN || Scancode == SDL_SCANCODE_KP_ENTER));
}

void ReadEvent(const SDL_Event& Event) {
  if (IsCloseRequest(Event)) {
    // Taken as Escape too: the demo then ends at once with code 0 instead of
    // running on unseen.
    NoteKeyDown(VK_ESCAPE);
    Messages.Push(MessageOf(WM_CLOSE, 0, Event));
  } else if (Event.type == SDL_KEYDOWN || Event.type == SDL_KEYUP) {
    const int iVirtualKey = VirtualKeyOf(Event.key.keysym.scancode);
    const bool bDown = Event.type == SDL_KEYDOWN;
    if (bDown && IsFullscreenToggle(Event.key)) ToggleFullscreen(Event.key.windowID);
    if (iVirtualKey == 0) return;
    if (bDown) NoteKeyDown(iVirtualKey);
    Messages.Push(MessageOf(bDown ? WM_KEYDOWN : WM_KEYUP, static_cast<WPARAM>(iVirtualKey), Event));
  }
}

}  // namespace

int VirtualKeyOf(SDL_Scancode eScancode) {
  if (eScancode >= SDL_SCANCODE_A && eScancode <= SDL_SCANCODE_Z) return 'A' + (eScancode - SDL_SCANCODE_A);
  if (eScancode >= SDL_SCANCODE_1 && eScancode <= SDL_SCANCODE_9) return '1' + (eScancode - SDL_SCANCODE_1);
  if (eScancode >= SDL_SCANCODE_F1 && eScancode <= SDL_SCANCODE_F12) return VK_F1 + (eScancode - SDL_SCANCODE_F1);
  for (const auto& Key : kNamedKeys) {
    if (Key.eScancode == eScancode) return Key.iVirtualKey;
  }
  return 0;
}

SDL_Scancode ScancodeOf(int iVirtualKey) {
  for (int i = 0; i < SDL_NUM_SCANCODES; ++i) {
    const auto eScancode = static_cast<SDL_Scancode>(i);
    if (iVirtualKey != 0 && VirtualKeyOf(eScancode) == iVirtualKey) return eScancode;
  }
  return SDL_SCANCODE_UNKNOWN;
}

void ReadEvents() {
  if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return;
  SDL_Event Event;
  while (SDL_PollEvent(&Event) > 0) ReadEvent(Event);
}

}  // namespace win32

BOOL PeekMessageA(LPMSG lpMsg, HWND, UINT, UINT, UINT wRemoveMsg) {
  win32::ReadEvents();
  return win32::Messages.Peek(lpMsg, wRemoveMsg);
}

// Only the predefined "STATIC" class is known; it has no window procedure of
// the program's, so there is nothing to call.
LRESULT DispatchMessageA(const MSG*) { return 0; }

// GetAsyncKeyState in the browser: the high bit while the key is down, the
// low bit when it was pressed since the previous query. Keys count from the
// start gesture on, so the key that starts the demo does not also act on it.
#include <emscripten/html5.h>

#include <cstring>

#include "win32_web_internal.h"

namespace {

bool Down[256];
bool PressedSinceQuery[256];

// DOM key codes of the keys the demo polls.
int VirtualKeyOf(const char* pszCode) {
  if (std::strcmp(pszCode, "Escape") == 0) return VK_ESCAPE;
  if (std::strcmp(pszCode, "F1") == 0) return VK_F1;
  if (std::strcmp(pszCode, "F2") == 0) return VK_F2;
  return 0;
}

// True keeps the browser from acting on the key (F1 opens help otherwise).
EM_BOOL OnKey(int iEventType, const EmscriptenKeyboardEvent* pEvent, void*) {
  const int iVirtualKey = VirtualKeyOf(pEvent->code);
  if (iVirtualKey == 0 || !Win32WebStarted()) return iVirtualKey != 0;
  const bool bDown = iEventType == EMSCRIPTEN_EVENT_KEYDOWN;
  if (bDown) PressedSinceQuery[iVirtualKey] = true;
  Down[iVirtualKey] = bDown;
  win32::QueueMessage(bDown ? WM_KEYDOWN : WM_KEYUP, static_cast<WPARAM>(iVirtualKey));
  return EM_TRUE;
}

}  // namespace

namespace win32 {

void ListenToKeys() {
  static bool bListening = false;
  if (bListening) return;
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, OnKey);
  emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, OnKey);
  bListening = true;
}

}  // namespace win32

SHORT GetAsyncKeyState(int vKey) {
  if (vKey < 0 || vKey > 255) return 0;
  const bool bPressed = PressedSinceQuery[vKey];
  PressedSinceQuery[vKey] = false;
  return static_cast<SHORT>((Down[vKey] ? 0x8000 : 0) | (bPressed ? 1 : 0));
}

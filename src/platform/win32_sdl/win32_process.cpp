// Message box and process exit. Without a display the message box text goes
// to stderr; with one, SDL shows a real box.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "win32_sdl_internal.h"
#include "win32_seams.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VIMRA_LEAK_CHECK_AT_EXIT 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VIMRA_LEAK_CHECK_AT_EXIT 1
#endif
#ifdef VIMRA_LEAK_CHECK_AT_EXIT
#include <sanitizer/lsan_interface.h>
#endif

namespace win32 {
std::function<void(UINT)> fnExitHandler;
std::function<int(const std::string&, const std::string&)> fnMessageBoxHandler;
}  // namespace win32

void Win32SetExitHandler(std::function<void(UINT)> fnExit) { win32::fnExitHandler = std::move(fnExit); }

void Win32SetMessageBoxHandler(std::function<int(const std::string&, const std::string&)> fnBox) {
  win32::fnMessageBoxHandler = std::move(fnBox);
}

static bool DisplayExists() {
  const char* pszDriver = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  if (pszDriver == nullptr) pszDriver = std::getenv("SDL_VIDEODRIVER");
  if (pszDriver != nullptr && (SDL_strcasecmp(pszDriver, "offscreen") == 0 || SDL_strcasecmp(pszDriver, "dummy") == 0))
    return false;
  return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
}

int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT) {
  const std::string strText = lpText != nullptr ? lpText : "";
  const std::string strCaption = lpCaption != nullptr ? lpCaption : "Error";
  if (win32::fnMessageBoxHandler) return win32::fnMessageBoxHandler(strText, strCaption);
  std::fprintf(stderr, "%s: %s\n", strCaption.c_str(), strText.c_str());
  if (DisplayExists()) {
    SDL_Window* pOwner = hWnd != nullptr ? Win32GetSdlWindow(hWnd) : nullptr;
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, strCaption.c_str(), strText.c_str(), pOwner);
  }
  return IDOK;
}

// Ends at once, closing nothing, as ExitProcess does for this program.
void ExitProcess(UINT uExitCode) {
  if (win32::fnExitHandler) win32::fnExitHandler(uExitCode);
  std::fflush(stdout);
  std::fflush(stderr);
#ifdef VIMRA_LEAK_CHECK_AT_EXIT
  // _exit skips the leak check a sanitizer build runs at exit, so it runs
  // here (when ASAN_OPTIONS asks for it). What the program keeps until now
  // is still reachable from its globals and is not reported.
  if (__lsan_do_recoverable_leak_check() != 0) _exit(23);
#endif
  _exit(static_cast<int>(uExitCode));
}

void Win32ResetSeams() {
  win32::fnTimeSource = nullptr;
  win32::fnKeySource = nullptr;
  win32::fnExitHandler = nullptr;
  win32::fnMessageBoxHandler = nullptr;
  Win32SetMonotonicClock(nullptr, nullptr);
}

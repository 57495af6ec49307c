// Message box and process exit in the page: the box is a message on the page
// that waits for its OK button; the end of the process shows the page's end
// screen (with "play again") and stops the program for good.
#include <emscripten.h>

#include "win32_web_internal.h"

EM_JS(void, PageShowMessage, (const char* pszText, const char* pszCaption), {
  Module.page.showMessage(UTF8ToString(pszCaption), UTF8ToString(pszText));
});
EM_JS(int, PageMessageOpen, (), { return Module.page.messageOpen ? 1 : 0; });
EM_JS(void, PageShowEnd, (int iCode), { Module.page.showEnd(iCode); });

int MessageBoxA(HWND, LPCSTR lpText, LPCSTR lpCaption, UINT) {
  emscripten_log(EM_LOG_ERROR, "%s: %s", lpCaption != nullptr ? lpCaption : "Error", lpText != nullptr ? lpText : "");
  PageShowMessage(lpText != nullptr ? lpText : "", lpCaption != nullptr ? lpCaption : "Error");
  while (PageMessageOpen() != 0) emscripten_sleep(50);
  return IDOK;
}

// Ends at once, closing nothing, as ExitProcess does for this program.
void ExitProcess(UINT uExitCode) {
  PageShowEnd(static_cast<int>(uExitCode));
  emscripten_force_exit(static_cast<int>(uExitCode));
  __builtin_unreachable();
}

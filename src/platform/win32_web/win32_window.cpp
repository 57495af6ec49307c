// The window is the page's one canvas. The page shows it as large as fits,
// 16:9, and sizes its drawing buffer to the shown size in the screen's own
// pixels, which the device draws at. Only the predefined "STATIC" class is known; it has no window
// procedure of the program's, so DispatchMessageA has nothing to call.
#include <emscripten.h>

#include <cstring>

#include "win32_message_queue.h"
#include "win32_web_internal.h"

struct HWND__ {
  int iWidth, iHeight;
};

namespace {

HWND__ Canvas;
bool bCanvasTaken = false;
bool bStarted = false;
Win32MessageQueue Messages;

}  // namespace

EM_JS(void, PageSetUpCanvas, (const char* pszTitle, int iWidth, int iHeight), {
  document.title = UTF8ToString(pszTitle);
  if (Module.page && Module.page.fitCanvas) return;
  const canvas = document.querySelector("#canvas");
  canvas.width = iWidth;
  canvas.height = iHeight;
});
EM_JS(void, PageShowCanvas, (), { if (Module.page) Module.page.showCanvas(); });
EM_JS(void, PageSetCursorHidden, (int bHidden), {
  document.querySelector("#canvas").style.cursor = bHidden ? "none" : "";
});
EM_JS(void, PageFrameShown, (double dWorkMs), { if (Module.page) Module.page.frameShown(dWorkMs); });
// Each frame waits for the browser's next one: drawn faster than the browser
// shows them, frames queue up in its GPU process (seconds of them with a
// software renderer) and the page stalls while they drain.
EM_JS(void, PageWaitForAnimationFrame, (), {
  Asyncify.handleSleep((wakeUp) => requestAnimationFrame(() => callUserCallback(wakeUp)));
});
EM_JS(void, PageAskForStart, (), { if (Module.page) Module.page.askForStart(); });
EM_JS(double, PageStartedAt, (), { return Module.page ? Module.page.startedAt : 0; });

namespace win32 {

void QueueMessage(UINT uMessage, WPARAM wParam) {
  MSG msg{};
  msg.message = uMessage;
  msg.wParam = wParam;
  msg.time = ReadClock();
  Messages.Push(msg);
}

}  // namespace win32

HWND CreateWindowExA(DWORD, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD, int, int, int nWidth, int nHeight, HWND,
                     HMENU, HINSTANCE, LPVOID) {
  if (lpClassName == nullptr || std::strcmp(lpClassName, "STATIC") != 0) return nullptr;
  if (bCanvasTaken || nWidth <= 0 || nHeight <= 0) return nullptr;
  // The Windows size is the outer size; the canvas is the client area. A page
  // without its own sizing gets the requested size, and the device scales
  // into the canvas as it is shown.
  Canvas = HWND__{nWidth, nHeight};
  bCanvasTaken = true;
  PageSetUpCanvas(lpWindowName != nullptr ? lpWindowName : "", nWidth, nHeight);
  win32::ListenToKeys();
  return &Canvas;
}

BOOL ShowWindow(HWND hWnd, int) {
  if (hWnd != &Canvas) return FALSE;
  PageShowCanvas();
  return FALSE;
}

int ShowCursor(BOOL bShow) {
  static int iDisplayCount = 0;
  iDisplayCount += bShow ? 1 : -1;
  PageSetCursorHidden(iDisplayCount < 0);
  return iDisplayCount;
}

BOOL PeekMessageA(LPMSG lpMsg, HWND, UINT, UINT, UINT wRemoveMsg) { return Messages.Peek(lpMsg, wRemoveMsg); }

LRESULT DispatchMessageA(const MSG*) { return 0; }

bool Win32WebStarted() { return bStarted; }

void Win32WebFrameShown() {
  // Returning to the browser's event loop puts the canvas on the screen.
  PageFrameShown(emscripten_get_now() - win32::dLastReadingAt);
  PageWaitForAnimationFrame();
  if (bStarted) return;
  PageAskForStart();
  // The clock stands still until the page starts it: after the gesture, when
  // the music's start is heard.
  const double dWaitStart = emscripten_get_now();
  while (PageStartedAt() == 0) emscripten_sleep(10);
  win32::dHeldMilliseconds += PageStartedAt() - dWaitStart;
  bStarted = true;
}

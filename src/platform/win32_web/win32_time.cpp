// timeGetTime in the browser: milliseconds of the page's high-resolution
// clock, less the wait for the start gesture, as 32 bits that wrap.
//
// The frame loop waits for its next 10 ms step by reading the timer again
// and again. A reading that equals the previous one means the caller is
// waiting: the rest of the wait goes back to the browser (emscripten_sleep
// under ASYNCIFY), so the page stays responsive and no core spins.
#include <emscripten.h>

#include <cstdint>

#include "win32_web_internal.h"

namespace win32 {

double dHeldMilliseconds = 0.0;
double dLastReadingAt = 0.0;

DWORD ReadClock() { return static_cast<DWORD>(static_cast<uint64_t>(emscripten_get_now() - dHeldMilliseconds)); }

}  // namespace win32

DWORD timeGetTime() {
  static DWORD dwPrevious = 0;
  DWORD dwNow = win32::ReadClock();
  if (dwNow == dwPrevious) {
    emscripten_sleep(1);
    dwNow = win32::ReadClock();
  }
  dwPrevious = dwNow;
  win32::dLastReadingAt = emscripten_get_now();
  return dwNow;
}

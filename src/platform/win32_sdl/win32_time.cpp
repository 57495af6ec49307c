// timeGetTime: milliseconds of a monotonic clock, as 32 bits that wrap.
#include <time.h>

#include "win32_internal.h"
#include "win32_seams.h"

namespace win32 {
std::function<DWORD()> fnTimeSource;
}

void Win32SetTimeSource(std::function<DWORD()> fnTime) { win32::fnTimeSource = std::move(fnTime); }

DWORD timeGetTime() {
  if (win32::fnTimeSource) return win32::fnTimeSource();
  timespec Now;
  clock_gettime(CLOCK_MONOTONIC, &Now);
  const uint64_t iMilliseconds = static_cast<uint64_t>(Now.tv_sec) * 1000u + static_cast<uint64_t>(Now.tv_nsec) / 1000000u;
  return static_cast<DWORD>(iMilliseconds);
}

// timeGetTime: milliseconds of a monotonic clock, as 32 bits that wrap.
//
// A caller that asks again within the same millisecond is waiting for the
// clock to move on (the frame loop paces itself this way), so the second call
// sleeps until the next millisecond begins instead of answering the same
// value at once: the values returned and the pacing are those of a busy loop,
// but the CPU is given away while the clock stands still.
#include <errno.h>
#include <time.h>

#include <atomic>

#include "win32_sdl_internal.h"
#include "win32_seams.h"

namespace win32 {
std::function<DWORD()> fnTimeSource;
}

namespace {

constexpr uint64_t kNanosecondsPerMs = 1000000u;

uint64_t SystemNanoseconds() {
  timespec Now;
  clock_gettime(CLOCK_MONOTONIC, &Now);
  return static_cast<uint64_t>(Now.tv_sec) * 1000000000u + static_cast<uint64_t>(Now.tv_nsec);
}

void SystemSleepUntil(uint64_t iNanoseconds) {
  const timespec Until{static_cast<time_t>(iNanoseconds / 1000000000u), static_cast<long>(iNanoseconds % 1000000000u)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &Until, nullptr) == EINTR) {
  }
}

std::function<uint64_t()> fnNowNanoseconds;
std::function<void(uint64_t)> fnSleepUntil;

uint64_t NowNanoseconds() { return fnNowNanoseconds ? fnNowNanoseconds() : SystemNanoseconds(); }

void SleepUntil(uint64_t iNanoseconds) {
  if (fnSleepUntil) fnSleepUntil(iNanoseconds);
  else SystemSleepUntil(iNanoseconds);
}

std::atomic<uint64_t> iLastAnsweredMs{UINT64_MAX};

}  // namespace

void Win32SetTimeSource(std::function<DWORD()> fnTime) { win32::fnTimeSource = std::move(fnTime); }

void Win32SetMonotonicClock(std::function<uint64_t()> fnNow, std::function<void(uint64_t)> fnSleep) {
  fnNowNanoseconds = std::move(fnNow);
  fnSleepUntil = std::move(fnSleep);
  iLastAnsweredMs.store(UINT64_MAX, std::memory_order_relaxed);
}

DWORD timeGetTime() {
  if (win32::fnTimeSource) return win32::fnTimeSource();
  uint64_t iMs = NowNanoseconds() / kNanosecondsPerMs;
  if (iMs == iLastAnsweredMs.load(std::memory_order_relaxed)) {
    SleepUntil((iMs + 1) * kNanosecondsPerMs);
    iMs = NowNanoseconds() / kNanosecondsPerMs;
  }
  iLastAnsweredMs.store(iMs, std::memory_order_relaxed);
  return static_cast<DWORD>(iMs);
}

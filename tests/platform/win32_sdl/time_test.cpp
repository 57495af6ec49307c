// The millisecond timer: a caller that asks again within the same
// millisecond gets the next millisecond, never the same value twice in a row,
// and waiting on it still waits the whole step.
#include <gtest/gtest.h>
#include <time.h>

#include <cstdint>

#include "win32.h"

namespace {

int64_t MonotonicMs() {
  timespec Now;
  clock_gettime(CLOCK_MONOTONIC, &Now);
  return int64_t(Now.tv_sec) * 1000 + Now.tv_nsec / 1000000;
}

TEST(Timer, RepeatedCallsStepThroughEveryMillisecond) {
  DWORD dwPrevious = timeGetTime();
  int iSkipped = 0;
  for (int i = 0; i < 200; ++i) {
    const DWORD dwNow = timeGetTime();
    const int32_t iStep = static_cast<int32_t>(dwNow - dwPrevious);
    ASSERT_GE(iStep, 1) << "call " << i << " answered the same millisecond twice";
    // A sleep may overrun on a loaded machine; it must not do so all the time.
    if (iStep > 1) ++iSkipped;
    dwPrevious = dwNow;
  }
  EXPECT_LT(iSkipped, 100);
}

TEST(Timer, PacingOnTheTimerStillWaitsTheWholeStep) {
  // The frame loop's way of waiting: ask until 10 ms have passed.
  const int64_t iStart = MonotonicMs();
  const DWORD dwUntil = timeGetTime() + 10;
  DWORD dwNow = timeGetTime();
  while (static_cast<int32_t>(dwNow - dwUntil) < 0) dwNow = timeGetTime();
  EXPECT_GE(MonotonicMs() - iStart, 9);
  EXPECT_LE(static_cast<int32_t>(dwNow - dwUntil), 2);
}

}  // namespace

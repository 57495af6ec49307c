// The millisecond timer: a caller that asks again within the same
// millisecond gets the next millisecond, never the same value twice in a row,
// and waiting on it still waits the whole step. Checked on a scripted
// monotonic clock, so no wall-clock figure is asserted (bench_frame_pacing
// measures the real one).
#include <gtest/gtest.h>
#include <time.h>

#include <cstdint>

#include "win32.h"
#include "win32_seams.h"

namespace {

constexpr uint64_t kMs = 1000000;  // nanoseconds

// A clock that stands still until the timer sleeps; a sleep ends
// iOvershoot after the time asked for, as on a loaded machine.
class ScriptedClock : public ::testing::Test {
 protected:
  void SetUp() override {
    Win32SetMonotonicClock([this] { return iNow; },
                           [this](uint64_t iUntil) {
                             ++iSleeps;
                             iNow = std::max(iNow, iUntil + iOvershoot);
                           });
  }
  void TearDown() override { Win32ResetSeams(); }

  uint64_t iNow = 5 * kMs + 700000;  // inside a millisecond, not at its start
  uint64_t iOvershoot = 0;
  int iSleeps = 0;
};

TEST_F(ScriptedClock, RepeatedCallsStepThroughEveryMillisecond) {
  // On a clock that does not move by itself, each call past the first sleeps
  // to the next millisecond's start and answers it.
  EXPECT_EQ(timeGetTime(), 5u);
  EXPECT_EQ(iSleeps, 0);
  for (DWORD dwExpected = 6; dwExpected < 200; ++dwExpected) ASSERT_EQ(timeGetTime(), dwExpected);
  EXPECT_EQ(iSleeps, 194);
  EXPECT_EQ(iNow, 199 * kMs);
}

TEST_F(ScriptedClock, AClockThatMovedOnIsAnsweredWithoutSleeping) {
  EXPECT_EQ(timeGetTime(), 5u);
  iNow += 3 * kMs;
  EXPECT_EQ(timeGetTime(), 8u);
  EXPECT_EQ(iSleeps, 0);
}

TEST_F(ScriptedClock, PacingOnTheTimerWaitsTheWholeStep) {
  // The frame loop's way of waiting: ask until 10 ms have passed. It ends at
  // the step's first millisecond, no earlier and with no extra sleep.
  const DWORD dwUntil = timeGetTime() + 10;
  DWORD dwNow = timeGetTime();
  while (static_cast<int32_t>(dwNow - dwUntil) < 0) dwNow = timeGetTime();
  EXPECT_EQ(dwNow, dwUntil);
  EXPECT_EQ(iNow, uint64_t(dwUntil) * kMs);
  EXPECT_EQ(iSleeps, 10);
}

TEST_F(ScriptedClock, SleepsThatOverrunSkipMillisecondsButNeverRepeatOne) {
  // Each sleep ends 2.5 ms late: the answers jump by 3 and still rise.
  iOvershoot = 2 * kMs + kMs / 2;
  DWORD dwPrevious = timeGetTime();
  for (int i = 0; i < 20; ++i) {
    const DWORD dwNow = timeGetTime();
    ASSERT_EQ(dwNow - dwPrevious, 3u) << "call " << i;
    dwPrevious = dwNow;
  }
}

TEST_F(ScriptedClock, AnswersAreTheLow32BitsAndWrap) {
  iNow = (uint64_t(UINT32_MAX) + 1) * kMs - kMs / 2;  // half a millisecond before the wrap
  EXPECT_EQ(timeGetTime(), UINT32_MAX);
  const DWORD dwAfterWrap = timeGetTime();
  EXPECT_EQ(dwAfterWrap, 0u);
  EXPECT_EQ(static_cast<int32_t>(dwAfterWrap - UINT32_MAX), 1);
}

// Without a scripted clock: the milliseconds of CLOCK_MONOTONIC, low 32 bits,
// compared as the engine compares readings (by the signed 32-bit difference),
// and no answer repeats.
TEST(SystemClock, AnswersMonotonicMillisecondsAndNeverTheSameTwice) {
  Win32ResetSeams();
  auto Low32 = [](const timespec& t) {
    return static_cast<DWORD>(static_cast<uint64_t>(t.tv_sec) * 1000u + static_cast<uint64_t>(t.tv_nsec) / 1000000u);
  };
  timespec Before{}, After{};
  clock_gettime(CLOCK_MONOTONIC, &Before);
  DWORD dwPrevious = timeGetTime();
  clock_gettime(CLOCK_MONOTONIC, &After);
  EXPECT_GE(static_cast<int32_t>(dwPrevious - Low32(Before)), 0);
  EXPECT_LE(static_cast<int32_t>(dwPrevious - Low32(After)), 0);
  for (int i = 0; i < 50; ++i) {
    const DWORD dwNow = timeGetTime();
    ASSERT_GE(static_cast<int32_t>(dwNow - dwPrevious), 1) << "call " << i;
    dwPrevious = dwNow;
  }
}

}  // namespace

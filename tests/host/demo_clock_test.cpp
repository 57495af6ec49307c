// The clock with a scripted timer and scripted keys: pacing, catch-up, the
// speed keys and where the demo's end falls.
#include <gtest/gtest.h>

#include "host/demo_clock.h"
#include "core/globals.h"
#include "win32_seams.h"

namespace {

class DemoClock : public ::testing::Test {
 protected:
  void SetUp() override {
    dwDemoTime = 0;
    Win32SetTimeSource([this] {
      const DWORD dwReading = dwNow;
      dwNow += dwStepPerRead;
      ++iReads;
      return dwReading;
    });
  }
  void TearDown() override { Win32ResetSeams(); }

  DWORD dwNow = 1000;
  DWORD dwStepPerRead = 1;
  int iReads = 0;
};

TEST_F(DemoClock, FirstFrameWaitsOneStepAndNeverShowsTimeZero) {
  StartClock();
  EXPECT_EQ(dwLastTick, 1000u);
  AdvanceClock();
  EXPECT_GE(dwNow, 1010u);
  EXPECT_EQ(dwDemoTime, 10u);
  EXPECT_FLOAT_EQ(fTime, 10 * kTimelineUnitsPerMs);
}

TEST_F(DemoClock, ALateFrameCatchesUpWholeStepsAndCarriesTheRest) {
  dwStepPerRead = 0;
  StartClock();
  dwNow = 1045;
  const int iReadsBefore = iReads;
  AdvanceClock();
  EXPECT_EQ(iReads - iReadsBefore, 1);  // no waiting
  EXPECT_EQ(dwDemoTime, 40u);
  EXPECT_EQ(dwLastTick, 1040u);
}

TEST_F(DemoClock, PacingStaysRightWhenTheTimerWraps) {
  dwStepPerRead = 0;
  dwNow = 0xFFFFFFF0u;
  StartClock();
  dwNow = 0xFFFFFFFAu;  // one step, just before the wrap
  AdvanceClock();
  EXPECT_EQ(dwDemoTime, 10u);
  dwNow = 0x00000013u;  // 25 ms later, across the wrap: two whole steps
  AdvanceClock();
  EXPECT_EQ(dwDemoTime, 30u);
  EXPECT_EQ(dwLastTick, 0x0000000Eu);
}

TEST_F(DemoClock, SpeedKeys) {
  struct Case {
    const char* pszName;
    int iFrames;
    bool bF1, bF2;
    int iExpectedSpeed;
  } Cases[] = {
      {"F1 and F2 in one frame", 1, true, true, 3},
      {"F2 for 50 frames", 50, false, true, 101},
      {"F1 alone", 3, true, false, 1},
  };
  for (const Case& c : Cases) {
    Win32SetKeySource([&](int iKey) -> SHORT {
      if (iKey == VK_F1 && c.bF1) return 1;
      if (iKey == VK_F2 && c.bF2) return static_cast<SHORT>(0x8000);
      return 0;
    });
    StartClock();
    for (int i = 0; i < c.iFrames; ++i) ReadSpeedKeys();
    EXPECT_EQ(iSpeed, c.iExpectedSpeed) << c.pszName;
  }
}

TEST_F(DemoClock, EachStepAtSpeed101AddsOneSecondOfDemoTime) {
  dwStepPerRead = 0;
  StartClock();
  iSpeed = 101;
  dwNow = 1010;
  AdvanceClock();
  EXPECT_EQ(dwDemoTime, 1010u);
}

TEST_F(DemoClock, TheEndFallsBetween85070And85080Milliseconds) {
  struct Case {
    DWORD dwTime;
    bool bPastEnd;
  } Cases[] = {{85070, false}, {85080, true}, {20750, false}, {41500, false}};
  for (const Case& c : Cases) {
    dwDemoTime = c.dwTime - 10;
    dwStepPerRead = 0;
    StartClock();
    dwNow = dwLastTick + 10;
    AdvanceClock();
    EXPECT_EQ(fTime > kDemoEnd, c.bPastEnd) << c.dwTime;
  }
  // The timeline's boundaries land on whole units at these clock values.
  const struct {
    DWORD dwTime;
    float fUnits;
  } Bounds[] = {{20750, 5.0f}, {41500, 10.0f}, {74700, 18.0f}};
  for (const auto& bound : Bounds) {
    EXPECT_GE(static_cast<float>(bound.dwTime * static_cast<double>(kTimelineUnitsPerMs)), bound.fUnits);
    EXPECT_LT(static_cast<float>((bound.dwTime - 10) * static_cast<double>(kTimelineUnitsPerMs)), bound.fUnits);
  }
}

}  // namespace

#include "host/demo_clock.h"

#include <cstdint>

#include "core/globals.h"

int iSpeed = 1;
DWORD dwLastTick = 0;

void SetDemoTime(DWORD dwTime) {
  dwDemoTime = dwTime;
  fTime = static_cast<float>(static_cast<double>(dwDemoTime) * static_cast<double>(kTimelineUnitsPerMs));
}

void StartClock() {
  iSpeed = 1;
  dwLastTick = timeGetTime();
}

void AdvanceClock() {
  dwLastTick += kClockStep;
  // Busy-waits without sleeping. The timer is compared by the signed
  // difference of two readings, which is the plain unsigned comparison as long
  // as both lie less than 24 days apart, and keeps pacing right when the
  // 32-bit millisecond count wraps (after 49.7 days of uptime).
  DWORD dwNow = timeGetTime();
  while (static_cast<int32_t>(dwNow - dwLastTick) < 0) dwNow = timeGetTime();
  while (static_cast<int32_t>(dwNow - (dwLastTick + kClockStep)) > 0) {
    dwLastTick += kClockStep;
    dwDemoTime += static_cast<DWORD>(iSpeed) * kClockStep;
  }
  SetDemoTime(dwDemoTime + static_cast<DWORD>(iSpeed) * kClockStep);
}

void ReadSpeedKeys() {
  if (GetAsyncKeyState(VK_F1) != 0) iSpeed = 1;
  if (GetAsyncKeyState(VK_F2) != 0) iSpeed += 2;
}

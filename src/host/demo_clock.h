// The demo clock: frames paced on 10 ms steps of the system timer, each step
// worth iSpeed x 10 ms of demo time. F1 sets the speed to 1, F2 adds 2.
#pragma once

#include "win32.h"

constexpr DWORD kClockStep = 10;
// The float nearest to 1/4150: demo milliseconds to timeline units.
constexpr float kTimelineUnitsPerMs = 0.00024096385f;
constexpr float kDemoEnd = 20.5f;

extern int iSpeed;
extern DWORD dwLastTick;

// Sets the demo clock and the timeline time that follows from it.
void SetDemoTime(DWORD dwTime);

void StartClock();
// Waits for the next step, turns every whole step since the last frame into
// demo time and recomputes fTime.
void AdvanceClock();
void ReadSpeedKeys();

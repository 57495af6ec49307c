// State shared by the browser Win32 layer's files.
#pragma once

#include "win32_web.h"

namespace win32 {

// Milliseconds of page time the timer leaves out (the wait for the start gesture).
extern double dHeldMilliseconds;
// Page time (emscripten_get_now) of the last timeGetTime reading: where the
// frame loop's wait ended and the frame's work began.
extern double dLastReadingAt;

// The timer's value without yielding (safe inside event callbacks).
DWORD ReadClock();

// A key message for PeekMessageA.
void QueueMessage(UINT uMessage, WPARAM wParam);

// Starts the keyboard callbacks once.
void ListenToKeys();

}  // namespace win32

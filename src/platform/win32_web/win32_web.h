// What the rest of the browser platform asks of the Win32 layer.
#pragma once

#include "win32.h"

// The GL context's canvas (a CSS selector emscripten's html5.h understands).
constexpr const char* kCanvasSelector = "#canvas";

// A frame has just been drawn into the canvas: yield to the browser so it
// reaches the screen and the page's events run. The first frame waits here
// for the person's click or key press ("click or press a key to start"); the
// timer stands still while it waits, so the demo's clock and music begin with
// that gesture.
void Win32WebFrameShown();

// True once the start gesture has happened (keys count only from then on).
bool Win32WebStarted();

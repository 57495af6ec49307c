// The Win32 declarations on Windows: the system's own headers (window, input,
// process) and the multimedia timer. A namesake of api/win32.h, which
// declares the same subset itself where there is no <windows.h>: the engine
// includes "win32.h" and gets the real one here.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <mmsystem.h>

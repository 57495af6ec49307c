// Hooks that let tests and tools drive the Win32 stand-in without a person or a
// wall clock: a scripted timer, scripted keys, and a catchable process exit.
#pragma once

#include "win32.h"

#include <cstdint>
#include <functional>
#include <string>

// SDL window behind a handle made by CreateWindowExA (null for an unknown handle).
struct SDL_Window;
SDL_Window* Win32GetSdlWindow(HWND hWnd);

// Replaces the millisecond timer; an empty function restores the system timer.
void Win32SetTimeSource(std::function<DWORD()> fnTime);

// Replaces the monotonic clock under timeGetTime (nanoseconds) and its sleep
// until a time on that clock; empty functions restore the system's. Lets a
// test see how timeGetTime paces its callers without a wall clock.
void Win32SetMonotonicClock(std::function<uint64_t()> fnNow, std::function<void(uint64_t)> fnSleepUntil);

// Replaces the key state; the function answers GetAsyncKeyState for a virtual
// key. An empty function restores the keyboard.
void Win32SetKeySource(std::function<SHORT(int)> fnKeys);

// Called instead of ending the process; it must not return (a test throws).
void Win32SetExitHandler(std::function<void(UINT)> fnExit);

// Called instead of showing a message box; answers as the user would.
void Win32SetMessageBoxHandler(std::function<int(const std::string& strText, const std::string& strCaption)> fnBox);

// Forgets every hook (used between tests).
void Win32ResetSeams();

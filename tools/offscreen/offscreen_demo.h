// The demo's own start-up and frame drawing, offscreen and silent, for the
// tools that render it to files.
#pragma once

#include <filesystem>

#include "win32.h"

// Enters the data folder and runs the program's start-up with SDL's offscreen
// video and dummy audio drivers. A failure (no folder, no device) is printed
// as "TOOL: ..." and gives false; the start-up's fatal message box becomes a
// line on stderr.
bool StartOffscreen(const char* pszTool, const std::filesystem::path& DataFolder);

// What the GL under the device can make: the most samples of a multisampled
// back buffer and the largest side of one. False without a GL display.
struct OffscreenLimits {
  int iMaxSamples = 0;
  int iMaxSize = 0;
};
bool ProbeOffscreenGl(OffscreenLimits& Limits);

// Draws the frame at demo time dwTime (milliseconds) and ends its scene, so
// the back buffer holds the finished frame.
void DrawFrameAt(DWORD dwTime);

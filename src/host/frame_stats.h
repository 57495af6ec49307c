// Frame statistics for a viewer who asks how fast the demo runs: with
// VIMRA_STATS=1 in the environment, the frame loop notes every presented
// frame and the run ends by printing, on stderr, the frames presented, the
// mean frame rate and the median and 99th-percentile frame time, per scene,
// with the size the frames were drawn at.
// Without it nothing is noted or printed.
//
// VIMRA_FRAME_LOG names a file (a FIFO, say) that gets one line per presented
// frame as soon as it is presented: its demo time in ms. Whoever records the
// sound can then tell where the music is heard at each frame, and whoever
// started the program knows when its first frame is up. Under Wine the name
// is a Windows one (Z:\tmp\...).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "win32.h"

// The camera moves of the timeline, by the demo time (ms) each one starts at.
struct SceneSpan {
  const char* pszName;
  DWORD dwFrom;
};
extern const SceneSpan kSceneSpans[4];

// Frame times per scene; a frame belongs to the scene its demo time lies in,
// and its time is the wall time since the frame presented before it. Each
// scene also lists the sizes its frames were drawn at (the device may draw at
// the window's size rather than the back buffer's), in the order drawn.
class FrameStats {
 public:
  void Note(DWORD dwDemoTimeMs, double fWallSeconds, int iDrawnWidth = 0, int iDrawnHeight = 0);
  // One line per scene that has frames, then one for the whole run.
  std::string Report() const;

 private:
  std::vector<double> FrameMs[4];
  std::vector<std::pair<int, int>> DrawnSizes[4];
  double fSceneSeconds[4] = {};
  double fLastWall = -1;
};

// What the frame loop calls: read VIMRA_STATS and VIMRA_FRAME_LOG once at the clock start, note
// each presented frame, print the report at the end (or on Escape).
void StartFrameStats();
void NoteFramePresented();
void ReportFrameStats();

// How much of the window's pixels the GL device draws at: the picture's size
// (picture_size.h, the rule both devices share) times a scale.
//
// The scale is fixed by VIMRA_RENDER_SCALE (1: the window's own pixels, 0.5:
// half of them) or chosen from measured frame times: the largest that keeps
// a frame within 20 ms. A window of a new size is first drawn at all its
// pixels, unless the time per pixel seen so far says that is far too slow;
// a few frames later a size that proves too slow is stepped down from, and
// no step goes back up until the window's size changes again, so that the
// choice settles instead of swinging with the scenes. (Below the window's
// size the picture is also scaled into it, which costs time of its own: a
// smaller size is not always as much faster as its pixels suggest.)
#pragma once

#include <vector>

#include "picture_size.h"

namespace d3d9gl {

// VIMRA_RENDER_SCALE's value: a number above 0 and at most 1; 0 (chosen by
// frame times) when unset or not such a number.
double FixedScaleFrom(const char* pszValue);

class DrawScaleChooser {
 public:
  static constexpr double kBudgetMs = 20.0;
  // fFixed 0: chosen from frame times; else that scale, always.
  explicit DrawScaleChooser(double fFixed);

  double Scale() const { return fScale; }
  // The median frame time of the last timed run (0 before the first).
  double LastMedianMs() const { return fLastMedianMs; }
  // The window's size changed: Full is its size at scale 1, Least the
  // smallest the device draws.
  void NewWindow(DrawSize Full, DrawSize Least);
  // One frame took fMs at Drawn. True when this frame ended a timed run and
  // the scale was chosen again (it may be the same).
  bool NoteFrame(double fMs, DrawSize Drawn, DrawSize Full, DrawSize Least);

 private:
  // Frames after a change that are not timed: they make the new buffers.
  static constexpr int kSettlingFrames = 2;
  // A new window's first run is short: its first frames may be far too slow.
  static constexpr int kFirstRunFrames = 6;
  static constexpr int kRunFrames = 30;

  // The largest scale, in eighths, whose frames would take well within the
  // budget at fMsPerPixel; 0 (the least size) when none would.
  double Fitting(DrawSize Full, DrawSize Least) const;
  void StartRun(int iFrames);

  bool bFixed;
  double fScale;
  double fMsPerPixel = 0.0;  // from the last timed run; 0 before it
  double fLastMedianMs = 0.0;
  int iSettling = 0;
  int iRunFrames = kFirstRunFrames;
  std::vector<double> Times;
};

}  // namespace d3d9gl

// The size the device draws at, apart from the back buffer the engine asked
// for. The engine's presentation parameters stay as they are; behind them the
// device draws the picture at the pixels the window shows it on: the largest
// area of the back buffer's shape that fits the drawable, times a scale,
// never smaller than the asked-for back buffer. The projection does not
// depend on the size, so the picture is the same, only sharper.
//
// The scale is fixed by VIMRA_RENDER_SCALE (1: the window's own pixels, 0.5:
// half of them) or chosen from measured frame times: the largest that keeps
// a frame within 20 ms. It starts at the asked-for size, moves up once the
// first frames show room, and after the first move down never moves up
// again, so that it settles instead of swinging with the scenes.
#pragma once

#include <cstdint>
#include <vector>

namespace d3d9gl {

struct DrawSize {
  int iWidth, iHeight;
  int64_t Pixels() const { return static_cast<int64_t>(iWidth) * iHeight; }
  bool operator==(const DrawSize& o) const { return iWidth == o.iWidth && iHeight == o.iHeight; }
  bool operator!=(const DrawSize& o) const { return !(*this == o); }
};

// The largest area of Base's shape in the drawable, times fScale, no larger
// than iMaxEdge on either side and no smaller than Base. An empty drawable
// (a minimised window) gives Base.
DrawSize SizeToDraw(DrawSize Base, DrawSize Drawable, double fScale, int iMaxEdge);

// VIMRA_RENDER_SCALE's value: a number above 0 and at most 1; 0 (chosen by
// frame times) when unset or not such a number.
double FixedScaleFrom(const char* pszValue);

class DrawScaleChooser {
 public:
  static constexpr double kBudgetMs = 20.0;
  // fFixed 0: chosen from frame times; else that scale, always.
  explicit DrawScaleChooser(double fFixed);

  double Scale() const { return fScale; }
  bool Fixed() const { return bFixed; }
  // One frame took fMs at Drawn; Full is the size at scale 1 and Least the
  // smallest the device draws. True when this frame ended a timed run and
  // the scale was chosen again (it may be the same).
  bool NoteFrame(double fMs, DrawSize Drawn, DrawSize Full, DrawSize Least);

 private:
  // Frames after a change that are not timed: they make the new buffers.
  static constexpr int kSettlingFrames = 3;
  static constexpr int kTimedFrames = 30;

  bool bFixed;
  double fScale;
  bool bMovedDown = false;
  int iSettling = kSettlingFrames;
  std::vector<double> Times;
};

}  // namespace d3d9gl

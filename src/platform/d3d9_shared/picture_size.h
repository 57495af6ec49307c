// Where the engine's picture goes when it is drawn at another size than the
// back buffer it asked for, for every device of ours that draws it larger:
// the GL device draws into a buffer of the window's size, the Windows device
// resets the system's to the window's client area. The engine's presentation
// parameters stay as they are; the projection does not depend on the size,
// so the picture is the same, only sharper. One rule for both: the largest
// area of the engine's shape that fits, centred, never smaller than what the
// engine asked for, and the engine's rectangles scaled into it alike.
#pragma once

#include <cstdint>

#include "d3d9.h"

struct DrawSize {
  int iWidth, iHeight;
  int64_t Pixels() const { return static_cast<int64_t>(iWidth) * iHeight; }
  bool operator==(const DrawSize& o) const { return iWidth == o.iWidth && iHeight == o.iHeight; }
  bool operator!=(const DrawSize& o) const { return !(*this == o); }
};

// The picture's place in a target of another size: as large as fits with its
// shape kept, centred (bars fill the rest).
struct PictureRect {
  int iX, iY, iWidth, iHeight;
};
PictureRect FitKeepingShape(DrawSize Picture, DrawSize Target);

// The largest area of Base's shape in the drawable, times fScale, no larger
// than iMaxEdge on either side and no smaller than Base. An empty drawable
// (a minimised window) gives Base.
DrawSize SizeToDraw(DrawSize Base, DrawSize Drawable, double fScale, int iMaxEdge);

// A rectangle in the engine's pixels (of a Base-sized back buffer) in the
// target's pixels: clipped to Base, as Direct3D clips to the viewport, scaled
// to the picture with halves rounded up, moved to the picture's place.
D3DRECT ScaleToPicture(const D3DRECT& Rect, DrawSize Base, PictureRect Picture);

#include "gl_draw_size.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "gl_device.h"

namespace d3d9gl {

DrawSize SizeToDraw(DrawSize Base, DrawSize Drawable, double fScale, int iMaxEdge) {
  const PresentRect Full = FitKeepingShape(Base.iWidth, Base.iHeight, Drawable.iWidth, Drawable.iHeight);
  const int iMax = std::max(iMaxEdge, std::max(Base.iWidth, Base.iHeight));
  const int iWidth = std::min(iMax, static_cast<int>(std::lround(Full.iWidth * fScale)));
  const int iHeight = std::min(iMax, static_cast<int>(std::lround(Full.iHeight * fScale)));
  // Scaled sides are rounded apart; fitting them again gives the shape back.
  const PresentRect Scaled = fScale == 1.0 && iWidth == Full.iWidth && iHeight == Full.iHeight
                                 ? Full
                                 : FitKeepingShape(Base.iWidth, Base.iHeight, iWidth, iHeight);
  if (Scaled.iWidth < Base.iWidth || Scaled.iHeight < Base.iHeight) return Base;
  return {Scaled.iWidth, Scaled.iHeight};
}

double FixedScaleFrom(const char* pszValue) {
  if (pszValue == nullptr || *pszValue == '\0') return 0.0;
  char* pszEnd = nullptr;
  const double fValue = std::strtod(pszValue, &pszEnd);
  if (*pszEnd != '\0' || !(fValue > 0.0)) return 0.0;
  return std::min(fValue, 1.0);
}

DrawScaleChooser::DrawScaleChooser(double fFixed) : bFixed(fFixed > 0.0), fScale(fFixed) {}

bool DrawScaleChooser::NoteFrame(double fMs, DrawSize Drawn, DrawSize Full, DrawSize Least) {
  if (bFixed) return false;
  if (iSettling > 0) {
    --iSettling;
    return false;
  }
  Times.push_back(fMs);
  if (static_cast<int>(Times.size()) < kTimedFrames) return false;
  std::nth_element(Times.begin(), Times.begin() + kTimedFrames / 2, Times.end());
  const double fMedian = Times[kTimedFrames / 2];
  Times.clear();
  // Drawing time grows with the pixels; the fixed part of a frame is counted
  // as if it grew too, which errs toward smaller sizes.
  const double fMsPerPixel = fMedian / static_cast<double>(Drawn.Pixels());
  constexpr int kSteps = 8;  // scales are eighths of the full size's sides
  constexpr double kAimMs = 0.8 * kBudgetMs;
  double fFits = 0.0;
  for (int i = kSteps; i >= 1 && fFits == 0.0; --i) {
    const double fStep = static_cast<double>(i) / kSteps;
    const double fPixels = std::max(fStep * fStep * static_cast<double>(Full.Pixels()), static_cast<double>(Least.Pixels()));
    if (fPixels * fMsPerPixel <= kAimMs) fFits = fStep;
  }
  double fNext = fScale;
  if (fMedian > kBudgetMs && Drawn != Least) {
    // Always a step down from what was drawn, whatever the estimate says.
    const double fDrawnStep = std::sqrt(static_cast<double>(Drawn.Pixels()) / static_cast<double>(Full.Pixels()));
    fNext = std::min(fFits, std::floor(fDrawnStep * kSteps - 1e-9) / kSteps);
    bMovedDown = true;
  } else if (!bMovedDown && fFits > fScale) {
    fNext = fFits;
  }
  if (fNext != fScale) {
    fScale = std::max(fNext, 0.0);
    iSettling = kSettlingFrames;
  }
  return true;
}

}  // namespace d3d9gl

#include "gl_draw_scale.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace d3d9gl {

double FixedScaleFrom(const char* pszValue) {
  if (pszValue == nullptr || *pszValue == '\0') return 0.0;
  char* pszEnd = nullptr;
  const double fValue = std::strtod(pszValue, &pszEnd);
  if (*pszEnd != '\0' || !(fValue > 0.0)) return 0.0;
  return std::min(fValue, 1.0);
}

DrawScaleChooser::DrawScaleChooser(double fFixed) : bFixed(fFixed > 0.0), fScale(bFixed ? fFixed : 1.0) {}

void DrawScaleChooser::StartRun(int iFrames) {
  iSettling = kSettlingFrames;
  iRunFrames = iFrames;
  Times.clear();
}

// Drawing time is taken to grow with the pixels; the fixed part of a frame is
// counted as if it grew too, which errs toward smaller sizes on the way up.
double DrawScaleChooser::Fitting(DrawSize Full, DrawSize Least) const {
  constexpr int kSteps = 8;
  constexpr double kAimMs = 0.8 * kBudgetMs;
  for (int i = kSteps; i >= 1; --i) {
    const double fStep = static_cast<double>(i) / kSteps;
    const double fPixels = std::max(fStep * fStep * static_cast<double>(Full.Pixels()), static_cast<double>(Least.Pixels()));
    if (fPixels * fMsPerPixel <= kAimMs) return fStep;
  }
  return 0.0;
}

void DrawScaleChooser::NewWindow(DrawSize Full, DrawSize Least) {
  if (bFixed) return;
  const bool bFarTooSlow = fMsPerPixel * static_cast<double>(Full.Pixels()) > 2 * kBudgetMs;
  fScale = bFarTooSlow ? Fitting(Full, Least) : 1.0;
  StartRun(kFirstRunFrames);
}

bool DrawScaleChooser::NoteFrame(double fMs, DrawSize Drawn, DrawSize Full, DrawSize Least) {
  if (bFixed) return false;
  if (iSettling > 0) {
    --iSettling;
    return false;
  }
  Times.push_back(fMs);
  if (static_cast<int>(Times.size()) < iRunFrames) return false;
  std::nth_element(Times.begin(), Times.begin() + iRunFrames / 2, Times.end());
  fLastMedianMs = Times[static_cast<size_t>(iRunFrames / 2)];
  fMsPerPixel = fLastMedianMs / static_cast<double>(Drawn.Pixels());
  if (fLastMedianMs > kBudgetMs && Drawn != Least) {
    // A step down from what was drawn at least, whatever the estimate says.
    const double fDrawnStep = std::sqrt(static_cast<double>(Drawn.Pixels()) / static_cast<double>(Full.Pixels()));
    fScale = std::max(0.0, std::min(Fitting(Full, Least), std::floor(fDrawnStep * 8 - 1e-9) / 8));
    StartRun(kRunFrames);
  } else {
    Times.clear();
    iRunFrames = kRunFrames;
  }
  return true;
}

}  // namespace d3d9gl

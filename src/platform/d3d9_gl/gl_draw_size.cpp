#include "gl_draw_size.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace d3d9gl {

PresentRect FitKeepingShape(int iSourceWidth, int iSourceHeight, int iWindowWidth, int iWindowHeight) {
  if (iSourceWidth <= 0 || iSourceHeight <= 0 || iWindowWidth <= 0 || iWindowHeight <= 0) return {0, 0, 0, 0};
  const int64_t iSw = iSourceWidth, iSh = iSourceHeight, iWw = iWindowWidth, iWh = iWindowHeight;
  int64_t iW = iWw, iH = (iWw * iSh + iSw / 2) / iSw;
  if (iH > iWh) iH = iWh, iW = std::min(iWw, (iWh * iSw + iSh / 2) / iSh);
  const int iShownWidth = static_cast<int>(iW), iShownHeight = static_cast<int>(iH);
  return {(iWindowWidth - iShownWidth) / 2, (iWindowHeight - iShownHeight) / 2, iShownWidth, iShownHeight};
}

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

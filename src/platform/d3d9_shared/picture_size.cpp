#include "picture_size.h"

#include <algorithm>
#include <cmath>

PictureRect FitKeepingShape(DrawSize Picture, DrawSize Target) {
  if (Picture.iWidth <= 0 || Picture.iHeight <= 0 || Target.iWidth <= 0 || Target.iHeight <= 0) return {0, 0, 0, 0};
  const int64_t iSw = Picture.iWidth, iSh = Picture.iHeight, iWw = Target.iWidth, iWh = Target.iHeight;
  int64_t iW = iWw, iH = (iWw * iSh + iSw / 2) / iSw;
  if (iH > iWh) iH = iWh, iW = std::min(iWw, (iWh * iSw + iSh / 2) / iSh);
  const int iShownWidth = static_cast<int>(iW), iShownHeight = static_cast<int>(iH);
  return {(Target.iWidth - iShownWidth) / 2, (Target.iHeight - iShownHeight) / 2, iShownWidth, iShownHeight};
}

DrawSize SizeToDraw(DrawSize Base, DrawSize Drawable, double fScale, int iMaxEdge) {
  const PictureRect Full = FitKeepingShape(Base, Drawable);
  const int iMax = std::max(iMaxEdge, std::max(Base.iWidth, Base.iHeight));
  const int iWidth = std::min(iMax, static_cast<int>(std::lround(Full.iWidth * fScale)));
  const int iHeight = std::min(iMax, static_cast<int>(std::lround(Full.iHeight * fScale)));
  // Scaled sides are rounded apart; fitting them again gives the shape back.
  const PictureRect Scaled = fScale == 1.0 && iWidth == Full.iWidth && iHeight == Full.iHeight
                                 ? Full
                                 : FitKeepingShape(Base, {iWidth, iHeight});
  if (Scaled.iWidth < Base.iWidth || Scaled.iHeight < Base.iHeight) return Base;
  return {Scaled.iWidth, Scaled.iHeight};
}

D3DRECT ScaleToPicture(const D3DRECT& Rect, DrawSize Base, PictureRect Picture) {
  const auto Scaled = [](LONG iAt, int iBase, int iOffset, int iSide) {
    const int64_t iClipped = std::clamp<int64_t>(iAt, 0, iBase);
    return static_cast<LONG>(iOffset + (iClipped * iSide + iBase / 2) / iBase);
  };
  return {Scaled(Rect.x1, Base.iWidth, Picture.iX, Picture.iWidth),
          Scaled(Rect.y1, Base.iHeight, Picture.iY, Picture.iHeight),
          Scaled(Rect.x2, Base.iWidth, Picture.iX, Picture.iWidth),
          Scaled(Rect.y2, Base.iHeight, Picture.iY, Picture.iHeight)};
}

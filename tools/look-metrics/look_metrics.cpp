#include "look_metrics.h"

#include <cstdlib>
#include <vector>

int Brightness(const unsigned char* pRgba) { return (299 * pRgba[0] + 587 * pRgba[1] + 114 * pRgba[2]) / 1000; }

LookMetrics MeasureLook(const unsigned char* pRgba, int iWidth, int iHeight, uint32_t dwClear,
                        std::vector<unsigned char>* pMarks) {
  LookMetrics Result;
  const unsigned char kClear[3] = {static_cast<unsigned char>(dwClear >> 16), static_cast<unsigned char>(dwClear >> 8),
                                   static_cast<unsigned char>(dwClear)};
  const size_t iPixels = size_t(iWidth) * size_t(iHeight);
  std::vector<unsigned char> Background(iPixels);
  std::vector<int> Levels(iPixels);
  if (pMarks != nullptr) pMarks->assign(iPixels, kMarkNone);
  for (size_t i = 0; i < iPixels; ++i) {
    const unsigned char* p = pRgba + 4 * i;
    Background[i] = p[0] == kClear[0] && p[1] == kClear[1] && p[2] == kClear[2];
    Levels[i] = Brightness(p);
    if (Background[i]) continue;
    ++Result.iObjectPixels;
    if (p[0] == 255 && p[1] == 255 && p[2] == 255) {
      ++Result.iWhitePixels;
      if (pMarks != nullptr) (*pMarks)[i] = kMarkWhite;
    }
  }
  // Background pixels in each 5-pixel run of a row, then of those runs down a column.
  std::vector<int> RowRuns(iPixels, 0);
  for (int y = 0; y < iHeight; ++y) {
    for (int x = 2; x + 2 < iWidth; ++x) {
      int iCount = 0;
      for (int dx = -2; dx <= 2; ++dx) iCount += Background[size_t(y) * iWidth + x + dx];
      RowRuns[size_t(y) * iWidth + x] = iCount;
    }
  }
  for (int y = 2; y + 2 < iHeight; ++y) {
    for (int x = 2; x + 2 < iWidth; ++x) {
      const size_t i = size_t(y) * iWidth + x;
      if (Background[i]) continue;
      int iNearby = 0;
      for (int dy = -2; dy <= 2; ++dy) iNearby += RowRuns[i + dy * iWidth];
      if (iNearby > 0) continue;
      ++Result.iInteriorPixels;
      const int iNeighbours = Levels[i - 1] + Levels[i + 1] + Levels[i - iWidth] + Levels[i + iWidth];
      // |4 b - sum| > 4 * 40 is |b - mean| > 40 without rounding the mean.
      if (std::abs(4 * Levels[i] - iNeighbours) > 4 * kSpeckleLevels) {
        ++Result.iSpecklePixels;
        if (pMarks != nullptr) (*pMarks)[i] = kMarkSpeckle;
      }
    }
  }
  return Result;
}

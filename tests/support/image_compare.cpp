#include "image_compare.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

ImageDifference CompareImages(const std::vector<unsigned char>& A, const std::vector<unsigned char>& B, int iWidth,
                              int iHeight) {
  ImageDifference Result{};
  const size_t iPixels = iWidth > 0 && iHeight > 0 ? static_cast<size_t>(iWidth) * static_cast<size_t>(iHeight) : 0;
  if (iPixels == 0 || A.size() != iPixels * 4 || B.size() != iPixels * 4) return Result;
  Result.bComparable = true;
  for (int c = 0; c < 3; ++c) {
    std::array<size_t, 256> Histogram{};
    double fSum = 0.0;
    for (size_t i = 0; i < iPixels; ++i) {
      const int d = std::abs(static_cast<int>(A[4 * i + c]) - static_cast<int>(B[4 * i + c]));
      ++Histogram[static_cast<size_t>(d)];
      fSum += d;
    }
    Result.Channels[c].fMean = fSum / static_cast<double>(iPixels);
    // Counted in whole pixels, so 99% of 100 pixels is exactly 99 of them.
    const size_t iNeeded = (iPixels * 99 + 99) / 100;
    size_t iSeen = 0;
    for (int d = 0; d < 256; ++d) {
      iSeen += Histogram[static_cast<size_t>(d)];
      if (iSeen >= iNeeded) {
        Result.Channels[c].iPercentile99 = d;
        break;
      }
    }
  }
  return Result;
}

bool WithinTolerance(const ImageDifference& Difference, double fMaxMean, int iMaxPercentile99) {
  if (!Difference.bComparable) return false;
  for (const ChannelDifference& Channel : Difference.Channels) {
    if (Channel.fMean > fMaxMean || Channel.iPercentile99 > iMaxPercentile99) return false;
  }
  return true;
}

std::string Describe(const ImageDifference& Difference) {
  if (!Difference.bComparable) return "sizes differ";
  std::string strOut;
  const char* Names[3] = {"R", "G", "B"};
  for (int c = 0; c < 3; ++c) {
    char szPart[96];
    std::snprintf(szPart, sizeof szPart, "%s%s mean %.3f/255 p99 %d/255", c > 0 ? ", " : "", Names[c],
                  Difference.Channels[c].fMean, Difference.Channels[c].iPercentile99);
    strOut += szPart;
  }
  return strOut;
}

double ShareOff(const std::vector<unsigned char>& A, const std::vector<unsigned char>& B, int iWidth, int iHeight,
                int iLevels) {
  const size_t iPixels = iWidth > 0 && iHeight > 0 ? static_cast<size_t>(iWidth) * static_cast<size_t>(iHeight) : 0;
  if (iPixels == 0 || A.size() != iPixels * 4 || B.size() != iPixels * 4) return 1.0;
  size_t iOff = 0;
  for (size_t i = 0; i < iPixels; ++i) {
    for (int c = 0; c < 3; ++c) {
      if (std::abs(static_cast<int>(A[4 * i + c]) - static_cast<int>(B[4 * i + c])) > iLevels) {
        ++iOff;
        break;
      }
    }
  }
  return static_cast<double>(iOff) / static_cast<double>(iPixels);
}

std::vector<unsigned char> DifferenceImage(const std::vector<unsigned char>& A, const std::vector<unsigned char>& B,
                                           int iWidth, int iHeight) {
  const size_t iPixels = iWidth > 0 && iHeight > 0 ? static_cast<size_t>(iWidth) * static_cast<size_t>(iHeight) : 0;
  if (iPixels == 0 || A.size() != iPixels * 4 || B.size() != iPixels * 4) return {};
  std::vector<unsigned char> Difference(iPixels * 4, 255);
  for (size_t i = 0; i < iPixels * 4; ++i) {
    if (i % 4 == 3) continue;
    const int d = std::abs(static_cast<int>(A[i]) - static_cast<int>(B[i]));
    Difference[i] = static_cast<unsigned char>(std::min(255, d * 8));
  }
  return Difference;
}

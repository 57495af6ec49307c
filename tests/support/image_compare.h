// How far two pictures of the same frame lie apart, per colour channel:
// the mean absolute difference and its 99th percentile, in 0..255 steps.
#pragma once

#include <string>
#include <vector>

struct ChannelDifference {
  double fMean;       // mean of |a - b| over all pixels
  int iPercentile99;  // the smallest d with at least 99% of the pixels at |a - b| <= d
};

struct ImageDifference {
  bool bComparable;  // false when the sizes differ
  ChannelDifference Channels[3];  // red, green, blue; alpha is not compared
};

// A and B: RGBA rows of the same width and height.
ImageDifference CompareImages(const std::vector<unsigned char>& A, const std::vector<unsigned char>& B, int iWidth,
                              int iHeight);

// Within the frame tolerance: mean at most fMaxMean, 99th percentile at most iMaxPercentile99, every channel.
bool WithinTolerance(const ImageDifference& Difference, double fMaxMean, int iMaxPercentile99);

std::string Describe(const ImageDifference& Difference);

// The share of pixels (0..1) with some colour channel off by more than
// iLevels: a small part of the picture changed (an object, a highlight),
// which moves neither the mean nor the 99th percentile much. 1 when the sizes differ.
double ShareOff(const std::vector<unsigned char>& A, const std::vector<unsigned char>& B, int iWidth, int iHeight,
                int iLevels);

// For looking at: each channel's |a - b| times 8 (at most 255), opaque; empty
// when the sizes do not match.
std::vector<unsigned char> DifferenceImage(const std::vector<unsigned char>& A, const std::vector<unsigned char>& B,
                                           int iWidth, int iHeight);

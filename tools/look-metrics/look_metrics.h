// Measures how a rendered frame looks: how much of what is drawn is clipped to
// pure white, and how much of it is speckle (single pixels that stand out from
// their neighbours well inside an object, where point-sampled fine detail of
// the environment map twinkles).
#pragma once

#include <cstdint>
#include <vector>

struct LookMetrics {
  int iObjectPixels = 0;    // pixels that are not of the clear colour
  int iWhitePixels = 0;     // object pixels of 255, 255, 255
  int iInteriorPixels = 0;  // object pixels with no clear-colour pixel within 2 pixels
  int iSpecklePixels = 0;   // interior pixels more than kSpeckleLevels off their 4 neighbours' mean
  double WhiteShare() const { return iObjectPixels > 0 ? double(iWhitePixels) / iObjectPixels : 0.0; }
  double SpeckleShare() const { return iInteriorPixels > 0 ? double(iSpecklePixels) / iInteriorPixels : 0.0; }
};

constexpr uint32_t kDemoClearColour = 0xFF8CAAC6;
constexpr int kSpeckleLevels = 40;

// Brightness of one pixel in 8-bit levels: the Rec. 601 luma, rounded down.
int Brightness(const unsigned char* pRgba);

enum PixelMark : unsigned char { kMarkNone = 0, kMarkWhite = 1, kMarkSpeckle = 2 };

// Pixels are tightly packed RGBA rows; dwClear is a D3DCOLOR (A, R, G, B) whose
// alpha is ignored. Pixels within 2 of the image's border never count as interior.
// With pMarks, it also gets one PixelMark per pixel, for pictures of where they are.
LookMetrics MeasureLook(const unsigned char* pRgba, int iWidth, int iHeight, uint32_t dwClear = kDemoClearColour,
                        std::vector<unsigned char>* pMarks = nullptr);

// What the look metrics count: pure white among the object pixels, and
// speckle among the pixels well inside objects.
#include <gtest/gtest.h>

#include <vector>

#include "look_metrics.h"

namespace {

constexpr unsigned char kClear[3] = {0x8C, 0xAA, 0xC6};

struct Image {
  int iWidth, iHeight;
  std::vector<unsigned char> Pixels;
  Image(int w, int h) : iWidth(w), iHeight(h), Pixels(size_t(w) * h * 4, 255) {
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) Set(x, y, kClear[0], kClear[1], kClear[2]);
    }
  }
  void Set(int x, int y, int r, int g, int b) {
    unsigned char* p = &Pixels[(size_t(y) * iWidth + x) * 4];
    p[0] = static_cast<unsigned char>(r), p[1] = static_cast<unsigned char>(g), p[2] = static_cast<unsigned char>(b);
  }
  void Fill(int x0, int y0, int x1, int y1, int r, int g, int b) {
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) Set(x, y, r, g, b);
    }
  }
  LookMetrics Measure() const { return MeasureLook(Pixels.data(), iWidth, iHeight); }
};

}  // namespace

TEST(LookMetrics, CountsPureWhiteAmongThePixelsThatAreNotTheClearColour) {
  Image Frame(40, 30);
  Frame.Fill(10, 10, 20, 20, 255, 255, 255);  // 100 white
  Frame.Fill(20, 10, 30, 20, 255, 255, 254);  // 100 nearly white
  Frame.Set(0, 0, kClear[0], kClear[1], kClear[2] + 1);  // one off the clear colour is an object pixel
  Frame.Pixels[3 * 4 + 3] = 0;  // alpha does not make a background pixel an object
  const LookMetrics M = Frame.Measure();
  EXPECT_EQ(M.iObjectPixels, 201);
  EXPECT_EQ(M.iWhitePixels, 100);
  EXPECT_NEAR(M.WhiteShare(), 100.0 / 201, 1e-12);

  const LookMetrics Empty = Image(8, 8).Measure();
  EXPECT_EQ(Empty.iObjectPixels, 0);
  EXPECT_EQ(Empty.WhiteShare(), 0.0);
  EXPECT_EQ(Empty.SpeckleShare(), 0.0);
}

TEST(LookMetrics, InteriorKeepsTwoPixelsFromTheBackgroundAndTheBorder) {
  Image Frame(40, 30);
  Frame.Fill(10, 10, 20, 20, 100, 100, 100);
  // Only the 6 x 6 core of the 10 x 10 square has no background within 2 pixels.
  EXPECT_EQ(Frame.Measure().iInteriorPixels, 36);
  // A single background pixel inside the square takes its 5 x 5 surroundings out.
  Frame.Set(14, 14, kClear[0], kClear[1], kClear[2]);
  EXPECT_EQ(Frame.Measure().iInteriorPixels, 36 - 25);

  // An object that covers the whole picture: the 2-pixel frame at the border is not interior.
  Image Full(20, 10);
  Full.Fill(0, 0, 20, 10, 90, 90, 90);
  EXPECT_EQ(Full.Measure().iInteriorPixels, 16 * 6);
}

TEST(LookMetrics, SpeckleIsAPixelMoreThan40LevelsFromItsFourNeighbours) {
  Image Frame(40, 40);
  Frame.Fill(0, 0, 40, 40, 100, 100, 100);
  Frame.Set(10, 10, 141, 141, 141);  // 41 above: speckle
  Frame.Set(20, 20, 140, 140, 140);  // exactly 40 above: not
  Frame.Set(30, 10, 59, 59, 59);     // 41 below: speckle
  // Brightness is luma: a pure green step of 70 is 41 levels, a pure blue one only 7.
  Frame.Set(10, 30, 100, 170, 100);
  Frame.Set(30, 30, 100, 100, 170);
  std::vector<unsigned char> Marks;
  const LookMetrics M = MeasureLook(Frame.Pixels.data(), 40, 40, kDemoClearColour, &Marks);
  EXPECT_EQ(M.iInteriorPixels, 36 * 36);
  EXPECT_EQ(M.iSpecklePixels, 3);
  EXPECT_EQ(Marks[10 * 40 + 10], kMarkSpeckle);
  EXPECT_EQ(Marks[20 * 40 + 20], kMarkNone);
  EXPECT_EQ(Marks[30 * 40 + 10], kMarkSpeckle);
  EXPECT_EQ(Marks[30 * 40 + 30], kMarkNone);
}

TEST(LookMetrics, SmoothRampsAreNotSpeckleButThinLinesAre) {
  Image Ramp(64, 64);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) Ramp.Set(x, y, 3 * x + 20, 3 * x + 20, 3 * x + 20);  // 3 levels a pixel
  }
  EXPECT_EQ(Ramp.Measure().iSpecklePixels, 0);

  // A one-pixel line 90 levels above a flat grey: the line is 45 off its
  // neighbours' mean (two of the four lie on the line), so it is speckle;
  // its neighbours (one bright neighbour in four, 22.5 off) are not.
  Image Line(64, 64);
  Line.Fill(0, 0, 64, 64, 100, 100, 100);
  Line.Fill(30, 0, 31, 64, 190, 190, 190);
  const LookMetrics M = Line.Measure();
  EXPECT_EQ(M.iSpecklePixels, 60);  // the line's interior rows
  EXPECT_NEAR(M.SpeckleShare(), 60.0 / (60 * 60), 1e-12);
}

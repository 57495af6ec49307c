// The picture-size rule both devices follow when they draw the engine's
// picture larger than its back buffer: where the picture goes, the size drawn
// at, and where the engine's rectangles land, bars and all.
#include "picture_size.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

auto Of(const PictureRect& r) { return std::make_tuple(r.iX, r.iY, r.iWidth, r.iHeight); }
auto Of(const D3DRECT& r) { return std::make_tuple(r.x1, r.y1, r.x2, r.y2); }
auto Of(const DrawSize& s) { return std::make_pair(s.iWidth, s.iHeight); }

constexpr DrawSize kBase = {1280, 720};

// A target of another shape than the picture shows the whole picture as large
// as fits, centred, with bars on the two sides that are left over.
TEST(PictureSize, PictureKeepsItsShapeInAnyTarget) {
  auto Rect = [](int iX, int iY, int iW, int iH) { return std::make_tuple(iX, iY, iW, iH); };
  EXPECT_EQ(Of(FitKeepingShape(kBase, {1280, 720})), Rect(0, 0, 1280, 720));
  EXPECT_EQ(Of(FitKeepingShape(kBase, {1920, 1080})), Rect(0, 0, 1920, 1080));
  EXPECT_EQ(Of(FitKeepingShape(kBase, {1280, 800})), Rect(0, 40, 1280, 720));     // 16:10 screen
  EXPECT_EQ(Of(FitKeepingShape(kBase, {1000, 800})), Rect(0, 118, 1000, 563));    // taller
  EXPECT_EQ(Of(FitKeepingShape(kBase, {1280, 500})), Rect(195, 0, 889, 500));     // wider
  EXPECT_EQ(Of(FitKeepingShape(kBase, {3440, 1440})), Rect(440, 0, 2560, 1440));  // ultra-wide
  EXPECT_EQ(Of(FitKeepingShape(kBase, {1, 1})), Rect(0, 0, 1, 1));
  EXPECT_EQ(Of(FitKeepingShape(kBase, {0, 600})), Rect(0, 0, 0, 0));  // minimised
}

TEST(PictureSize, LargestShapeThatFitsTheWindowNeverBelowTheEnginesSize) {
  auto Size = [](int iW, int iH, double fScale, int iMax = 16384) {
    return Of(SizeToDraw(kBase, {iW, iH}, fScale, iMax));
  };
  EXPECT_EQ(Size(1280, 720, 1.0), std::make_pair(1280, 720));
  EXPECT_EQ(Size(3840, 2160, 1.0), std::make_pair(3840, 2160));
  EXPECT_EQ(Size(2560, 1600, 1.0), std::make_pair(2560, 1440));  // bars above and below
  EXPECT_EQ(Size(3440, 1440, 1.0), std::make_pair(2560, 1440));  // bars beside
  EXPECT_EQ(Size(1366, 768, 1.0), std::make_pair(1366, 768));    // the window's own pixels, not 16:9 rounded down
  EXPECT_EQ(Size(3840, 2160, 0.5), std::make_pair(1920, 1080));
  EXPECT_EQ(Size(3840, 2160, 0.25), std::make_pair(1280, 720));
  EXPECT_EQ(Size(1000, 800, 1.0), std::make_pair(1280, 720));
  EXPECT_EQ(Size(0, 0, 1.0), std::make_pair(1280, 720));
  EXPECT_EQ(Size(7680, 4320, 1.0, 4096), std::make_pair(4096, 2304));  // GL's largest buffer
}

// The GL device's picture fills its buffer; the Windows device's sits between
// bars in a buffer of the window's size. Either way a rectangle covers the
// same part of the picture as in the engine's 1280x720, clipped to it.
TEST(PictureSize, RectanglesLandOnTheSamePartOfThePicture) {
  const struct {
    const char* pszCase;
    D3DRECT Rect;
    PictureRect Picture;
    std::tuple<LONG, LONG, LONG, LONG> Expected;
  } kCases[] = {
      {"the engine's own size", {10, 20, 30, 25}, {0, 0, 1280, 720}, {10, 20, 30, 25}},
      {"1.5 times: halves round up", {10, 20, 30, 25}, {0, 0, 1920, 1080}, {15, 30, 45, 38}},
      {"bars above and below", {0, 0, 640, 360}, {0, 80, 2560, 1440}, {0, 80, 1280, 800}},
      {"bars beside", {640, 360, 1280, 720}, {440, 0, 2560, 1440}, {1720, 720, 3000, 1440}},
      {"clipped to the picture, never into the bars", {-10, -5, 2000, 900}, {0, 80, 2560, 1440}, {0, 80, 2560, 1520}},
      {"a 1366x768 window", {1, 1, 1279, 719}, {0, 0, 1366, 768}, {1, 1, 1365, 767}},
  };
  for (const auto& C : kCases) EXPECT_EQ(Of(ScaleToPicture(C.Rect, kBase, C.Picture)), C.Expected) << C.pszCase;
}

}  // namespace

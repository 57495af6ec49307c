#include "image_compare.h"

#include <gtest/gtest.h>

namespace {

std::vector<unsigned char> Filled(int iWidth, int iHeight, unsigned char r, unsigned char g, unsigned char b) {
  std::vector<unsigned char> Pixels;
  for (int i = 0; i < iWidth * iHeight; ++i) Pixels.insert(Pixels.end(), {r, g, b, 255});
  return Pixels;
}

TEST(ImageCompare, MeanAndPercentileFollowTheDifferences) {
  // Identical pictures lie 0 apart; a uniform shift of 2 in green is a mean
  // and a 99th percentile of 2 in green alone; alpha never counts.
  const auto A = Filled(10, 10, 100, 100, 100);
  auto B = A;
  const ImageDifference Same = CompareImages(A, B, 10, 10);
  ASSERT_TRUE(Same.bComparable);
  for (const auto& Channel : Same.Channels) {
    EXPECT_EQ(Channel.fMean, 0.0);
    EXPECT_EQ(Channel.iPercentile99, 0);
  }
  for (size_t i = 0; i < B.size(); i += 4) {
    B[i + 1] = 102;
    B[i + 3] = 0;
  }
  const ImageDifference Shifted = CompareImages(A, B, 10, 10);
  EXPECT_DOUBLE_EQ(Shifted.Channels[1].fMean, 2.0);
  EXPECT_EQ(Shifted.Channels[1].iPercentile99, 2);
  EXPECT_EQ(Shifted.Channels[0].fMean, 0.0);
  EXPECT_EQ(Shifted.Channels[2].iPercentile99, 0);
}

TEST(ImageCompare, FewOutliersRaiseTheMeanButNotThePercentile) {
  // 1 pixel in 100 far off: exactly at the 99% boundary, so the percentile
  // stays 0; a second one moves it to the outliers' distance.
  const auto A = Filled(10, 10, 0, 0, 0);
  auto B = A;
  B[0] = 200;
  ImageDifference Difference = CompareImages(A, B, 10, 10);
  EXPECT_DOUBLE_EQ(Difference.Channels[0].fMean, 2.0);
  EXPECT_EQ(Difference.Channels[0].iPercentile99, 0);
  EXPECT_FALSE(WithinTolerance(Difference, 1.0, 8));  // the mean is too high
  B[4] = 200;
  Difference = CompareImages(A, B, 10, 10);
  EXPECT_EQ(Difference.Channels[0].iPercentile99, 200);
}

TEST(ImageCompare, ToleranceLimitsAreInclusiveAndSizesMustMatch) {
  const auto A = Filled(4, 4, 50, 50, 50);
  auto B = Filled(4, 4, 51, 50, 50);
  EXPECT_TRUE(WithinTolerance(CompareImages(A, B, 4, 4), 1.0, 8));
  B = Filled(4, 4, 52, 50, 50);
  EXPECT_FALSE(WithinTolerance(CompareImages(A, B, 4, 4), 1.0, 8));
  EXPECT_TRUE(WithinTolerance(CompareImages(A, B, 4, 4), 2.0, 2));
  const ImageDifference Mismatch = CompareImages(A, Filled(2, 8, 50, 50, 50), 4, 5);
  EXPECT_FALSE(Mismatch.bComparable);
  EXPECT_FALSE(WithinTolerance(Mismatch, 255.0, 255));
  EXPECT_EQ(Describe(Mismatch), "sizes differ");
}

TEST(ImageCompare, ShareOffCountsPixelsOverTheLevelsOnce) {
  // One pixel in four off by 17 in red and green counts once; one off by
  // exactly 16 does not; alpha never counts; other sizes are all off.
  const auto A = Filled(2, 2, 100, 100, 100);
  auto B = A;
  B[0] = 117;
  B[1] = 83;
  B[4] = 116;
  B[11] = 0;
  EXPECT_DOUBLE_EQ(ShareOff(A, B, 2, 2, 16), 0.25);
  EXPECT_DOUBLE_EQ(ShareOff(A, B, 2, 2, 15), 0.5);
  EXPECT_DOUBLE_EQ(ShareOff(A, Filled(3, 1, 100, 100, 100), 2, 2, 16), 1.0);
}

TEST(ImageCompare, DifferenceImageMagnifiesEachChannelAndStaysOpaque) {
  // 3 steps off in red show as 24, 40 steps as the clamp at 255; alpha
  // differences are not shown.
  const auto A = Filled(2, 1, 10, 10, 10);
  auto B = A;
  B[0] = 13;
  B[5] = 50;
  B[7] = 0;
  const std::vector<unsigned char> Expected = {24, 0, 0, 255, 0, 255, 0, 255};
  EXPECT_EQ(DifferenceImage(A, B, 2, 1), Expected);
  EXPECT_TRUE(DifferenceImage(A, Filled(1, 1, 0, 0, 0), 2, 1).empty());
}

}  // namespace

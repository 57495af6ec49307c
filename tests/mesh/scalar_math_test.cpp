#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "mesh/scalar_math.h"

TEST(RandomIntTest, SequenceStartsFromZeroSeed) {
  iRandomSeed = 0;
  EXPECT_EQ(RandomInt(), 1747627);
  EXPECT_EQ(RandomInt(), 813313652);
  EXPECT_EQ(RandomInt(), -174446105);
  EXPECT_EQ(iRandomSeed, -174446105);
}

TEST(PowFTest, ExactPowersAndRoots) {
  EXPECT_EQ(PowF(2.0f, 10.0f), 1024.0f);
  EXPECT_EQ(PowF(4.0f, 0.5f), 2.0f);
  EXPECT_EQ(PowF(2.0f, -3.0f), 0.125f);
  for (float a : {0.001f, 0.5f, 1.0f, 3.0f, 1e20f}) EXPECT_EQ(PowF(a, 0.0f), 1.0f) << a;
}

TEST(PowFTest, MatchesStandardPowerWithinRounding) {
  // Fractions on both sides of the integer split, and exponents near the float limits.
  const float kCases[][2] = {{3.0f, 2.5f}, {10.0f, 1.7f}, {0.3f, -4.2f}, {7.5f, 0.49f},
                             {1.5f, 200.0f}, {2.0f, -140.0f}, {123.0f, 0.3333f}};
  for (const auto& c : kCases) {
    float fExpected = static_cast<float>(std::pow(static_cast<double>(c[0]), c[1]));
    EXPECT_FLOAT_EQ(PowF(c[0], c[1]), fExpected) << c[0] << "^" << c[1];
  }
}

TEST(MinMaxTest, FirstArgumentWinsUnlessStrictlyBeaten) {
  const float kNan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(MaxF(1.0f, 2.0f), 2.0f);
  EXPECT_EQ(MinF(1.0f, 2.0f), 1.0f);
  EXPECT_EQ(MaxF(1.0f, kNan), 1.0f);
  EXPECT_EQ(MinF(1.0f, kNan), 1.0f);
  EXPECT_TRUE(std::isnan(MaxF(kNan, 1.0f)));
  EXPECT_TRUE(std::isnan(MinF(kNan, 1.0f)));
  // Equal arguments: -0 and +0 compare equal, so the first one comes back.
  EXPECT_TRUE(std::signbit(MaxF(-0.0f, 0.0f)));
  EXPECT_FALSE(std::signbit(MinF(0.0f, -0.0f)));
}

TEST(TrigTest, FloatResultsOfDoubleEvaluation) {
  EXPECT_EQ(SinF(0.0f), 0.0f);
  EXPECT_EQ(CosF(0.0f), 1.0f);
  float fNearPi = 3.14159265358979f;
  EXPECT_LT(SinF(fNearPi), 0.0f);
  EXPECT_NEAR(SinF(fNearPi), -8.742278e-8f, 1e-13f);
  EXPECT_EQ(CosF(3.14159f), -1.0f);
}

TEST(FloatToSignedByteTest, RoundsHalvesAwayAndClamps) {
  const struct { float x; int expected; } kCases[] = {
      {0.0f, 0},     {0.49f, 0},    {-0.49f, 0},   {0.5f, 1},      {-0.5f, -1},
      {-1.5f, -2},   {1.5f, 2},     {2.4f, 2},     {126.5f, 127},  {127.0f, 127},
      {-127.0f, -127}, {-127.5f, -127}, {-128.0f, -127}, {200.0f, 127}, {-300.0f, -127},
      {64.0f, 64},
  };
  for (const auto& c : kCases) EXPECT_EQ(FloatToSignedByte(c.x), c.expected) << c.x;
  EXPECT_EQ(FloatToSignedByte(std::numeric_limits<float>::quiet_NaN()), 0);
}

#include <gtest/gtest.h>

#include <cmath>

#include "mesh/superquadric.h"

namespace {

TEST(SignedPowTest, SignOfTheBaseSurvives) {
  const struct { float a, b, fExpected; } kCases[] = {
      {-8.0f, 1.0f / 3.0f, -2.0f}, {8.0f, 1.0f / 3.0f, 2.0f}, {-2.0f, 0.0f, -1.0f}, {0.0f, 0.0f, 1.0f},
      {-0.0f, 0.0f, 1.0f},         {-3.0f, 2.0f, -9.0f},       {0.25f, 0.5f, 0.5f},
  };
  for (const auto& c : kCases) EXPECT_FLOAT_EQ(SignedPow(c.a, c.b), c.fExpected) << c.a << "^" << c.b;
  EXPECT_EQ(AbsF(-2.5f), 2.5f);
  EXPECT_EQ(PowStdF(0.0f, 0.0f), 1.0f);
  EXPECT_TRUE(std::isnan(PowStdF(-8.0f, 1.0f / 3.0f)));
}

TEST(CosineBlendTest, EndsExactAndSwingsWithPeriodTwo) {
  EXPECT_EQ(CosineBlend(3.0f, 7.0f, 0.0f), 3.0f);
  EXPECT_EQ(CosineBlend(3.0f, 7.0f, 1.0f), 7.0f);
  EXPECT_EQ(CosineBlend(3.0f, 7.0f, 2.0f), 3.0f);
  // Weights 0.50000066 and 0.49999934 at the midpoint.
  EXPECT_NEAR(CosineBlend(1.0f, 0.0f, 0.5f), 0.50000066f, 1e-7f);
  EXPECT_NEAR(CosineBlend(0.0f, 1.0f, 0.5f), 0.49999934f, 1e-7f);
  EXPECT_NEAR(CosineBlend(0.0f, 1.0f, 1.5f), 0.5f, 1e-5f);
}

TEST(SuperquadricPointTest, StartStateAndSpherePoints) {
  SuperquadricPoint();
  EXPECT_EQ(vecSqPoint.x, 1.0f);
  EXPECT_EQ(vecSqPoint.y, 1.0f);
  EXPECT_EQ(vecSqPoint.z, 1.0f);

  fSqExponent1 = fSqExponent2 = 1.0f;
  SuperquadricPoint();
  EXPECT_EQ(vecSqPoint.x, 1.0f);
  EXPECT_EQ(vecSqPoint.y, 0.0f);
  EXPECT_EQ(vecSqPoint.z, 0.0f);

  fSqLatitude = 1.5707964f;
  SuperquadricPoint();
  EXPECT_EQ(vecSqPoint.y, 1.0f);
  EXPECT_NEAR(vecSqPoint.x, 0.0f, 1e-7f);
  EXPECT_NEAR(vecSqPoint.z, 0.0f, 1e-7f);

  // z takes the longitude's sine, x its cosine; y is the up axis.
  fSqLatitude = 0.5f;
  fSqLongitude = 1.0f;
  SuperquadricPoint();
  EXPECT_NEAR(vecSqPoint.x, std::cos(0.5) * std::cos(1.0), 1e-6);
  EXPECT_NEAR(vecSqPoint.y, std::sin(0.5), 1e-6);
  EXPECT_NEAR(vecSqPoint.z, std::cos(0.5) * std::sin(1.0), 1e-6);

  // Exponent 2 on a point of the lower half keeps its sign: a double pyramid.
  fSqExponent1 = fSqExponent2 = 2.0f;
  fSqLatitude = -0.5f;
  fSqLongitude = -1.0f;
  SuperquadricPoint();
  EXPECT_LT(vecSqPoint.y, 0.0f);
  EXPECT_LT(vecSqPoint.z, 0.0f);
  EXPECT_NEAR(vecSqPoint.x + std::fabs(vecSqPoint.y) - vecSqPoint.z, 1.0f, 1e-6);
  fSqLatitude = fSqLongitude = fSqExponent1 = fSqExponent2 = 0.0f;
}

}  // namespace

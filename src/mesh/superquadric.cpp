#include "mesh/superquadric.h"

#include <cmath>

#include "mesh/scalar_math.h"

float fSqLatitude = 0.0f;
float fSqLongitude = 0.0f;
float fSqExponent1 = 0.0f;
float fSqExponent2 = 0.0f;
D3DXVECTOR3 vecSqPoint(0.0f, 0.0f, 0.0f);

float AbsF(float x) { return std::fabs(x); }

float PowStdF(float a, float b) { return static_cast<float>(std::pow(static_cast<double>(a), static_cast<double>(b))); }

float SignedPow(float a, float b) {
  float s = a < 0.0f ? -1.0f : 1.0f;
  return s * PowStdF(AbsF(a), b);
}

// The constant is 3.14159 as written: its float cosine rounds to exactly -1,
// so phase 1 gives b exactly.
float CosineBlend(float a, float b, float phase) {
  float w = phase * 3.14159f;
  float d = static_cast<float>(static_cast<double>(CosF(w)) * 0.5 + 0.5);
  float e = 1.0f - d;
  return static_cast<float>(static_cast<double>(d) * a + static_cast<double>(e) * b);
}

void SuperquadricPoint() {
  float t = SignedPow(CosF(fSqLatitude), fSqExponent1);
  vecSqPoint.x = SignedPow(CosF(fSqLongitude), fSqExponent2) * t;
  vecSqPoint.z = SignedPow(SinF(fSqLongitude), fSqExponent2) * t;
  vecSqPoint.y = SignedPow(SinF(fSqLatitude), fSqExponent1);
}

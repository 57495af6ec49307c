#include "mesh/scalar_math.h"

#include <cmath>

int iRandomSeed = 0;

int RandomInt() {
  // Unsigned arithmetic gives the 32-bit wrap-around without signed overflow.
  iRandomSeed = static_cast<int>(static_cast<uint32_t>(iRandomSeed) * 78547803u + 1747627u);
  return iRandomSeed;
}

// Works like the floating-point unit's log/exponent pair: the product stays at
// extended precision, the integer part becomes an exact power of two and only
// the fraction in [-0.5, 0.5] goes through the exponential.
float PowF(float a, float b) {
  long double t = static_cast<long double>(b) * std::log2(static_cast<long double>(a));
  long double k = std::nearbyint(t);
  long double f = t - k;
  long double fFracPower = std::expm1(f * 0.693147180559945309417232121458176568L) + 1.0L;
  // k is a whole number, so 2^k is an exact power of two.
  return static_cast<float>(fFracPower * std::exp2(k));
}

float MaxF(float a, float b) { return b > a ? b : a; }

float MinF(float a, float b) { return b < a ? b : a; }

float CosF(float x) { return static_cast<float>(std::cos(static_cast<double>(x))); }

float SinF(float x) { return static_cast<float>(std::sin(static_cast<double>(x))); }

int8_t FloatToSignedByte(float x) {
  double d = x;
  if (d < -127.0) return -127;
  if (d > 127.0) return 127;
  if (d > -0.5 && d < 0.5) return 0;
  if (d > 0.0) return static_cast<int8_t>(static_cast<int>(d + 0.5));
  if (d < 0.0) return static_cast<int8_t>(static_cast<int>(d - 0.5));
  return 0;  // NaN: every comparison failed
}

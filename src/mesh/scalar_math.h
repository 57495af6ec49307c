// Scalar functions shared by the generators, the superquadric evaluator and
// the timeline: a linear congruential generator, an extended-precision power,
// float min/max, float cosine and sine, and a clamped float-to-byte rounding.
#pragma once

#include <cstdint>

extern int iRandomSeed;

int RandomInt();
float PowF(float a, float b);
float MaxF(float a, float b);
float MinF(float a, float b);
float CosF(float x);
float SinF(float x);
int8_t FloatToSignedByte(float x);

// Sign-preserving power, a superquadric (superellipsoid) point evaluator
// driven by global state, and a cosine ease between two values.
#pragma once

#include "d3dx9.h"

// Superquadric state: latitude eta (its sine gives y), longitude omega around
// the y axis, and the exponents applied to the eta and omega terms.
extern float fSqLatitude;
extern float fSqLongitude;
extern float fSqExponent1;
extern float fSqExponent2;
// Written only by SuperquadricPoint.
extern D3DXVECTOR3 vecSqPoint;

float AbsF(float x);
// The standard library's power in double precision (its rules for zero and
// negative bases), rounded to float.
float PowStdF(float a, float b);
// |a|^b with the sign of a; a negative zero counts as positive.
float SignedPow(float a, float b);
// a at phase 0, b at phase 1 along half a cosine wave; unclamped, period 2.
float CosineBlend(float a, float b, float phase);
// vecSqPoint = (sp(cos w, e2) * t, sp(sin eta, e1), sp(sin w, e2) * t) with
// t = sp(cos eta, e1) and sp the signed power.
void SuperquadricPoint();

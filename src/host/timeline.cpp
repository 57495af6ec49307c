#include "host/timeline.h"

#include <cmath>

#include "core/globals.h"
#include "mesh/scalar_math.h"
#include "render/draw_model.h"

namespace {

constexpr D3DCOLOR kGrey = 0xFFC0C0C0;
constexpr D3DCOLOR kOrange = 0xFFFF8000;

void SetCamera(float t) {
  D3DXVECTOR3 vecEye, vecAt;
  if (t < 5.0f) {
    vecEye = D3DXVECTOR3(2.0f * t - 5.0f, 10.0f - 2.0f * t, -8.0f);
    vecAt = D3DXVECTOR3(t - 4.5f, 0.0f, 0.0f);
  } else if (t < 10.0f) {
    vecEye = D3DXVECTOR3(2.0f * (t - 5.0f) - 4.0f, -2.0f, -10.0f);
    vecAt = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
  } else if (t < 18.0f) {
    vecEye = D3DXVECTOR3(2.0f, SinF(6.28f * t) + 3.0f, -8.0f);
    vecAt = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
  } else {
    vecEye = D3DXVECTOR3(0.0f, 3.0f, -8.0f);
    vecAt = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
  }
  const D3DXVECTOR3 vecUp(0.0f, 1.0f, 0.0f);
  D3DXMatrixLookAtLH(&matView, &vecEye, &vecAt, &vecUp);
  pDevice->SetTransform(D3DTS_VIEW, &matView);
}

// Three columns of 17 objects spinning about the vertical axis.
void DrawColumns(float t) {
  const float w = 2.0f * t;
  for (int k = -8; k <= 8; ++k) {
    const int iModel = k == 0 ? 1 : 0;
    const float fScale = k == 0 ? 0.5f : 0.25f;
    const float fY = 0.5f * static_cast<float>(k);
    DrawModel(iModel, kGrey, D3DXVECTOR3(0.0f, fY, 0.0f), D3DXVECTOR3(-w, 0.0f, 0.0f), fScale);
    DrawModel(iModel, kGrey, D3DXVECTOR3(1.5f, fY, 0.0f), D3DXVECTOR3(w + 0.5f, 0.0f, 0.0f), fScale);
    DrawModel(iModel, kGrey, D3DXVECTOR3(-1.0f, fY, -1.0f), D3DXVECTOR3(w, 0.0f, 0.0f), fScale);
  }
}

// A ring of 24 with mirrored layers above and below, and the flyer rising
// through its centre once per unit.
void DrawRingAndFlyer(float t) {
  for (int i = 0; i < 24; ++i) {
    const float a = static_cast<float>(i) * 6.28f / 24.0f + t * 6.28f * 1.5f;
    const D3DXVECTOR3 vecRotation(-CosF(a), 0.0f, 0.0f);
    DrawModel(0, kGrey, D3DXVECTOR3(3.0f * SinF(a), 0.0f, 3.0f * CosF(a)), vecRotation, 0.25f);
    DrawModel(0, kGrey, D3DXVECTOR3(3.0f * SinF(-a), 0.5f, 3.0f * CosF(-a)), vecRotation, 0.25f);
    DrawModel(0, kGrey, D3DXVECTOR3(3.0f * SinF(-a), -0.5f, 3.0f * CosF(-a)), vecRotation, 0.25f);
  }
  const float p = (FModF(t, 1.0f) - 0.5f) * 3.0f;
  const float fHeight = p * p * p * p * p * p * p;
  DrawModel(2, kOrange, D3DXVECTOR3(0.0f, fHeight, 0.0f), D3DXVECTOR3(-2.0f * 6.28f * t, 3.14f, 0.0f), 0.5f);
}

// Sixteen rows of five that swing like a Newton's cradle, the swing decaying
// from t = 18 on.
void DrawSwingingRows(float t) {
  const float fDecay = 3.0f * (t - 18.0f) * (t - 18.0f) + 1.0f;
  for (int j = -3; j <= 12; ++j) {
    const int m = (7 * j + 123344) % 4 + 1;
    for (int i = 0; i < 5; ++i) {
      float h = SinF(6.28f * t - 0.25f * static_cast<float>(j)) / fDecay;
      if (h < 0.0f && i >= m) h = 0.0f;
      if (h >= 0.0f && i <= 4 - m) h = 0.0f;
      const D3DXVECTOR3 vecPosition(0.45f * static_cast<float>(i) + h - 0.9f, 0.0f, 0.5f * static_cast<float>(j));
      DrawModel(0, kGrey, vecPosition, D3DXVECTOR3(0.0f, 0.0f, 0.0f), 0.25f);
    }
  }
}

}  // namespace

float FModF(float a, float b) { return static_cast<float>(std::fmod(static_cast<double>(a), static_cast<double>(b))); }

void DrawScene(float t) {
  SetCamera(t);
  if (t < 10.0f) {
    DrawColumns(t);
  } else if (t < 18.0f) {
    DrawRingAndFlyer(t);
  } else {
    DrawSwingingRows(t);
  }
}

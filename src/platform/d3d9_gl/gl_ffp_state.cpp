#include "gl_ffp_state.h"

#include <cmath>
#include <cstring>

#include "gl_enums.h"

namespace d3d9gl {

// ---- matrices and vectors -------------------------------------------------------

// Row vectors: the product applies A first.
static D3DMATRIX Multiply(const D3DMATRIX& A, const D3DMATRIX& B) {
  D3DMATRIX m;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      m.m[r][c] = A.m[r][0] * B.m[0][c] + A.m[r][1] * B.m[1][c] + A.m[r][2] * B.m[2][c] + A.m[r][3] * B.m[3][c];
    }
  }
  return m;
}

// Transpose of the inverse; a singular matrix gives zero (normals vanish, as
// for a world matrix of scale 0).
static D3DMATRIX InverseTranspose(const D3DMATRIX& M) {
  const float* a = &M.m[0][0];
  float inv[16];
  inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] + a[9] * a[7] * a[14] +
           a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
  inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] - a[8] * a[7] * a[14] -
           a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
  inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] + a[8] * a[7] * a[13] +
           a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
  inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] - a[8] * a[6] * a[13] -
            a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
  inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] - a[9] * a[3] * a[14] -
           a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
  inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] + a[8] * a[3] * a[14] +
           a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
  inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] - a[8] * a[3] * a[13] -
           a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
  inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] + a[8] * a[2] * a[13] +
            a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
  inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
           a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
  inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] - a[4] * a[3] * a[14] -
           a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
  inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] + a[4] * a[3] * a[13] +
            a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
  inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] - a[4] * a[2] * a[13] -
            a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
  inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] - a[5] * a[3] * a[10] -
           a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
  inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
           a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
  inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
            a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
  inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
            a[8] * a[1] * a[6] - a[8] * a[2] * a[5];
  const float fDet = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
  D3DMATRIX m = {};
  if (fDet == 0.0f) return m;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) m.m[r][c] = inv[c * 4 + r] / fDet;
  }
  return m;
}

static void CopyColour(const D3DCOLORVALUE& c, float* pOut) {
  pOut[0] = c.r;
  pOut[1] = c.g;
  pOut[2] = c.b;
  pOut[3] = c.a;
}

// A direction through the upper 3x3 of M, normalised (zero stays zero).
static void TransformDirection(const D3DVECTOR& v, const D3DMATRIX& M, float fSign, float* pOut) {
  const float x = v.x * M._11 + v.y * M._21 + v.z * M._31;
  const float y = v.x * M._12 + v.y * M._22 + v.z * M._32;
  const float z = v.x * M._13 + v.y * M._23 + v.z * M._33;
  const float fLength = std::sqrt(x * x + y * y + z * z);
  const float fScale = fLength > 0.0f ? fSign / fLength : 0.0f;
  pOut[0] = x * fScale;
  pOut[1] = y * fScale;
  pOut[2] = z * fScale;
  pOut[3] = 0.0f;
}

static bool IsSupportedOp(DWORD dwOp) { return dwOp >= D3DTOP_SELECTARG1 && dwOp <= D3DTOP_ADD; }

// ---- the key ---------------------------------------------------------------------

FfpKey BuildFfpKey(const D3dStateStore& State) {
  FfpKey Key = {};
  const bool bLighting = State.RenderStates[D3DRS_LIGHTING] != FALSE;
  Key.bLighting = bLighting;
  if (bLighting) {
    const D3DLIGHT9* Active[kMaxActiveLights];
    Key.iLightCount = static_cast<uint8_t>(State.ActiveLights(Active));
    for (int i = 0; i < Key.iLightCount; ++i) Key.LightTypes[i] = static_cast<uint8_t>(Active[i]->Type);
  }
  // Without lighting this vertex format has no specular colour to add.
  Key.bSpecular = bLighting && State.RenderStates[D3DRS_SPECULARENABLE] != FALSE;
  Key.bLocalViewer = Key.bSpecular && State.RenderStates[D3DRS_LOCALVIEWER] != FALSE;
  Key.bNormalize = State.RenderStates[D3DRS_NORMALIZENORMALS] != FALSE;
  Key.bFlat = State.RenderStates[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
  const DWORD dwAlphaFunc = State.RenderStates[D3DRS_ALPHAFUNC];
  if (State.RenderStates[D3DRS_ALPHATESTENABLE] != FALSE && dwAlphaFunc >= D3DCMP_NEVER && dwAlphaFunc < D3DCMP_ALWAYS) {
    Key.iAlphaFunc = static_cast<uint8_t>(dwAlphaFunc);
  }
  for (int s = 0; s < kStageCount; ++s) {
    const DWORD* pStage = State.StageStates[s];
    const DWORD dwColorOp = pStage[D3DTSS_COLOROP];
    if (!IsSupportedOp(dwColorOp)) break;  // DISABLE ends the cascade
    const DWORD dwArg1 = dwColorOp == D3DTOP_SELECTARG2 ? 0 : pStage[D3DTSS_COLORARG1];
    const DWORD dwArg2 = dwColorOp == D3DTOP_SELECTARG1 ? 0 : pStage[D3DTSS_COLORARG2];
    const bool bHasTexture = State.Textures[s] != nullptr;
    // A colour operation that reads a missing texture disables this stage and
    // the ones after it, as Direct3D 9 does.
    const bool bArg1IsTexture = dwColorOp != D3DTOP_SELECTARG2 && (dwArg1 & D3DTA_SELECTMASK) == D3DTA_TEXTURE;
    const bool bArg2IsTexture = dwColorOp != D3DTOP_SELECTARG1 && (dwArg2 & D3DTA_SELECTMASK) == D3DTA_TEXTURE;
    if ((bArg1IsTexture || bArg2IsTexture) && !bHasTexture) break;
    FfpStageKey& S = Key.Stages[s];
    S.iColorOp = static_cast<uint8_t>(dwColorOp);
    S.iColorArg1 = static_cast<uint8_t>(dwArg1);
    S.iColorArg2 = static_cast<uint8_t>(dwArg2);
    const DWORD dwAlphaOp = IsSupportedOp(pStage[D3DTSS_ALPHAOP]) ? pStage[D3DTSS_ALPHAOP] : D3DTOP_DISABLE;
    S.iAlphaOp = static_cast<uint8_t>(dwAlphaOp);
    if (dwAlphaOp != D3DTOP_DISABLE) {
      S.iAlphaArg1 = static_cast<uint8_t>(dwAlphaOp == D3DTOP_SELECTARG2 ? 0 : pStage[D3DTSS_ALPHAARG1]);
      S.iAlphaArg2 = static_cast<uint8_t>(dwAlphaOp == D3DTOP_SELECTARG1 ? 0 : pStage[D3DTSS_ALPHAARG2]);
    }
    const auto Reads = [](uint8_t iArg) { return (iArg & D3DTA_SELECTMASK) == D3DTA_TEXTURE; };
    const bool bSamples = bHasTexture && (bArg1IsTexture || bArg2IsTexture ||
                                          (dwAlphaOp != D3DTOP_DISABLE && (Reads(S.iAlphaArg1) || Reads(S.iAlphaArg2))));
    if (bSamples) {
      // TEXCOORDINDEX: the generation mode in the high word, the coordinate set below.
      const DWORD dwIndex = pStage[D3DTSS_TEXCOORDINDEX];
      const DWORD dwTexGen = dwIndex / D3DTSS_TCI_CAMERASPACENORMAL;
      S.bHasTexture = 1;
      S.iTexGen = static_cast<uint8_t>(dwTexGen <= DWORD{kTexGenReflection} ? dwTexGen : DWORD{kTexGenPassThru});
      S.iCoordSet = static_cast<uint8_t>(dwIndex & 0xFF);
      // A count in the low byte (D3DTTFF_COUNT1..4) turns the texture matrix on.
      S.bTexTransform = (pStage[D3DTSS_TEXTURETRANSFORMFLAGS] & 0xFF) != D3DTTFF_DISABLE;
    }
    Key.iStageCount = static_cast<uint8_t>(s + 1);
  }
  return Key;
}

// ---- the uniform block -----------------------------------------------------------

void FillFfpBlock(const D3dStateStore& State, int iLightCount, int iWidth, int iHeight, FfpBlock& Block) {
  const D3DMATRIX& matView = State.matView;
  const D3DMATRIX matWorldView = Multiply(State.matWorld, matView);
  const D3DMATRIX matWorldViewProj = Multiply(matWorldView, State.matProjection);
  const D3DMATRIX matNormal = InverseTranspose(matWorldView);
  std::memcpy(Block.WorldView, &matWorldView, sizeof Block.WorldView);
  std::memcpy(Block.WorldViewProj, &matWorldViewProj, sizeof Block.WorldViewProj);
  std::memcpy(Block.NormalMatrix, &matNormal, sizeof Block.NormalMatrix);
  for (int s = 0; s < kStageCount; ++s) std::memcpy(Block.TexMatrix[s], &State.TextureMatrices[s], sizeof Block.TexMatrix[s]);
  // This vertex format has no colours, so every material source reads the material.
  CopyColour(State.Material.Diffuse, Block.MatDiffuse);
  CopyColour(State.Material.Ambient, Block.MatAmbient);
  CopyColour(State.Material.Specular, Block.MatSpecular);
  CopyColour(State.Material.Emissive, Block.MatEmissive);
  ColourToFloats(State.RenderStates[D3DRS_AMBIENT], Block.GlobalAmbient);
  ColourToFloats(State.RenderStates[D3DRS_TEXTUREFACTOR], Block.TextureFactor);
  const D3DLIGHT9* Active[kMaxActiveLights];
  State.ActiveLights(Active);
  for (int i = 0; i < iLightCount; ++i) {
    const D3DLIGHT9& L = *Active[i];
    FfpLight& Out = Block.Lights[i];
    CopyColour(L.Diffuse, Out.Diffuse);
    CopyColour(L.Specular, Out.Specular);
    CopyColour(L.Ambient, Out.Ambient);
    // Lights live in world space: positions and directions go to camera
    // space through the view matrix alone.
    Out.Position[0] = L.Position.x * matView._11 + L.Position.y * matView._21 + L.Position.z * matView._31 + matView._41;
    Out.Position[1] = L.Position.x * matView._12 + L.Position.y * matView._22 + L.Position.z * matView._32 + matView._42;
    Out.Position[2] = L.Position.x * matView._13 + L.Position.y * matView._23 + L.Position.z * matView._33 + matView._43;
    Out.Position[3] = 1.0f;
    // Directional lights keep the vector toward the light, spots their axis.
    TransformDirection(L.Direction, matView, L.Type == D3DLIGHT_DIRECTIONAL ? -1.0f : 1.0f, Out.Direction);
    Out.Attenuation[0] = L.Attenuation0;
    Out.Attenuation[1] = L.Attenuation1;
    Out.Attenuation[2] = L.Attenuation2;
    Out.Attenuation[3] = L.Range;
    Out.Spot[0] = std::cos(L.Theta * 0.5f);
    Out.Spot[1] = std::cos(L.Phi * 0.5f);
    Out.Spot[2] = L.Falloff;
    Out.Spot[3] = 0.0f;
  }
  Block.Misc[0] = State.Material.Power;
  Block.Misc[1] = static_cast<float>(State.RenderStates[D3DRS_ALPHAREF] & 0xFF);  // Direct3D reads its low byte
  Block.Misc[2] = Block.Misc[3] = 0.0f;
  Block.PixelOffset[0] = 1.0f / static_cast<float>(iWidth);
  Block.PixelOffset[1] = -1.0f / static_cast<float>(iHeight);
  Block.PixelOffset[2] = Block.PixelOffset[3] = 0.0f;
}

}  // namespace d3d9gl

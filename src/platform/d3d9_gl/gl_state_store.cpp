#include "gl_state_store.h"

#include "gl_enums.h"

#include <algorithm>

namespace d3d9gl {

D3DMATRIX IdentityMatrix() {
  D3DMATRIX m = {};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

uint8_t RenderStateGroups(DWORD dwState) {
  switch (dwState) {
    case D3DRS_ZENABLE:
    case D3DRS_FILLMODE:
    case D3DRS_ZWRITEENABLE:
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
    case D3DRS_CULLMODE:
    case D3DRS_ZFUNC:
    case D3DRS_DITHERENABLE:
    case D3DRS_ALPHABLENDENABLE:
    case D3DRS_MULTISAMPLEANTIALIAS:
    case D3DRS_COLORWRITEENABLE:
      return kDirtyRaster;
    case D3DRS_SHADEMODE:
    case D3DRS_ALPHATESTENABLE:
    case D3DRS_ALPHAFUNC:
    case D3DRS_SPECULARENABLE:
    case D3DRS_LIGHTING:
    case D3DRS_LOCALVIEWER:
    case D3DRS_NORMALIZENORMALS:
      return kDirtyProgram;
    case D3DRS_ALPHAREF:
    case D3DRS_TEXTUREFACTOR:
    case D3DRS_AMBIENT:
      return kDirtyValues;
    default:
      return 0;
  }
}

namespace {

struct StateValue {
  DWORD dwState;
  DWORD dwValue;
};

// Float-valued render states hold the float's bits: these are 1.0f's.
constexpr DWORD kOneBits = 0x3F800000;

// Direct3D 9's defaults where they are not zero (ZENABLE follows the depth buffer).
constexpr StateValue kRenderStateDefaults[] = {
    {D3DRS_FILLMODE, D3DFILL_SOLID},
    {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
    {D3DRS_ZWRITEENABLE, TRUE},
    {D3DRS_SRCBLEND, D3DBLEND_ONE},
    {D3DRS_DESTBLEND, D3DBLEND_ZERO},
    {D3DRS_CULLMODE, D3DCULL_CCW},
    {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
    {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
    {D3DRS_FOGEND, kOneBits},
    {D3DRS_FOGDENSITY, kOneBits},
    {D3DRS_TEXTUREFACTOR, 0xFFFFFFFF},
    {D3DRS_LIGHTING, TRUE},
    {D3DRS_COLORVERTEX, TRUE},
    {D3DRS_LOCALVIEWER, TRUE},
    {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
    {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2},
    {D3DRS_MULTISAMPLEANTIALIAS, TRUE},
    {D3DRS_COLORWRITEENABLE, kAllChannels},
};

// Every stage's arguments; the operations and coordinate index differ per stage.
constexpr StateValue kStageDefaults[] = {
    {D3DTSS_COLORARG1, D3DTA_TEXTURE}, {D3DTSS_COLORARG2, D3DTA_CURRENT}, {D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
    {D3DTSS_ALPHAARG2, D3DTA_CURRENT}, {D3DTSS_COLORARG0, D3DTA_CURRENT}, {D3DTSS_ALPHAARG0, D3DTA_CURRENT},
    {D3DTSS_RESULTARG, D3DTA_CURRENT},
};

constexpr StateValue kSamplerDefaults[] = {
    {D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP}, {D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP}, {D3DSAMP_ADDRESSW, D3DTADDRESS_WRAP},
    {D3DSAMP_MAGFILTER, D3DTEXF_POINT},   {D3DSAMP_MINFILTER, D3DTEXF_POINT},   {D3DSAMP_MIPFILTER, D3DTEXF_NONE},
};

template <size_t N>
void SetDefaults(DWORD* pStates, size_t iCount, const StateValue (&Defaults)[N]) {
  std::fill(pStates, pStates + iCount, 0u);
  for (const StateValue& Default : Defaults) pStates[Default.dwState] = Default.dwValue;
}

}  // namespace

D3dStateStore::D3dStateStore(bool bDepthBuffer) {
  SetDefaults(RenderStates, kRenderStateCount, kRenderStateDefaults);
  RenderStates[D3DRS_ZENABLE] = bDepthBuffer ? D3DZB_TRUE : D3DZB_FALSE;
  for (int s = 0; s < kStageCount; ++s) {
    DWORD* pStage = StageStates[s];
    SetDefaults(pStage, kStageStateCount, kStageDefaults);
    // Only stage 0 is on: it modulates the texture with the diffuse colour.
    pStage[D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    pStage[D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    pStage[D3DTSS_TEXCOORDINDEX] = static_cast<DWORD>(s);
    SetDefaults(SamplerStates[s], kSamplerStateCount, kSamplerDefaults);
    TextureMatrices[s] = IdentityMatrix();
  }
  matWorld = matView = matProjection = IdentityMatrix();
}

int D3dStateStore::ActiveLights(const D3DLIGHT9* Out[kMaxActiveLights]) const {
  int iCount = 0;
  for (const auto& [iIndex, Slot] : Lights) {
    if (Slot.bEnabled && iCount < kMaxActiveLights) Out[iCount++] = &Slot.Light;
  }
  return iCount;
}

}  // namespace d3d9gl

#include "render/draw_model.h"

#include "core/globals.h"
#include "mesh/mesh_vertex.h"
#include "render/lights.h"
#include "core/records.h"

int FadeAlphaRef(DWORD dwTime) {
  if (dwTime <= 6000) return 255;
  int iFadeAlphaRef = 255 - static_cast<int>((dwTime - 6000) / 25);
  return iFadeAlphaRef <= 1 ? 1 : iFadeAlphaRef;
}

// Every drawn part gets the whole recipe again: there is no state cache, so a
// flag's change lasts only until the next part.
static void SendPartRecipe(const PartRecord& part, D3DCOLOR colour) {
  pDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
  pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  pDevice->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  pDevice->SetRenderState(D3DRS_ALPHAREF, 128);
  pDevice->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
  pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  pDevice->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  pDevice->SetRenderState(D3DRS_FOGENABLE, FALSE);
  pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
  pDevice->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  pDevice->SetRenderState(D3DRS_TEXTUREFACTOR, colour);
  pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  pDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  pDevice->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR | 1);
  pDevice->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT);
  pDevice->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_TEXTURE);
  pDevice->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE2X);
  pDevice->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  if (part.dwPartFlags & kPartEnvironmentTint) {
    pDevice->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    pDevice->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    pDevice->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
    pDevice->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  }
  if (part.dwPartFlags & kPartTwoSided) pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  if (part.dwPartFlags & kPartUnlitFade) {
    pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
    pDevice->SetRenderState(D3DRS_ALPHAREF, static_cast<DWORD>(FadeAlphaRef(dwDemoTime)));
  }
}

void DrawModel(int slot, D3DCOLOR colour, D3DXVECTOR3 position, D3DXVECTOR3 rotation, float scale) {
  const ModelRecord& model = Models[slot];
  if (model.iPartCount == 0) return;

  // Each ...Local call multiplies on the left: W = S * R * T for row vectors.
  DrawMatrixStack->LoadIdentity();
  DrawMatrixStack->TranslateLocal(position.x, position.y, position.z);
  DrawMatrixStack->RotateYawPitchRollLocal(rotation.x, rotation.y, rotation.z);
  DrawMatrixStack->ScaleLocal(scale, scale, scale);
  pDevice->SetTransform(D3DTS_WORLD, DrawMatrixStack->GetTop());
  pDevice->SetRenderState(D3DRS_TEXTUREFACTOR, model.dwModelColour);

  // The bounds are read from the record on every pass.
  for (int i = model.iFirstPart; i < model.iFirstPart + model.iPartCount; i++) {
    const PartRecord& part = MeshParts[i];
    if (part.iNumVertices == 0) continue;
    SendPartRecipe(part, colour);
    pDevice->SetMaterial(&kMaterials[part.iMaterial]);
    pDevice->SetTexture(1, pCubeTexture);
    pDevice->SetIndices(IndexBuffers[i]);
    pDevice->SetStreamSource(0, VertexBuffers[i], 0, sizeof(MeshVertex));
    int iPrimitiveCount = part.iNumIndices / 3;
    if (part.iTriangleLimit > 0 && part.iTriangleLimit < iPrimitiveCount) iPrimitiveCount = part.iTriangleLimit;
    pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, static_cast<UINT>(part.iNumVertices), 0,
                                  static_cast<UINT>(iPrimitiveCount));
  }
}

// Placeholder until the DDS reader lands.
#include "d3dx9.h"

HRESULT D3DXCreateCubeTextureFromFileA(IDirect3DDevice9*, LPCSTR, IDirect3DCubeTexture9** ppCubeTexture) {
  if (ppCubeTexture != nullptr) *ppCubeTexture = nullptr;
  return D3DXERR_INVALIDDATA;
}

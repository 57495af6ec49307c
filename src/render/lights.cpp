#include "render/lights.h"

#include "core/globals.h"

// Type, diffuse, specular, ambient, position, direction, range, falloff,
// attenuation 0..2, theta, phi. Directions are handed over unnormalised.
const D3DLIGHT9 kLightRecords[kLightCount] = {
    {D3DLIGHT_DIRECTIONAL, {0.7f, 0.7f, 0.5f, 0}, {1, 1, 0.9f, 0}, {0.4f, 0.4f, 0.4f, 0},
     {0, 0, 0}, {-0.707f, 0, 0.707f}, 0, 0, 0, 0, 0, 0, 0},
    {D3DLIGHT_DIRECTIONAL, {0.7f, 0.7f, 0.5f, 0}, {0.8f, 0.8f, 0.75f, 0}, {0.1f, 0.1f, 0.1f, 0},
     {0, 0, 0}, {-0.5f, -0.707f, -0.5f}, 0, 0, 0, 0, 0, 0, 0},
    {D3DLIGHT_DIRECTIONAL, {0.1f, 0.05f, 0.3f, 0}, {0.35f, 0.35f, 0.8f, 0}, {0, 0, 0, 0},
     {0, 0, 0}, {0, 0.9798f, 0.4f}, 0, 0, 0, 0, 0, 0, 0},
};

IDirect3DCubeTexture9* pCubeTexture = nullptr;

void LoadEnvironmentMap(const char* pszFile) {
  D3DXCreateCubeTextureFromFileA(pDevice, pszFile, &pCubeTexture);
}

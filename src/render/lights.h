// The three directional lights of every frame and the environment cube map
// that model drawing reflects.
#pragma once

#include "d3dx9.h"

constexpr int kLightCount = 3;
extern const D3DLIGHT9 kLightRecords[kLightCount];
extern IDirect3DCubeTexture9* pCubeTexture;

// Creates pCubeTexture from the cube map file the host names; a missing or
// broken file leaves it empty.
void LoadEnvironmentMap(const char* pszFile);

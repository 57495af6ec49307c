#include "core/globals.h"

IDirect3D9* pD3D = nullptr;
IDirect3DDevice9* pDevice = nullptr;

D3DPRESENT_PARAMETERS PresentParams = DemoPresentParams(D3DMULTISAMPLE_4_SAMPLES, nullptr);

ID3DXMatrixStack* DrawMatrixStack = nullptr;

// Left-handed perspective: near plane 1, x scale 3.6, y scale 6.4 (16:9).
const D3DXMATRIX matProjection(3.6f, 0.0f, 0.0f, 0.0f,
                               0.0f, 6.4f, 0.0f, 0.0f,
                               0.0f, 0.0f, 1.001f, 1.0f,
                               0.0f, 0.0f, -1.001f, 0.0f);

DWORD dwDemoTime = 0;
float fTime = 0.0f;
D3DXMATRIX matView;

IDirect3DIndexBuffer9* pGridIndices = nullptr;
int iGridVertexCount = 0;
